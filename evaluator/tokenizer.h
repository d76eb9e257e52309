// Splits an expression text into tokens that are spans of that text.
#pragma once

#include <array>
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
    Bang,              // '!', the factorial
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

// A name folded to lower case and packed into one integer, a byte per character, so that
// looking it up takes one comparison. Names longer than eight characters pack to 0, which is no
// name's key.
constexpr std::uint64_t packNameCharacter(std::uint64_t key, char16_t letterOrDigit) {
    return key << 8 | ((letterOrDigit | 0x20) & 0xFF); // bit 5 lowers a letter, keeps a digit
}

constexpr std::uint64_t packName(std::string_view name) {
    std::uint64_t key = 0;
    for (const char c : name) {
        key = packNameCharacter(key, static_cast<char16_t>(c));
    }
    return name.size() > 8 ? 0 : key;
}

// How an ASCII character, or a unit that stands for one, starts a token. The characters that
// are tokens by themselves come last, in the order of their TokenKind.
enum class TokenStart : std::uint8_t {
    Other,
    Blank,
    Digit,
    Point,
    Letter,
    Plus,
    Minus,
    Star,
    Slash,
    Caret,
    LeftParen,
    RightParen,
    Comma,
    Bang,
};

inline constexpr std::array<TokenStart, 128> tokenStarts = [] {
    std::array<TokenStart, 128> table{};
    for (char16_t c = 0; c < 128; ++c) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
            table[c] = TokenStart::Blank;
        } else if (c >= u'0' && c <= u'9') {
            table[c] = TokenStart::Digit;
        } else if (c == u'.') {
            table[c] = TokenStart::Point;
        } else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) {
            table[c] = TokenStart::Letter;
        }
    }
    constexpr std::u16string_view singles = u"+-*/^(),!";
    for (std::size_t i = 0; i < singles.size(); ++i) {
        table[singles[i]] = static_cast<TokenStart>(static_cast<std::size_t>(TokenStart::Plus) + i);
    }
    return table;
}();

// Reads tokens one at a time, so that a parser meets them, and their faults, in reading order.
// Blanks between tokens are skipped. The text must outlive the tokenizer and be no longer
// than maxTextLength.
class Tokenizer {
public:
    explicit Tokenizer(std::u16string_view text) : text_(text) {}

    // The next token; End again and again once the text is used up.
    Token next();

    // The digits of the number token just read, as an integer and the power of ten that
    // scales it ('12.5' is 125 and -1, '2e3' is 2 and 3), when they fit in 64 bits; false when
    // the compiler must read the token's digits itself.
    bool numberIsShort() const { return numberShort_; }
    std::uint64_t numberMantissa() const { return numberMantissa_; }
    int numberScale() const { return numberScale_; }
    // The packed key of the name token just read ('π' as 'pi').
    std::uint64_t nameKey() const { return nameKey_; }

private:
    Token fromAscii(std::size_t start, char16_t c);
    Token fromOther(std::size_t start, char16_t unit);
    Token number(std::size_t start);
    Token generalNumber(std::size_t start);
    Token name(std::size_t start);
    // A number's digits as an integer, the power of ten that scales it, and whether the
    // integer holds them all.
    struct Digits {
        std::uint64_t mantissa = 0;
        int scale = 0;
        bool exact = true;
    };
    std::size_t scanDigits(std::size_t from, bool fraction, Digits& digits) const;
    std::size_t scanSuperscript(std::size_t from) const;
    bool digitAt(std::size_t i) const;
    Token make(TokenKind kind, std::size_t start, std::size_t end) {
        pos_ = end;
        return {kind, static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end - start)};
    }

    std::u16string_view text_;
    std::size_t pos_ = 0;
    // Where the last number token ended, to recognise the second point of '1.2.3'.
    std::size_t numberEnd_ = std::u16string_view::npos;
    // The digits of the last number read, where they fit.
    bool numberShort_ = false;
    std::uint64_t numberMantissa_ = 0;
    int numberScale_ = 0;
    std::uint64_t nameKey_ = 0;
};

// Inline, because a short text is read in a few dozen instructions and a call per token
// would be a good part of them. Units outside ASCII go to fromOther().
inline Token Tokenizer::next() {
    std::size_t start = pos_;
    for (;;) {
        while (start < text_.size() && text_[start] < 0x80 &&
               tokenStarts[text_[start]] == TokenStart::Blank) {
            ++start;
        }
        if (start == text_.size()) {
            return make(TokenKind::End, start, start);
        }
        if (text_[start] < 0x80) {
            return fromAscii(start, text_[start]);
        }
        if (!isBlank(text_[start])) {
            return fromOther(start, text_[start]);
        }
        ++start;
    }
}

// The token that starts at start with the ASCII character c, or with a unit that stands for c.
inline Token Tokenizer::fromAscii(std::size_t start, char16_t c) {
    const TokenStart kind = tokenStarts[c];
    switch (kind) {
    case TokenStart::Digit:
        return number(start);
    case TokenStart::Point:
        if (start == numberEnd_ || !digitAt(start + 1)) {
            return make(TokenKind::StrayDecimalPoint, start, start + 1);
        }
        return number(start);
    case TokenStart::Letter:
        return name(start);
    case TokenStart::Other:
    case TokenStart::Blank:
        return make(TokenKind::BadCharacter, start, start + 1);
    default:
        return make(static_cast<TokenKind>(static_cast<int>(kind) -
                                           static_cast<int>(TokenStart::Plus) +
                                           static_cast<int>(TokenKind::Plus)),
                    start, start + 1);
    }
}

static_assert(static_cast<int>(TokenKind::Bang) - static_cast<int>(TokenKind::Plus) ==
                  static_cast<int>(TokenStart::Bang) - static_cast<int>(TokenStart::Plus),
              "the single-character tokens are in the same order in both enumerations");

} // namespace vexa
