// The result text: 15 significant digits in the C locale, and it survives being computed again.
#include "support.h"

#include "evaluator/number_text.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace {

struct Formatted {
    double value;
    const char* text;
};

constexpr Formatted formatted[] = {
    {2, " 2"},
    {-3, "-3"},
    {0.1 + 0.2, " 0.3"},
    {1.0 / 3, " 0.333333333333333"},
    {0.7071067811865475, " 0.707106781186547"},
    {1e15, " 1e+15"},
    {1e14, " 100000000000000"},
    {123456789012345, " 123456789012345"},
    {1234567890123456, " 1.23456789012346e+15"},
    {1e-5, " 1e-05"},
    {1e-4, " 0.0001"},
    {-2.5e-7, "-2.5e-07"},
    {0.0, " 0"},
    {-0.0, " 0"},
    {1e100, " 1e+100"},
    {std::numeric_limits<double>::denorm_min(), " 4.94065645841247e-324"},
    {DBL_MIN, " 2.2250738585072e-308"},
    {1.7e308, " 1.7e+308"},
    // Rounded to 15 digits these would exceed the largest double.
    {DBL_MAX, " 1.7976931348623157e+308"},
    {-DBL_MAX, "-1.7976931348623157e+308"},
    {0x1.ffffffffffffep+1023, " 1.7976931348623155e+308"},
};

TEST(NumberText, Table) {
    for (const Formatted& row : formatted) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(vexa::formatResult(row.value), row.text);
        const std::string narrow = row.text;
        EXPECT_EQ(vexa::formatResultU16(row.value), std::u16string(narrow.begin(), narrow.end()));
    }
}

// The same text as printf "%.15g" (this process keeps the C locale), wherever that text
// reads back as a finite number.
std::string reference(double value) {
    if (value == 0) {
        return " 0";
    }
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", value);
    if (!std::isfinite(std::strtod(text, nullptr))) {
        return {};
    }
    std::string result(value < 0 ? "" : " ");
    result += text;
    return result;
}

// Any finite double: its text matches printf, reads back as a finite number, and computing
// the text again shows the same text.
void expectRoundTrip(double value, vexa_test::Calculator& calculator) {
    const std::string text = vexa::formatResult(value);
    const std::string expected = reference(value);
    if (!expected.empty()) {
        ASSERT_EQ(text, expected) << std::hexfloat << value;
    }
    ASSERT_TRUE(std::isfinite(std::strtod(text.c_str(), nullptr))) << text;
    const auto again = calculator.compute(vexa::formatResultU16(value));
    ASSERT_TRUE(again.ok) << text;
    ASSERT_EQ(vexa::formatResult(again.value), text);
}

TEST(NumberText, RandomDoublesRoundTrip) {
    vexa_test::Calculator calculator;
    std::mt19937_64 random(20240517);
    int checked = 0;
    while (checked < 100000) {
        const double value = std::bit_cast<double>(random());
        if (std::isfinite(value)) {
            expectRoundTrip(value, calculator);
            ++checked;
        }
    }
}

TEST(NumberText, RandomModestDoublesRoundTrip) {
    vexa_test::Calculator calculator;
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-20, 20);
    for (int i = 0; i < 50000; ++i) {
        expectRoundTrip(mantissa(random) * std::pow(10.0, exponent(random)), calculator);
    }
}

TEST(NumberText, LargestDoublesRoundTrip) {
    vexa_test::Calculator calculator;
    double value = DBL_MAX;
    for (int i = 0; i < 2000; ++i) {
        expectRoundTrip(value, calculator);
        expectRoundTrip(-value, calculator);
        value = std::nextafter(value, 0.0);
    }
}

} // namespace
