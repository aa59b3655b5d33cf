#pragma once
// A shard: one of N interleaved parts of a scan, for running a large scan
// as N jobs of a cluster. Part I of N holds the configurations I, I + N,
// I + 2N, ... (counted from 1); `kesp-scan merge` joins the parts' tables.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kesp {

struct Shard {
    std::size_t index = 1;  // from 1
    std::size_t count = 1;
};

// "I/N" with 1 <= I <= N <= maxConfigurations (more parts than a scan may
// have configurations would all but some be empty); nothing for any other
// text.
std::optional<Shard> shardOf(const std::string& text);

// The configurations (indices from 0, in scan order) of the shard, or of the
// whole scan without one.
std::vector<std::size_t> rowsOf(const std::optional<Shard>& shard, std::size_t configurations);

// The shard's table beside the scan's: "rbe.csv" gives "rbe.shard-2-of-8.csv".
std::filesystem::path shardTablePath(const std::filesystem::path& table, const Shard& shard);

}  // namespace kesp
