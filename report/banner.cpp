#include "kesp/report/banner.h"

namespace kesp {

void writeBanner(std::ostream& out)
{
    out << "===============================\n"
        << programTitle << '\n'
        << "===============================\n";
}

}  // namespace kesp
