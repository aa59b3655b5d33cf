#include "driver/reportFile.h"

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>

#include "kesp/support/interrupts.h"

namespace kesp {

namespace {

namespace fs = std::filesystem;

// Temporary names are the report's file name (cut so that the whole stays
// within the usual 255-byte limit of a file name) after a dot, and the
// process number with a counter after it: ".run.out.1234-0".
constexpr std::size_t maxTemporaryStemLength = 200;
constexpr int maxTemporaryAttempts = 100;

// A symbolic link in the report's place is followed, so the link stays and
// the file it names receives the report as it always did.
fs::path reportTarget(const std::string& name)
{
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(name, error))) {
        fs::path resolved = fs::weakly_canonical(name, error);
        if (!error) {
            return resolved;
        }
    }
    return name;
}

// Keeps the report off the standard descriptors: with the standard output
// closed, a new file would get descriptor 1 and the console would be written
// into the report.
int aboveStandardDescriptors(int descriptor)
{
    if (descriptor < 0 || descriptor > STDERR_FILENO) {
        return descriptor;
    }
    const int moved = ::fcntl(descriptor, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    const int error = errno;
    ::close(descriptor);
    errno = error;
    return moved;
}

// Creates a new file beside the target (never opening one that exists, nor
// following a link); its descriptor, or -1 with errno set.
int createTemporary(const fs::path& target, fs::path& temporary)
{
    const std::string fileName = target.filename().string();
    const std::string stem = "." + fileName.substr(0, std::min(fileName.size(), maxTemporaryStemLength)) + "."
                             + std::to_string(getpid()) + "-";
    for (int attempt = 0; attempt < maxTemporaryAttempts; ++attempt) {
        temporary = target.parent_path() / (stem + std::to_string(attempt));
        const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0) {
            const int moved = aboveStandardDescriptors(descriptor);
            if (moved < 0) {
                const int error = errno;
                ::unlink(temporary.c_str());
                errno = error;
            }
            return moved;
        }
        if (errno != EEXIST) {
            return -1;
        }
    }
    errno = EEXIST;
    return -1;
}

// Whether the file name is longer than its folder takes (ENAMETOOLONG).
bool nameTooLong(const fs::path& target)
{
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return longest > 0 && target.filename().string().size() > static_cast<std::size_t>(longest);
}

bool writeAll(int descriptor, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = ::write(descriptor, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

ReportFile::ReportFile(std::string name, std::string kind)
    : name_(std::move(name)), kind_(std::move(kind)), target_(reportTarget(name_))
{
}

ReportFile::~ReportFile()
{
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
    if (!temporary_.empty() && !committed_) {
        ::unlink(temporary_.c_str());
        keepOnAbort(abortSlot_);
    }
}

bool ReportFile::reserve(std::string& message)
{
    const std::string cannotCreate = "Cannot create the " + kind_ + " " + name_ + ": ";
    std::error_code error;
    const fs::file_status status = fs::status(target_, error);
    if (fs::is_directory(status) || fs::is_other(status)) {
        message = cannotCreate + "it exists and is not a regular file; move it away or rename the input file";
        return false;
    }
    if (nameTooLong(target_)) {
        message = cannotCreate + std::strerror(ENAMETOOLONG);
        return false;
    }
    // A report made read-only is not replaced (for anyone but the superuser).
    if (fs::is_regular_file(status) && ::access(target_.c_str(), W_OK) != 0) {
        message = cannotCreate + std::strerror(errno);
        return false;
    }
    descriptor_ = createTemporary(target_, temporary_);
    if (descriptor_ < 0) {
        message = cannotCreate + std::strerror(errno);
        temporary_.clear();
        return false;
    }
    // A second Ctrl-C or SIGTERM ends the process without running the
    // destructor; it removes the temporary file itself.
    abortSlot_ = removeOnAbort(temporary_);
    return true;
}

bool ReportFile::write(std::string_view text, std::string& message)
{
    // fsync makes the text reach the disk before the rename does, so even a
    // crash of the system leaves the old report or the new one. Some file
    // systems cannot sync a file (EINVAL); there the rename still holds.
    const bool written = writeAll(descriptor_, text)
                         && (::fsync(descriptor_) == 0 || errno == EINVAL);
    const int writeError = errno;
    const bool closed = ::close(descriptor_) == 0;
    const int closeError = errno;
    descriptor_ = -1;
    if (!written || !closed) {
        message = "Cannot write the " + kind_ + " " + name_ + ": " + std::strerror(written ? closeError : writeError);
        return false;
    }
    return true;
}

bool ReportFile::sameFileAs(const ReportFile& other) const
{
    std::error_code error;
    if (fs::equivalent(target_, other.target_, error)) {
        return true;
    }
    // A link that names a file not yet made: the same place is the same file.
    const fs::path mine = fs::weakly_canonical(target_, error);
    const fs::path theirs = fs::weakly_canonical(other.target_, error);
    return !error && mine == theirs;
}

bool ReportFile::removePrevious(std::string& message)
{
    if (::unlink(target_.c_str()) != 0 && errno != ENOENT) {
        message = "Cannot replace the " + kind_ + " " + name_ + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool ReportFile::publish(std::string& message)
{
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        message = "Cannot write the " + kind_ + " " + name_ + ": " + std::strerror(errno);
        return false;
    }
    committed_ = true;
    keepOnAbort(abortSlot_);
    return true;
}

}  // namespace kesp
