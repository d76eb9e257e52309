// Which error the evaluator reports, where, and of which kind.
#include "support.h"

#include "evaluator/errors.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <span>

namespace {

using vexa::Degrees;
using vexa::ErrorCode;
using vexa::Grads;
using vexa::Radians;
using vexa_test::Calculator;
using vexa_test::number;
using vexa_test::printable;

struct Failing {
    std::u16string_view text;
    std::int32_t unit;
    ErrorCode code;
    std::int32_t position; // 0 for errors of the whole text
};

constexpr Failing syntaxErrors[] = {
    {u"2 # 3", Radians, ErrorCode::UnexpectedCharacter, 3},
    {u"\u0661", Radians, ErrorCode::UnexpectedCharacter, 1},   // a non-ASCII digit
    {u"1+\xD800", Radians, ErrorCode::UnexpectedCharacter, 3}, // an unpaired surrogate
    {u"1+\U0001F600", Radians, ErrorCode::UnexpectedCharacter, 3},
    {u"1\v2", Radians, ErrorCode::UnexpectedCharacter, 2},
    {u"_x", Radians, ErrorCode::UnexpectedCharacter, 1},
    {u"3\u207B", Radians, ErrorCode::UnexpectedCharacter, 2}, // a superscript sign alone
    {u"2\u00B2\u207A", Radians, ErrorCode::UnexpectedCharacter, 3},
    {u"sin$", Radians, ErrorCode::UnexpectedCharacter, 4},
    {u"1+2$", Radians, ErrorCode::UnexpectedCharacter, 4},

    {u".", Radians, ErrorCode::MisplacedDecimalPoint, 1},
    {u"1+.", Radians, ErrorCode::MisplacedDecimalPoint, 3},
    {u"1.2.3", Radians, ErrorCode::MisplacedDecimalPoint, 4},
    {u"1..2", Radians, ErrorCode::MisplacedDecimalPoint, 3},
    {u"1e5.5", Radians, ErrorCode::MisplacedDecimalPoint, 4},
    {u". 5", Radians, ErrorCode::MisplacedDecimalPoint, 1},

    // A literal too large to show is an error only where it is the text's whole value.
    {u"1e400", Radians, ErrorCode::NumberTooLarge, 1},
    {u"-1e400", Radians, ErrorCode::NumberTooLarge, 2},
    {u"(1e400)", Radians, ErrorCode::NumberTooLarge, 2},
    {u"-(-(1e400))", Radians, ErrorCode::NumberTooLarge, 5},
    {u"1.7976931348623159e308", Radians, ErrorCode::NumberTooLarge, 1},
    {u"0.001e312", Radians, ErrorCode::NumberTooLarge, 1},
    // Beyond the limits of magnitude anywhere, in reading order.
    {u"1e99999999999999999999", Radians, ErrorCode::NumberTooLarge, 1},
    {u"1+1e300000001", Radians, ErrorCode::NumberTooLarge, 3},
    {u"1e999999999$", Radians, ErrorCode::NumberTooLarge, 1},
    {u"1e400$", Radians, ErrorCode::UnexpectedCharacter, 6},
    {u"(1e400", Radians, ErrorCode::MissingClosingParenthesis, 7},

    {u"x+1", Radians, ErrorCode::UnknownName, 1},
    {u"2x", Radians, ErrorCode::UnknownName, 2}, // a product with an unknown name
    {u"1e5e5", Radians, ErrorCode::UnknownName, 4},
    {u"fact(3)", Radians, ErrorCode::UnknownName, 1},
    {u"1+foo(2)", Radians, ErrorCode::UnknownName, 3},
    {u"sech(1)", Radians, ErrorCode::UnknownName, 1},
    {u"e3", Radians, ErrorCode::UnknownName, 1},
    {u"pie", Radians, ErrorCode::UnknownName, 1},
    {u"foo$", Radians, ErrorCode::UnknownName, 1},

    {u"*2", Radians, ErrorCode::MissingOperand, 1},
    {u"1+*2", Radians, ErrorCode::MissingOperand, 3},
    {u"()", Radians, ErrorCode::MissingOperand, 2},
    {u")", Radians, ErrorCode::MissingOperand, 1},
    {u"pow(,2)", Radians, ErrorCode::MissingOperand, 5},
    {u"pow(2,)", Radians, ErrorCode::MissingOperand, 7},
    {u"2^*3", Radians, ErrorCode::MissingOperand, 3},
    {u"1+,2", Radians, ErrorCode::MissingOperand, 3},
    {u"\u00B2", Radians, ErrorCode::MissingOperand, 1}, // a superscript needs an operand
    {u"1+\u00B3", Radians, ErrorCode::MissingOperand, 3},
    {u"\u221A)", Radians, ErrorCode::MissingOperand, 2},
    {u"\u00D72", Radians, ErrorCode::MissingOperand, 1},

    {u"1+", Radians, ErrorCode::UnexpectedEnd, 3},
    {u"1+   ", Radians, ErrorCode::UnexpectedEnd, 6},
    {u"-", Radians, ErrorCode::UnexpectedEnd, 2},
    {u"(", Radians, ErrorCode::UnexpectedEnd, 2},
    {u"sin(", Radians, ErrorCode::UnexpectedEnd, 5},
    {u"pow(2,", Radians, ErrorCode::UnexpectedEnd, 7},
    {u"2^", Radians, ErrorCode::UnexpectedEnd, 3},
    {u"1/0+", Radians, ErrorCode::UnexpectedEnd, 5},
    {u"\u221A", Radians, ErrorCode::UnexpectedEnd, 2},
    {u"2\u2212\u221A", Radians, ErrorCode::UnexpectedEnd, 4},

    // Only a number, a constant or ')' before a constant, a name, '(' or '√' multiplies.
    {u"2 3", Radians, ErrorCode::MissingOperator, 3},
    {u"(1)2", Radians, ErrorCode::MissingOperator, 4},
    {u"pi 2", Radians, ErrorCode::MissingOperator, 4},
    {u"3!pi", Radians, ErrorCode::MissingOperator, 3},
    {u"2\u00B2pi", Radians, ErrorCode::MissingOperator, 3},
    {u"sin(1)2", Radians, ErrorCode::MissingOperator, 7},
    {u"1 .5", Radians, ErrorCode::MissingOperator, 3},
    {u"2 1e400", Radians, ErrorCode::MissingOperator, 3},
    {u"pow(1 2)", Radians, ErrorCode::MissingOperator, 7},
    {u"\u03C02", Radians, ErrorCode::MissingOperator, 2},
    {u"1 000", Radians, ErrorCode::MissingOperator, 3}, // an ASCII blank never groups digits
    {u"1\u2009\u20090", Radians, ErrorCode::MissingOperator, 4},
    {u"1\u2009.5", Radians, ErrorCode::MissingOperator, 3},
    {u"\uFF11\uFF12 \uFF13", Radians, ErrorCode::MissingOperator, 4},

    {u"(1+2", Radians, ErrorCode::MissingClosingParenthesis, 5},
    {u"sin(1", Radians, ErrorCode::MissingClosingParenthesis, 6},
    {u"((1)", Radians, ErrorCode::MissingClosingParenthesis, 5},
    {u"pow(1,2", Radians, ErrorCode::MissingClosingParenthesis, 8},
    {u"(1   ", Radians, ErrorCode::MissingClosingParenthesis, 6},

    {u"1+2)", Radians, ErrorCode::UnmatchedClosingParenthesis, 4},
    {u"(1))", Radians, ErrorCode::UnmatchedClosingParenthesis, 4},

    {u"1,2", Radians, ErrorCode::MisplacedComma, 2},
    {u"(1,2)", Radians, ErrorCode::MisplacedComma, 3},
    {u"sin((1,2))", Radians, ErrorCode::MisplacedComma, 7},

    {u"sin 1", Radians, ErrorCode::MissingOpeningParenthesis, 5},
    {u"sqrt", Radians, ErrorCode::MissingOpeningParenthesis, 5},
    {u"SIN  ", Radians, ErrorCode::MissingOpeningParenthesis, 6},
    {u"sin+1", Radians, ErrorCode::MissingOpeningParenthesis, 4},
    {u"2*cos", Radians, ErrorCode::MissingOpeningParenthesis, 6},

    {u"3!!", Radians, ErrorCode::FactorialOfFactorial, 3},
    {u"2+3! !", Radians, ErrorCode::FactorialOfFactorial, 6},
    {u"!", Radians, ErrorCode::MissingOperand, 1},

    // Beside the operand of '/' or '^' a product reads two ways: at that operand's neighbour.
    {u"1/2pi", Radians, ErrorCode::AmbiguousImpliedProduct, 4},
    {u"2^3pi", Radians, ErrorCode::AmbiguousImpliedProduct, 4},
    {u"6/2(1+2)", Radians, ErrorCode::AmbiguousImpliedProduct, 4},
    {u"1/2 pi", Radians, ErrorCode::AmbiguousImpliedProduct, 5},
    {u"2^(3)(4)", Radians, ErrorCode::AmbiguousImpliedProduct, 6},
    {u"-2^2pi", Radians, ErrorCode::AmbiguousImpliedProduct, 5},
    {u"1/sin(1)cos(1)", Radians, ErrorCode::AmbiguousImpliedProduct, 9},
    {u"2^3!pi", Radians, ErrorCode::MissingOperator, 5},

    {u"2e", Radians, ErrorCode::NumberBeforeE, 2},
    {u"2e+", Radians, ErrorCode::NumberBeforeE, 2},
    {u"3 E", Radians, ErrorCode::NumberBeforeE, 3},

    {u"sin()", Radians, ErrorCode::TooFewArguments, 1},
    {u"pow(2)", Radians, ErrorCode::TooFewArguments, 1},
    {u"1+pow( )", Radians, ErrorCode::TooFewArguments, 3},
    {u"sin()$", Radians, ErrorCode::TooFewArguments, 1},

    {u"sqrt(1,2)", Radians, ErrorCode::TooManyArguments, 1},
    {u"sin(1,2,3)", Radians, ErrorCode::TooManyArguments, 1},
    {u"2*pow(1,2,3)", Radians, ErrorCode::TooManyArguments, 3},

    // The first error in reading order wins over anything later in the text.
    {u"1/0+sqrt(", Radians, ErrorCode::UnexpectedEnd, 10},
    {u"sqrt(-1)+x", Radians, ErrorCode::UnknownName, 10},
};

constexpr Failing evaluationErrors[] = {
    {u"1/0", Radians, ErrorCode::DivisionByZero, 2},
    {u"1/(2-2)", Radians, ErrorCode::DivisionByZero, 2},
    {u"0/0", Radians, ErrorCode::DivisionByZero, 2},
    {u"1/-0", Radians, ErrorCode::DivisionByZero, 2},
    {u"2*3/0", Radians, ErrorCode::DivisionByZero, 4},
    {u"1/0+sqrt(-1)", Radians, ErrorCode::DivisionByZero, 2},
    {u"1/(0.1*3-0.3)", Radians, ErrorCode::DivisionByZero, 2},
    {u"1/(sqrt(2)^2-2)", Radians, ErrorCode::DivisionByZero, 2},
    {u"1/(sin(30)-0.5)", Degrees, ErrorCode::DivisionByZero, 2},
    // Below the smallest magnitude a value may have, a value is the ball around 0 that holds
    // it, which a decision takes as 0.
    {u"1/exp(-10^9)", Radians, ErrorCode::DivisionByZero, 2},

    {u"sqrt(-1)", Radians, ErrorCode::SquareRootOfNegative, 1},
    {u"1+sqrt(-1e-300)", Radians, ErrorCode::SquareRootOfNegative, 3},
    {u"sqrt(-1)+1/0", Radians, ErrorCode::SquareRootOfNegative, 1},
    {u"\u221A(-4)", Radians, ErrorCode::SquareRootOfNegative, 1},
    {u"1+\u221A-4", Radians, ErrorCode::SquareRootOfNegative, 3},
    {u"\u221A\u221A-1", Radians, ErrorCode::SquareRootOfNegative, 2},

    {u"ln(0)", Radians, ErrorCode::LogarithmOfNonPositive, 1},
    {u"log(-1)", Radians, ErrorCode::LogarithmOfNonPositive, 1},
    {u"log10(-1)", Radians, ErrorCode::LogarithmOfNonPositive, 1},
    {u"log10(0)", Radians, ErrorCode::LogarithmOfNonPositive, 1},
    {u"ln(-0)", Radians, ErrorCode::LogarithmOfNonPositive, 1},
    {u"ln(1.1*1.1-1.21)", Radians, ErrorCode::LogarithmOfNonPositive, 1},
    {u"2*log(sqrt(2)^2-2)", Radians, ErrorCode::LogarithmOfNonPositive, 3},

    {u"asin(2)", Radians, ErrorCode::InverseTrigOutOfRange, 1},
    {u"acos(-1.0000001)", Radians, ErrorCode::InverseTrigOutOfRange, 1},
    {u"asin(1+1e-300)", Radians, ErrorCode::InverseTrigOutOfRange, 1},
    {u"2+asin(1.5)", Degrees, ErrorCode::InverseTrigOutOfRange, 3},

    {u"tan(90)", Degrees, ErrorCode::TangentUndefined, 1},
    {u"tan(-270)", Degrees, ErrorCode::TangentUndefined, 1},
    {u"1+tan(450)", Degrees, ErrorCode::TangentUndefined, 3},
    {u"tan(100)", Grads, ErrorCode::TangentUndefined, 1},

    {u"cot(0)", Degrees, ErrorCode::CotangentUndefined, 1},
    {u"cot(180)", Degrees, ErrorCode::CotangentUndefined, 1},
    {u"cot(-360)", Degrees, ErrorCode::CotangentUndefined, 1},
    {u"cot(0)", Radians, ErrorCode::CotangentUndefined, 1},
    {u"cot(200)", Grads, ErrorCode::CotangentUndefined, 1},
    {u"tan(pi/2)", Radians, ErrorCode::TangentUndefined, 1},
    {u"2+tan(-3*pi/2)", Radians, ErrorCode::TangentUndefined, 3},
    {u"tan(2*atan(1))", Radians, ErrorCode::TangentUndefined, 1},
    {u"tan(asin(1))", Degrees, ErrorCode::TangentUndefined, 1},
    {u"cot(pi)", Radians, ErrorCode::CotangentUndefined, 1},
    {u"cot(-\u03C0)", Radians, ErrorCode::CotangentUndefined, 1},
    {u"1/sin(pi)", Radians, ErrorCode::DivisionByZero, 2},
    {u"mod(7, 0)", Radians, ErrorCode::DivisionByZero, 1},
    {u"mod(7, sqrt(2)^2-2)", Radians, ErrorCode::DivisionByZero, 1},
    {u"1/cos(pi/2)", Radians, ErrorCode::DivisionByZero, 2},

    // Only an odd denominator of the exponent as the text gives it yields a real root.
    {u"(-8)^0.5", Radians, ErrorCode::NegativeBaseFractionalExponent, 5},
    {u"pow(-2, 0.5)", Radians, ErrorCode::NegativeBaseFractionalExponent, 1},
    {u"(-1)^0.5", Radians, ErrorCode::NegativeBaseFractionalExponent, 5},
    {u"(-8)^(1/4)", Radians, ErrorCode::NegativeBaseFractionalExponent, 5},
    {u"(-2)^(1/100)", Radians, ErrorCode::NegativeBaseFractionalExponent, 5},
    {u"(-8)^0.333333333333333", Radians, ErrorCode::NegativeBaseFractionalExponent, 5},
    {u"(-8)^(asin(0.5)/pi*2)", Radians, ErrorCode::NegativeBaseFractionalExponent, 5},
    {u"1+pow(-2, 3.0000000000000004)", Radians, ErrorCode::NegativeBaseFractionalExponent, 3},

    {u"0^-1", Radians, ErrorCode::ZeroToNegativePower, 2},
    {u"pow(0,-2)", Radians, ErrorCode::ZeroToNegativePower, 1},
    {u"(-0)^-1", Radians, ErrorCode::ZeroToNegativePower, 5},
    {u"0\u207B\u00B9", Radians, ErrorCode::ZeroToNegativePower, 2},
    {u"(sqrt(2)^2-2)^-1", Radians, ErrorCode::ZeroToNegativePower, 14},

    {u"1e308*10", Radians, ErrorCode::ResultTooLarge, 6},
    {u"1+1e400", Radians, ErrorCode::ResultTooLarge, 2},
    {u"2+1e309", Radians, ErrorCode::ResultTooLarge, 2},
    {u"1/1e-400", Radians, ErrorCode::ResultTooLarge, 2},
    {u"sqrt(1e700)", Radians, ErrorCode::ResultTooLarge, 1},
    {u"-(1+1e400)", Radians, ErrorCode::ResultTooLarge, 4},
    {u"2^1024-2^970", Radians, ErrorCode::ResultTooLarge, 7}, // half an ulp above the largest
    {u"exp(10^9)", Radians, ErrorCode::ResultTooLarge, 1},    // beyond the limits, as the result
    {u"-exp(10^9)", Radians, ErrorCode::ResultTooLarge, 2},
    {u"1e308+1e308", Radians, ErrorCode::ResultTooLarge, 6},
    {u"-1e308-1e308", Radians, ErrorCode::ResultTooLarge, 7},
    {u"1e308/0.1", Radians, ErrorCode::ResultTooLarge, 6},
    {u"2^1024", Radians, ErrorCode::ResultTooLarge, 2},
    {u"(-2)^1025", Radians, ErrorCode::ResultTooLarge, 5},
    {u"exp(1000)", Radians, ErrorCode::ResultTooLarge, 1},
    {u"pow10(400)", Radians, ErrorCode::ResultTooLarge, 1},
    {u"pow(10,400)", Radians, ErrorCode::ResultTooLarge, 1},
    {u"square(1e200)", Radians, ErrorCode::ResultTooLarge, 1},
    {u"cot(1e-320)", Radians, ErrorCode::ResultTooLarge, 1},
    {u"2\u00D71e308", Radians, ErrorCode::ResultTooLarge, 2},
    {u"10\u00B3\u2070\u2079", Radians, ErrorCode::ResultTooLarge, 3},
    {u"cot(-1e-310)", Degrees, ErrorCode::ResultTooLarge, 1},

    {u"sin(10^10^10)", Radians, ErrorCode::CannotCompute, 7}, // 10^(10^10): beyond the limits
    {u"floor(10^5000/3)", Radians, ErrorCode::CannotCompute, 1},
    {u"exp(10^6)+1-exp(10^6)", Radians, ErrorCode::CannotCompute, 12},
    {u"sin(10^5000)", Radians, ErrorCode::CannotCompute, 1},
    {u"exp(10^9)/exp(10^9)", Radians, ErrorCode::CannotCompute, 1},
    {u"1+1e-99999999999", Radians, ErrorCode::CannotCompute, 3},
    {u"sqrt(sin(10^5000))", Radians, ErrorCode::CannotCompute, 6},
    {u"1e400!", Radians, ErrorCode::ResultTooLarge, 6},
    {u"1e5!", Radians, ErrorCode::ResultTooLarge, 4},
    {u"gamma(1e300)", Radians, ErrorCode::ResultTooLarge, 1},
    {u"171!", Radians, ErrorCode::ResultTooLarge, 4},
    {u"ncr(1e9, 5e8)", Radians, ErrorCode::ResultTooLarge, 1},
    {u"ncr(2^999+2^945, 2^944)", Radians, ErrorCode::ResultTooLarge, 1},
    {u"npr(2^999+2^945, 2^944+1)", Radians, ErrorCode::ResultTooLarge, 1},
    {u"cosh(1e6)", Radians, ErrorCode::ResultTooLarge, 1},

    {u"(-3)!", Radians, ErrorCode::FactorialOfNegativeInteger, 5},
    {u"2*(1-sqrt(2)^2)!", Radians, ErrorCode::FactorialOfNegativeInteger, 16},
    {u"gamma(0)", Radians, ErrorCode::GammaOfNonPositiveInteger, 1},
    {u"gamma(-2)", Radians, ErrorCode::GammaOfNonPositiveInteger, 1},
    {u"gamma(1-sqrt(2)^2/2)", Radians, ErrorCode::GammaOfNonPositiveInteger, 1},
    {u"acosh(0.5)", Radians, ErrorCode::InverseHyperbolicCosineBelowOne, 1},
    {u"acosh(1-1e-300)", Radians, ErrorCode::InverseHyperbolicCosineBelowOne, 1},
    {u"atanh(1)", Radians, ErrorCode::InverseHyperbolicTangentOutOfRange, 1},
    {u"atanh(-2)", Radians, ErrorCode::InverseHyperbolicTangentOutOfRange, 1},
    {u"atanh(sqrt(2)^2/2)", Radians, ErrorCode::InverseHyperbolicTangentOutOfRange, 1},
    {u"gcd(2.5, 5)", Radians, ErrorCode::NotWholeNumber, 1},
    {u"lcm(4, pi)", Radians, ErrorCode::NotWholeNumber, 1},
    {u"root(8, 1.5)", Radians, ErrorCode::NotWholeNumber, 1},
    {u"ncr(5, 0.5)", Radians, ErrorCode::NotWholeNumber, 1},
    {u"npr(sqrt(2), 1)", Radians, ErrorCode::NotWholeNumber, 1},
    {u"ncr(5, 7)", Radians, ErrorCode::ChoiceOutOfRange, 1},
    {u"npr(5, -1)", Radians, ErrorCode::ChoiceOutOfRange, 1},
    {u"ncr(-5, 2)", Radians, ErrorCode::ChoiceOutOfRange, 1},
    {u"logbase(8, 1)", Radians, ErrorCode::InvalidLogarithmBase, 1},
    {u"logbase(8, -2)", Radians, ErrorCode::InvalidLogarithmBase, 1},
    {u"logbase(8, sqrt(2)^2-1)", Radians, ErrorCode::InvalidLogarithmBase, 1},
    {u"logbase(-8, 2)", Radians, ErrorCode::LogarithmOfNonPositive, 1},
    {u"log2(0)", Radians, ErrorCode::LogarithmOfNonPositive, 1},
    {u"atan2(0, 0)", Degrees, ErrorCode::AngleOfOrigin, 1},
    {u"atan2(sin(pi), 0)", Radians, ErrorCode::AngleOfOrigin, 1},
    {u"root(8, 0)", Radians, ErrorCode::RootOfOrderZero, 1},
    {u"root(-16, 4)", Radians, ErrorCode::NegativeBaseFractionalExponent, 1},
    {u"sqrt(cbrt(-1))", Radians, ErrorCode::SquareRootOfNegative, 1},
};

// An unexpected character is named: in quotes where it can be seen, by its code where not.
struct Named {
    std::u16string_view text;
    std::u16string_view description;
};

constexpr Named namedCharacters[] = {
    {u"2 # 3", u"Unexpected character \"#\""},
    {u"5\u20AC", u"Unexpected character \"\u20AC\""},
    {u"\uFF03", u"Unexpected character \"\uFF03\""}, // full-width, read as '#'
    {u"1+\U0001F600", u"Unexpected character \"\U0001F600\""},
    {u"1\u200E+2", u"Unexpected character U+200E"}, // a direction mark
    {u"1+\xD800", u"Unexpected character U+D800"},
    {u"1+\xDC00\xD800", u"Unexpected character U+DC00"},
    {u"\x01", u"Unexpected character U+0001"},
    {u"1\u0301", u"Unexpected character U+0301"}, // a combining accent
    {u"\U000E0041", u"Unexpected character U+E0041"},
    {u"\U0010FFFD", u"Unexpected character U+10FFFD"},
    {u"\uFFFF", u"Unexpected character U+FFFF"},
};

constexpr Failing wholeTextErrors[] = {
    {u"", Radians, ErrorCode::NothingToCompute, 0},
    {u"   ", Radians, ErrorCode::NothingToCompute, 0},
    {u" \t ", Degrees, ErrorCode::NothingToCompute, 0},
};

void expectFailures(std::span<const Failing> rows) {
    Calculator calculator;
    for (const Failing& row : rows) {
        SCOPED_TRACE(printable(row.text) + " unit " + std::to_string(row.unit));
        const auto computed = calculator.compute(row.text, row.unit);
        ASSERT_FALSE(computed.ok) << computed.value;
        EXPECT_EQ(computed.error.Number, number(row.code))
            << printable(computed.error.Description) << " at " << computed.error.Position;
        EXPECT_EQ(computed.error.Position, row.position);
        EXPECT_EQ(computed.error.Kind, row.position == 0 ? 1 : 0);
        // Errors of computing come from Evaluate, however much the compiler worked out.
        const bool computing = number(row.code) >= 21 && number(row.code) < 41;
        EXPECT_EQ(computed.compiled, computing);
    }
}

TEST(Errors, Syntax) {
    expectFailures(syntaxErrors);
}
TEST(Errors, Evaluation) {
    expectFailures(evaluationErrors);
}
TEST(Errors, WholeText) {
    expectFailures(wholeTextErrors);
}

TEST(Errors, UnexpectedCharacterIsNamed) {
    Calculator calculator;
    for (const Named& row : namedCharacters) {
        SCOPED_TRACE(printable(row.text));
        const auto computed = calculator.compute(row.text);
        ASSERT_EQ(computed.error.Number, number(ErrorCode::UnexpectedCharacter));
        EXPECT_EQ(computed.error.Description, row.description)
            << printable(computed.error.Description);
    }
}

// Codes that need more than one text to provoke; each has its own test below or in
// tst_limits.cpp.
constexpr ErrorCode testedElsewhere[] = {ErrorCode::NestedTooDeeply, ErrorCode::NotCompiled,
                                         ErrorCode::NoSuchExpression, ErrorCode::InvalidAngleUnit,
                                         ErrorCode::TextTooLong};

TEST(Errors, EveryCodeIsProvoked) {
    std::set<ErrorCode> seen(std::begin(testedElsewhere), std::end(testedElsewhere));
    for (const auto rows :
         {std::span<const Failing>(syntaxErrors), std::span<const Failing>(evaluationErrors),
          std::span<const Failing>(wholeTextErrors)}) {
        for (const Failing& row : rows) {
            seen.insert(row.code);
        }
    }
    for (const vexa::ErrorEntry& entry : vexa::errorTable()) {
        EXPECT_TRUE(seen.contains(entry.code)) << number(entry.code);
    }
}

TEST(Errors, TableIsWellFormed) {
    std::set<std::int32_t> numbers;
    std::set<std::u16string_view> descriptions;
    for (const vexa::ErrorEntry& entry : vexa::errorTable()) {
        SCOPED_TRACE(printable(entry.description));
        EXPECT_NE(number(entry.code), 0);
        EXPECT_TRUE(numbers.insert(number(entry.code)).second) << "number used twice";
        EXPECT_TRUE(descriptions.insert(entry.description).second) << "description used twice";
        ASSERT_FALSE(entry.description.empty());
        EXPECT_TRUE(entry.description.front() >= u'A' && entry.description.front() <= u'Z');
        // The window appends " at pos. N" itself.
        EXPECT_NE(entry.description.back(), u'.');
        EXPECT_EQ(entry.description.find(u"pos"), std::u16string_view::npos);
        EXPECT_EQ(&vexa::errorEntry(entry.code), &entry);
    }
}

TEST(Errors, SuccessClearsTheLastError) {
    Calculator calculator;
    ASSERT_FALSE(calculator.compute(u"1+").ok);
    ASSERT_TRUE(calculator.compute(u"1+1").ok);
    const vexa::ErrorInfo& error = calculator.vexa().LastError();
    EXPECT_EQ(error.Number, 0);
    EXPECT_TRUE(error.Description.empty());
    EXPECT_EQ(error.Position, 0);
    EXPECT_EQ(error.Kind, 0);
}

TEST(Errors, EvaluateNeedsASuccessfulCompileOfTheCurrentText) {
    Calculator calculator;
    auto& slot = calculator.slot();
    const auto expectNotCompiled = [&] {
        EXPECT_THROW(slot.Evaluate(), vexa::Failure);
        EXPECT_EQ(calculator.vexa().LastError().Number, number(ErrorCode::NotCompiled));
        EXPECT_EQ(calculator.vexa().LastError().Kind, 1);
        EXPECT_EQ(calculator.vexa().LastError().Position, 0);
    };
    expectNotCompiled(); // never compiled
    slot.setText(u"1+");
    EXPECT_THROW(slot.Compile(), vexa::Failure);
    expectNotCompiled(); // compile failed
    slot.setText(u"2");
    slot.Compile();
    slot.setText(u"3");
    expectNotCompiled(); // compiled an earlier text
    slot.Compile();
    EXPECT_EQ(slot.Evaluate(), 3.0);
}

TEST(Errors, FailedEvaluationLeavesTheProgramUsable) {
    Calculator calculator;
    auto& slot = calculator.slot();
    slot.setText(u"tan(90)");
    slot.Compile();
    calculator.vexa().setAngleUnit(Degrees);
    EXPECT_THROW(slot.Evaluate(), vexa::Failure);
    EXPECT_EQ(calculator.vexa().LastError().Number, number(ErrorCode::TangentUndefined));
    calculator.vexa().setAngleUnit(Radians);
    EXPECT_NO_THROW(slot.Evaluate());
    EXPECT_EQ(calculator.vexa().LastError().Number, 0);
}

TEST(Errors, ItemOutOfRange) {
    auto vexa = vexa::makeVexa();
    for (const std::int16_t index : {std::int16_t{0}, std::int16_t{-1}}) {
        EXPECT_THROW(vexa->Expressions().Item(index), vexa::Failure);
        EXPECT_EQ(vexa->LastError().Number, number(ErrorCode::NoSuchExpression));
        EXPECT_EQ(vexa->LastError().Kind, 1);
    }
    vexa->Expressions().Add(u"Ex1", u"", u"");
    EXPECT_NO_THROW(vexa->Expressions().Item(0));
    EXPECT_EQ(vexa->LastError().Number, 0);
    EXPECT_THROW(vexa->Expressions().Item(1), vexa::Failure);
}

TEST(Errors, InvalidAngleUnitKeepsTheOldOne) {
    auto vexa = vexa::makeVexa();
    EXPECT_EQ(vexa->AngleUnit(), Radians);
    vexa->setAngleUnit(Grads);
    for (const std::int32_t unit : {3, -1, 1 << 30}) {
        try {
            vexa->setAngleUnit(unit);
            ADD_FAILURE() << unit << " accepted";
        } catch (const vexa::Failure& failure) {
            EXPECT_EQ(failure.Number(), number(ErrorCode::InvalidAngleUnit));
        }
        EXPECT_EQ(vexa->LastError().Number, number(ErrorCode::InvalidAngleUnit));
        EXPECT_EQ(vexa->LastError().Kind, 1);
        EXPECT_EQ(vexa->AngleUnit(), Grads);
    }
    vexa->setAngleUnit(Degrees);
    EXPECT_EQ(vexa->AngleUnit(), Degrees);
    EXPECT_EQ(vexa->LastError().Number, 0);
}

} // namespace
