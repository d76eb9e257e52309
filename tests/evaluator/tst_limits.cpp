// Nesting limits and very long texts: they compute or fail cleanly, never crash or hang.
#include "support.h"

#include "evaluator/compiler.h"
#include "evaluator/number_text.h"

#include <gtest/gtest.h>

namespace {

using vexa::ErrorCode;
using vexa_test::Calculator;
using vexa_test::number;
using vexa_test::repeat;

constexpr std::size_t boxLength = 32767; // what the window's expression box holds

struct Nested {
    const char* name;
    std::u16string_view open; // repeated `depth` times before the core
    std::u16string_view core;
    std::u16string_view close; // repeated `depth` times after it
    double value;              // at the deepest depth that works
};

// Each row opens one nesting level per repetition.
constexpr Nested shapes[] = {
    {"parentheses", u"(", u"-1", u")", -1},
    {"calls", u"abs(", u"-1", u")", 1},
    {"two-argument calls", u"pow(1,", u"2", u")", 1},
    {"signed groups", u"-(", u"1", u")", 1},
    {"powers", u"1^", u"1", u"", 1},
    {"powers with signed exponents", u"1^-", u"1", u"", 1},
};

TEST(Limits, NestingWorksToTheLimitAndFailsBeyondIt) {
    Calculator calculator;
    for (const Nested& shape : shapes) {
        SCOPED_TRACE(shape.name);
        const auto text = [&](std::size_t depth) {
            return repeat(shape.open, depth) + std::u16string(shape.core) +
                   repeat(shape.close, depth);
        };
        const auto deepest = calculator.compute(text(vexa::maxNesting));
        ASSERT_TRUE(deepest.ok) << vexa_test::printable(deepest.error.Description);
        EXPECT_EQ(deepest.value, shape.value);

        // The opener of the level one too deep: '(' for groups and calls, '^' for powers.
        const std::u16string tooDeep = text(vexa::maxNesting + 1);
        const std::size_t lastOpen = shape.open.size() * vexa::maxNesting;
        const std::size_t opener = tooDeep.find_first_of(u"(^", lastOpen);
        const auto failed = calculator.compute(tooDeep);
        ASSERT_FALSE(failed.ok);
        EXPECT_EQ(failed.error.Number, number(ErrorCode::NestedTooDeeply));
        EXPECT_EQ(failed.error.Kind, 0);
        EXPECT_EQ(failed.error.Position, static_cast<std::int32_t>(opener) + 1);
    }
}

TEST(Limits, MixedNestingCountsEveryLevel) {
    Calculator calculator;
    const std::size_t half = vexa::maxNesting / 2;
    const std::u16string fits = repeat(u"(sqrt(", half) + u"4" + repeat(u"))", half);
    EXPECT_TRUE(calculator.compute(fits).ok);
    const std::u16string over = u"(" + fits + u")";
    const auto failed = calculator.compute(over);
    EXPECT_EQ(failed.error.Number, number(ErrorCode::NestedTooDeeply));
    EXPECT_EQ(failed.error.Position, static_cast<std::int32_t>(fits.find(u'4')) + 1);
}

TEST(Limits, RunsOfSignsHaveNoDepthLimit) {
    Calculator calculator;
    EXPECT_EQ(calculator.compute(repeat(u"-", boxLength - 1) + u"1").value, 1.0);
    EXPECT_EQ(calculator.compute(repeat(u"-", boxLength - 2) + u" 1").value, -1.0);
    EXPECT_EQ(calculator.compute(u"2^" + repeat(u"+-", 16000) + u"-1").value, 0.5);
}

struct LongText {
    const char* name;
    std::u16string text;
    const char* shown;         // the result text, or nullptr when it fails
    ErrorCode code;            // when it fails
    std::int32_t position = 0; // when it fails
};

std::u16string filled(std::u16string_view head, std::u16string_view piece, std::u16string_view tail,
                      std::size_t length = boxLength) {
    std::u16string text(head);
    while (text.size() + piece.size() + tail.size() <= length) {
        text += piece;
    }
    text += tail;
    text.resize(length, u' ');
    return text;
}

std::vector<LongText> longTexts() {
    const std::size_t nest = vexa::maxNesting;
    const std::u16string deepGroup = repeat(u"(", nest) + u"1" + repeat(u")", nest);
    return {
        {"flat sum", filled(u"1", u"+1", u""), " 16384", {}},
        {"flat product", filled(u"1", u"*1", u""), " 1", {}},
        {"alternating signs", filled(u"1", u"-1+1", u""), " 1", {}},
        {"divisions", filled(u"1", u"/1", u""), " 1", {}},
        {"calls in a row", filled(u"0", u"+sin(0)", u""), " 0", {}},
        {"deep groups in a row", filled(deepGroup, u"+" + deepGroup, u""), " 63", {}},
        {"tiny literal", filled(u"0.", u"0", u"1"), " 0", {}},
        {"blanks", filled(u"", u" ", u""), nullptr, ErrorCode::NothingToCompute, 0},
        {"huge literal", filled(u"", u"9", u""), nullptr, ErrorCode::NumberTooLarge, 1},
        {"long name", filled(u"", u"a", u""), nullptr, ErrorCode::UnknownName, 1},
        {"open parentheses", filled(u"", u"(", u""), nullptr, ErrorCode::NestedTooDeeply,
         static_cast<std::int32_t>(nest) + 1},
        {"nested calls", filled(u"", u"sin(", u""), nullptr, ErrorCode::NestedTooDeeply,
         static_cast<std::int32_t>(4 * nest + 4)},
        {"power chain", filled(u"2", u"^2", u""), nullptr, ErrorCode::NestedTooDeeply,
         static_cast<std::int32_t>(2 * nest + 2)},
        {"only minus signs", filled(u"", u"-", u""), nullptr, ErrorCode::UnexpectedEnd,
         static_cast<std::int32_t>(boxLength) + 1},
        {"commas", filled(u"", u"1,", u""), nullptr, ErrorCode::MisplacedComma, 2},
        {"too many arguments", filled(u"sin(1", u",1", u")"), nullptr, ErrorCode::TooManyArguments,
         1},
        {"bad characters", filled(u"", u"#", u""), nullptr, ErrorCode::UnexpectedCharacter, 1},
        {"roots in a row", filled(u"", u"\u221A", u"4"), " 1", {}},
        {"pasted blanks", filled(u"", u"\u2009", u"1"), " 1", {}},
        {"long superscript", filled(u"1", u"\u00B2", u""), " 1", {}}, // 1 to a 32,766-digit power
        {"grouped digits", filled(u"1", u"\u20090", u""), nullptr, ErrorCode::NumberTooLarge, 1},
        // The value is 10^1638300, which only the result may not be: at the last operation.
        // Alone, a literal too long to hold exactly that lies at the midpoint between the
        // largest double and 2^1024, which rounds to infinity.
        {"midpoint literal",
         filled(u"179769313486231580793728971405303415079934132710037826936173778980444968292764750"
                u"946649017977587207096330286416692887910946555547851940402630657488671505820681908"
                u"902000708383676273854845817711531764475730270069855571366959622842914819860834936"
                u"475292719074168444365510704342711559699508093042880177904174497792.",
                u"0", u""),
         nullptr, ErrorCode::NumberTooLarge, 1},
        {"overflowing product", filled(u"1e300", u"*1e300", u""), nullptr,
         ErrorCode::ResultTooLarge, 32760},
    };
}

TEST(Limits, TextsAsLongAsTheBox) {
    Calculator calculator;
    for (const LongText& row : longTexts()) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(row.text.size(), boxLength);
        const auto computed = calculator.compute(row.text);
        if (row.shown != nullptr) {
            ASSERT_TRUE(computed.ok) << vexa_test::printable(computed.error.Description) << " at "
                                     << computed.error.Position;
            EXPECT_EQ(vexa::formatResult(computed.value), row.shown);
        } else {
            ASSERT_FALSE(computed.ok);
            EXPECT_EQ(computed.error.Number, number(row.code));
            EXPECT_EQ(computed.error.Position, row.position);
        }
    }
}

// A function key wraps the whole box, so texts a little longer than the box arrive too.
TEST(Limits, FunctionWrappedAroundAFullBox) {
    Calculator calculator;
    const auto sum = calculator.compute(u"log10(" + filled(u"1", u"+1", u"") + u")");
    ASSERT_TRUE(sum.ok);
    EXPECT_EQ(vexa::formatResult(sum.value), " 4.21441993929574");
    // A literal of 32,767 digits is exact inside a larger text.
    const auto digits = calculator.compute(u"log10(" + filled(u"", u"1", u"") + u")");
    ASSERT_TRUE(digits.ok);
    EXPECT_EQ(vexa::formatResult(digits.value), " 32766.0457574906");
}

TEST(Limits, LongestAcceptedText) {
    Calculator calculator;
    const auto longest = calculator.compute(filled(u"1", u"+1", u"", vexa::maxTextLength));
    EXPECT_TRUE(longest.ok);
    const auto tooLong = calculator.compute(filled(u"1", u"+1", u"", vexa::maxTextLength + 1));
    ASSERT_FALSE(tooLong.ok);
    EXPECT_EQ(tooLong.error.Number, number(ErrorCode::TextTooLong));
    EXPECT_EQ(tooLong.error.Kind, 1);
    EXPECT_EQ(tooLong.error.Position, 0);
}

} // namespace
