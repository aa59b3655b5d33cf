// A file the scan replaces at once names the real reason when it cannot be
// replaced, and leaves no temporary file behind.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "scan/scanHarness.h"
#include "scan/syncedFile.h"
#include "kesp/support/runError.h"

namespace {

namespace fs = std::filesystem;
using namespace kesp;

TEST(SyncedFileTest, aFileThatCannotBeReplacedNamesTheReason)
{
    const fs::path dir = makeRunDirectory("kespSyncedFile");
    const fs::path folder = dir / "table.csv";
    fs::create_directory(folder);
    try {
        replaceFileContent(folder, "x\n");
        ADD_FAILURE() << "a folder was replaced";
    } catch (const RunError& error) {
        EXPECT_EQ(std::string(error.what()), "The table " + folder.string() + " cannot be written: Is a directory");
    }
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_FALSE(fs::exists(dir / "table.csv.writing"));
}

}  // namespace
