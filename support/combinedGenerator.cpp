#include "support/combinedGenerator.h"

#include <chrono>

namespace kesp {

namespace {

constexpr std::uint32_t xorSeedMask = 0x2E5B9BA3U;
constexpr std::int32_t parkMillerSeedMask = 0x34FB628F;

// Seconds since 1970 rounded to single precision, then truncated. Rounding to
// float makes present-day values multiples of 128. The value is kept positive
// and within 32 bits even past 2038.
std::int32_t clockSeed()
{
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const double seconds = std::chrono::duration<double>(sinceEpoch).count();
    const auto rounded = static_cast<std::int64_t>(static_cast<float>(seconds));
    const auto seed = static_cast<std::int32_t>(rounded % combined::modulus);
    return seed > 0 ? seed : 1;
}

// A 32 x 32 matrix over GF(2), stored by columns: column j is the image of bit j.
using BitMatrix = std::array<std::uint32_t, 32>;

std::uint32_t apply(const BitMatrix& m, std::uint32_t x)
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
BitMatrix compose(const BitMatrix& a, const BitMatrix& b)
{
    BitMatrix product{};
    for (std::size_t j = 0; j < 32; ++j) {
        product[j] = apply(a, b[j]);
    }
    return product;
}

BitMatrix xorshiftPower(std::uint64_t steps)
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

std::uint64_t parkMillerPower(std::uint64_t steps)
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

}  // namespace kesp
