#pragma once
// This project's own engine, at the path of one of KESP's headers
// ("engine/engine.h"). KESP's headers never reach it, and this project's
// include of it never reaches KESP's: main.cpp fails to compile if either
// picks the other's.

#include <string>

namespace outside {

// A gearbox, for a project whose engine has nothing to do with radiation.
struct Engine {
    int gears = 6;
    std::string describe() const;
};

}  // namespace outside

