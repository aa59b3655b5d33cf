#pragma once
// What `kesp --help` and `kesp --version` print instead of a run.

#include <ostream>
#include <span>
#include <string_view>

namespace kesp {

enum class InformationRequest { none, usage, version };

// The information the command line asks for: --help or -h (usage) or
// --version as the first argument, unless a file of that name exists, which
// is then read as the input file like any other.
InformationRequest requestedInformation(std::span<const std::string_view> arguments);

// The command line, the switches, where the report goes and the exit statuses.
void writeUsage(std::ostream& out);

// The program's version, the source revision it was built from and the
// compiler that built it.
void writeVersion(std::ostream& out);

// The source revision the program was built from ("unknown" outside a git
// checkout).
std::string_view buildRevision();

}  // namespace kesp
