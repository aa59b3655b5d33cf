#pragma once
// Running the real executable from a test: a fresh working directory per
// case, the arguments quoted for the shell, a time limit, and the console and
// standard error streams captured in console.txt and errors.txt.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace kesp {

// The status `timeout` exits with when the time limit ran out.
inline constexpr int timedOutStatus = 124;

inline std::vector<std::string> readTextLines(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// A fresh, empty directory named after the tag and this process.
inline std::filesystem::path makeRunDirectory(const std::string& tag)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / (tag + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

struct RunResult {
    int exitStatus = -1;
    bool timedOut = false;
    std::vector<std::string> console;
    std::vector<std::string> errors;
    std::filesystem::path directory;
};

inline std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs the executable in the directory with the arguments as given (each one
// argument, whatever it holds), killing it after the time limit.
inline RunResult runExecutable(const std::filesystem::path& executable, const std::filesystem::path& dir,
                               const std::vector<std::string>& arguments, int timeLimitSeconds)
{
    std::string command = "cd " + shellQuoted(dir.string()) + " && timeout -k 5 "
                          + std::to_string(timeLimitSeconds) + " " + shellQuoted(executable.string());
    for (const std::string& argument : arguments) {
        command += " " + shellQuoted(argument);
    }
    command += " > console.txt 2> errors.txt";
    const int status = std::system(command.c_str());
    RunResult result;
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.timedOut = result.exitStatus == timedOutStatus;
    result.console = readTextLines(dir / "console.txt");
    result.errors = readTextLines(dir / "errors.txt");
    result.directory = dir;
    return result;
}

// The same with kesp itself.
inline RunResult runProgram(const std::filesystem::path& dir, const std::vector<std::string>& arguments,
                            int timeLimitSeconds = 60)
{
    return runExecutable(KESP_EXECUTABLE, dir, arguments, timeLimitSeconds);
}

// True when a sanitizer wrote a report to the standard error stream.
inline bool sanitizerReported(const RunResult& run)
{
    for (const std::string& line : run.errors) {
        if (line.find("Sanitizer") != std::string::npos || line.find("runtime error:") != std::string::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace kesp
