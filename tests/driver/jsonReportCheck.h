#pragma once
// Checks of a `kesp /json` document: valid against docs/kesp-results.schema.json
// (python3's jsonschema), and every number the report prints equal to the
// document's at the report's rounding (the document's value rendered with
// the report's own format code gives the printed text).

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/runHarness.h"
#include "kesp/support/numberFormat.h"

namespace kesp::jsontest {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;  // keys in the order written

inline const fs::path schemaFile = fs::path(KESP_SOURCE_DIR) / "docs" / "kesp-results.schema.json";

inline Json readJson(const fs::path& path)
{
    std::ifstream in(path);
    return Json::parse(in);
}

// Runs the validator; its complaint, or empty when the document is valid.
inline std::string schemaComplaint(const fs::path& document)
{
    const fs::path output = document.parent_path() / "schemaCheck.txt";
    const std::string script =
        "import json, sys, jsonschema\n"
        "schema = json.load(open(sys.argv[1]))\n"
        "jsonschema.Draft202012Validator.check_schema(schema)\n"
        "errors = list(jsonschema.Draft202012Validator(schema).iter_errors(json.load(open(sys.argv[2]))))\n"
        "for e in errors[:5]: print(list(e.absolute_path), e.message[:300])\n"
        "sys.exit(1 if errors else 0)\n";
    const std::string command = "/usr/bin/python3 -c " + shellQuoted(script) + " " + shellQuoted(schemaFile.string())
                                + " " + shellQuoted(document.string()) + " > " + shellQuoted(output.string()) + " 2>&1";
    const int status = std::system(command.c_str());
    std::ifstream in(output);
    std::stringstream text;
    text << in.rdbuf();
    return status == 0 ? std::string() : "exit " + std::to_string(status) + ": " + text.str();
}

inline std::vector<std::string> words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> result;
    for (std::string word; in >> word;) {
        result.push_back(word);
    }
    return result;
}

// The value as the report prints it with the format code.
inline std::string printed(const Json& value, const std::string& code)
{
    return renderNumber(value.get<double>(), code).text;
}

// The first word of the report's first line that holds `text`.
inline std::string printedBefore(const std::vector<std::string>& report, const std::string& text)
{
    const auto line = std::find_if(report.begin(), report.end(),
                                   [&](const std::string& l) { return l.find(text) != std::string::npos; });
    if (line == report.end()) {
        ADD_FAILURE() << "no report line holds \"" << text << "\"";
        return {};
    }
    return words(*line).at(0);
}

struct PrintedValue {
    const char* text;  // what follows the number on its line
    const char* code;  // the report's format code
    Json value;
};

inline void expectPrinted(const std::vector<std::string>& report, const std::vector<PrintedValue>& values)
{
    for (const PrintedValue& v : values) {
        const std::string expected = v.value.is_number_integer() ? std::to_string(v.value.get<long long>())
                                                                 : printed(v.value, v.code);
        EXPECT_EQ(printedBefore(report, v.text), expected) << v.text;
    }
}

// The settings echo and the oxygen and DMSO sections.
inline void expectSettingsPrinted(const std::vector<std::string>& report, const Json& doc)
{
    const Json& s = doc["settings"];
    const Json& run = doc["run"];
    expectPrinted(report, {{"DNA content (Gbp)", "E4", s["dna_content_gbp"]},
                           {"Dia. of cell nucleus (um)", "E4", s["nucleus_diameter_um"]},
                           {"number of cells (nocs)", "I", run["cells_simulated"]},
                           {"random number seed", "I", run["seed"]}});
}

inline void expectParticlePrinted(const std::vector<std::string>& report, const Json& doc)
{
    const Json& p = doc["physics"]["particle"];
    const Json& d = doc["damage_model"]["particle"];
    const bool electron = std::any_of(report.begin(), report.end(), [](const std::string& l) {
        return l.find("% collisional)") != std::string::npos;
    });
    expectPrinted(report, {{" MeV >= ", "E5", p["kinetic_energy_mev"]},
                           {electron ? " MeV/u >= " : " MeV/A >= ", "E5", p["kinetic_energy_per_nucleon_mev"]},
                           {"(zeff/beta)^2 <=", "E5", p["zeff_over_beta_squared"]},
                           {"absorbed dose per unit fluence", "E5", p["dose_per_fluence_ngy_cm2"]},
                           {"cm (CSDA range)", "E5", p["csda_range_cm"]},
                           {"keV/um (total stopping power)", "E5", p["let_kev_per_um"]},
                           {electron ? "% collisional)" : "% electronic)", "E5", p["electronic_stopping_kev_per_um"]},
                           {electron ? "% radiative)" : "% nuclear)", "E5",
                            electron ? p["radiative_stopping_kev_per_um"] : p["nuclear_stopping_kev_per_um"]},
                           {"(frequency-mean lineal energy)", "E4", p["yf_kev_per_um"]},
                           {"(frequency-mean specific energy)", "E4", p["zf_gy"]},
                           {"segment length, nseg", "I", d["segment_length_bp_per_cell_per_gy"]},
                           {"strand breaks, sigSb", "I", d["strand_breaks_per_cell_per_gy"]},
                           {"base damages,  sigBd", "I", d["base_damages_per_cell_per_gy"]},
                           {"chemical repair probability (pcr)", "E4", d["chemical_repair_probability"]},
                           {"O2 fixation probability (1-pcr)", "E4", d["o2_fixation_probability"]},
                           {"HRF for SSB induction", "E4", d["ssb_hypoxia_reduction_factor"]},
                           {"HRF for DSB induction", "E4", d["dsb_hypoxia_reduction_factor"]},
                           {"fraction of non-scavengeable DNA damage", "E4",
                            doc["settings"]["dmso"]["non_scavengeable_fraction"]},
                           {"DMSO concentration (mol dm^-3)", "E4",
                            doc["settings"]["dmso"]["concentration_mol_per_dm3"]},
                           {"% O2 concentration", "E4", doc["settings"]["oxygen_percent"]}});
}

// A row of the mixed-field table: name, weight, kinetic energy, per
// nucleon, zeb, Coll+Nuc, Radiat, Total, range, DPUF, zf, HRF.
inline void expectComponentRowPrinted(const std::vector<std::string>& row, const Json& c)
{
    const Json& p = c["physics"];
    const double collisionalAndNuclear =
        p["electronic_stopping_kev_per_um"].get<double>() + p["nuclear_stopping_kev_per_um"].get<double>();
    const std::vector<std::string> expected = {
        c["particle"].get<std::string>(), printed(c["weight"], "E2"), printed(p["kinetic_energy_mev"], "E3"),
        printed(p["kinetic_energy_per_nucleon_mev"], "E3"), printed(p["zeff_over_beta_squared"], "E3"),
        printed(collisionalAndNuclear, "E2"), printed(p["radiative_stopping_kev_per_um"], "E2"),
        printed(p["let_kev_per_um"], "E3"), printed(p["csda_range_cm"], "E3"),
        printed(p["dose_per_fluence_ngy_cm2"], "E3"), printed(p["zf_gy"], "E2"),
        printed(c["dsb_hypoxia_reduction_factor"], "F3")};
    EXPECT_EQ(row, expected) << c["particle"];
}

inline void expectComponentsPrinted(const std::vector<std::string>& report, const Json& doc)
{
    auto line = std::find_if(report.begin(), report.end(),
                             [](const std::string& l) { return l.rfind("  Ion     wt ", 0) == 0; });
    ASSERT_NE(line, report.end()) << "no mixed-field table";
    line += 2;  // past the rule
    for (const Json& component : doc["physics"]["components"]) {
        ASSERT_NE(line, report.end());
        expectComponentRowPrinted(words(*line++), component);
    }
    ASSERT_NE(line, report.end());
    expectComponentRowPrinted(words(*line), doc["physics"]["field_average"]);
}

// TABLE 1: the eleven percentages in order.
inline void expectComplexityPrinted(const std::vector<std::string>& report, const Json& doc)
{
    auto line = std::find_if(report.begin(), report.end(),
                             [](const std::string& l) { return l.rfind("TABLE 1.", 0) == 0; });
    ASSERT_NE(line, report.end());
    line += 3;  // caption of two lines and the rule
    for (const auto& [key, value] : doc["tables"]["complexity_percent"].items()) {
        ASSERT_NE(line, report.end());
        EXPECT_EQ(words(*line++).at(0), printed(value, "F3")) << "TABLE 1 " << key;
    }
}

// One entry's mean and SEM as the report prints them: "---" for no data,
// and a SEM of 0 where a run of one cell has none.
inline std::vector<std::string> printedEntry(const Json& entry, long long cells)
{
    if (entry.is_null()) {
        return {"---", "---"};
    }
    EXPECT_EQ(entry["sem"].is_null(), cells < 2);
    return {printed(entry["mean"], "E5"), entry["sem"].is_null() ? printed(0.0, "E5") : printed(entry["sem"], "E5")};
}

inline std::vector<std::string> printedRow(const std::string& first, const Json& row, long long cells)
{
    std::vector<std::string> expected{first};
    for (const char* category : {"dsb", "ssb", "other", "all"}) {
        const std::vector<std::string> entry = printedEntry(row[category], cells);
        expected.insert(expected.end(), entry.begin(), entry.end());
    }
    return expected;
}

// TABLES 2 to 6: every row of every table, and the yields as TABLE 2's last row.
inline void expectStatisticTablesPrinted(const std::vector<std::string>& report, const Json& doc)
{
    const long long cells = doc["run"]["cells_simulated"].get<long long>();
    int number = 2;
    for (const char* key : {"clusters_per_cell_per_gy", "percent_sb_per_cluster", "cluster_length_bp",
                            "lesions_per_nucleotide", "clusters_per_cell_per_gy_per_track"}) {
        const Json& table = doc["tables"][key];
        EXPECT_EQ(table["table"], number);
        const std::string heading = "TABLE " + std::to_string(number) + ".";
        auto line = std::find_if(report.begin(), report.end(),
                                 [&](const std::string& l) { return l.rfind(heading, 0) == 0; });
        line = std::find_if(line, report.end(), [](const std::string& l) { return l.rfind(" lesions", 0) == 0; });
        ASSERT_NE(line, report.end()) << heading;
        line += 2;  // past the rule
        for (const Json& row : table["rows"]) {
            ASSERT_NE(line, report.end());
            EXPECT_EQ(words(*line++), printedRow(std::to_string(row["lesions"].get<int>()), row, cells)) << heading;
        }
        ASSERT_NE(line, report.end());
        const std::string summaryWord = number == 2 || number == 6 ? "Total" : "Average";
        EXPECT_EQ(words(*line), printedRow(summaryWord, table["all_clusters"], cells)) << heading;
        ++number;
    }
    const Json& totals = doc["tables"]["clusters_per_cell_per_gy"]["all_clusters"];
    const double dna = doc["settings"]["dna_content_gbp"].get<double>();
    for (const char* category : {"dsb", "ssb", "other", "all"}) {
        const Json& yield = doc["yields"][category];
        ASSERT_EQ(yield.is_null(), totals[category].is_null()) << category;
        if (!yield.is_null()) {
            EXPECT_EQ(yield["per_cell_per_gy"], totals[category]) << category;
            EXPECT_EQ(yield["per_gy_per_gbp"]["mean"].get<double>(),
                      yield["per_cell_per_gy"]["mean"].get<double>() / dna)
                << category;
        }
    }
}

// Everything the report prints that the document holds.
inline void expectDocumentMatchesReport(const fs::path& document, const std::vector<std::string>& report)
{
    EXPECT_EQ(schemaComplaint(document), "") << document;
    const Json doc = readJson(document);
    expectSettingsPrinted(report, doc);
    if (doc["physics"]["particle"].is_null()) {
        expectComponentsPrinted(report, doc);
    } else {
        expectParticlePrinted(report, doc);
    }
    expectComplexityPrinted(report, doc);
    expectStatisticTablesPrinted(report, doc);
}

}  // namespace kesp::jsontest
