#include "scan/shard.h"

#include <charconv>

#include "scan/scanFile.h"

namespace kesp {

namespace {

// A whole number written in decimal digits only, above 0.
std::optional<std::size_t> countIn(std::string_view text)
{
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value == 0) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<Shard> shardOf(const std::string& text)
{
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos) {
        return std::nullopt;
    }
    const std::optional<std::size_t> index = countIn(std::string_view(text).substr(0, slash));
    const std::optional<std::size_t> count = countIn(std::string_view(text).substr(slash + 1));
    if (!index || !count || *index > *count || *count > maxConfigurations) {
        return std::nullopt;
    }
    return Shard{*index, *count};
}

std::vector<std::size_t> rowsOf(const std::optional<Shard>& shard, std::size_t configurations)
{
    const std::size_t first = shard ? shard->index - 1 : 0;
    const std::size_t step = shard ? shard->count : 1;
    std::vector<std::size_t> rows;
    // Stepped without going past the end, so that no step wraps around.
    for (std::size_t row = first; row < configurations;
         row = configurations - row > step ? row + step : configurations) {
        rows.push_back(row);
    }
    return rows;
}

std::filesystem::path shardTablePath(const std::filesystem::path& table, const Shard& shard)
{
    std::filesystem::path path = table;
    path.replace_extension(".shard-" + std::to_string(shard.index) + "-of-" + std::to_string(shard.count)
                           + table.extension().string());
    return path;
}

}  // namespace kesp
