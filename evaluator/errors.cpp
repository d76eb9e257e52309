#include "evaluator/errors.h"

#include <algorithm>
#include <array>

namespace vexa {
namespace {

using enum ErrorCode;
constexpr ErrorKind place = ErrorKind::AtPlace;
constexpr ErrorKind whole = ErrorKind::WholeText;

constexpr std::array table{
    ErrorEntry{UnexpectedCharacter, place, u"Unexpected character"},
    ErrorEntry{MisplacedDecimalPoint, place, u"Misplaced decimal point"},
    ErrorEntry{NumberTooLarge, place, u"Number too large"},
    ErrorEntry{UnknownName, place, u"Unknown name"},
    ErrorEntry{MissingOperand, place, u"Missing operand"},
    ErrorEntry{UnexpectedEnd, place, u"Unexpected end of expression"},
    ErrorEntry{MissingOperator, place, u"Missing operator"},
    ErrorEntry{MissingClosingParenthesis, place, u"Missing closing parenthesis"},
    ErrorEntry{UnmatchedClosingParenthesis, place, u"Closing parenthesis without opening one"},
    ErrorEntry{MisplacedComma, place, u"Comma outside a function call"},
    ErrorEntry{MissingOpeningParenthesis, place,
               u"Missing opening parenthesis after function name"},
    ErrorEntry{TooFewArguments, place, u"Too few arguments for function"},
    ErrorEntry{TooManyArguments, place, u"Too many arguments for function"},
    ErrorEntry{NestedTooDeeply, place, u"Expression nested too deeply"},
    ErrorEntry{FactorialOfFactorial, place, u"Two factorial signs in a row"},
    ErrorEntry{AmbiguousImpliedProduct, place,
               u"Value beside the operand of / or ^: write * or parentheses"},
    ErrorEntry{NumberBeforeE, place, u"Number followed by e: write * to multiply by e"},

    ErrorEntry{DivisionByZero, place, u"Division by zero"},
    ErrorEntry{SquareRootOfNegative, place, u"Square root of a negative number"},
    ErrorEntry{LogarithmOfNonPositive, place, u"Logarithm of zero or a negative number"},
    ErrorEntry{InverseTrigOutOfRange, place, u"Arcsine or arccosine of a value outside -1 to 1"},
    ErrorEntry{TangentUndefined, place, u"Tangent undefined for this angle"},
    ErrorEntry{CotangentUndefined, place, u"Cotangent undefined for this angle"},
    ErrorEntry{NegativeBaseFractionalExponent, place,
               u"Negative number raised to a power with no real result"},
    ErrorEntry{ZeroToNegativePower, place, u"Zero raised to a negative power"},
    ErrorEntry{ResultTooLarge, place, u"Result too large"},
    ErrorEntry{CannotCompute, place, u"Cannot be computed exactly"},
    ErrorEntry{FactorialOfNegativeInteger, place, u"Factorial of a negative whole number"},
    ErrorEntry{GammaOfNonPositiveInteger, place,
               u"Gamma function of zero or a negative whole number"},
    ErrorEntry{InverseHyperbolicCosineBelowOne, place,
               u"Inverse hyperbolic cosine of a value below 1"},
    ErrorEntry{InverseHyperbolicTangentOutOfRange, place,
               u"Inverse hyperbolic tangent of a value outside -1 to 1"},
    ErrorEntry{NotWholeNumber, place, u"Argument must be a whole number"},
    ErrorEntry{ChoiceOutOfRange, place, u"Number chosen outside 0 to the first argument"},
    ErrorEntry{InvalidLogarithmBase, place, u"Logarithm base must be above 0 and not 1"},
    ErrorEntry{AngleOfOrigin, place, u"Angle of the point 0, 0 undefined"},
    ErrorEntry{RootOfOrderZero, place, u"Root of order zero"},

    ErrorEntry{NothingToCompute, whole, u"Nothing to compute"},
    ErrorEntry{NotCompiled, whole, u"Expression not compiled"},
    ErrorEntry{NoSuchExpression, whole, u"No expression with this index"},
    ErrorEntry{InvalidAngleUnit, whole, u"Angle unit must be 0, 1 or 2"},
    ErrorEntry{TextTooLong, whole, u"Expression too long"},
};

static_assert(std::ranges::is_sorted(table, {}, &ErrorEntry::code),
              "errorEntry() searches the table by code");

struct Range {
    char32_t first;
    char32_t last;
};

// Characters that show nothing, or nothing a reader could tell from a blank or from the
// characters around them: controls, format characters, combining marks, variation selectors,
// fillers, private use, noncharacters, tags and the supplementary variation selectors.
constexpr Range unseen[] = {
    {0x0000, 0x0020},    {0x007F, 0x00A0}, {0x00AD, 0x00AD}, {0x0300, 0x036F},   {0x0483, 0x0489},
    {0x0591, 0x05C7},    {0x0600, 0x0605}, {0x061C, 0x061C}, {0x064B, 0x065F},   {0x06DD, 0x06DD},
    {0x070F, 0x070F},    {0x0890, 0x0891}, {0x08E2, 0x08E2}, {0x115F, 0x1160},   {0x17B4, 0x17B5},
    {0x180B, 0x180F},    {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x2000, 0x200F},   {0x2028, 0x202F},
    {0x205F, 0x206F},    {0x20D0, 0x20FF}, {0x3000, 0x3000}, {0x3164, 0x3164},   {0xD800, 0xDFFF},
    {0xE000, 0xF8FF},    {0xFDD0, 0xFDEF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F},   {0xFEFF, 0xFEFF},
    {0xFFA0, 0xFFA0},    {0xFFF0, 0xFFFB}, {0xFFFE, 0xFFFF}, {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF},
    {0xF0000, 0x10FFFF},
};

bool isVisible(char32_t c) {
    if ((c & 0xFFFE) == 0xFFFE) {
        return false; // the last two code points of every plane are noncharacters
    }
    return std::ranges::none_of(unseen,
                                [c](const Range& r) { return c >= r.first && c <= r.last; });
}

void appendCharacter(std::u16string& out, std::u16string_view text, std::size_t at) {
    const char16_t unit = text[at];
    const bool pair = unit >= 0xD800 && unit <= 0xDBFF && at + 1 < text.size() &&
                      text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF;
    const char32_t c = pair ? 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[at + 1] - 0xDC00)
                            : char32_t{unit};
    if (isVisible(c)) {
        out += u" \"";
        out.append(text.substr(at, pair ? 2 : 1));
        out += u'"';
        return;
    }
    out += u" U+";
    constexpr char16_t hex[] = u"0123456789ABCDEF";
    int digits = c > 0xFFFF ? (c > 0xFFFFF ? 6 : 5) : 4;
    while (digits-- > 0) {
        out += hex[(c >> (4 * digits)) & 0xF];
    }
}

} // namespace

void describe(std::u16string& out, ErrorCode code, std::u16string_view text, std::size_t start) {
    out.assign(errorEntry(code).description);
    if (code == ErrorCode::UnexpectedCharacter && start < text.size()) {
        appendCharacter(out, text, start);
    }
}

std::span<const ErrorEntry> errorTable() {
    return table;
}

const ErrorEntry& errorEntry(ErrorCode code) {
    return *std::ranges::lower_bound(table, code, {}, &ErrorEntry::code);
}

} // namespace vexa
