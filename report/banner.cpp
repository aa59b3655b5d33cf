#include "kesp/report/banner.h"

namespace kesp {

std::string_view programRelease()
{
    return KESP_RELEASE;
}

void writeBanner(std::ostream& out)
{
    out << "===============================\n"
        << programTitle << '\n'
        << "===============================\n";
}

}  // namespace kesp
