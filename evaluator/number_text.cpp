#include "evaluator/number_text.h"

#include <charconv>
#include <cmath>

namespace vexa {

std::string formatResult(double value) {
    if (value == 0) {
        return " 0"; // negative zero too: '-0' would read as a different number to a user
    }
    // General format with 15 significant digits is "%.15g" without the locale: 15 digits
    // survive a round trip through a double, so computing a shown result again shows it again.
    char text[32];
    char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15).ptr;
    // Near the largest double, rounding to 15 digits can step past it; from_chars reports such
    // text as out of range, and the shortest exact text takes its place.
    double back = 0;
    if (std::from_chars(text, end, back).ec != std::errc{}) {
        end = std::to_chars(text, text + sizeof text, value).ptr;
    }
    std::string result = std::signbit(value) ? "" : " ";
    result.append(text, end);
    return result;
}

std::u16string formatResultU16(double value) {
    const std::string narrow = formatResult(value);
    return {narrow.begin(), narrow.end()}; // ASCII only
}

} // namespace vexa
