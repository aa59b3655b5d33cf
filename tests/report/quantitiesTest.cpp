// The table of quantities against what the outputs really hold: the JSON
// documents the real kesp writes and their schema, the header of the real
// kesp-scan's table, and the generated files the documentation and the web
// page use (rewritten with KESP_UPDATE_GOLDEN=1; read every changed line).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <array>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "driver/jsonReportCheck.h"
#include "driver/runHarness.h"
#include "kesp/report/quantities.h"
#include "kesp/report/runRequest.h"
#include "scan/scanHarness.h"

namespace kesp {
namespace {

namespace fs = std::filesystem;
using jsontest::Json;

std::vector<std::string> namesOf(std::string_view list)
{
    std::vector<std::string> names;
    std::istringstream in{std::string(list)};
    for (std::string name; in >> name;) {
        names.push_back(name);
    }
    return names;
}

std::set<std::string> allNames(std::string_view Quantity::* place)
{
    std::set<std::string> names;
    for (const Quantity& q : quantities()) {
        for (const std::string& name : namesOf(q.*place)) {
            names.insert(name);
        }
    }
    return names;
}

std::string fileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(QuantitiesTest, everyNameIsCanonicalAndEveryPlaceNamesOneQuantity)
{
    std::set<std::string> names;
    constexpr std::array placesOfAName{&Quantity::jsonPaths, &Quantity::csvColumn, &Quantity::pythonPaths,
                                       &Quantity::typescriptPaths};
    std::array<std::set<std::string>, placesOfAName.size()> places;
    for (const Quantity& q : quantities()) {
        SCOPED_TRACE(std::string(q.name));
        EXPECT_TRUE(names.insert(std::string(q.name)).second) << "named twice";
        EXPECT_EQ(q.name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_"), std::string_view::npos);
        EXPECT_FALSE(q.description.empty());
        EXPECT_FALSE(q.jsonPaths.empty() && q.csvColumn.empty() && q.pythonPaths.empty()) << "shown nowhere";
        EXPECT_EQ(findQuantity(q.name), &q);
        for (std::size_t k = 0; k < placesOfAName.size(); ++k) {
            for (const std::string& name : namesOf(q.*placesOfAName[k])) {
                EXPECT_TRUE(places[k].insert(name).second) << name << " is a name of two quantities";
            }
        }
    }
    EXPECT_EQ(findQuantity("energy_mev"), nullptr);
}

// The files written from the table are committed beside the code that reads
// them; they must be what the table writes now.
TEST(QuantitiesTest, theGeneratedFilesAreUpToDate)
{
    const fs::path source(KESP_SOURCE_DIR);
    struct Generated {
        fs::path file;
        void (*write)(std::ostream&);
    };
    for (const Generated& g : {Generated{source / "docs" / "quantities.md", writeQuantitiesMarkdown},
                               Generated{source / "docs" / "quantities.json", writeQuantitiesJson},
                               Generated{source / "web" / "src" / "quantityNames.ts", writeQuantitiesTypeScript}}) {
        std::ostringstream text;
        g.write(text);
        if (std::getenv("KESP_UPDATE_GOLDEN") != nullptr) {
            std::ofstream(g.file, std::ios::binary) << text.str();
        }
        EXPECT_EQ(fileText(g.file), text.str()) << g.file << " is out of date: run kespTests with KESP_UPDATE_GOLDEN=1";
    }
}

// The report guide's table sits between two marker lines.
TEST(QuantitiesTest, theGeneratedFilesIncludeTheReportGuidesTable)
{
    const fs::path guide = fs::path(KESP_SOURCE_DIR) / "docs" / "guide" / "report.md";
    const std::string text = fileText(guide);
    const std::string begin = "<!-- quantities: written from report/quantities.cpp -->\n";
    const std::string end = "<!-- end of quantities -->\n";
    const std::size_t from = text.find(begin);
    const std::size_t to = text.find(end);
    ASSERT_NE(from, std::string::npos);
    ASSERT_NE(to, std::string::npos);
    ASSERT_LT(from, to);
    std::ostringstream table;
    writeQuantitiesSummary(table);
    const std::string written = text.substr(from + begin.size(), to - from - begin.size());
    if (std::getenv("KESP_UPDATE_GOLDEN") != nullptr && written != table.str()) {
        std::ofstream(guide, std::ios::binary)
            << text.substr(0, from + begin.size()) + table.str() + text.substr(to);
    }
    EXPECT_EQ(written, table.str()) << guide << ": its table of quantities is out of date: KESP_UPDATE_GOLDEN=1";
}

// The value at a path ("physics.components[].weight": the first element of
// an array); null where the document holds null on the way. Throws where a
// key is missing from an object the document has.
Json valueAt(const Json& document, const std::string& path)
{
    const Json* node = &document;
    std::istringstream steps(path);
    for (std::string step; std::getline(steps, step, '.');) {
        const bool each = step.size() > 2 && step.ends_with("[]");
        if (each) {
            step.resize(step.size() - 2);
        }
        if (node->is_null()) {
            return nullptr;
        }
        node = &node->at(step);
        if (each) {
            if (node->is_null()) {
                return nullptr;
            }
            node = &node->at(0);
        }
    }
    return *node;
}

// Every leaf of the document that is not null, an array of objects as "[]".
void collectLeaves(const Json& node, const std::string& path, std::set<std::string>& leaves)
{
    if (node.is_object()) {
        for (const auto& [key, value] : node.items()) {
            collectLeaves(value, path.empty() ? key : path + "." + key, leaves);
        }
    } else if (node.is_array() && !node.empty() && node.front().is_structured()) {
        collectLeaves(node.front(), path + "[]", leaves);
    } else if (!node.is_null()) {  // null: the other document's part
        leaves.insert(path);
    }
}

// What the document holds besides quantities: its provenance, and TABLES 2
// to 6, whose rows the schema describes.
bool describedElsewhere(const std::string& path)
{
    for (const std::string prefix : {"format", "program.", "input", "switches", "tables.clusters_per_cell_per_gy",
                                     "tables.percent_sb", "tables.cluster_length", "tables.lesions_per"}) {
        if (path.starts_with(prefix)) {
            return true;
        }
    }
    return false;
}

// The documents of a single particle and of a mixed field, as the real kesp writes them.
std::vector<Json> realDocuments()
{
    const fs::path examples = fs::path(KESP_SOURCE_DIR) / "examples";
    std::vector<Json> documents;
    for (const std::string name : {"carbon10MeVperNucleon", "mixedField"}) {
        const fs::path dir = makeRunDirectory("kespQuantities-" + name);
        for (const std::string extension : {".inp", ".txt"}) {
            if (fs::exists(examples / (name + extension))) {
                fs::copy_file(examples / (name + extension), dir / (name + extension));
            }
        }
        const RunResult run = runProgram(dir, {name + ".inp", "/json"});
        EXPECT_EQ(run.exitStatus, 0) << name;
        documents.push_back(jsontest::readJson(dir / (name + ".json")));
        fs::remove_all(dir);
    }
    return documents;
}

// The document of a run with cell survival, as the library writes it.
Json survivalDocument()
{
    RunSettings settings;
    settings.cells = 20;
    settings.threads = 1;
    settings.oxygenPercent = 21.0;
    NoProgress quiet;
    const RunResults reference = simulate(settings, quiet);  // 1 MeV electrons
    settings.field = singleParticleField("p", 10.0);
    RunRequest request;
    request.source = CodeSettings{settings, std::nullopt};
    request.provenance = RunProvenance{"KESP", "none", "", std::string(64, '0'), {}};
    request.survival = survivalModel(MeasuredReference{0.2, 0.02}, reference);
    return Json::parse(*runRequest(request, quiet).json);
}

// A mixed field's components and average have the physics of a particle.
std::string asParticlePhysics(const std::string& path)
{
    for (const std::string block : {"physics.components[].physics.", "physics.field_average.physics."}) {
        if (path.starts_with(block)) {
            return "physics.particle." + path.substr(block.size());
        }
    }
    return path;
}

TEST(QuantitiesTest, theDocumentsHoldTheTablesKeysAndNoOthers)
{
    std::vector<Json> documents = realDocuments();
    ASSERT_EQ(documents.size(), 2U);
    documents.push_back(survivalDocument());
    const std::set<std::string> paths = allNames(&Quantity::jsonPaths);
    for (const std::string& path : paths) {
        bool found = false;
        for (const Json& document : documents) {
            try {
                found = found || !valueAt(document, path).is_null();
            } catch (const Json::exception&) {
                // The other document may have it: a single particle has no components.
            }
        }
        EXPECT_TRUE(found) << path << " is in none of the documents (single particle, mixed field, with cell survival)";
    }
    for (const Json& document : documents) {
        std::set<std::string> leaves;
        collectLeaves(document, "", leaves);
        for (const std::string& leaf : leaves) {
            if (leaf.starts_with("yields.")) {
                continue;  // by category, checked through the table's paths above
            }
            EXPECT_TRUE(describedElsewhere(leaf) || paths.contains(asParticlePhysics(leaf)))
                << leaf << " is in the document but not in the table of quantities";
        }
    }
}

TEST(QuantitiesTest, particleNamesAreInCanonicalCaseInTheDocuments)
{
    const std::vector<Json> documents = realDocuments();
    ASSERT_EQ(documents.size(), 2U);
    // PAR=12C, which the input reads in upper case, and the field file's p, 4He and 12C.
    EXPECT_EQ(documents[0]["settings"]["radiation"]["particle"], "12C");
    std::vector<std::string> components;
    for (const Json& component : documents[1]["physics"]["components"]) {
        components.push_back(component["particle"]);
    }
    EXPECT_EQ(components, (std::vector<std::string>{"p", "4He", "12C"}));
}

// The schema node at a path, through $ref, oneOf and array items; null when
// the schema has no such key.
const Json* schemaNode(const Json& schema, const Json* node, const std::string& step)
{
    if (node->contains("$ref")) {
        const std::string ref = (*node)["$ref"];
        return schemaNode(schema, &schema["$defs"][ref.substr(ref.rfind('/') + 1)], step);
    }
    if (node->contains("oneOf")) {
        for (const Json& branch : (*node)["oneOf"]) {
            if (const Json* found = schemaNode(schema, &branch, step)) {
                return found;
            }
        }
        return nullptr;
    }
    if (step == "[]") {
        return node->contains("items") ? &(*node)["items"] : nullptr;
    }
    if (node->contains("properties") && (*node)["properties"].contains(step)) {
        return &(*node)["properties"][step];
    }
    return nullptr;
}

TEST(QuantitiesTest, theSchemaDescribesEveryKeyOfTheTable)
{
    const Json schema = jsontest::readJson(jsontest::schemaFile);
    for (const std::string& path : allNames(&Quantity::jsonPaths)) {
        const Json* node = &schema;
        std::string spaced = path;
        for (std::size_t at = spaced.find("[]"); at != std::string::npos; at = spaced.find("[]", at + 3)) {
            spaced.replace(at, 2, ".[]");
        }
        std::istringstream steps(spaced);
        for (std::string step; node != nullptr && std::getline(steps, step, '.');) {
            node = schemaNode(schema, node, step);
        }
        EXPECT_NE(node, nullptr) << path << " is not in the schema";
    }
}

// The names of the scan's own columns: its items and the switches.
bool isScanItemColumn(const std::string& column)
{
    return column == "PAR" || column == "MEV/A" || column == "PO2" || column == "KE" || column == "switches";
}

TEST(QuantitiesTest, theScanTableHasTheTablesColumns)
{
    const fs::path dir = makeRunDirectory("kespQuantitiesScan");
    scantest::writeText(dir / "scan.yaml", "cells: 2\nseed: 4\nvary:\n  PAR: [p, 12c]\n  PO2: [21, 0]\n"
                                           "fixed: {MEV/A: 10}\nreference: {PAR: e, KE: 1}\n"
                                           "survival: {alpha: 0.2, beta: 0.02}\n");
    const RunResult scan = scantest::runScan(dir, {"--lenient", "-o", "scan.csv", "scan.yaml"});
    ASSERT_EQ(scan.exitStatus, 0) << scantest::allLines(scan.errors);
    const scantest::Table table = scantest::readTable(dir / "scan.csv");
    const std::set<std::string> registered = allNames(&Quantity::csvColumn);
    const std::set<std::string> written(table.columns.begin(), table.columns.end());
    for (const std::string& column : table.columns) {
        EXPECT_TRUE(isScanItemColumn(column) || registered.contains(column))
            << "kesp-scan writes a column " << column << " that the table of quantities lacks";
    }
    for (const std::string& column : registered) {
        // The OER columns come with the scans that vary oxygen, once kesp-scan writes them.
        if (!column.starts_with("oer_")) {
            EXPECT_TRUE(written.contains(column)) << "kesp-scan writes no column " << column;
        }
    }
    EXPECT_EQ(written.contains("oer_dsb"), written.contains("oer_dsb_sem"));
    // The particle in canonical case, whatever case the scan file used.
    ASSERT_EQ(table.rows.size(), 4U);
    for (const std::string column : {"PAR", "particle"}) {
        std::set<std::string> particles;
        for (std::size_t row = 0; row < table.rows.size(); ++row) {
            particles.insert(table.field(row, column));
        }
        EXPECT_EQ(particles, (std::set<std::string>{"p", "12C"})) << column;
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace kesp
