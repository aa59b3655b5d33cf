#pragma once
// The bits of one value read as another type of the same size, at compile
// time as well: std::bit_cast where the standard library has it, the
// compiler's built-in (which std::bit_cast itself uses) where it does not.

#include <bit>

namespace kesp {

template <class To, class From>
constexpr To bitCast(const From& from) noexcept
{
    static_assert(sizeof(To) == sizeof(From));
#if defined(__cpp_lib_bit_cast)
    return std::bit_cast<To>(from);
#else
    return __builtin_bit_cast(To, from);
#endif
}

}  // namespace kesp
