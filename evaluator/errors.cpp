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
    ErrorEntry{ConstantCalled, place, u"Constant used as a function"},
    ErrorEntry{TooFewArguments, place, u"Too few arguments for function"},
    ErrorEntry{TooManyArguments, place, u"Too many arguments for function"},
    ErrorEntry{NestedTooDeeply, place, u"Expression nested too deeply"},

    ErrorEntry{DivisionByZero, place, u"Division by zero"},
    ErrorEntry{SquareRootOfNegative, place, u"Square root of a negative number"},
    ErrorEntry{LogarithmOfNonPositive, place, u"Logarithm of zero or a negative number"},
    ErrorEntry{InverseTrigOutOfRange, place, u"Arcsine or arccosine of a value outside -1 to 1"},
    ErrorEntry{TangentUndefined, place, u"Tangent undefined for this angle"},
    ErrorEntry{CotangentUndefined, place, u"Cotangent undefined for this angle"},
    ErrorEntry{NegativeBaseFractionalExponent, place,
               u"Negative number raised to a non-integer power"},
    ErrorEntry{ZeroToNegativePower, place, u"Zero raised to a negative power"},
    ErrorEntry{ResultTooLarge, place, u"Result too large"},

    ErrorEntry{NothingToCompute, whole, u"Nothing to compute"},
    ErrorEntry{NotCompiled, whole, u"Expression not compiled"},
    ErrorEntry{NoSuchExpression, whole, u"No expression with this index"},
    ErrorEntry{InvalidAngleUnit, whole, u"Angle unit must be 0, 1 or 2"},
    ErrorEntry{TextTooLong, whole, u"Expression too long"},
};

static_assert(std::ranges::is_sorted(table, {}, &ErrorEntry::code),
              "errorEntry() searches the table by code");

} // namespace

std::span<const ErrorEntry> errorTable() {
    return table;
}

const ErrorEntry& errorEntry(ErrorCode code) {
    return *std::ranges::lower_bound(table, code, {}, &ErrorEntry::code);
}

} // namespace vexa
