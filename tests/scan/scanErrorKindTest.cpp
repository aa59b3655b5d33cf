// A scan file kesp-scan refuses is a refusal for a library caller too, and
// ends kesp-scan with the refusal's exit status.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "scan/scanFile.h"
#include "scan/scanHarness.h"
#include "kesp/support/exitStatus.h"

namespace {

namespace fs = std::filesystem;
using namespace kesp;
using namespace kesp::scantest;

TEST(ScanErrorKindTest, aRefusedScanFileIsARefusalForTheLibraryAndForKespScan)
{
    const fs::path dir = fs::temp_directory_path() / "kespScanErrorKind";
    fs::remove_all(dir);
    fs::create_directories(dir);
    writeText(dir / "scan.yaml", "cells: 10\nvary:\n  PAR: [p]\n  PO: [1]\n");
    try {
        static_cast<void>(readScanFile(dir / "scan.yaml"));
        ADD_FAILURE() << "the scan file was taken";
    } catch (const RunError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::refused);
    }
    EXPECT_EQ(runScan(dir, {"scan.yaml"}).exitStatus, exitStatusFor(ErrorKind::refused));
    EXPECT_EQ(exitStatusFor(ErrorKind::refused), 2);
    fs::remove_all(dir);
}

}  // namespace
