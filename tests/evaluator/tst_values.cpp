// What the evaluator computes: literals, blanks, precedence, every function in every unit.
#include "support.h"

#include "evaluator/functions.h"
#include "evaluator/number_text.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>
#include <mpfr.h>
#include <optional>
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

    // A factorial binds tighter than '^' and signs.
    {u"-3!", Radians, "-6"},
    {u"2^3!", Radians, " 64"},
    {u"3!^2", Radians, " 36"},
    {u"3!\u00B2", Radians, " 36"},
    {u"(3!)!", Radians, " 720"},
    {u"2*3!", Radians, " 12"},
    // A number, a constant or ')' before a constant, a function, '(' or '√' multiplies, as
    // '*' does and with its precedence.
    {u"2pi", Radians, " 6.28318530717959"},
    {u"2\u03C0", Radians, " 6.28318530717959"},
    {u"3(4+5)", Radians, " 27"},
    {u"(1+2)(3+4)", Radians, " 21"},
    {u"2sqrt(2)", Radians, " 2.82842712474619"},
    {u"2exp(1)", Radians, " 5.43656365691809"},
    {u"2pi/3", Radians, " 2.0943951023932"},
    {u"-2pi", Radians, "-6.28318530717959"},
    {u"2 pi", Radians, " 6.28318530717959"},
    {u"2pi^2", Radians, " 19.7392088021787"},
    {u"1+2pi", Radians, " 7.28318530717959"},
    {u"2pi*3", Radians, " 18.8495559215388"},
    {u"pi(2)", Radians, " 6.28318530717959"},
    {u"pi e", Radians, " 8.53973422267357"},
    {u"2\u221A3", Radians, " 3.46410161513775"},
    {u"\u221A2\u221A2", Radians, " 2"},
    {u"sin(1)(2)", Radians, " 1.68294196961579"},
    {u"2(3)(4)", Radians, " 24"},
    {u"(2^3)pi", Radians, " 25.1327412287183"},
    {u"2e3", Radians, " 2000"},
    {u"2exp(0)", Radians, " 2"},
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
    // A negative base takes the real root where the exponent is p/q in lowest terms, q odd.
    {u"(-8)^(1/3)", Radians, "-2"},
    {u"pow(-27, 1/3)", Radians, "-3"},
    {u"(-32)^0.2", Radians, "-2"},
    {u"(-8)^(2/3)", Radians, " 4"},
    {u"(-8)^(5/3)", Radians, "-32"},
    {u"(-27)^(-1/3)", Radians, "-0.333333333333333"},
    {u"(-2)^(1/99)", Radians, "-1.0070260543835"},
    {u"(-8)^(-2/3)", Radians, " 0.25"},
    {u"(-1)^(3000000001/3)", Radians, "-1"}, // a numerator beyond 32 bits
    {u"sqrt(square(3)+square(4))", Radians, " 5"},
    {u"1e-300*1e-300", Radians, " 0"},

    {u"5!", Radians, " 120"},
    {u"0!", Radians, " 1"},
    {u"20!", Radians, " 2.43290200817664e+18"},
    {u"170!", Radians, " 7.257415615308e+306"},
    {u"0.5!", Radians, " 0.886226925452758"},
    {u"(-0.5)!", Radians, " 1.77245385090552"},
    {u"3.5!", Radians, " 11.6317283965674"},
    {u"0.1!", Radians, " 0.951350769866873"},
    {u"(sqrt(2)^2)!", Radians, " 2"},
    {u"gamma(5)", Radians, " 24"},
    {u"GAMMA(0.5)", Radians, " 1.77245385090552"},
    {u"gamma(-0.5)", Radians, "-3.54490770181103"},
    {u"gamma(1e-300)", Radians, " 1e+300"},
    {u"sinh(1)", Radians, " 1.1752011936438"},
    {u"sinh(-0.5)", Radians, "-0.521095305493747"},
    {u"cosh(1)", Radians, " 1.54308063481524"},
    {u"cosh(0)", Radians, " 1"},
    {u"tanh(1)", Radians, " 0.761594155955765"},
    {u"tanh(1000)", Radians, " 1"},
    {u"asinh(1)", Radians, " 0.881373587019543"},
    {u"asinh(-1e300)", Radians, "-691.468675078774"},
    {u"acosh(2)", Radians, " 1.31695789692482"},
    {u"acosh(1)", Radians, " 0"},
    {u"atanh(0.5)", Radians, " 0.549306144334055"},
    {u"atanh(1e-20)", Radians, " 1e-20"},
    {u"sinh(1)", Degrees, " 1.1752011936438"}, // no angle unit
    {u"cbrt(-27)", Radians, "-3"},
    {u"cbrt(2)", Radians, " 1.25992104989487"},
    {u"cbrt(sqrt(2)^2-2)", Radians, " 0"},
    {u"root(-32, 5)", Radians, "-2"},
    {u"root(16, 4)", Radians, " 2"},
    {u"root(2, -2)", Radians, " 0.707106781186548"},
    {u"root(-2, 3)^3", Radians, "-2"},
    {u"floor(2.5)", Radians, " 2"},
    {u"floor(-2.5)", Radians, "-3"},
    {u"floor(sqrt(2)^2)", Radians, " 2"},
    {u"floor(pi)", Radians, " 3"},
    {u"ceil(2.1)", Radians, " 3"},
    {u"ceil(-2.1)", Radians, "-2"},
    {u"ceil(sqrt(2)^2)", Radians, " 2"},
    {u"trunc(-2.7)", Radians, "-2"},
    {u"trunc(sin(1e-9))", Radians, " 0"},
    {u"round(2.5)", Radians, " 3"},
    {u"round(-2.5)", Radians, "-3"},
    {u"round(2.4999)", Radians, " 2"},
    {u"round(-0.5)", Radians, "-1"},
    {u"round(sqrt(2)^2/4+2)", Radians, " 3"}, // a half, by the rule
    {u"round(sin(1e-9))", Radians, " 0"},
    {u"frac(2.75)", Radians, " 0.75"},
    {u"frac(-2.75)", Radians, "-0.75"},
    {u"frac(pi)", Radians, " 0.141592653589793"},
    {u"sgn(-3)", Radians, "-1"},
    {u"sgn(0)", Radians, " 0"},
    {u"sgn(sqrt(2)^2-2)", Radians, " 0"},
    {u"sgn(exp(-1000))", Radians, " 1"},
    {u"mod(-7, 3)", Radians, " 2"},
    {u"mod(7.5, 2)", Radians, " 1.5"},
    {u"mod(7, -3)", Radians, "-2"},
    {u"mod(pi, 1)", Radians, " 0.141592653589793"},
    {u"mod(2*pi, pi)", Radians, " 0"},
    {u"gcd(12, 18)", Radians, " 6"},
    {u"gcd(-12, 18)", Radians, " 6"},
    {u"gcd(0, 5)", Radians, " 5"},
    {u"lcm(4, 6)", Radians, " 12"},
    {u"lcm(sqrt(16), 6)", Radians, " 12"},
    {u"ncr(60, 30)", Radians, " 1.18264581564861e+17"},
    {u"ncr(5, 0)", Radians, " 1"},
    {u"ncr(1000, 500)", Radians, " 2.70288240945437e+299"},
    {u"ncr(1e6, 3)", Radians, " 1.66666166667e+17"},
    {u"npr(5, 2)", Radians, " 20"},
    {u"npr(10, 5)", Radians, " 30240"},
    {u"npr(5, 0)", Radians, " 1"},
    {u"ncr(2^100, 1)", Radians, " 1.26765060022823e+30"}, // n - k not a double apart from n
    {u"npr(2^100, 2)", Radians, " 1.60693804425899e+60"},
    {u"ncr(2^100, 2^16)/ncr(2^100, 2^16)", Radians, " 1"},
    {u"log2(8)", Radians, " 3"},
    {u"log2(0.125)", Radians, "-3"},
    {u"log2(10)", Radians, " 3.32192809488736"},
    {u"logbase(8, 2)", Radians, " 3"},
    {u"logbase(100, 10)", Radians, " 2"},
    {u"logbase(2, 8)", Radians, " 0.333333333333333"},
    {u"logbase(8, 0.5)", Radians, "-3"},
    {u"atan2(1, 1)", Radians, " 0.785398163397448"},
    {u"atan2(0, -1)", Radians, " 3.14159265358979"},
    {u"atan2(-1, -1)", Radians, "-2.35619449019234"},
    {u"atan2(1, 1)", Degrees, " 45"},
    {u"atan2(-0, -1)", Degrees, " 180"},
    {u"atan2(0, -1)", Grads, " 200"},
    {u"atan2(1, 0)", Degrees, " 90"},
    {u"atan2(sin(pi), -1)", Radians, " 3.14159265358979"},
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

// A text's value is the exact number its mathematics denotes: angles that are exact multiples
// of a quarter turn give exact zeros and ones in radians too, and a number typed in digits is
// the exact decimal it writes, not the double nearest it.
constexpr Shown exactPoints[] = {
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
    {u"sin(pi)", Degrees, " 0.0548036651487895"},                 // pi degrees
    {u"sin(3.14159265358979)", Radians, " 3.23846264338328e-15"}, // pi - 3.14159265358979
    {u"sin(pi*0.5)", Radians, " 1"},
    {u"cos(pi*0.5)", Radians, " 0"},
    {u"sin(pi/4)-sin(pi/4)", Radians, " 0"},
    {u"cos(2*atan(1))", Radians, " 0"},
    {u"sin(pi)*1e300", Radians, " 0"},
    {u"tan(atan(7))", Radians, " 7"},
    {u"cot(atan(0.5))", Radians, " 2"},
};

// What rounding each operation to a double got wrong: cancellation, the error of 0.1,
// intermediate values beyond a double's range, and huge arguments.
constexpr Shown exactAnswers[] = {
    {u"0.1*3-0.3", Radians, " 0"},
    {u"1e16+1-1e16", Radians, " 1"},
    {u"exp(100)+42-exp(100)", Radians, " 42"},
    {u"sqrt(2)^2-2", Radians, " 0"},
    {u"sqrt(0.3-0.1*3)", Radians, " 0"},
    {u"(1+1e-15)^1e15", Radians, " 2.71828182845904"},
    {u"ln(0.9999999999999993)", Radians, "-7e-16"},
    {u"10^-400*10^400", Radians, " 1"},
    {u"log(exp(1000))", Radians, " 1000"},
    {u"9007199254740993-9007199254740992", Radians, " 1"},
    {u"sin(10^100)", Radians, "-0.372376123661277"},
    {u"1e400/1e399", Radians, " 10"},
    {u"exp(1000)/exp(999)", Radians, " 2.71828182845905"},
    {u"1e308*10/10", Radians, " 1e+308"},
    {u"1/(1e300*1e300)", Radians, " 0"},
    {u"acos(1.1*1.1-0.21)", Radians, " 0"},
    {u"acos(sqrt(2)^2/2)", Radians, " 0"},
    {u"asin(sqrt(0.5)^2*2)", Degrees, " 90"},
    {u"(-8)^(sqrt(2)^2)", Radians, " 64"},
    {u"(sqrt(2)^2-2)^0", Radians, " 1"},
    {u"0^(sqrt(2)^2-1)", Radians, " 0"},
    {u"exp(-1e6)", Radians, " 0"},
    {u"2*exp(-10^9)", Radians, " 0"}, // below the smallest magnitude: the ball around 0
    {u"1+0.5^(10^10)", Radians, " 1"},
    {u"2^-2^63", Radians, " 0"}, // an exponent of the smallest 64-bit integer
    {u"exp(1e6)/exp(1e6-1)", Radians, " 2.71828182845905"},
    {u"1e-400", Radians, " 0"},
    {u"-1e-99999999999", Radians, " 0"}, // below every limit, alone
    {u"sin(1e300)", Radians, "-0.985750425160377"},
    {u"sin(1e300)", Degrees, "-0.984807753012208"},
    {u"cos(1e-300)", Degrees, " 1"},
    {u"sin(1e-300)", Radians, " 1e-300"},
    {u"atan(1e300)", Grads, " 100"},
    {u"2^0.5*2^0.5", Radians, " 2"},
    {u"(-2)^(1/101)", Radians, "-1.00688644664575"},
    {u"log10(1e-400)", Radians, "-400"},
    {u"1/1e-300", Radians, " 1e+300"},
    {u"99999999999999999999e299999981/1e299999990", Radians, " 100000000000"}, // at the limit
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
TEST(Values, ExactPoints) {
    expectShown(exactPoints);
}
TEST(Values, ExactAnswers) {
    expectShown(exactAnswers);
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
        if (function.name == "!") {
            continue; // no name: the rows above write it after its operand
        }
        const bool used = std::ranges::any_of(namesAndFunctions, calls) ||
                          std::ranges::any_of(angles, calls) ||
                          std::ranges::any_of(literalsAndBlanks, calls);
        EXPECT_TRUE(used) << function.name;
    }
}

// The help file that "?" opens names every function, and every message a computation can
// show.
TEST(Values, HelpNamesEveryFunctionAndMessage) {
    std::ifstream file(TARNICLE_HELP_FILE);
    const std::string help{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(help.empty());
    for (const vexa::Function& function : vexa::functionTable()) {
        EXPECT_NE(help.find(std::string(function.name)), std::string::npos) << function.name;
    }
    for (const vexa::ErrorEntry& entry : vexa::errorTable()) {
        if (entry.kind == vexa::ErrorKind::AtPlace ||
            entry.code == vexa::ErrorCode::NothingToCompute) {
            const std::string description(entry.description.begin(), entry.description.end());
            EXPECT_NE(help.find(description), std::string::npos) << description;
        }
    }
}

struct Exact {
    std::u16string_view text;
    std::int32_t unit;
    double value;
};

// Bit-exact values: the double nearest the exact value, ties to even, subnormals included.
constexpr Exact exact[] = {
    {u"0.1", Radians, 0.1},
    {u"0.1+0.2", Radians, 0.3},
    {u"1e-400", Radians, 0.0},
    {u"100000e-330", Radians, 0.0},
    {u"4.9e-324", Radians, std::numeric_limits<double>::denorm_min()},
    {u"2.4703282292062328e-324", Radians, std::numeric_limits<double>::denorm_min()},
    {u"2.4703282292062327e-324", Radians, 0.0},
    {u"2.2250738585072011e-308", Radians, 0x0.fffffffffffffp-1022},
    {u"1.7976931348623158e308", Radians, DBL_MAX},
    {u"0.00017976931348623157e312", Radians, DBL_MAX},
    {u"9007199254740993", Radians, 9007199254740992.0}, // a tie: to the even neighbour
    {u"9007199254740995", Radians, 9007199254740996.0},
    {u"1+2^-53", Radians, 1.0},
    {u"1+2^-53+2^-200", Radians, 1 + 0x1p-52},
    {u"1-2^-54", Radians, 1.0},
    {u"2^-1074", Radians, std::numeric_limits<double>::denorm_min()},
    {u"2^-1075", Radians, 0.0},         // half the smallest subnormal: to even, 0
    {u"3*2^-1075", Radians, 0x1p-1073}, // between one and two of them: to two
    {u"2^-1075+2^-1200", Radians, std::numeric_limits<double>::denorm_min()},
    {u"2^1024-2^970-1", Radians, DBL_MAX},
    // Ties that only the precision limit decides: balls around them, taken as them.
    {u"sqrt(2)^2/2*(2+2^-52)", Radians, 2.0},
    {u"sqrt(2)^2/2*(2+3*2^-52)", Radians, 2 + 0x1p-50},
    {u"sqrt(2)^2/2*(2+5*2^-52)", Radians, 2 + 0x1p-50},
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
    {u"asin(5e-324)", Degrees, 58 * std::numeric_limits<double>::denorm_min()},
    {u"sin(-180)", Degrees, 0.0},
    {u"tan(-180)", Degrees, 0.0},
    {u"cot(-100)", Grads, 0.0},
    {u"(-8)^(1/3)", Radians, -2.0},
    {u"sqrt(-0)", Radians, 0.0},
    {u"-0", Radians, 0.0},
    {u"-1e-400", Radians, 0.0},
};

// The exact text of a double, for a failing value to be read.
std::string hexOf(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%a", value);
    return text;
}

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

// Every function in every unit against MPFR, an independent library whose functions are
// correctly rounded: a few thousand arguments each, typed as short decimals or as the exact
// decimal expansion of a double, must give the double nearest the exact value. MPFR reads
// the argument and computes at two high precisions; a sample where the two round to
// different doubles (a value within 2^-1100 of a midpoint between doubles) is not used. Both
// hold every argument exactly that is a double, up to 1e300 and down to the subnormals.

struct MpfrNumber {
    explicit MpfrNumber(mpfr_prec_t precision) { mpfr_init2(value, precision); }
    MpfrNumber(const MpfrNumber&) = delete;
    MpfrNumber& operator=(const MpfrNumber&) = delete;
    ~MpfrNumber() { mpfr_clear(value); }
    mpfr_t value;
};

struct Accuracy {
    std::string_view name;
    bool usesAngle;
    // f(x) or f(x, z) into y in the unit, rounded to y's precision: MPFR's own correctly
    // rounded function, or where it has none (cot in degrees and grads, logbase) the formula
    // at that high precision.
    void (*compute)(mpfr_t y, const mpfr_t x, const mpfr_t z, unsigned long turn);
    // Arguments: from a random number in [0, 1).
    double (*argument)(double uniform, int pick);
    // The second argument, or nullptr for a function of one.
    double (*second)(double uniform, int pick) = nullptr;
};

// A full turn in each unit, for MPFR's functions of angles in units (sinu and the like).
unsigned long turnOf(std::int32_t unit) {
    return unit == Degrees ? 360 : unit == Grads ? 400 : 0;
}

double angleArgument(double u, int pick) {
    switch (pick % 6) {
    case 0:
        return std::pow(10.0, -300 + 301 * u); // tiny to ten
    case 1:
        return 400 * u; // one turn in every unit
    case 2:
        return 90 * (pick % 9) + std::pow(10.0, -13 + 13 * u); // by a quarter turn in degrees
    case 3:
        return 1e6 * u;
    case 4:
        return 1e15 * u;
    default:
        return std::pow(10.0, 15 + 285 * u);
    }
}

double unitArgument(double u, int pick) {
    switch (pick % 4) {
    case 0:
        return std::pow(10.0, -300 + 300 * u);
    case 1:
        return u;
    case 2:
        return 1 - std::pow(10.0, -16 * u); // near 1, where asin is steep
    default:
        return 0.4 + 0.2 * u;
    }
}

double positiveArgument(double u, int pick) {
    switch (pick % 4) {
    case 0:
        return std::pow(10.0, -300 + 600 * u);
    case 1:
        return 2 * u;
    case 2:
        return 1 + (u - 0.5) * 1e-9; // near 1, where ln is small
    default:
        return 1000 * u;
    }
}

double exponentArgument(double u, int pick) {
    return pick % 2 == 0 ? -800 + 1600 * u : (u - 0.5) * 1e-6;
}

double anyArgument(double u, int pick) {
    return pick % 2 == 0 ? std::pow(10.0, -300 + 600 * u) : 20 * u;
}

double gammaArgument(double u, int pick) {
    return pick % 3 == 0 ? std::pow(10.0, -300 + 302 * u) : 170 * u;
}

double wholeArgument(double u, int) {
    return std::floor(1 + 20 * u);
}

const Accuracy accuracyRows[] = {
    {"sin", true,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long turn) {
         turn == 0 ? mpfr_sin(y, x, MPFR_RNDN) : mpfr_sinu(y, x, turn, MPFR_RNDN);
     },
     angleArgument},
    {"cos", true,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long turn) {
         turn == 0 ? mpfr_cos(y, x, MPFR_RNDN) : mpfr_cosu(y, x, turn, MPFR_RNDN);
     },
     angleArgument},
    {"tan", true,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long turn) {
         turn == 0 ? mpfr_tan(y, x, MPFR_RNDN) : mpfr_tanu(y, x, turn, MPFR_RNDN);
     },
     angleArgument},
    {"cot", true,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long turn) {
         if (turn == 0) {
             mpfr_cot(y, x, MPFR_RNDN);
         } else {
             mpfr_tanu(y, x, turn, MPFR_RNDN);
             mpfr_ui_div(y, 1, y, MPFR_RNDN);
         }
     },
     angleArgument},
    {"asin", true,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long turn) {
         turn == 0 ? mpfr_asin(y, x, MPFR_RNDN) : mpfr_asinu(y, x, turn, MPFR_RNDN);
     },
     unitArgument},
    {"acos", true,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long turn) {
         turn == 0 ? mpfr_acos(y, x, MPFR_RNDN) : mpfr_acosu(y, x, turn, MPFR_RNDN);
     },
     unitArgument},
    {"atan", true,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long turn) {
         turn == 0 ? mpfr_atan(y, x, MPFR_RNDN) : mpfr_atanu(y, x, turn, MPFR_RNDN);
     },
     angleArgument},
    {"ln", false,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long) { mpfr_log(y, x, MPFR_RNDN); },
     positiveArgument},
    {"log10", false,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long) { mpfr_log10(y, x, MPFR_RNDN); },
     positiveArgument},
    {"sqrt", false,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long) { mpfr_sqrt(y, x, MPFR_RNDN); },
     positiveArgument},
    {"exp", false,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long) { mpfr_exp(y, x, MPFR_RNDN); },
     exponentArgument},
    {"pow10", false,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long) { mpfr_exp10(y, x, MPFR_RNDN); },
     exponentArgument},
    {"sinh", false,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long) { mpfr_sinh(y, x, MPFR_RNDN); },
     exponentArgument},
    {"cosh", false,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long) { mpfr_cosh(y, x, MPFR_RNDN); },
     exponentArgument},
    {"tanh", false,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long) { mpfr_tanh(y, x, MPFR_RNDN); },
     anyArgument},
    {"asinh", false,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long) { mpfr_asinh(y, x, MPFR_RNDN); },
     anyArgument},
    {"acosh", false,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long) { mpfr_acosh(y, x, MPFR_RNDN); },
     [](double u, int pick) {
         return 1 + anyArgument(u, pick);
     }},
    {"atanh", false,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long) { mpfr_atanh(y, x, MPFR_RNDN); },
     unitArgument},
    {"gamma", false,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long) { mpfr_gamma(y, x, MPFR_RNDN); },
     gammaArgument},
    {"cbrt", false,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long) { mpfr_cbrt(y, x, MPFR_RNDN); },
     anyArgument},
    {"log2", false,
     [](mpfr_t y, const mpfr_t x, const mpfr_t, unsigned long) { mpfr_log2(y, x, MPFR_RNDN); },
     positiveArgument},
    {"pow", false,
     [](mpfr_t y, const mpfr_t x, const mpfr_t z, unsigned long) { mpfr_pow(y, x, z, MPFR_RNDN); },
     positiveArgument,
     [](double u, int pick) {
         return pick % 2 == 0 ? 40 * u - 20 : u;
     }},
    {"root", false,
     [](mpfr_t y, const mpfr_t x, const mpfr_t z, unsigned long) {
         mpfr_rootn_ui(y, x, mpfr_get_ui(z, MPFR_RNDN), MPFR_RNDN);
     },
     positiveArgument, wholeArgument},
    {"logbase", false,
     [](mpfr_t y, const mpfr_t x, const mpfr_t z, unsigned long) {
         MpfrNumber base(mpfr_get_prec(y));
         mpfr_log(base.value, z, MPFR_RNDN);
         mpfr_log(y, x, MPFR_RNDN);
         mpfr_div(y, y, base.value, MPFR_RNDN);
     },
     positiveArgument,
     [](double u, int) {
         return 1.5 + 100 * u;
     }},
    {"atan2", true,
     [](mpfr_t y, const mpfr_t x, const mpfr_t z, unsigned long turn) {
         turn == 0 ? mpfr_atan2(y, x, z, MPFR_RNDN) : mpfr_atan2u(y, x, z, turn, MPFR_RNDN);
     },
     anyArgument,
     [](double u, int pick) {
         return (pick % 2 == 0 ? -1 : 1) * anyArgument(u, pick);
     }},
};

// The argument's text: its shortest round-trip decimal, or every digit of the double.
std::string argumentText(double x, bool exactly) {
    char text[1200];
    std::snprintf(text, sizeof text, exactly ? "%.1100g" : "%.17g", x);
    std::string result = text;
    if (exactly && result.find('.') != std::string::npos && result.find('e') == std::string::npos) {
        result.erase(result.find_last_not_of('0') + 1);
    }
    return result;
}

// The double nearest f(argument), or nothing where the samples disagree. NaN where f is
// undefined, infinity where it has a pole or is beyond the largest double.
std::optional<double> nearestByMpfr(const Accuracy& row, const std::string& argument,
                                    const std::string& second, std::int32_t unit) {
    double results[2];
    for (int i = 0; i < 2; ++i) {
        const mpfr_prec_t precision = i == 0 ? 1150 : 1300;
        MpfrNumber x(precision);
        MpfrNumber z(precision);
        MpfrNumber y(precision);
        mpfr_set_str(x.value, argument.c_str(), 10, MPFR_RNDN);
        mpfr_set_str(z.value, second.empty() ? "0" : second.c_str(), 10, MPFR_RNDN);
        row.compute(y.value, x.value, z.value, turnOf(unit));
        results[i] = mpfr_get_d(y.value, MPFR_RNDN);
    }
    if (std::isnan(results[0]) && std::isnan(results[1])) {
        return results[0];
    }
    if (results[0] != results[1]) {
        return std::nullopt;
    }
    return results[0];
}

TEST(Values, EveryFunctionCorrectlyRounded) {
    std::mt19937_64 random(2026);
    Calculator calculator;
    int compared = 0;
    int skipped = 0;
    for (const Accuracy& row : accuracyRows) {
        for (const std::int32_t unit : {Radians, Degrees, Grads}) {
            if (!row.usesAngle && unit != Radians) {
                continue;
            }
            for (int i = 0; i < 2000; ++i) {
                const double u = std::uniform_real_distribution<double>(0, 1)(random);
                const bool negative = random() % 2 == 0 && row.argument != positiveArgument;
                const double x = row.argument(u, i) * (negative ? -1 : 1);
                const std::string argument = argumentText(x, i % 3 == 0);
                const double z =
                    row.second == nullptr
                        ? 0
                        : row.second(std::uniform_real_distribution<double>(0, 1)(random), i);
                const std::string second =
                    row.second == nullptr ? std::string() : argumentText(z, i % 5 == 0);
                const std::string text = std::string(row.name) + "(" + argument +
                                         (second.empty() ? "" : ", " + second) + ")";
                const std::optional<double> expected = nearestByMpfr(row, argument, second, unit);
                if (!expected) {
                    ++skipped;
                    continue;
                }
                SCOPED_TRACE(text + " unit " + std::to_string(unit));
                const auto computed =
                    calculator.compute(std::u16string(text.begin(), text.end()), unit);
                ++compared;
                if (std::isnan(*expected) || std::isinf(*expected)) {
                    ASSERT_FALSE(computed.ok) << computed.value;
                    continue;
                }
                ASSERT_TRUE(computed.ok) << printable(computed.error.Description);
                EXPECT_EQ(computed.value, *expected + 0.0)
                    << hexOf(computed.value) << " against " << hexOf(*expected);
            }
        }
    }
    EXPECT_LT(skipped, compared / 1000) << skipped << " skipped, " << compared << " compared";
}

TEST(Values, UnitIsReadAtEvaluationNotAtCompile) {
    Calculator calculator;
    auto& slot = calculator.slot();
    slot.setText(u"sin(90)");
    slot.Compile();
    calculator.vexa().setAngleUnit(Degrees);
    EXPECT_EQ(slot.Evaluate(), 1.0);
    calculator.vexa().setAngleUnit(Radians);
    EXPECT_EQ(slot.Evaluate(), 0.8939966636005579); // sin of 90 radians
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
