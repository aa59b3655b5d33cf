#pragma once
// What the processor running the program offers beyond the instructions the
// build assumes, asked once, for the few loops that have a faster form for
// it. Both forms give the same results; only the speed differs.

namespace kesp {

// 256-bit integer and floating-point vector instructions.
bool hasWideVectors();

// An instruction that counts the bits set in a word.
bool hasBitCount();

}  // namespace kesp
