#include "driver/banner.h"

namespace kesp {

void writeBanner(std::ostream& out)
{
    out << "===============================\n"
           "KESP Version 3.00B  15-JUL-2011\n"
           "===============================\n";
}

}  // namespace kesp
