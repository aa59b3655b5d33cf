#include "scan/emittedInputs.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "kesp/report/scanText.h"
#include "kesp/support/runError.h"

namespace kesp {

namespace {

// Files are compared in blocks of this size.
constexpr std::size_t compareBlockBytes = 65536;

// The number in "rbe-007.inp" after the prefix ("rbe-"); 0 for any other name.
std::size_t numberInName(const std::string& name, const std::string& prefix)
{
    if (!name.starts_with(prefix) || !name.ends_with(".inp")) {
        return 0;
    }
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    return static_cast<std::size_t>(std::stoul(digits));
}

bool sameContent(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code error;
    if (std::filesystem::file_size(a, error) != std::filesystem::file_size(b, error) || error) {
        return false;
    }
    std::ifstream first(a, std::ios::binary);
    std::ifstream second(b, std::ios::binary);
    std::vector<char> blockA(compareBlockBytes);
    std::vector<char> blockB(compareBlockBytes);
    while (first && second) {
        first.read(blockA.data(), static_cast<std::streamsize>(blockA.size()));
        second.read(blockB.data(), static_cast<std::streamsize>(blockB.size()));
        if (first.gcount() != second.gcount()
            || !std::equal(blockA.begin(), blockA.begin() + first.gcount(), blockB.begin())) {
            return false;
        }
    }
    return first.eof() && second.eof();
}

// The input file an earlier --emit-inputs of this scan wrote under this name:
// its first line is the heading emitInputs writes.
bool holdsEmittedHeading(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::string start(32, '\0');
    in.read(start.data(), static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<std::size_t>(in.gcount()));
    return start.starts_with("kesp-scan configuration ") || start.starts_with("kesp-scan reference radiation ");
}

// A regular file (not a link) of a name that emitInputs writes for this
// plan, which an earlier --emit-inputs wrote: an input file with its
// heading, a field file's copy that is still the field file.
bool isEmittedFile(const ScanPlan& plan, const std::filesystem::directory_entry& entry)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(entry.symlink_status(error))) {
        return false;
    }
    const std::string name = entry.path().filename().string();
    for (const auto& [original, copy] : plan.emittedFieldFiles) {
        if (name == copy) {
            return sameContent(original, entry.path());
        }
    }
    const std::size_t row = numberInName(name, plan.scan.path.stem().string() + "-");
    const std::size_t reference = numberInName(name, plan.scan.path.stem().string() + "-reference-");
    const bool planned = (row >= 1 && row <= plan.configurations && name == inputFileNameOf(plan, plan.row(row - 1)))
                         || (reference >= 1 && reference <= plan.references.size()
                             && name == inputFileNameOf(plan, plan.referenceRun(reference - 1)));
    return planned && holdsEmittedHeading(entry.path());
}

}  // namespace

void checkEmitFolder(const ScanPlan& plan, const std::filesystem::path& folder)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(folder, error);
    if (!std::filesystem::exists(status)) {
        return;
    }
    const std::string refusal = folder.string() + ": --emit-inputs writes only into a folder that is missing, empty or"
                                                  " holds only an earlier --emit-inputs of this scan";
    if (!std::filesystem::is_directory(status)) {
        throw ScanRefused(refusal + "; it is not a folder");
    }
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (!isEmittedFile(plan, *entry)) {
            throw ScanRefused(refusal + "; it holds " + quotedText(name)
                              + ", which --emit-inputs of this scan does not write: empty the folder or name another");
        }
    }
    if (error) {
        throw ScanRefused(refusal + "; it cannot be read: " + error.message());
    }
}

std::size_t emitInputs(const ScanPlan& plan, const std::filesystem::path& folder)
{
    checkEmitFolder(plan, folder);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder, error)) {
        stopRun(ErrorKind::io, "The folder " + folder.string() + " for the input files cannot be made");
    }
    for (const auto& [original, name] : plan.emittedFieldFiles) {
        const std::filesystem::path copy = folder / name;
        if (std::filesystem::exists(copy, error) && std::filesystem::equivalent(original, copy, error)) {
            continue;
        }
        if (!std::filesystem::copy_file(original, copy, std::filesystem::copy_options::overwrite_existing, error)) {
            stopRun(ErrorKind::io, "The field file " + original.string() + " cannot be copied to " + copy.string()
                                       + ": " + error.message());
        }
    }
    const auto write = [&](const ScanRun& run) {
        const std::filesystem::path file = folder / inputFileNameOf(plan, run);
        std::ofstream out(file, std::ios::out | std::ios::trunc);
        out << inputTextOf(plan, run, FieldFileNaming::emitted);
        out.close();
        if (!out) {
            stopRun(ErrorKind::io, "The input file " + file.string() + " cannot be written");
        }
    };
    for (std::size_t index = 0; index < plan.configurations; ++index) {
        write(plan.row(index));
    }
    for (std::size_t index = 0; index < plan.references.size(); ++index) {
        write(plan.referenceRun(index));
    }
    return plan.configurations + plan.references.size();
}

}  // namespace kesp
