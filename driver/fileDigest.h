#pragma once
// The SHA-256 of a file's bytes, which names the exact input a result came
// from.

#include <optional>
#include <string>

namespace kesp {

// The digest as 64 lower-case hex digits; nothing when the file cannot be
// read to its end.
std::optional<std::string> fileSha256(const std::string& name);

}  // namespace kesp
