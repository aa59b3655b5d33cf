#pragma once
// The generator that places lesions: a 32-bit xorshift sequence combined with
// the minimal standard sequence, in single precision.

#include <array>
#include <cstddef>
#include <cstdint>

#include "kesp/support/bitCast.h"

namespace kesp {

// The generator's state: both sequences.
struct CombinedState {
    std::uint32_t xorState = 0;
    std::int32_t parkMillerState = 1;  // 0 .. 2^31 - 1 (0 only after a state of 2^31 - 1)

    bool operator==(const CombinedState&) const = default;
};

// The seed a run uses: a seed of 0 or below is replaced by one from a fine
// clock and the process number, different for runs started together and
// for each call, in 1 .. 2^31 - 2.
std::int32_t resolveSeed(std::int32_t seed);

// The generator's state for a seed above 0 (see resolveSeed).
CombinedState seededCombined(std::int32_t seed);

namespace combined {

inline constexpr std::int32_t multiplier = 16807;
inline constexpr std::int32_t modulus = 2147483647;
// The largest float below 2^-31; scales a 31-bit integer into (0, 1).
inline constexpr float scale = bitCast<float>(0x2FFFFFFFU);

constexpr std::uint32_t nextXorshift(std::uint32_t x)
{
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
}

// (16807 * state) mod (2^31 - 1) for a state in 0 .. 2^31 - 1. The product
// fits in 46 bits; since 2^31 leaves 1 modulo 2^31 - 1, its bits from 31 up
// add onto the 31 below, and one subtraction finishes the reduction.
inline std::int32_t nextParkMiller(std::int32_t state)
{
    const std::uint64_t product =
        std::uint64_t{static_cast<std::uint32_t>(state)} * static_cast<std::uint32_t>(multiplier);
    const auto m = static_cast<std::uint32_t>(modulus);
    const std::uint32_t folded =
        static_cast<std::uint32_t>(product & m) + static_cast<std::uint32_t>(product >> 31);
    return static_cast<std::int32_t>(folded >= m ? folded - m : folded);
}

}  // namespace combined

// Next value, strictly between 0 and 1 (from 2^-31 up to 1 - 2^-24). Hot
// loops draw from a local copy of the state.
inline float drawCombined(CombinedState& state)
{
    state.xorState = combined::nextXorshift(state.xorState);
    state.parkMillerState = combined::nextParkMiller(state.parkMillerState);
    const std::uint32_t n =
        ((state.xorState ^ static_cast<std::uint32_t>(state.parkMillerState)) & 0x7FFFFFFFU) | 1U;
    return static_cast<float>(n) * combined::scale;
}

// Advances the generator by a fixed number of draws at a cost that does not
// depend on that number: the xorshift step is linear over GF(2), so n steps
// are one 32 x 32 bit matrix, applied here a byte at a time from tables; the
// minimal standard sequence moves by the factor 16807^n mod (2^31 - 1).
struct CombinedJump {
    std::uint64_t steps = 0;
    std::array<std::array<std::uint32_t, 256>, 4> xorTables{};  // byte k of the state -> its image
    std::uint64_t parkMillerFactor = 1;
};

CombinedJump makeCombinedJump(std::uint64_t steps);

inline void jumpCombined(CombinedState& state, const CombinedJump& jump)
{
    if (jump.steps == 0) {
        return;  // a state equal to the modulus stays put until its first step
    }
    const std::uint32_t x = state.xorState;
    state.xorState = jump.xorTables[0][x & 0xFFU] ^ jump.xorTables[1][(x >> 8) & 0xFFU]
                     ^ jump.xorTables[2][(x >> 16) & 0xFFU] ^ jump.xorTables[3][x >> 24];
    state.parkMillerState = static_cast<std::int32_t>(
        jump.parkMillerFactor * static_cast<std::uint64_t>(state.parkMillerState)
        % static_cast<std::uint64_t>(combined::modulus));
}

// The generator's values computed ahead, a block at a time. A block's draws
// are cut into `lanes` runs of `laneDraws` consecutive draws; each run starts
// from a jump of the generator, so the runs step independently of each other
// and the compiler computes them side by side in vector registers. The values
// are those of drawCombined, draw k of a block stored at slot(k).
class CombinedBlocks {
public:
    // The instructions that step the lanes: those every target has, or the
    // 256-bit vector instructions of newer processors. The values are the
    // same.
    enum class Instructions { plain, wide };

    static constexpr std::size_t lanes = 8;
    static constexpr std::size_t laneDraws = 32;
    static constexpr std::size_t size = lanes * laneDraws;
    using Values = std::array<float, size>;

    static constexpr std::size_t slot(std::size_t k) { return (k % laneDraws) * lanes + k / laneDraws; }

    // The first block holds the draws that follow `state`.
    explicit CombinedBlocks(const CombinedState& state);

    // Computes the next block, with the fastest instructions this processor
    // runs, or with the given ones (the plain ones where it lacks the wide).
    void fill(Values& values);
    void fill(Values& values, Instructions instructions);

    // The generator's state after the first `taken` draws of the last block
    // filled (0 .. size).
    CombinedState stateAfter(std::size_t taken) const;

private:
    std::array<CombinedState, lanes> current_{};  // lane starts of the last block filled
    std::array<CombinedState, lanes> next_{};     // lane starts of the next block
};

}  // namespace kesp
