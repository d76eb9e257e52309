// Splits an expression text into tokens that are spans of that text.
#pragma once

#include <cstdint>
#include <string_view>

namespace vexa {

enum class TokenKind : std::uint8_t {
    Number,            // '5', '5.', '.5', '2.5E-3', '1 000' with thin spaces, '１.５'
    Name,              // an ASCII letter, then letters and digits; or 'π' alone
    Plus,              // '+'
    Minus,             // '-', '−'
    Star,              // '*', '×', '·'
    Slash,             // '/', '÷'
    Caret,             // '^'
    LeftParen,         // '('
    RightParen,        // ')'
    Comma,             // ','
    End,               // past the last character; its start is the text's length
    BadCharacter,      // a character that starts no token: one unit, or both units of a pair
    StrayDecimalPoint, // a '.' that belongs to no number
    Root,              // '√'
    Superscript,       // '²', '⁻³': an optional superscript sign, then superscript digits
};

struct Token {
    TokenKind kind;
    std::uint32_t start;  // 0-based index into the text, in 16-bit units
    std::uint32_t length; // 0 for End
};

// What a unit of the text stands for where an ASCII character may stand: itself when ASCII;
// the ASCII counterpart of a full-width form and of the usual pasted signs for minus, times
// and divided by; 0 for anything else. Blanks are told apart by isBlank().
char16_t asciiOf(char16_t unit);

// Blanks between tokens: ASCII space, tab, line feed and carriage return, every Unicode space
// separator, the line and paragraph separators and the invisible zero-width characters.
bool isBlank(char16_t unit);

// The value 0-9 of a superscript digit, or -1.
int superscriptDigit(char16_t unit);

// Spaces that group the digits of a number ('1 000 000' with thin spaces); skipped only
// between two digits.
bool isDigitGroupSeparator(char16_t unit);

// Reads tokens one at a time, so that a parser meets them, and their faults, in reading order.
// Blanks between tokens are skipped. The text must outlive the tokenizer and be no longer
// than maxTextLength.
class Tokenizer {
public:
    explicit Tokenizer(std::u16string_view text) : text_(text) {}

    // The next token; End again and again once the text is used up.
    Token next();

private:
    std::size_t scanNumber(std::size_t from) const;
    std::size_t scanDigits(std::size_t from) const;
    std::size_t scanSuperscript(std::size_t from) const;
    bool digitAt(std::size_t i) const;

    std::u16string_view text_;
    std::size_t pos_ = 0;
    // Where the last number token ended, to recognise the second point of '1.2.3'.
    std::size_t numberEnd_ = std::u16string_view::npos;
};

} // namespace vexa
