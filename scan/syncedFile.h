#pragma once
// Files the scan writes for keeps: every write reaches the disk before it
// returns, so a scan killed at any moment, even by SIGKILL, leaves what it
// wrote before. A write that fails (a full disk, a file-size limit, an
// unwritable folder) throws RunError naming the file, never leaving a
// silently short file behind.

#include <filesystem>
#include <string>
#include <cstdint>
#include <string_view>

namespace kesp {

class SyncedFile {
public:
    enum class Opening {
        append,  // keep what the file holds; made when missing
        create,  // start it empty; made when missing
        read,    // only read, never written; must exist
    };
    enum class Lock {
        none,
        exclusive,  // no other process may hold it at the same time (flock)
    };

    // A failure names `shownAs` (the file itself when empty).
    SyncedFile(const std::filesystem::path& path, Opening opening, const std::filesystem::path& shownAs = {});
    // Opens (for appending unless `opening` says otherwise) and takes the
    // lock; throws ScanRefused when another process holds it.
    SyncedFile(const std::filesystem::path& path, Lock lock, Opening opening = Opening::append);
    ~SyncedFile();
    SyncedFile(const SyncedFile&) = delete;
    SyncedFile& operator=(const SyncedFile&) = delete;

    // Writes all of the text at the end of the file and syncs it.
    void write(std::string_view text);
    // All the file holds.
    std::string content() const;
    // Cuts the file to its first `size` bytes and syncs it.
    void truncate(std::uintmax_t size);

private:
    std::filesystem::path path_;
    int descriptor_ = -1;
};

// Replaces the file's content at once: the text goes to a temporary file
// beside it, synced, which is then renamed over it, so the file holds
// either its old content or all of the new.
void replaceFileContent(const std::filesystem::path& path, std::string_view text);

// Syncs the folder that holds the file, so that a file made or renamed in
// it is still there after a crash.
void syncFolderOf(const std::filesystem::path& path);

// The file as one text; throws RunError when it cannot be read.
std::string fileContent(const std::filesystem::path& path);

}  // namespace kesp
