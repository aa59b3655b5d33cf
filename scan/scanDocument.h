#pragma once
// The scan file as one YAML document, taken only when it is what it seems.
//
// yaml-cpp takes several things without a word that would make the scan
// something else than the file reads: it drops every document after the
// first, keeps both entries of a key given twice in a mapping (a lookup sees
// the first, a walk both), keeps a NUL written as "\0" inside a quoted value
// (a number or a file name would then end at it) and passes bytes that are
// not UTF-8 through. Each is refused here, naming the file and the line, as
// is a file too large to be a scan file.

#include <cstdint>
#include <filesystem>

#include <yaml-cpp/yaml.h>

namespace kesp {

// The largest scan file read: a list of a million values fits several times.
inline constexpr std::uintmax_t maxScanFileBytes = 64ULL * 1024 * 1024;

// Reads the file and returns its document; throws ScanRefused.
YAML::Node loadScanDocument(const std::filesystem::path& file);

}  // namespace kesp
