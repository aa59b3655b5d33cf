#include "kesp/support/combinedGenerator.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>

#include "kesp/support/processorFeatures.h"

namespace kesp {

namespace {

constexpr std::uint32_t xorSeedMask = 0x2E5B9BA3U;
constexpr std::int32_t parkMillerSeedMask = 0x34FB628F;

// The finalising step of the SplitMix64 generator: every bit of the result
// depends on every bit of x, so values a nanosecond or one process number
// apart give unrelated results.
constexpr std::uint64_t mixBits(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

// A seed for a run that asks for one from the clock: the calendar clock in
// nanoseconds mixed with the process number and with a count of the seeds
// this process has taken, so that runs started in the same instant, in one
// process or in several, get different seeds. Folded into 1 .. 2^31 - 2, a
// seed that every generator of the run takes as it is.
std::int32_t clockSeed()
{
    static std::atomic<std::uint64_t> seedsTaken{0};
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch).count();
    std::uint64_t mixed = mixBits(static_cast<std::uint64_t>(nanoseconds));
    mixed = mixBits(mixed ^ static_cast<std::uint64_t>(getpid()));
    mixed = mixBits(mixed ^ seedsTaken.fetch_add(1));
    const auto seeds = static_cast<std::uint64_t>(combined::modulus - 1);
    return static_cast<std::int32_t>(mixed % seeds) + 1;
}

// A 32 x 32 matrix over GF(2), stored by columns: column j is the image of bit j.
using BitMatrix = std::array<std::uint32_t, 32>;

constexpr std::uint32_t apply(const BitMatrix& m, std::uint32_t x)
{
    std::uint32_t image = 0;
    for (std::size_t j = 0; j < 32; ++j) {
        if ((x >> j) & 1U) {
            image ^= m[j];
        }
    }
    return image;
}

// The map x -> a(b(x)).
constexpr BitMatrix compose(const BitMatrix& a, const BitMatrix& b)
{
    BitMatrix product{};
    for (std::size_t j = 0; j < 32; ++j) {
        product[j] = apply(a, b[j]);
    }
    return product;
}

constexpr BitMatrix xorshiftPower(std::uint64_t steps)
{
    BitMatrix power{};
    BitMatrix step{};
    for (std::size_t j = 0; j < 32; ++j) {
        power[j] = 1U << j;
        step[j] = combined::nextXorshift(1U << j);
    }
    for (; steps != 0; steps >>= 1) {
        if (steps & 1U) {
            power = compose(step, power);
        }
        step = compose(step, step);
    }
    return power;
}

constexpr std::uint64_t parkMillerPower(std::uint64_t steps)
{
    const auto m = static_cast<std::uint64_t>(combined::modulus);
    std::uint64_t power = 1;
    std::uint64_t factor = combined::multiplier;
    for (; steps != 0; steps >>= 1) {
        if (steps & 1U) {
            power = power * factor % m;
        }
        factor = factor * factor % m;
    }
    return power;
}

constexpr CombinedJump jumpOf(std::uint64_t steps)
{
    CombinedJump jump;
    jump.steps = steps;
    const BitMatrix m = xorshiftPower(steps);
    for (std::size_t k = 0; k < 4; ++k) {
        for (std::uint32_t v = 0; v < 256; ++v) {
            jump.xorTables[k][v] = apply(m, v << (8 * k));
        }
    }
    jump.parkMillerFactor = parkMillerPower(steps);
    return jump;
}

// Lane to lane within a block, and block to block.
constexpr CombinedJump laneJump = jumpOf(CombinedBlocks::laneDraws);
constexpr CombinedJump blockJump = jumpOf(CombinedBlocks::size);

// Four lanes of 32 bits: GCC and Clang vector types, which any target
// supports (in plain registers where it has no vector unit).
using LaneWords = std::uint32_t __attribute__((vector_size(16)));
using LaneInts = std::int32_t __attribute__((vector_size(16)));
using LaneFloats = float __attribute__((vector_size(16)));
constexpr std::size_t laneWidth = 4;
constexpr std::size_t laneGroups = CombinedBlocks::lanes / laneWidth;

[[gnu::always_inline]] inline LaneWords nextXorshiftLanes(LaneWords x)
{
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
}

// nextParkMiller in 32-bit lanes, where the 46-bit product does not fit.
// With state = high * 2^16 + low the product is high * 16807 * 2^16 +
// low * 16807; the first term's bits from 31 up add onto bit 0, since 2^31
// leaves 1 modulo 2^31 - 1. The sum of the three parts stays below 2^32.
[[gnu::always_inline]] inline LaneWords nextParkMillerLanes(LaneWords state)
{
    constexpr auto m = static_cast<std::uint32_t>(combined::modulus);
    constexpr auto a = static_cast<std::uint32_t>(combined::multiplier);
    const LaneWords high = (state >> 16) * a;      // below 2^30
    const LaneWords low = (state & 0xFFFFU) * a;   // below 2^31
    const LaneWords sum = (high >> 15) + ((high & 0x7FFFU) << 16) + low;
    const LaneWords folded = (sum & m) + (sum >> 31);  // at most the modulus
    // A comparison of vectors gives all bits set where it holds.
    return folded - (m & reinterpret_cast<LaneWords>(folded >= m));
}

[[gnu::always_inline]] inline LaneFloats drawLanes(LaneWords x, LaneWords parkMiller)
{
    const auto n = reinterpret_cast<LaneInts>(((x ^ parkMiller) & 0x7FFFFFFFU) | 1U);
    return __builtin_convertvector(n, LaneFloats) * combined::scale;
}

// A block's values from the lane starts.
[[gnu::always_inline]] inline void fillLanes(const std::array<CombinedState, CombinedBlocks::lanes>& starts,
                                             CombinedBlocks::Values& values)
{
    constexpr std::size_t lanes = CombinedBlocks::lanes;
    std::array<LaneWords, laneGroups> x{};
    std::array<LaneWords, laneGroups> parkMiller{};
    for (std::size_t lane = 0; lane < lanes; ++lane) {
        x[lane / laneWidth][lane % laneWidth] = starts[lane].xorState;
        parkMiller[lane / laneWidth][lane % laneWidth] = static_cast<std::uint32_t>(starts[lane].parkMillerState);
    }
    for (std::size_t step = 0; step < CombinedBlocks::laneDraws; ++step) {
        for (std::size_t group = 0; group < laneGroups; ++group) {
            x[group] = nextXorshiftLanes(x[group]);
            parkMiller[group] = nextParkMillerLanes(parkMiller[group]);
            const LaneFloats u = drawLanes(x[group], parkMiller[group]);
            std::memcpy(&values[step * lanes + group * laneWidth], &u, sizeof u);
        }
    }
}

// The same, built for processors with the wider vector instructions: the
// lanes do integer steps and single rounded conversions and products,
// whose results do not depend on the instructions.
KESP_FOR_WIDE_VECTORS void fillLanesWide(const std::array<CombinedState, CombinedBlocks::lanes>& starts,
                                           CombinedBlocks::Values& values)
{
    fillLanes(starts, values);
}

}  // namespace

std::int32_t resolveSeed(std::int32_t seed)
{
    return seed <= 0 ? clockSeed() : seed;
}

CombinedState seededCombined(std::int32_t seed)
{
    CombinedState state;
    state.xorState = static_cast<std::uint32_t>(seed) ^ xorSeedMask;
    state.parkMillerState = (seed ^ parkMillerSeedMask) | 1;
    return state;
}

CombinedJump makeCombinedJump(std::uint64_t steps)
{
    return jumpOf(steps);
}

CombinedBlocks::CombinedBlocks(const CombinedState& state)
{
    next_[0] = state;
    for (std::size_t lane = 1; lane < lanes; ++lane) {
        next_[lane] = next_[lane - 1];
        jumpCombined(next_[lane], laneJump);
    }
    current_ = next_;
}

void CombinedBlocks::fill(Values& values)
{
    fill(values, hasWideVectors() ? Instructions::wide : Instructions::plain);
}

void CombinedBlocks::fill(Values& values, Instructions instructions)
{
    current_ = next_;
    if (instructions == Instructions::wide && hasWideVectors()) {
        fillLanesWide(current_, values);
    } else {
        fillLanes(current_, values);
    }
    for (CombinedState& start : next_) {
        jumpCombined(start, blockJump);
    }
}

CombinedState CombinedBlocks::stateAfter(std::size_t taken) const
{
    if (taken == 0) {
        return current_[0];
    }
    CombinedState state = current_[(taken - 1) / laneDraws];
    for (std::size_t step = 0; step <= (taken - 1) % laneDraws; ++step) {
        drawCombined(state);
    }
    return state;
}

}  // namespace kesp
