// Splits an expression text into tokens that are spans of that text.
#pragma once

#include <cstdint>
#include <string_view>

namespace vexa {

enum class TokenKind : std::uint8_t {
    Number,            // '5', '5.', '.5', '2.5E-3'
    Name,              // an ASCII letter, then letters and digits
    Plus,              // '+'
    Minus,             // '-'
    Star,              // '*'
    Slash,             // '/'
    Caret,             // '^'
    LeftParen,         // '('
    RightParen,        // ')'
    Comma,             // ','
    End,               // past the last character; its start is the text's length
    BadCharacter,      // one 16-bit unit that starts no token
    StrayDecimalPoint, // a '.' that belongs to no number
};

struct Token {
    TokenKind kind;
    std::uint32_t start;  // 0-based index into the text, in 16-bit units
    std::uint32_t length; // 0 for End
};

// Reads tokens one at a time, so that a parser meets them, and their faults, in reading order.
// Blanks (space and tab) between tokens are skipped. The text must outlive the tokenizer and
// be no longer than maxTextLength.
class Tokenizer {
public:
    explicit Tokenizer(std::u16string_view text) : text_(text) {}

    // The next token; End again and again once the text is used up.
    Token next();

private:
    std::size_t scanNumber(std::size_t from) const;

    std::u16string_view text_;
    std::size_t pos_ = 0;
    // Where the last number token ended, to recognise the second point of '1.2.3'.
    std::size_t numberEnd_ = std::u16string_view::npos;
};

} // namespace vexa
