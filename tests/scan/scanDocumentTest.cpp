// Which bytes the scan file may hold: UTF-8 text, refused at the first byte
// that starts no UTF-8 character, with its line.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "scan/scanDocument.h"
#include "scan/scanFile.h"
#include "scan/scanHarness.h"

namespace {

namespace fs = std::filesystem;
using namespace kesp;
using namespace kesp::scantest;

struct TextCase {
    const char* what;
    std::string title;  // the bytes after "title: " on line 2
    bool taken;
};

// Byte sequences from the UTF-8 definition (RFC 3629, section 4).
const TextCase textCases[] = {
    {"ASCII", "plain", true},
    {"two bytes (micro sign)", "5 \xc2\xb5m", true},
    {"three bytes (per mille)", "1 \xe2\x80\xb0", true},
    {"four bytes (U+1F600)", "\xf0\x9f\x98\x80", true},
    {"the largest code point U+10FFFF", "\xf4\x8f\xbf\xbf", true},
    {"a tab", "a\tb", true},
    {"Latin-1 e acute", "caf\xe9", false},
    {"a stray continuation byte", "a\x80", false},
    {"an overlong slash", "\xc0\xaf", false},
    {"an overlong three-byte form", "\xe0\x80\xaf", false},
    {"a surrogate U+D800", "\xed\xa0\x80", false},
    {"above U+10FFFF", "\xf4\x90\x80\x80", false},
    {"a sequence cut short", "\xe2\x80", false},
    {"a lead byte never used", "\xff", false},
    {"an escape character", "a\x1b", false},
    {"DEL", "a\x7f", false},
};

TEST(ScanDocumentTest, onlyUtf8TextIsTaken)
{
    const fs::path dir = makeRunDirectory("kespScanDocument");
    for (const TextCase& c : textCases) {
        writeText(dir / "scan.yaml", "cells: 2\ntitle: " + c.title + "\nfixed: {PAR: p, KE: 10}\n");
        try {
            const YAML::Node document = loadScanDocument(dir / "scan.yaml");
            EXPECT_TRUE(c.taken) << c.what;
            EXPECT_EQ(document["title"].Scalar(), c.title) << c.what;
        } catch (const ScanRefused& refusal) {
            EXPECT_FALSE(c.taken) << c.what << ": " << refusal.what();
            EXPECT_TRUE(std::string(refusal.what()).starts_with((dir / "scan.yaml").string() + ":2: "))
                << c.what << ": " << refusal.what();
        }
    }
}

}  // namespace
