// What the evaluator computes: literals, blanks, precedence, every function in every unit.
#include "support.h"

#include "evaluator/functions.h"
#include "evaluator/number_text.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <numeric>
#include <random>
#include <span>
#include <string_view>

namespace {

using vexa::Degrees;
using vexa::Grads;
using vexa::Radians;
using vexa_test::Calculator;
using vexa_test::printable;

// Expected values are the result texts the window would show.
struct Shown {
    std::u16string_view text;
    std::int32_t unit;
    const char* shown;
};

void expectShown(std::span<const Shown> rows) {
    Calculator calculator;
    for (const Shown& row : rows) {
        SCOPED_TRACE(printable(row.text) + " unit " + std::to_string(row.unit));
        const auto computed = calculator.compute(row.text, row.unit);
        ASSERT_TRUE(computed.ok) << printable(computed.error.Description) << " at "
                                 << computed.error.Position;
        EXPECT_EQ(vexa::formatResult(computed.value), row.shown);
    }
}

constexpr Shown literalsAndBlanks[] = {
    {u"5", Radians, " 5"},
    {u"5.", Radians, " 5"},
    {u".5", Radians, " 0.5"},
    {u"3.25", Radians, " 3.25"},
    {u"007", Radians, " 7"},
    {u"1e5", Radians, " 100000"},
    {u"2.5E-3", Radians, " 0.0025"},
    {u"1e+21", Radians, " 1e+21"},
    {u"1e-05", Radians, " 1e-05"},
    {u"5.e1", Radians, " 50"},
    {u".5e1", Radians, " 5"},
    {u" 5", Radians, " 5"},
    {u"1 + 2", Radians, " 3"},
    {u"\t2\t*\t3\t", Radians, " 6"},
    {u"pow (2,3)", Radians, " 8"},
    {u" pow ( 2 , 3 ) ", Radians, " 8"},
    {u"0.1+0.2", Radians, " 0.3"},
    {u"1/3", Radians, " 0.333333333333333"},
    {u"-1.7976931348623157e+308", Radians, "-1.7976931348623157e+308"},
    {u" 1.7976931348623157e+308", Radians, " 1.7976931348623157e+308"},
};

constexpr Shown precedence[] = {
    {u"1+2*3", Radians, " 7"},
    {u"(1+2)*3", Radians, " 9"},
    {u"10-2*3+4/2", Radians, " 6"},
    {u"1-2-3", Radians, "-4"},
    {u"8/4/2", Radians, " 1"},
    {u"2^3^2", Radians, " 512"},
    {u"-2^2", Radians, "-4"},
    {u"(-2)^2", Radians, " 4"},
    {u"2^-1", Radians, " 0.5"},
    {u"2^--1", Radians, " 2"},
    {u"2^-3^2", Radians, " 0.001953125"},
    {u"-2^-2", Radians, "-0.25"},
    {u"2*-3", Radians, "-6"},
    {u"1--2", Radians, " 3"},
    {u"--2", Radians, " 2"},
    {u"-+-2", Radians, " 2"},
    {u"+2", Radians, " 2"},
    {u"1+-+-1", Radians, " 2"},
    {u"2^3*2", Radians, " 16"},
    {u"2*3^2", Radians, " 18"},
    {u"2^(1+1)", Radians, " 4"},
    {u"-(2+3)*2", Radians, "-10"},
    {u"2/-4", Radians, "-0.5"},
    {u"6/2*3", Radians, " 9"},
};

constexpr Shown namesAndFunctions[] = {
    {u"pi", Radians, " 3.14159265358979"},
    {u"e", Radians, " 2.71828182845905"},
    {u"PI*E", Radians, " 8.53973422267357"},
    {u"e^2", Radians, " 7.38905609893065"},
    {u"sin(0)", Radians, " 0"},
    {u"SIN(1)", Radians, " 0.841470984807897"},
    {u"sin(pi/4)", Radians, " 0.707106781186548"},
    {u"Cos(pi)", Radians, "-1"},
    {u"tan(pi/4)", Radians, " 1"},
    {u"cot(1)", Radians, " 0.642092615934331"},
    {u"cot(pi/2)", Radians, " 0"},
    {u"asin(1)", Radians, " 1.5707963267949"},
    {u"acos(-1)", Radians, " 3.14159265358979"},
    {u"atan(1)", Radians, " 0.785398163397448"},
    {u"log(e)", Radians, " 1"},
    {u"ln(10)", Radians, " 2.30258509299405"},
    {u"LOG10(1000)", Radians, " 3"},
    {u"log10(2)", Radians, " 0.301029995663981"},
    {u"exp(1)", Radians, " 2.71828182845905"},
    {u"exp(-1000)", Radians, " 0"},
    {u"pow10(3)", Radians, " 1000"},
    {u"pow10(-5)", Radians, " 1e-05"},
    {u"sqrt(2)", Radians, " 1.4142135623731"},
    {u"sqrt(-0)", Radians, " 0"},
    {u"square(-3)", Radians, " 9"},
    {u"abs(-2.5)", Radians, " 2.5"},
    {u"pow(2,10)", Radians, " 1024"},
    {u"pow(-2,3)", Radians, "-8"},
    {u"pow(2,0.5)", Radians, " 1.4142135623731"},
    {u"0^0", Radians, " 1"},
    {u"pow(0,0)", Radians, " 1"},
    {u"(-8)^(1/1)", Radians, "-8"},
    // A negative base takes the real root where the exponent stands for p/q with q odd.
    {u"(-8)^(1/3)", Radians, "-2"},
    {u"pow(-27, 1/3)", Radians, "-3"},
    {u"(-32)^0.2", Radians, "-2"},
    {u"(-8)^(2/3)", Radians, " 4"},
    {u"(-8)^(5/3)", Radians, "-32"},
    {u"(-27)^(-1/3)", Radians, "-0.333333333333333"},
    {u"(-2)^(1/99)", Radians, "-1.0070260543835"},
    {u"(-1)^(3000000001/3)", Radians, "-1"}, // a numerator beyond 32 bits
    {u"sqrt(square(3)+square(4))", Radians, " 5"},
    {u"1e-300*1e-300", Radians, " 0"},
};

// What people paste from web pages, documents and phone keyboards reads as what it shows.
constexpr Shown pasted[] = {
    {u"3 \u00D7 4", Radians, " 12"},
    {u"3\u00B74", Radians, " 12"},
    {u"3\u22C54\u22174", Radians, " 48"},
    {u"12 \u00F7 4", Radians, " 3"},
    {u"12\u22154", Radians, " 3"},
    {u"5 \u2212 2", Radians, " 3"},
    {u"5\u20122\u20131", Radians, " 2"},
    {u"\u22122", Radians, "-2"},
    {u"2\u00D7\u03C0", Radians, " 6.28318530717959"},
    {u"\u221A2", Radians, " 1.4142135623731"},
    {u"\u221A(9)", Radians, " 3"},
    {u"1+\u221A4", Radians, " 3"},
    {u"2*\u221A9", Radians, " 6"},
    {u"\u221A16+1", Radians, " 5"},
    {u"\u221A2^2", Radians, " 2"},
    {u"-\u221A4", Radians, "-2"},
    {u"\u221A\u221A16", Radians, " 2"},
    {u"\u221A-\u22124", Radians, " 2"},
    {u"3\u00B2", Radians, " 9"},
    {u"10\u207B\u00B3", Radians, " 0.001"},
    {u"2\u00B2\u00B3", Radians, " 8388608"},
    {u"(1+2)\u00B2", Radians, " 9"},
    {u"-3\u00B2", Radians, "-9"},
    {u"2^3\u00B2", Radians, " 512"},
    {u"2\u00B2^3", Radians, " 64"},
    {u"2\u207A\u00B9\u2070", Radians, " 1024"},
    {u"sin(1)\u00B2+cos(1)\u00B2", Radians, " 1"},
    {u"1\u2009000\u2009000+1", Radians, " 1000001"},
    {u"1\u00A0000\u202F000.000\u20071", Radians, " 1000000.0001"},
    {u"1+1\n", Radians, " 2"},
    {u"\r\n 1+1\r\n", Radians, " 2"},
    {u"\uFEFF2\u200B*\u20603\u3000\u2028", Radians, " 6"},
    {u"1\u00A0+\u20032", Radians, " 3"},
    {u"\uFF11\uFF12\uFF0B\uFF13", Radians, " 15"},
    {u"\uFF53\uFF49\uFF4E\uFF08\uFF10\uFF09", Radians, " 0"},
    {u"\uFF30\uFF29", Radians, " 3.14159265358979"},
    {u"2.5e\u22123", Radians, " 0.0025"},
    {u"\uFF11.\uFF15", Radians, " 1.5"},
    {u"\uFF11\uFF0E\uFF15\uFF45\uFF0D\uFF11", Radians, " 0.15"},
};

// In radians an angle written as pi times or divided by whole numbers is that exact angle, as
// degrees and grads are; a number typed as digits is the double it denotes.
constexpr Shown exactRadians[] = {
    {u"sin(pi)", Radians, " 0"},
    {u"sin(-pi)", Radians, " 0"},
    {u"cos(pi/2)", Radians, " 0"},
    {u"sin(pi/6)", Radians, " 0.5"},
    {u"tan(pi/4)", Radians, " 1"},
    {u"cos(2*pi/3)", Radians, "-0.5"},
    {u"sin(3*pi/2)", Radians, "-1"},
    {u"cos(pi*5/6)", Radians, "-0.866025403784439"},
    {u"sin((pi/2))", Radians, " 1"},
    {u"sin(\u03C0/6)", Radians, " 0.5"},
    {u"tan(-pi/4)", Radians, "-1"},
    {u"cot(pi/4)", Radians, " 1"},
    {u"sin(pi/4+pi/4)", Radians, " 1"},
    {u"sin(2*pi-pi/6)", Radians, "-0.5"},
    {u"cos(1e9*pi)", Radians, " 1"},
    {u"sin(pi/3)^2", Radians, " 0.75"},
    {u"sin(pi)", Degrees, " 0.0548036651487895"}, // pi degrees
    {u"sin(3.14159265358979)", Radians, " 3.23108914886517e-15"},
    {u"sin(pi*0.5)", Radians, " 1"},
    {u"cos(pi*0.5)", Radians, " 6.12323399573677e-17"}, // 0.5 is no whole number
    {u"sin(pi/4)-sin(pi/4)", Radians, " 0"},
};

// Angles in degrees and grads are reduced exactly before any rounding, so quarter turns and
// the common angles show what a hand calculator shows.
constexpr Shown angles[] = {
    {u"cos(90)", Degrees, " 0"},
    {u"sin(180)", Degrees, " 0"},
    {u"sin(270)", Degrees, "-1"},
    {u"sin(30)", Degrees, " 0.5"},
    {u"sin(150)", Degrees, " 0.5"},
    {u"sin(-30)", Degrees, "-0.5"},
    {u"sin(390)", Degrees, " 0.5"},
    {u"cos(60)", Degrees, " 0.5"},
    {u"cos(300)", Degrees, " 0.5"},
    {u"cos(120)", Degrees, "-0.5"},
    {u"tan(45)", Degrees, " 1"},
    {u"tan(135)", Degrees, "-1"},
    {u"tan(-45)", Degrees, "-1"},
    {u"cot(45)", Degrees, " 1"},
    {u"cot(90)", Degrees, " 0"},
    {u"sin(-180)", Degrees, " 0"},
    {u"cos(-90)", Degrees, " 0"},
    {u"sin(720)", Degrees, " 0"},
    {u"sin(1e22)", Degrees, "-0.984807753012208"}, // 1e22 = 280 modulo 360
    {u"sin(45)", Degrees, " 0.707106781186548"},
    {u"sin(10)", Degrees, " 0.17364817766693"},
    {u"cos(10)", Degrees, " 0.984807753012208"},
    {u"asin(1)", Degrees, " 90"},
    {u"acos(0)", Degrees, " 90"},
    {u"acos(-1)", Degrees, " 180"},
    {u"atan(1)", Degrees, " 45"},
    {u"asin(0.5)", Degrees, " 30"},
    {u"atan(-1)", Degrees, "-45"},
    {u"sin(100)", Grads, " 1"},
    {u"cos(200)", Grads, "-1"},
    {u"cos(100)", Grads, " 0"},
    {u"sin(-100)", Grads, "-1"},
    {u"sin(400)", Grads, " 0"},
    {u"tan(50)", Grads, " 1"},
    {u"cot(50)", Grads, " 1"},
    {u"sin(50)", Grads, " 0.707106781186548"},
    {u"asin(1)", Grads, " 100"},
    {u"acos(-1)", Grads, " 200"},
    {u"atan(1)", Grads, " 50"},
    {u"sin(pi/2)", Radians, " 1"},
    {u"cot(1e-300)", Degrees, " 5.72957795130823e+301"}, // the angle in radians would underflow
    // Functions without angles ignore the unit.
    {u"sqrt(2)", Degrees, " 1.4142135623731"},
    {u"exp(1)", Grads, " 2.71828182845905"},
};

// A literal operand is folded into the operator or one-argument call that takes it; these
// rows put such steps, and calls of two arguments, above values already on the stack.
constexpr Shown stackShapes[] = {
    {u"10-2*3", Radians, " 4"},
    {u"1+pow(2,3)*2", Radians, " 17"},
    {u"2-pow(3,2)-1", Radians, "-8"},
    {u"100/square(5)/2", Radians, " 2"},
    {u"7-sqrt(4)-abs(2-9)", Radians, "-2"},
    {u"2*(3-pow(2,2)^2)", Radians, "-26"},
    {u"(1+2)*(3+4)/(5-6)", Radians, "-21"},
    {u"1-(2-(3-(4-(5-6))))", Radians, "-3"},
    {u"2^3^2-sin(0)*cos(0)", Radians, " 512"},
    {u"pow(pow(2,3),pow(1,5))+-3", Radians, " 5"},
    {u"-(-(2))*-(3)", Radians, "-6"},
};

TEST(Values, LiteralsAndBlanks) {
    expectShown(literalsAndBlanks);
}
TEST(Values, PrecedenceAndAssociativity) {
    expectShown(precedence);
}
TEST(Values, ConstantsAndFunctions) {
    expectShown(namesAndFunctions);
}
TEST(Values, AngleUnits) {
    expectShown(angles);
}
TEST(Values, StackShapes) {
    expectShown(stackShapes);
}
TEST(Values, PastedCharacters) {
    expectShown(pasted);
}
TEST(Values, AnglesWrittenWithPi) {
    expectShown(exactRadians);
}

// The rows above must exercise every function the evaluator offers.
TEST(Values, EveryFunctionIsExercised) {
    for (const vexa::Function& function : vexa::functionTable()) {
        const auto calls = [&](const Shown& row) {
            std::string lower;
            for (const char16_t c : row.text) {
                lower += static_cast<char>(c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c);
            }
            return lower.find(std::string(function.name) + "(") != std::string::npos ||
                   lower.find(std::string(function.name) + " (") != std::string::npos;
        };
        const bool used = std::ranges::any_of(namesAndFunctions, calls) ||
                          std::ranges::any_of(angles, calls) ||
                          std::ranges::any_of(literalsAndBlanks, calls);
        EXPECT_TRUE(used) << function.name;
    }
}

struct Exact {
    std::u16string_view text;
    std::int32_t unit;
    double value;
};

// Bit-exact values: rounding of literals as strtod does, and the exact angle reduction.
constexpr Exact exact[] = {
    {u"0.1", Radians, 0.1},
    {u"0.1+0.2", Radians, 0.30000000000000004},
    {u"1e-400", Radians, 0.0},
    {u"100000e-330", Radians, 0.0},
    {u"4.9e-324", Radians, std::numeric_limits<double>::denorm_min()},
    {u"2.4703282292062328e-324", Radians, std::numeric_limits<double>::denorm_min()},
    {u"2.4703282292062327e-324", Radians, 0.0},
    {u"2.2250738585072011e-308", Radians, 0x0.fffffffffffffp-1022},
    {u"1.7976931348623158e308", Radians, DBL_MAX},
    {u"0.00017976931348623157e312", Radians, DBL_MAX},
    {u"9007199254740993", Radians, 9007199254740992.0},
    {u"cos(90)", Degrees, 0.0},
    {u"sin(180)", Degrees, 0.0},
    {u"sin(30)", Degrees, 0.5},
    {u"cos(60)", Degrees, 0.5},
    {u"sin(150)", Degrees, 0.5},
    {u"tan(45)", Degrees, 1.0},
    {u"sin(270)", Degrees, -1.0},
    {u"sin(100)", Grads, 1.0},
    {u"cos(100)", Grads, 0.0},
    {u"asin(1)", Degrees, 90.0},
    {u"atan(1)", Degrees, 45.0},
    {u"acos(-1)", Grads, 200.0},
    {u"acos(0.5)", Degrees, 60.0},
    {u"asin(-1)", Grads, -100.0},
    {u"atan(1e308)", Degrees, 90.0},
    {u"asin(5e-324)", Degrees, 57 * std::numeric_limits<double>::denorm_min()},
    {u"sin(-180)", Degrees, 0.0},
    {u"tan(-180)", Degrees, 0.0},
    {u"cot(-100)", Grads, 0.0},
    {u"(-8)^(1/3)", Radians, -2.0},
    {u"sqrt(-0)", Radians, 0.0},
    {u"-0", Radians, -0.0},
};

TEST(Values, BitExact) {
    Calculator calculator;
    for (const Exact& row : exact) {
        SCOPED_TRACE(printable(row.text) + " unit " + std::to_string(row.unit));
        const auto computed = calculator.compute(row.text, row.unit);
        ASSERT_TRUE(computed.ok);
        EXPECT_EQ(computed.value, row.value);
        EXPECT_EQ(std::signbit(computed.value), std::signbit(row.value));
    }
}

// Degrees, grads and exact fractions of pi against long double (64 significant bits on x86_64,
// 11 more than a double): every result within one unit in the last place of the exact value.

const vexa::Function& function(std::string_view name) {
    const auto table = vexa::functionTable();
    return *std::ranges::find(table, name, &vexa::Function::name);
}

// |value - reference| in units in the last place of the double nearest the reference.
double ulpsFrom(double value, long double reference) {
    const double nearest = static_cast<double>(reference);
    const double ulp = nearest == 0 ? std::numeric_limits<double>::denorm_min()
                                    : std::ldexp(1.0, std::max(std::ilogb(nearest) - 52, -1074));
    return static_cast<double>(std::fabs(value - reference) / ulp);
}

// The exact text of a double, for a failing argument to be tried again.
std::string hex(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%a", value);
    return text;
}

constexpr long double piLong = 3.141592653589793238462643383279502884L;

// sin, cos, tan or cot of `quarters` quarter turns plus `rest` radians, |rest| <= pi/4. An
// exact zero of the divisor gives infinity, which the caller expects as an error.
long double referenceTrig(std::string_view name, std::int64_t quarters, long double rest) {
    const long double s = std::sin(rest);
    const long double c = std::cos(rest);
    const int quadrant = static_cast<int>((quarters % 4 + 4) % 4);
    const long double sine[] = {s, c, -s, -c};
    const long double cosine[] = {c, -s, -c, s};
    const long double sin = sine[quadrant];
    const long double cos = cosine[quadrant];
    if (name == "sin" || name == "cos") {
        return name == "sin" ? sin : cos;
    }
    const long double divisor = name == "tan" ? cos : sin;
    return divisor == 0 ? INFINITY : (name == "tan" ? sin : cos) / divisor;
}

// The value of a trigonometric function, or the error it must report for an exact angle.
void expectWithinOneUlp(const vexa::Outcome& outcome, std::string_view name, long double exact) {
    if (std::isinf(exact) && (name == "tan" || name == "cot")) {
        EXPECT_EQ(outcome.error, name == "tan" ? vexa::ErrorCode::TangentUndefined
                                               : vexa::ErrorCode::CotangentUndefined);
        return;
    }
    ASSERT_EQ(outcome.error, vexa::ErrorCode::None);
    if (std::fabs(exact) > DBL_MAX) {
        EXPECT_FALSE(std::isfinite(outcome.value)); // the machine's ResultTooLarge
        return;
    }
    if (exact == 0) {
        EXPECT_EQ(outcome.value, 0.0);
        EXPECT_FALSE(std::signbit(outcome.value)); // shown as ' 0', never '-0'
        return;
    }
    EXPECT_LE(ulpsFrom(outcome.value, exact), 1.0)
        << outcome.value << " against " << static_cast<double>(exact);
}

TEST(Values, DegreesAndGradsToTheLastDigit) {
    if constexpr (std::numeric_limits<long double>::digits < 64) {
        GTEST_SKIP() << "the reference needs a long double wider than a double";
    }
    std::mt19937_64 random(8);
    const auto uniform = [&](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };
    for (const std::int32_t unit : {Degrees, Grads}) {
        const double quarter = unit == Degrees ? 90 : 100;
        for (const std::string_view name : {"sin", "cos", "tan", "cot"}) {
            for (int i = 0; i < 3000; ++i) {
                const double magnitudes[] = {
                    std::pow(10.0, uniform(-323, 1)),                   // tiny to small
                    uniform(0, 4 * quarter),                            // one turn
                    quarter * (i % 9) + std::pow(10.0, uniform(-13, 0)) // at a quarter turn
                                            * (i % 2 == 0 ? 1 : -1),
                    uniform(0, 1e6),
                    uniform(0, 1e15),
                    std::pow(10.0, uniform(15, 300)),
                };
                const double angle = magnitudes[i % 6] * (random() % 2 == 0 ? 1 : -1);
                SCOPED_TRACE(std::string(name) + "(" + hex(angle) + ") unit " +
                             std::to_string(unit));
                // Exact: the angle modulo a turn, then the nearest whole quarter turn.
                const long double turnPart =
                    std::fmod(static_cast<long double>(angle), 4 * quarter);
                const long double quarters = std::nearbyint(turnPart / quarter);
                const long double rest = (turnPart - quarters * quarter) / (2 * quarter) * piLong;
                expectWithinOneUlp(function(name).apply(&angle, vexa::Angle(unit)), name,
                                   referenceTrig(name, static_cast<std::int64_t>(quarters), rest));
            }
        }
        for (const std::string_view name : {"asin", "acos", "atan"}) {
            for (int i = 0; i < 3000; ++i) {
                const double magnitudes[] = {
                    std::pow(10.0, uniform(-323, 0)),
                    uniform(0, 1),
                    1 - std::pow(10.0, uniform(-16, 0)), // near 1, where asin is steep
                    name == "atan" ? std::pow(10.0, uniform(0, 308)) : uniform(0.4, 0.6),
                };
                const double x = magnitudes[i % 4] * (random() % 2 == 0 ? 1 : -1);
                SCOPED_TRACE(std::string(name) + "(" + hex(x) + ") unit " + std::to_string(unit));
                const long double radians = name == "asin" ? std::asin(static_cast<long double>(x))
                                            : name == "acos"
                                                ? std::acos(static_cast<long double>(x))
                                                : std::atan(static_cast<long double>(x));
                expectWithinOneUlp(function(name).apply(&x, vexa::Angle(unit)), name,
                                   radians * (2 * quarter) / piLong);
            }
        }
    }
}

struct ExactAngle {
    std::string_view function;
    vexa::PiFraction angle;
    double value;
    vexa::ErrorCode error = vexa::ErrorCode::None;
};

// The common angles of a text like 'sin(pi/6)', to the bit.
constexpr ExactAngle exactAngles[] = {
    {"sin", {1, 1}, 0.0},
    {"sin", {-1, 1}, 0.0}, // +0, not -0
    {"sin", {0, 1}, 0.0},
    {"cos", {1, 2}, 0.0},
    {"cos", {-3, 2}, 0.0},
    {"sin", {1, 6}, 0.5},
    {"sin", {-7, 6}, 0.5},
    {"cos", {2, 3}, -0.5},
    {"cos", {1, 3}, 0.5},
    {"sin", {1, 4}, 0.7071067811865476},
    {"cos", {-3, 4}, -0.7071067811865476},
    {"sin", {3, 2}, -1.0},
    {"cos", {2147483647, 1}, -1.0},
    {"sin", {-2147483648, 1}, 0.0},
    {"tan", {1, 4}, 1.0},
    {"tan", {-5, 4}, -1.0},
    {"tan", {1, 1}, 0.0},
    {"tan", {-1, 1}, 0.0},
    {"cot", {1, 4}, 1.0},
    {"cot", {1, 2}, 0.0},
    {"cot", {-3, 4}, 1.0},
    {"tan", {1, 2}, 0, vexa::ErrorCode::TangentUndefined},
    {"tan", {-2147483647, 2}, 0, vexa::ErrorCode::TangentUndefined},
    {"cot", {1, 1}, 0, vexa::ErrorCode::CotangentUndefined},
    {"cot", {0, 1}, 0, vexa::ErrorCode::CotangentUndefined},
    {"cot", {-2147483648, 1}, 0, vexa::ErrorCode::CotangentUndefined},
};

TEST(Values, ExactAnglesInRadians) {
    for (const ExactAngle& row : exactAngles) {
        SCOPED_TRACE(std::string(row.function) + " of " + std::to_string(row.angle.num) + "/" +
                     std::to_string(row.angle.den) + " pi");
        const vexa::Outcome outcome = function(row.function).applyExact(row.angle);
        EXPECT_EQ(outcome.error, row.error);
        if (row.error == vexa::ErrorCode::None) {
            EXPECT_EQ(outcome.value, row.value);
            EXPECT_EQ(std::signbit(outcome.value), std::signbit(row.value));
        }
    }
    // Only the four functions of an angle have an exact form.
    for (const vexa::Function& each : vexa::functionTable()) {
        const bool angleFunction =
            each.name == "sin" || each.name == "cos" || each.name == "tan" || each.name == "cot";
        EXPECT_EQ(each.applyExact != nullptr, angleFunction) << each.name;
    }
}

TEST(Values, ExactAnglesToTheLastDigit) {
    if constexpr (std::numeric_limits<long double>::digits < 64) {
        GTEST_SKIP() << "the reference needs a long double wider than a double";
    }
    std::mt19937_64 random(9);
    for (const std::string_view name : {"sin", "cos", "tan", "cot"}) {
        for (std::int64_t den = 1; den <= 1000; ++den) {
            for (int i = 0; i < 4; ++i) {
                const std::int64_t range = i == 0 ? std::int64_t{1} << 31 : 4 * den;
                const std::int64_t num =
                    static_cast<std::int64_t>(random() % (2 * range + 1)) - range;
                const std::int64_t common = std::gcd(num, den);
                const vexa::PiFraction angle{num / common, den / common};
                SCOPED_TRACE(std::string(name) + " of " + std::to_string(angle.num) + "/" +
                             std::to_string(angle.den) + " pi");
                // Exact in integers: the nearest whole quarter turn, and the rest of it.
                const std::int64_t quarters =
                    (4 * angle.num + (angle.num < 0 ? -angle.den : angle.den)) / (2 * angle.den);
                const long double rest =
                    static_cast<long double>(2 * angle.num - quarters * angle.den) /
                    (2 * angle.den) * piLong;
                expectWithinOneUlp(function(name).applyExact(angle), name,
                                   referenceTrig(name, quarters, rest));
            }
        }
    }
}

TEST(Values, UnitIsReadAtEvaluationNotAtCompile) {
    Calculator calculator;
    auto& slot = calculator.slot();
    slot.setText(u"sin(90)");
    slot.Compile();
    calculator.vexa().setAngleUnit(Degrees);
    EXPECT_EQ(slot.Evaluate(), 1.0);
    calculator.vexa().setAngleUnit(Radians);
    EXPECT_EQ(slot.Evaluate(), std::sin(90.0));
}

TEST(Values, SlotsAreIndependent) {
    auto vexa = vexa::makeVexa();
    auto& first = vexa->Expressions().Add(u"Ex1", u"", u"");
    auto& second = vexa->Expressions().Add(u"Ex2", u"a", u"b");
    EXPECT_EQ(&vexa->Expressions().Item(0), &first);
    EXPECT_EQ(&vexa->Expressions().Item(1), &second);
    first.setText(u"1+1");
    second.setText(u"2*5");
    first.Compile();
    second.Compile();
    EXPECT_EQ(first.Evaluate(), 2.0);
    EXPECT_EQ(second.Evaluate(), 10.0);
    EXPECT_EQ(vexa->AngleUnit(), Radians);
}

} // namespace
