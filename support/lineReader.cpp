#include "kesp/support/lineReader.h"

#include <algorithm>

namespace kesp {

bool readFixedLine(std::istream& in, std::string& line)
{
    std::fill(line.begin(), line.end(), ' ');
    const std::istream::sentry ready(in, true);
    if (!ready) {
        return false;
    }
    std::streambuf& buffer = *in.rdbuf();
    using Traits = std::istream::traits_type;
    // Characters of the line read so far, counted only up to one past the
    // field so that a long line costs no memory and cannot overflow the count.
    std::size_t length = 0;
    bool anyRead = false;
    for (;;) {
        const Traits::int_type next = buffer.sbumpc();
        if (Traits::eq_int_type(next, Traits::eof())) {
            in.setstate(anyRead ? std::ios_base::eofbit : std::ios_base::eofbit | std::ios_base::failbit);
            break;
        }
        anyRead = true;
        const char c = Traits::to_char_type(next);
        if (c == '\n') {
            break;
        }
        if (length < line.size()) {
            line[length] = c;
        }
        length = std::min(length + 1, line.size() + 1);
    }
    if (!anyRead) {
        return false;
    }
    if (length > 0 && length <= line.size() && line[length - 1] == '\r') {
        line[length - 1] = ' ';
    }
    return true;
}

}  // namespace kesp
