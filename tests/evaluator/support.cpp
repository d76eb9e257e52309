#include "support.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace vexa_test {

Calculator::Calculator()
    : vexa_(vexa::makeVexa()), slot_(&vexa_->Expressions().Add(u"Ex1", u"", u"")) {}

Computed Calculator::compute(std::u16string_view text, std::int32_t unit) {
    Computed result;
    vexa_->setAngleUnit(unit);
    slot_->setText(text);
    try {
        slot_->Compile();
        result.compiled = true;
        result.value = slot_->Evaluate();
        result.ok = true;
        EXPECT_EQ(vexa_->LastError().Number, 0);
    } catch (const vexa::Failure& failure) {
        result.error = vexa_->LastError();
        EXPECT_NE(failure.Number(), 0);
        EXPECT_EQ(failure.Number(), result.error.Number);
        EXPECT_EQ(failure.Description(), result.error.Description);
        const auto& entry = vexa::errorEntry(static_cast<vexa::ErrorCode>(result.error.Number));
        // The table's description; an unexpected character also names the character.
        const std::u16string_view shown = result.error.Description;
        if (entry.code == vexa::ErrorCode::UnexpectedCharacter) {
            EXPECT_TRUE(shown.starts_with(entry.description) &&
                        shown.size() > entry.description.size())
                << printable(shown);
        } else {
            EXPECT_EQ(entry.description, shown);
        }
        EXPECT_EQ(static_cast<std::int32_t>(entry.kind), result.error.Kind);
    }
    return result;
}

std::string printable(std::u16string_view text) {
    std::string out = "'";
    for (const char16_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    return out + "'";
}

std::u16string repeat(std::u16string_view piece, std::size_t times) {
    std::u16string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

} // namespace vexa_test
