#include "kesp/support/randomStream.h"

#include <array>
#include <cmath>

#include "kesp/support/bitCast.h"

namespace kesp {

namespace {

constexpr double multiplier = 16807.0;
constexpr std::int32_t modulus = 2147483647;
// The double nearest 1 / (2^31 - 1); results are formed by multiplying with it.
constexpr double inverseModulus = bitCast<double>(0x3E00000000200000ULL);

int clampStream(int stream)
{
    if (stream > randomStreamCount - 1) {
        return randomStreamCount;
    }
    if (stream < 2) {
        return 1;
    }
    return stream;
}

// Maps any seed into the generator's valid states 1 .. 2^31 - 2. Without the
// reduction a seed equal to the modulus would turn into state 0 on the first
// draw and the stream would return 0.0 for ever.
std::int32_t validSeed(std::int32_t seed)
{
    const std::int32_t reduced = seed < 0 ? 0 : seed % modulus;
    return reduced == 0 ? defaultStreamSeed : reduced;
}

}  // namespace

void RandomStreams::seed(int stream, std::int32_t seed)
{
    const std::int32_t state = validSeed(seed);
    if (stream <= 0) {
        states_.fill(state);
        states_[0] = 0;
    } else if (stream <= randomStreamCount) {
        states_[static_cast<std::size_t>(stream)] = state;
    }
}

double RandomStreams::uniform(int stream)
{
    std::int32_t& state = states_[static_cast<std::size_t>(clampStream(stream))];
    if (state == 0) {
        // A stream drawn from before any seeding starts from the default seed.
        state = defaultStreamSeed;
    }
    // The product is exact, and for every state in 1 .. 2^31 - 2 this gives
    // exactly (16807 * state) mod (2^31 - 1).
    const double x = static_cast<double>(state) * multiplier;
    const double h = std::trunc(x * inverseModulus);
    const double y = x - h * static_cast<double>(modulus);
    state = static_cast<std::int32_t>(y);
    return inverseModulus * y;
}

std::int32_t RandomStreams::state(int stream) const
{
    return states_[static_cast<std::size_t>(clampStream(stream))];
}

}  // namespace kesp
