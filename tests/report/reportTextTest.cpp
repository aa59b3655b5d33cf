// The library's report text is the report file the program writes: the
// golden reports come out of it, running time aside.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "kesp/engine/engine.h"
#include "kesp/report/reportText.h"

namespace kesp {
namespace {

namespace fs = std::filesystem;

std::string fileText(const fs::path& path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ReportTextTest, givesTheGoldenReportsWithTheRunningTimeMasked)
{
    const fs::path source(KESP_SOURCE_DIR);
    for (const std::string name : {"electron1MeV", "dmsoElectron"}) {
        SCOPED_TRACE(name);
        const RunSettings settings = readInputFile(source / "examples" / (name + ".inp"));
        NoProgress quiet;
        std::string text = reportText(settings, simulate(settings, quiet), 1.25);
        const std::string timeLine = "      1.250     running time (min)\n";
        const std::size_t at = text.find(timeLine);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, timeLine.size(), "      #.###     running time (min)\n");
        EXPECT_EQ(text, fileText(source / "tests" / "golden" / (name + ".out")));
    }
}

}  // namespace
}  // namespace kesp
