// What the evaluator computes: literals, blanks, precedence, every function in every unit.
#include "support.h"

#include "evaluator/functions.h"
#include "evaluator/number_text.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <span>

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
    {u"sin(pi/4)", Radians, " 0.707106781186547"},
    {u"Cos(pi)", Radians, "-1"},
    {u"tan(pi/4)", Radians, " 1"},
    {u"tan(pi/2)", Radians, " 1.63312393531954e+16"},
    {u"cot(1)", Radians, " 0.642092615934331"},
    {u"cot(pi/2)", Radians, " 6.12323399573677e-17"},
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
