#pragma once
// Allocation of the few large work arrays, ending the run in an orderly way
// when memory runs out instead of failing somewhere later.

#include <cstddef>
#include <memory>
#include <new>
#include <string_view>

namespace kesp {

// Writes which block could not be allocated and stops the run.
[[noreturn]] void stopOutOfMemory(std::size_t count, std::string_view what);

// A block of `count` value-initialised (zeroed) elements.
template <typename T>
std::unique_ptr<T[]> allocateOrStop(std::size_t count, std::string_view what)
{
    std::unique_ptr<T[]> block(new (std::nothrow) T[count]());
    if (!block) {
        stopOutOfMemory(count, what);
    }
    return block;
}

}  // namespace kesp
