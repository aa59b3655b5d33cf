#include "scan/tableHeading.h"

#include <array>
#include <fstream>
#include <string_view>

#include "kesp/report/scanConfiguration.h"
#include "kesp/report/scanText.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

// Field files are read in blocks of this size.
constexpr std::size_t fingerprintBlockBytes = 65536;

}  // namespace

std::string tableComment(const TableHeading& heading)
{
    std::array<char, 17> hex{};
    for (std::size_t i = 0; i < 16; ++i) {
        hex[15 - i] = "0123456789abcdef"[(heading.fingerprint >> (4 * i)) & 0xfU];
    }
    std::string oneLine = heading.title;
    for (char& c : oneLine) {
        c = isBlankOrControl(c) ? ' ' : c;
    }
    std::string comment = "# kesp-scan " + heading.version + " | scan: " + heading.scanFileName
                          + " | fingerprint: " + std::string(hex.data(), 16)
                          + " | rows: " + std::to_string(heading.rows);
    if (heading.shardCount > 0) {
        comment += " | shard: " + std::to_string(heading.shardIndex) + "/" + std::to_string(heading.shardCount);
    }
    return comment + " | title: " + oneLine + "\n";
}

std::uint64_t fingerprintOf(const ScanPlan& plan, const std::vector<std::string>& columns)
{
    // FNV-1a, 64 bits; every part ends with a byte that no text holds.
    std::uint64_t hash = 14695981039346656037ULL;
    const auto mix = [&hash](std::string_view text) {
        for (const char c : text) {
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
        }
    };
    const auto end = [&hash] { hash = (hash ^ 0xffU) * 1099511628211ULL; };
    const auto add = [&](std::string_view text) {
        mix(text);
        end();
    };
    for (const std::string& column : columns) {
        add(column);
    }
    add(switchText(plan.scan));
    if (plan.scan.survival) {
        // The measured coefficients decide the survival columns' values (the
        // columns name the doses and survival levels).
        const MeasuredReference measured = measuredReference(*plan.scan.survival);
        add("alpha_per_gy " + shortestText(measured.alphaPerGy));
        add("beta_per_gy2 " + shortestText(measured.betaPerGy2));
    }
    for (const auto& [original, name] : plan.emittedFieldFiles) {
        add(name);
        // Read in blocks: a field file may be far larger than what kesp reads of it.
        std::ifstream file(original, std::ios::binary);
        std::vector<char> block(fingerprintBlockBytes);
        while (file.read(block.data(), static_cast<std::streamsize>(block.size())) || file.gcount() > 0) {
            mix(std::string_view(block.data(), static_cast<std::size_t>(file.gcount())));
        }
        end();
    }
    for (std::size_t index = 0; index < plan.configurations; ++index) {
        add(inputTextOf(plan, plan.row(index), FieldFileNaming::emitted));
    }
    for (std::size_t index = 0; index < plan.references.size(); ++index) {
        add(inputTextOf(plan, plan.referenceRun(index), FieldFileNaming::emitted));
    }
    return hash;
}

}  // namespace kesp
