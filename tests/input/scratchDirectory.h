#pragma once
// A temporary directory for the field files of a test, removed with its
// contents when the test ends.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace kesp {

class ScratchDirectory {
public:
    ScratchDirectory()
        : path_(std::filesystem::temp_directory_path() / ("kespInputTest" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(path_);
    }
    ~ScratchDirectory() { std::filesystem::remove_all(path_); }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // Writes the file (bytes exactly as given) and returns its full name.
    std::string write(const std::string& name, const std::string& contents) const
    {
        const std::filesystem::path file = path_ / name;
        std::ofstream(file, std::ios::binary) << contents;
        return file.string();
    }

    std::string name(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace kesp
