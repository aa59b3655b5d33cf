// Fuzz target for the text and number routines. The first byte picks the
// routine; the rest supplies its texts, numbers, codes and columns. Each
// check traps (through std::abort) when an invariant of the routine breaks.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>
#include <string_view>

#include "kesp/support/keyLine.h"
#include "kesp/support/lineBuilder.h"
#include "kesp/support/numberFormat.h"
#include "kesp/support/numberReader.h"
#include "kesp/support/text.h"
#include "kesp/support/tokenizer.h"

namespace {

using kesp::CaseMatch;

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// A field of a length taken from the bytes, filled from the bytes.
std::string fieldFrom(FuzzedDataProvider& bytes, std::size_t maxLength)
{
    const std::size_t length = bytes.ConsumeIntegralInRange<std::size_t>(0, maxLength);
    return kesp::makeField(bytes.ConsumeRandomLengthString(length), length);
}

// The characters a set stands for: up to its trimmed length, at least one.
std::string_view effectiveSet(std::string_view set)
{
    return set.substr(0, std::max<std::size_t>(kesp::trimmedLength(set), 1));
}

bool inSet(CaseMatch mode, std::string_view set, char c)
{
    return std::any_of(set.begin(), set.end(), [&](char member) {
        return mode == CaseMatch::exact ? member == c : kesp::equalIgnoringCase(member, c);
    });
}

// Scans the whole text; every item is of the kind asked for and the position
// only moves forward until the scan reports the end.
void fuzzScan(FuzzedDataProvider& bytes, bool tokens)
{
    const CaseMatch mode = bytes.ConsumeBool() ? CaseMatch::exact : CaseMatch::eitherCase;
    const std::string set = bytes.ConsumeRandomLengthString(8);
    std::string item(bytes.ConsumeIntegralInRange<std::size_t>(0, 40), ' ');
    int position = bytes.ConsumeIntegralInRange<int>(-3, 300);
    const std::string text = bytes.ConsumeRemainingBytesAsString();
    const std::size_t itemLength = item.size();
    const std::string_view members = effectiveSet(set);
    for (std::size_t step = 0; step <= text.size() + 1; ++step) {
        const int before = position;
        const int status = tokens ? kesp::nextToken(mode, set, text, position, item)
                                  : kesp::nextRun(mode, set, text, position, item);
        check(item.size() == itemLength, "the item keeps its length");
        if (status != 0) {
            check(status == -1 && position == 1, "the end of the scan resets the position");
            return;
        }
        check(position > before && position >= 2, "the position moves forward");
        check(static_cast<std::size_t>(position) <= text.size() + 1, "the position stays within the text");
        // The item as found: the text just before the new position.
        const std::size_t end = static_cast<std::size_t>(position) - 1;
        for (char c : std::string_view(item).substr(0, kesp::trimmedLength(item))) {
            if (c == ' ') {
                continue;  // padding or an inner blank, checked with the text below
            }
            check(inSet(mode, members, c) != tokens, tokens ? "a token holds no delimiter"
                                                             : "a run holds only members of the set");
        }
        check(end == text.size() || inSet(mode, members, text[end]) == tokens,
              "the item ends at a character of the other kind");
    }
    check(false, "the scan ends");
}

// The reference value of an accepted number text.
double referenceValue(std::string_view text, bool& whole)
{
    std::string plain(kesp::trimmed(text));
    std::replace(plain.begin(), plain.end(), 'd', 'e');
    std::replace(plain.begin(), plain.end(), 'D', 'e');
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(plain.c_str(), &end);
    whole = end == plain.c_str() + plain.size();
    return value;
}

void fuzzNumberReader(FuzzedDataProvider& bytes)
{
    const double before = bytes.ConsumeFloatingPoint<double>();
    const std::int32_t integerBefore = bytes.ConsumeIntegral<std::int32_t>();
    const std::string text = bytes.ConsumeRemainingBytesAsString();
    double real = before;
    const int realStatus = kesp::readReal(text, real);
    check(realStatus == 0 || realStatus == -1, "readReal status");
    if (realStatus != 0) {
        check(std::memcmp(&real, &before, sizeof real) == 0, "a failed readReal leaves the target alone");
    } else {
        check(std::isfinite(real), "readReal never yields a non-finite value");
        bool whole = false;
        const double reference = referenceValue(text, whole);
        check(whole && reference == real, "readReal agrees with strtod on an accepted text");
    }
    std::int32_t integer = integerBefore;
    const int integerStatus = kesp::readInteger(text, integer);
    check(integerStatus == realStatus, "readInteger accepts what readReal accepts");
    if (integerStatus != 0) {
        check(integer == integerBefore, "a failed readInteger leaves the target alone");
        return;
    }
    const double rounded = std::round(real);
    const bool fits = rounded >= -2147483648.0 && rounded <= 2147483647.0;
    check(integer == (fits ? static_cast<std::int32_t>(rounded) : std::numeric_limits<std::int32_t>::min()),
          "readInteger rounds halves away from zero");
}

void fuzzText(FuzzedDataProvider& bytes)
{
    std::string field = fieldFrom(bytes, 120);
    const std::size_t length = field.size();
    switch (bytes.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: {
            std::string value(bytes.ConsumeIntegralInRange<std::size_t>(0, 120), 'x');
            const std::size_t valueLength = value.size();
            kesp::cleanValue(field, value);
            check(value.size() == valueLength, "cleanValue keeps the length");
            check(value.find_first_of("'\"()[]{}`<>") == std::string::npos, "cleanValue drops quotes and brackets");
            break;
        }
        case 1: {
            std::string expected;
            std::copy_if(field.begin(), field.end(), std::back_inserter(expected),
                         [](char c) { return !kesp::isBlankOrControl(c); });
            expected.resize(length, ' ');
            const std::string original = field;
            kesp::squeezeBlanks(field);
            check(field == (length == 1 ? original : expected), "squeezeBlanks closes every gap");
            break;
        }
        case 2: {
            const char c = bytes.ConsumeIntegral<char>();
            kesp::removeChar(c, field);
            check(field.size() == length, "removeChar keeps the length");
            check(c == ' ' || field.find(c) == std::string::npos, "removeChar leaves none of the character");
            break;
        }
        default: {
            const int column = bytes.ConsumeIntegralInRange<int>(-5, 200);
            const std::string source = bytes.ConsumeRemainingBytesAsString();
            const std::string original = field;
            kesp::copyInto(column, source, field);
            check(field.size() == length, "copyInto keeps the length");
            const std::size_t first = static_cast<std::size_t>(std::max(column, 1)) - 1;
            check(field.compare(0, std::min(first, length), original, 0, std::min(first, length)) == 0,
                  "copyInto leaves the columns before its start alone");
            break;
        }
    }
}

void fuzzKeyLine(FuzzedDataProvider& bytes)
{
    const std::string mode = bytes.ConsumeRandomLengthString(4);
    const std::string key = bytes.ConsumeRandomLengthString(64);
    std::string line(bytes.ConsumeIntegralInRange<std::size_t>(0, 300), ' ');
    const std::size_t length = line.size();
    std::istringstream channel(bytes.ConsumeRemainingBytesAsString());
    int lineCount = -7;
    const int status = kesp::findKeyLine(channel, mode, key, lineCount, line);
    check(status == 0 || status == -2 || status == -4 || status == -5, "findKeyLine status");
    check(line.size() == length, "findKeyLine keeps the line's length");
    check(status == -2 || lineCount >= 0, "findKeyLine counts the lines it read");

    int first = 0;
    int last = 0;
    const std::string text = kesp::makeField(key, length);
    if (kesp::findTextNoCase(mode, text, first, last) == 0) {
        check(first >= 1 && first <= last && static_cast<std::size_t>(last) <= text.size(),
              "findTextNoCase returns columns within the text");
    } else {
        check(first == 1 && last == 1, "findTextNoCase without a match");
    }
}

// A double from the bytes: any bit pattern, or a value of a chosen magnitude.
double valueFrom(FuzzedDataProvider& bytes)
{
    if (bytes.ConsumeBool()) {
        const std::uint64_t bits = bytes.ConsumeIntegral<std::uint64_t>();
        double value = 0.0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    const double mantissa = bytes.ConsumeFloatingPointInRange<double>(-10.0, 10.0);
    return std::ldexp(mantissa, bytes.ConsumeIntegralInRange<int>(-1100, 1100));
}

void checkRendered(const kesp::RenderedNumber& rendered, double value)
{
    check(rendered.text.size() <= kesp::numberFieldWidth, "a rendered text fits its field");
    check(rendered.text.find_first_of(" \t") == std::string::npos, "a rendered text holds no blanks");
    if (rendered.status == 0) {
        check(!rendered.text.empty(), "a rendered number is not empty");
    }
    if (rendered.status == -1) {
        check(rendered.text.empty(), "a blank code renders nothing");
    } else if (std::isnan(value)) {
        check(rendered.text == "NaN", "NaN renders as NaN");
    } else if (std::isinf(value)) {
        check(rendered.text == (value > 0 ? "Inf" : "-Inf"), "an infinity renders as Inf");
    }
}

// The value of a rendered text; a three-digit exponent stands without its E.
double renderedValue(std::string text)
{
    const std::size_t sign = text.find_last_of("+-");
    if (sign != std::string::npos && sign > 0 && text[sign - 1] != 'E') {
        text.insert(sign, 1, 'E');
    }
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    check(end == text.c_str() + text.size(), "a rendered number reads back");
    return value;
}

// A rendered finite number is the value rounded to the code's digits.
void checkAccuracy(const kesp::RenderedNumber& rendered, double value, std::string_view code)
{
    const kesp::NumberFormat format = kesp::buildNumberFormat(code);
    if (rendered.status != 0 || !std::isfinite(value) || rendered.text.front() == '*') {
        return;
    }
    if (format.integer) {
        check(rendered.pointPosition == 0 || static_cast<std::size_t>(rendered.pointPosition) ==
                                                 rendered.text.size() + 1,
              "an integer drops its point and all after it");
    } else {
        check(rendered.pointPosition > 0 && rendered.text[static_cast<std::size_t>(rendered.pointPosition) - 1] == '.',
              "the point position shows the point");
    }
    const double shown = renderedValue(rendered.text);
    const double magnitude = std::fabs(value);
    double bound = 0.0;
    switch (format.rule) {
        case kesp::FormatRule::scientific:
            bound = magnitude * 0.5 * std::pow(10.0, -format.digits);
            break;
        case kesp::FormatRule::fixed:
            bound = 0.5 * std::pow(10.0, -format.digits);
            break;
        case kesp::FormatRule::integer:
            bound = 0.5;
            break;
        case kesp::FormatRule::general:
            bound = magnitude * 0.5 * std::pow(10.0, 1 - std::max(format.digits, 1));
            break;
    }
    const double slack = magnitude * 1e-15 + 1e-320;
    check(std::fabs(shown - value) <= bound * (1.0 + 1e-12) + slack, "a rendered number is the rounded value");
}

void fuzzNumberFormat(FuzzedDataProvider& bytes)
{
    const double value = valueFrom(bytes);
    const std::size_t width = bytes.ConsumeIntegralInRange<std::size_t>(0, 100);
    const std::string code = bytes.ConsumeRandomLengthString(4);
    const kesp::RenderedNumber rendered = kesp::renderNumber(value, code);
    checkRendered(rendered, value);
    checkAccuracy(rendered, value, code);
    const std::string field = kesp::numberField(value, code, width);
    check(field.size() == width, "numberField fills its width");
    if (rendered.status == 0 && field.find_first_not_of('*') != std::string::npos) {
        check(std::string_view(field).ends_with(rendered.text), "numberField right-justifies the number");
    }
}

kesp::Justify justifyFrom(FuzzedDataProvider& bytes)
{
    return static_cast<kesp::Justify>(bytes.ConsumeIntegralInRange<int>(-1, 2));
}

void fuzzLineBuilder(FuzzedDataProvider& bytes)
{
    std::string line = fieldFrom(bytes, 200);
    const std::size_t length = line.size();
    while (bytes.remaining_bytes() > 0) {
        const int column = bytes.ConsumeIntegralInRange<int>(-10, 250);
        switch (bytes.ConsumeIntegralInRange<int>(0, 4)) {
            case 0: {
                const double value = valueFrom(bytes);
                const kesp::Justify justify = justifyFrom(bytes);
                const int status = kesp::placeNumber(value, column, justify, bytes.ConsumeRandomLengthString(4), line);
                check(status >= -3 && status <= 0, "placeNumber status");
                break;
            }
            case 1: {
                const kesp::Justify justify = justifyFrom(bytes);
                const int status = kesp::placeText(bytes.ConsumeRandomLengthString(60), column, justify, line);
                check(status == 0 || status == -1, "placeText status");
                break;
            }
            case 2: {
                const double value = valueFrom(bytes);
                const std::string code = bytes.ConsumeRandomLengthString(4);
                kesp::appendNumber(value, code, bytes.ConsumeRandomLengthString(30), line);
                break;
            }
            case 3:
                kesp::appendText(bytes.ConsumeRandomLengthString(60), line);
                break;
            default: {
                const std::string oldText = bytes.ConsumeRandomLengthString(20);
                const int status = kesp::replaceText(oldText, bytes.ConsumeRandomLengthString(40), line);
                check(status == 0 || status == -1, "replaceText status");
                break;
            }
        }
        check(line.size() == length, "a line never changes its length");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::setlocale(LC_ALL, "C");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider bytes(data, size);
    switch (bytes.ConsumeIntegralInRange<int>(0, 6)) {
        case 0:
            fuzzScan(bytes, true);
            break;
        case 1:
            fuzzScan(bytes, false);
            break;
        case 2:
            fuzzNumberReader(bytes);
            break;
        case 3:
            fuzzText(bytes);
            break;
        case 4:
            fuzzKeyLine(bytes);
            break;
        case 5:
            fuzzNumberFormat(bytes);
            break;
        default:
            fuzzLineBuilder(bytes);
            break;
    }
    return 0;
}
