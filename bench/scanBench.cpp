#include "scanBench.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

namespace kesp::bench {

namespace {

namespace fs = std::filesystem;

// Two particle types at three energies, each under four oxygen levels: the
// kind of scan an oxygen-effect study runs, in which configurations share
// their particle physics.
constexpr const char* scanText =
    "title: benchmark, protons and helium ions under four oxygen levels\n"
    "cells: 500\n"
    "seed: 2024\n"
    "vary:\n"
    "  PAR: [p, 4He]\n"
    "  MEV/A: [2, 10, 50]\n"
    "  PO2: [21, 2, 0.5, 0.1]\n";
constexpr int configurations = 24;
constexpr int repeats = 3;

std::string quoted(const fs::path& path)
{
    return "'" + path.string() + "'";
}

void runCommand(const std::string& command)
{
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("benchmark command failed: " + command);
    }
}

// The scan file and its emitted input files, made once and removed when
// the program ends.
class ScanFolder {
public:
    ScanFolder() : path_(fs::temp_directory_path() / ("kespScanBench-" + std::to_string(getpid())))
    {
        fs::remove_all(path_);
        fs::create_directories(path_);
        std::ofstream(path_ / "scan.yaml") << scanText;
        runCommand("cd " + quoted(path_) + " && " + quoted(KESP_SCAN_EXECUTABLE)
                   + " --emit-inputs inputs scan.yaml > /dev/null");
    }
    ~ScanFolder() { fs::remove_all(path_); }
    ScanFolder(const ScanFolder&) = delete;
    ScanFolder& operator=(const ScanFolder&) = delete;

    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

const fs::path& scanFolder()
{
    static const ScanFolder folder;
    return folder.path();
}

void scanOnTwoJobs(benchmark::State& state)
{
    const std::string command =
        "cd " + quoted(scanFolder()) + " && " + quoted(KESP_SCAN_EXECUTABLE) + " -j 2 scan.yaml > /dev/null";
    for (auto _ : state) {
        // kesp-scan would take up a complete table as it is: each run starts without one.
        state.PauseTiming();
        fs::remove(scanFolder() / "scan.csv");
        state.ResumeTiming();
        runCommand(command);
    }
}

void kespOneAfterAnother(benchmark::State& state)
{
    std::vector<std::string> commands;
    for (int k = 1; k <= configurations; ++k) {
        const std::string number = std::to_string(k);
        commands.push_back("cd " + quoted(scanFolder() / "inputs") + " && " + quoted(KESP_EXECUTABLE) + " scan-"
                           + std::string(3 - number.size(), '0') + number + ".inp > /dev/null");
    }
    for (auto _ : state) {
        for (const std::string& command : commands) {
            runCommand(command);
        }
    }
}

}  // namespace

std::string scanRunName()
{
    return "scan/kesp-scan -j 2, 24 configurations/iterations:1/repeats:" + std::to_string(repeats)
           + "/real_time";
}

std::string sequentialRunName()
{
    return "scan/kesp on the 24 input files one after another/iterations:1/repeats:" + std::to_string(repeats)
           + "/real_time";
}

void registerScanBenchmarks()
{
    // Wall-clock time, fastest of the repeats; each command also pays
    // for starting its processes.
    benchmark::RegisterBenchmark("scan/kesp on the 24 input files one after another", kespOneAfterAnother)
        ->Iterations(1)
        ->Repetitions(repeats)
        ->UseRealTime()
        ->Unit(benchmark::kSecond);
    benchmark::RegisterBenchmark("scan/kesp-scan -j 2, 24 configurations", scanOnTwoJobs)
        ->Iterations(1)
        ->Repetitions(repeats)
        ->UseRealTime()
        ->Unit(benchmark::kSecond);
}

}  // namespace kesp::bench
