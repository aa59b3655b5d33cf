#pragma once
// One hundred independent streams of the minimal standard multiplicative
// congruential generator (multiplier 16807, modulus 2^31 - 1), computed in
// double precision. Stream 1 drives chemical repair, stream 2 the mixed-field
// cell assignment. Each run owns its streams.

#include <array>
#include <cstdint>

namespace kesp {

inline constexpr int randomStreamCount = 100;
inline constexpr std::int32_t defaultStreamSeed = 666;

class RandomStreams {
public:
    // Seeds one stream (1..100) or, for stream <= 0, all of them; a stream
    // above 100 is left alone. A negative seed counts as 0; the seed is
    // reduced modulo 2^31 - 1 (so the modulus itself becomes 0), and 0 is
    // replaced by 666.
    void seed(int stream, std::int32_t seed);

    // Next value of the stream, strictly between 0 and 1. Stream numbers
    // below 1 select stream 1 and above 100 select stream 100.
    double uniform(int stream);

    // Current state of the stream (clamped as in uniform); 0 while unseeded.
    std::int32_t state(int stream) const;

    bool operator==(const RandomStreams&) const = default;

private:
    // Entry i is stream i; entry 0 is unused.
    std::array<std::int32_t, randomStreamCount + 1> states_{};
};

}  // namespace kesp
