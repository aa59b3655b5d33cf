#include "kesp/support/lineWriter.h"

#include <string>

#include "kesp/support/text.h"

namespace kesp {

void writeLine(std::ostream& out, RecordForm form, std::string_view line)
{
    if (form == RecordForm::blankLineFirst) {
        out << '\n';
    } else if (form == RecordForm::indented) {
        out << ' ';
    }
    out << trimmed(line) << '\n';
}

void writeRule(std::ostream& out, char c, std::size_t length)
{
    out << std::string(length, c) << '\n';
}

void writeRecord(std::ostream& out, std::string_view text)
{
    out << text << '\n';
}

}  // namespace kesp
