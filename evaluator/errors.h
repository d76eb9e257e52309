// Error codes of the evaluator and the one table that describes them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vexa {

// Every failure the evaluator reports. The numbers are what LastError().Number shows, so they
// never change once published, nor are they used again once retired. Codes 1-19 come from reading
// the text, 21-39 from computing it, 41 and up concern the whole text or the calling program rather
// than a place in it.
enum class ErrorCode : std::int32_t {
    None = 0, // no error

    // A character that no token starts with: '2 # 3', a non-breaking space, a lone surrogate.
    UnexpectedCharacter = 1,
    // A '.' that belongs to no number: '.', '1+.', the second point of '1.2.3'.
    MisplacedDecimalPoint = 2,
    // A literal that is the whole value of the text (alone, negated or in parentheses) and
    // rounds beyond the largest double: '1e400', '-(1e400)'; or any literal whose exponent is
    // beyond the limits: '1e999999999'.
    NumberTooLarge = 3,
    // A name that is neither a function nor a constant: 'x+1', 'foo(2)'.
    UnknownName = 4,
    // An operator or closer where a value must start: '*2', '1+*2', '()', 'pow(,2)'.
    MissingOperand = 5,
    // The text ends where a value must start: '1+', '-', 'pow(2,'.
    UnexpectedEnd = 6,
    // Two values side by side that do not multiply: '2 3', 'pi2', '(1)2', '3!pi'.
    MissingOperator = 7,
    // The text ends inside parentheses or a call: '(1+2', 'sin(1'.
    MissingClosingParenthesis = 8,
    // A ')' with no '(' open: '1+2)'.
    UnmatchedClosingParenthesis = 9,
    // A ',' that does not separate the arguments of a call: '1,2', '(1,2)'.
    MisplacedComma = 10,
    // A function name not followed by '(': 'sin 1', 'sqrt'.
    MissingOpeningParenthesis = 11,
    // 12 was a constant followed by '(', which now multiplies: 'pi(2)' is 2pi.
    // A call with fewer arguments than the function takes: 'sin()', 'pow(2)'.
    TooFewArguments = 13,
    // A call with more arguments than the function takes: 'sqrt(1,2)'.
    TooManyArguments = 14,
    // Parentheses, calls and '^' nested deeper than the parser allows: 257 '(' in a row.
    NestedTooDeeply = 15,
    // A factorial sign right after another: '3!!' (a double factorial is not read).
    FactorialOfFactorial = 16,
    // A value written beside the operand of '/' or '^', which people read two ways: '1/2pi'
    // (1/(2pi) or pi/2?), '2^3pi', '6/2(1+2)'.
    AmbiguousImpliedProduct = 17,
    // A number followed by the constant e without digits for an exponent: '2e', '3 e'.
    NumberBeforeE = 18,

    // A divisor that is zero: '1/0', '1/(0.1*3-0.3)', '1/(sqrt(2)^2-2)'.
    DivisionByZero = 21,
    // 'sqrt(-1)'.
    SquareRootOfNegative = 22,
    // log, ln or log10 of a value <= 0: 'ln(0)', 'log10(-1)'.
    LogarithmOfNonPositive = 23,
    // asin or acos of a value outside [-1, 1]: 'asin(2)'.
    InverseTrigOutOfRange = 24,
    // tan at an odd quarter turn in degrees or grads: 'tan(90)'.
    TangentUndefined = 25,
    // cot at a multiple of a half turn: 'cot(0)', 'cot(180)' in degrees.
    CotangentUndefined = 26,
    // A negative base with an exponent that is neither a whole number nor a fraction p/q in
    // lowest terms with q odd, as the text gives it, so no real power is taken: '(-8)^0.5',
    // 'pow(-2, 0.25)', '(-8)^0.333333333333333'.
    NegativeBaseFractionalExponent = 27,
    // Zero to a negative power: '0^-1', 'pow(0, -2)'.
    ZeroToNegativePower = 28,
    // The value of the text rounds beyond the largest double; reported at the operation that
    // produced it: '1e308*10', 'exp(1000)', 'sqrt(1e700)'.
    ResultTooLarge = 29,
    // A value the evaluator cannot decide within its limits of precision and magnitude, at the
    // operation where it could not: 'sin(10^5000)', 'exp(10^6)+1-exp(10^6)', '10^10^10/10'.
    CannotCompute = 30,
    // 'x!' of a negative whole number: '(-3)!'.
    FactorialOfNegativeInteger = 31,
    // gamma of zero or a negative whole number: 'gamma(0)', 'gamma(-2)'.
    GammaOfNonPositiveInteger = 32,
    // acosh of a value below 1: 'acosh(0.5)'.
    InverseHyperbolicCosineBelowOne = 33,
    // atanh of a value outside (-1, 1), the ends included: 'atanh(1)', 'atanh(-2)'.
    InverseHyperbolicTangentOutOfRange = 34,
    // A whole number expected: 'gcd(2.5, 5)', 'root(8, 1.5)', 'ncr(5, 0.5)'.
    NotWholeNumber = 35,
    // ncr or npr with k outside 0 to n: 'ncr(5, 7)', 'npr(5, -1)'.
    ChoiceOutOfRange = 36,
    // logbase with a base that is not positive, or is 1: 'logbase(8, 1)', 'logbase(8, -2)'.
    InvalidLogarithmBase = 37,
    // atan2 of the point 0, 0: 'atan2(0, 0)'.
    AngleOfOrigin = 38,
    // root with n = 0: 'root(8, 0)'.
    RootOfOrderZero = 39,

    // The text is empty or only blanks.
    NothingToCompute = 41,
    // Evaluate before a successful Compile of the current text.
    NotCompiled = 42,
    // Item() with an index that names no slot.
    NoSuchExpression = 43,
    // An angle unit other than 0, 1 or 2.
    InvalidAngleUnit = 44,
    // A text longer than maxTextLength 16-bit units.
    TextTooLong = 45,
};

// Where an error points: 0 at a place in the text (Position is meaningful), 1 at the whole
// text or the call itself (Position is 0).
enum class ErrorKind : std::int32_t { AtPlace = 0, WholeText = 1 };

struct ErrorEntry {
    ErrorCode code;
    ErrorKind kind;
    // Reads well with " at pos. N" appended, so it never carries a position itself.
    std::u16string_view description;
};

// The description LastError shows for code found at start in text: the table's, and for an
// unexpected character the character itself, in quotes where it is visible ('Unexpected
// character "€"') and as its code where it is not ('Unexpected character U+200E'). Written
// into out, whose storage is reused.
void describe(std::u16string& out, ErrorCode code, std::u16string_view text, std::size_t start);

// Every error code except None, in code order.
std::span<const ErrorEntry> errorTable();

// The table's row for code; None has no row and must not be passed.
const ErrorEntry& errorEntry(ErrorCode code);

// The longest text Compile accepts, in 16-bit units. Far above what the window's box holds,
// and low enough that every position fits comfortably in 32 bits.
inline constexpr std::size_t maxTextLength = std::size_t{1} << 20;

} // namespace vexa
