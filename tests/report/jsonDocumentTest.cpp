// The library writes the same JSON document from its results as `kesp /json`
// does, byte for byte, given the provenance the program knows.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "driver/jsonReportCheck.h"
#include "driver/runHarness.h"
#include "kesp/engine/engine.h"
#include "kesp/report/jsonDocument.h"

namespace kesp {
namespace {

namespace fs = std::filesystem;

// Runs in the directory, where the mixed field's field file is named.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const fs::path& dir) : previous_(fs::current_path()) { fs::current_path(dir); }
    ~WorkingDirectory() { fs::current_path(previous_); }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    fs::path previous_;
};

std::string fileText(const fs::path& path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(JsonDocumentTest, theLibraryWritesTheProgramsDocument)
{
    const fs::path examples = fs::path(KESP_SOURCE_DIR) / "examples";
    for (const std::string name : {"proton10MeV", "mixedField"}) {
        SCOPED_TRACE(name);
        const fs::path dir = makeRunDirectory("kespJsonDocument-" + name);
        for (const std::string extension : {".inp", ".txt"}) {
            if (fs::exists(examples / (name + extension))) {
                fs::copy_file(examples / (name + extension), dir / (name + extension));
            }
        }
        ASSERT_EQ(runProgram(dir, {name + ".inp", "/json"}).exitStatus, 0);
        const jsontest::Json written = jsontest::readJson(dir / (name + ".json"));

        const WorkingDirectory here(dir);
        const RunSettings settings = readInputFile(name + ".inp");
        NoProgress quiet;
        const RunResults results = simulate(settings, quiet);
        const RunProvenance provenance{written["program"]["version"], written["program"]["revision"],
                                       written["input"]["file"], written["input"]["sha256"], {"/json"}};
        EXPECT_EQ(jsonDocument(settings, results, provenance), fileText(dir / (name + ".json")));
        fs::remove_all(dir);
    }
}

}  // namespace
}  // namespace kesp
