#pragma once
// What the processor running the program offers beyond the instructions the
// build assumes, asked once, for the few loops that have a faster form for
// it. Both forms give the same results; only the speed differs.

// The faster forms are built for the x86 instructions they use; elsewhere
// (WebAssembly, say) they are the plain forms and never chosen.
#if defined(__x86_64__) || defined(__i386__)
#define KESP_FOR_WIDE_VECTORS [[gnu::target("avx2")]]
#define KESP_FOR_BIT_COUNT [[gnu::target("popcnt")]]
#else
#define KESP_FOR_WIDE_VECTORS
#define KESP_FOR_BIT_COUNT
#endif

namespace kesp {

// 256-bit integer and floating-point vector instructions.
bool hasWideVectors();

// An instruction that counts the bits set in a word.
bool hasBitCount();

}  // namespace kesp
