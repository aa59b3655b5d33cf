#include "support/combinedGenerator.h"

#include <bit>
#include <chrono>

namespace kesp {

namespace {

constexpr std::int32_t multiplier = 16807;
constexpr std::int32_t modulus = 2147483647;
constexpr std::int32_t schrageQuotient = 127773;   // modulus / multiplier
constexpr std::int32_t schrageRemainder = 2836;    // modulus % multiplier
constexpr std::uint32_t xorSeedMask = 0x2E5B9BA3U;
constexpr std::int32_t parkMillerSeedMask = 0x34FB628F;
// The largest float below 2^-31; scales a 31-bit integer into (0, 1).
constexpr float scaleBits = std::bit_cast<float>(0x2FFFFFFFU);

struct CombinedGenerator {
    std::uint32_t xorState = 0;
    std::int32_t parkMillerState = 1;
    float scale = scaleBits;
};

CombinedGenerator generator;

// Seconds since 1970 rounded to single precision, then truncated. Rounding to
// float makes present-day values multiples of 128. The value is kept positive
// and within 32 bits even past 2038.
std::int32_t clockSeed()
{
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const double seconds = std::chrono::duration<double>(sinceEpoch).count();
    const auto rounded = static_cast<std::int64_t>(static_cast<float>(seconds));
    const auto seed = static_cast<std::int32_t>(rounded % modulus);
    return seed > 0 ? seed : 1;
}

std::uint32_t nextXorshift(std::uint32_t x)
{
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
}

// (16807 * state) mod (2^31 - 1) without overflowing 32 bits.
std::int32_t nextParkMiller(std::int32_t state)
{
    const std::int32_t k = state / schrageQuotient;
    std::int32_t next = multiplier * (state - k * schrageQuotient) - schrageRemainder * k;
    if (next < 0) {
        next += modulus;
    }
    return next;
}

}  // namespace

void seedCombined(std::int32_t& seed)
{
    if (seed <= 0) {
        seed = clockSeed();
    }
    generator.scale = scaleBits;
    generator.xorState = static_cast<std::uint32_t>(seed) ^ xorSeedMask;
    generator.parkMillerState = (seed ^ parkMillerSeedMask) | 1;
}

float nextCombined()
{
    generator.xorState = nextXorshift(generator.xorState);
    generator.parkMillerState = nextParkMiller(generator.parkMillerState);
    const std::uint32_t n =
        ((generator.xorState ^ static_cast<std::uint32_t>(generator.parkMillerState)) & 0x7FFFFFFFU)
        | 1U;
    return static_cast<float>(n) * generator.scale;
}

}  // namespace kesp
