// Fuzz target for the input file reader together with the field file it may
// name, and for setting up a run from the settings read. The fuzz input is
// split at its first NUL byte: the part before it is the input file, the part
// after it the field file, written as "f.txt" into a private directory that
// is the working directory while the fuzzer runs. Without a NUL byte the
// whole input is the input file and f.txt is empty.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "kesp/engine/engine.h"
#include "kesp/input/inputReader.h"
#include "kesp/input/runSwitches.h"
#include "kesp/input/runSettings.h"
#include "kesp/support/runError.h"

namespace {

std::filesystem::path& scratchDirectory()
{
    static std::filesystem::path path;
    return path;
}

void removeScratchDirectory()
{
    std::error_code error;
    std::filesystem::remove_all(scratchDirectory(), error);
}

// Field file names may be any path; device and system files (a terminal, an
// endless device) would only make the harness hang on reading them.
bool namesSystemFiles(std::string_view inputPart)
{
    for (std::string_view folder : {"dev/", "proc/", "sys/"}) {
        if (inputPart.find(folder) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "kespFuzzXXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::cerr << "cannot make a scratch directory\n";
        std::abort();
    }
    scratchDirectory() = pattern;
    std::filesystem::current_path(scratchDirectory());
    std::atexit(removeScratchDirectory);
    // Console output (the interpolation's warning) is of no interest here.
    std::cout.rdbuf(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = bytes.find('\0');
    const std::string_view inputPart = bytes.substr(0, split);
    const std::string_view fieldPart = split == std::string_view::npos ? std::string_view() : bytes.substr(split + 1);
    if (namesSystemFiles(inputPart)) {
        return -1;
    }
    {
        std::ofstream fieldFile("f.txt", std::ios::binary | std::ios::trunc);
        fieldFile.write(fieldPart.data(), static_cast<std::streamsize>(fieldPart.size()));
    }
    std::istringstream input{std::string(inputPart)};
    // Each input gets settings and a run of its own: nothing carries over to
    // the next. Setting up the run also sets up the first component of the
    // field that was read (its stopping power, microdosimetry and yields).
    try {
        const kesp::RunSettings settings = kesp::readInput(input);
        const kesp::SimulationRun run(settings);
    } catch (const kesp::RunError&) {
        // A stop is a normal end for a bad field file or a field that cannot
        // be set up.
    }
    return 0;
}
