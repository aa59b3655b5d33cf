#include "scan/syncedFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "scan/scanFile.h"
#include "kesp/support/runError.h"

namespace kesp {

namespace {

[[noreturn]] void refuseWriting(const std::filesystem::path& path, const std::string& reason)
{
    throw RunError(ErrorKind::io, "The table " + path.string() + " cannot be written: " + reason);
}

[[noreturn]] void refuseWriting(const std::filesystem::path& path, int error)
{
    refuseWriting(path, std::strerror(error));
}

void syncDescriptor(int descriptor, const std::filesystem::path& path)
{
    if (fsync(descriptor) != 0) {
        refuseWriting(path, errno);
    }
}

std::filesystem::path folderOf(const std::filesystem::path& path)
{
    const std::filesystem::path folder = path.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

}  // namespace

SyncedFile::SyncedFile(const std::filesystem::path& path, Opening opening, const std::filesystem::path& shownAs)
    : path_(shownAs.empty() ? path : shownAs)
{
    const int flags = opening == Opening::read
                          ? O_RDONLY | O_CLOEXEC
                          : O_RDWR | O_CREAT | O_CLOEXEC | (opening == Opening::append ? O_APPEND : O_TRUNC);
    descriptor_ = open(path.c_str(), flags, 0666);
    if (descriptor_ < 0 && opening == Opening::read) {
        throw RunError(ErrorKind::io, "The table " + path_.string() + " cannot be read: " + std::strerror(errno));
    }
    if (descriptor_ < 0) {
        refuseWriting(path_, errno);
    }
}

SyncedFile::SyncedFile(const std::filesystem::path& path, Lock lock, Opening opening)
    : SyncedFile(path, opening)
{
    if (lock == Lock::exclusive && flock(descriptor_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(descriptor_);
        if (error == EWOULDBLOCK) {
            throw ScanRefused(path.string() + ": another kesp-scan is writing this table; wait for it to end, or "
                              "name another table with -o");
        }
        refuseWriting(path, error);
    }
}

SyncedFile::~SyncedFile()
{
    close(descriptor_);
}

void SyncedFile::write(std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = ::write(descriptor_, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            refuseWriting(path_, written < 0 ? errno : ENOSPC);
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    syncDescriptor(descriptor_, path_);
}

void replaceFileContent(const std::filesystem::path& path, std::string_view text)
{
    std::filesystem::path temporary = path;
    temporary += ".writing";
    {
        SyncedFile file(temporary, SyncedFile::Opening::create, path);
        file.write(text);
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        // The reason the file could not take the new content, not the
        // outcome of clearing the temporary file away.
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        refuseWriting(path, error.message());
    }
    syncFolderOf(path);
}

std::string SyncedFile::content() const
{
    std::string text;
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t got = pread(descriptor_, buffer, sizeof buffer, offset);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            throw RunError(ErrorKind::io, "The table " + path_.string() + " cannot be read: " + std::strerror(errno));
        }
        if (got == 0) {
            return text;
        }
        text.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
}

void SyncedFile::truncate(std::uintmax_t size)
{
    if (ftruncate(descriptor_, static_cast<off_t>(size)) != 0) {
        refuseWriting(path_, errno);
    }
    syncDescriptor(descriptor_, path_);
}

void syncFolderOf(const std::filesystem::path& path)
{
    const int descriptor = open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        refuseWriting(path, errno);
    }
    // A folder that cannot be synced (some network file systems) has its
    // entries written all the same; only a crash of the machine could lose them.
    static_cast<void>(fsync(descriptor));
    close(descriptor);
}

std::string fileContent(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (!in || (in.peek() != std::ifstream::traits_type::eof() && !(text << in.rdbuf())) || in.bad()) {
        throw RunError(ErrorKind::io, "The table " + path.string() + " cannot be read");
    }
    return text.str();
}

}  // namespace kesp
