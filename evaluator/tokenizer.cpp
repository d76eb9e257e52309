#include "evaluator/tokenizer.h"

namespace vexa {
namespace {

bool isAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool isAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

constexpr char16_t pi = u'\u03C0';
constexpr char16_t squareRoot = u'\u221A';
constexpr char16_t superscriptPlus = u'\u207A';
constexpr char16_t superscriptMinus = u'\u207B';

} // namespace

char16_t asciiOf(char16_t unit) {
    if (unit < 0x80) {
        return unit;
    }
    if (unit >= 0xFF01 && unit <= 0xFF5E) {
        return static_cast<char16_t>(unit - 0xFEE0); // the full-width forms, in ASCII order
    }
    switch (unit) {
    case u'\u2212': // minus sign
    case u'\u2012': // figure dash
    case u'\u2013': // en dash
        return u'-';
    case u'\u00D7': // multiplication sign
    case u'\u00B7': // middle dot
    case u'\u22C5': // dot operator
    case u'\u2217': // asterisk operator
        return u'*';
    case u'\u00F7': // division sign
    case u'\u2215': // division slash
        return u'/';
    default:
        return 0;
    }
}

bool isBlank(char16_t unit) {
    if (unit < 0x80) {
        return unit == u' ' || unit == u'\t' || unit == u'\n' || unit == u'\r';
    }
    switch (unit) {
    case u'\u00A0': // no-break space
    case u'\u1680': // ogham space mark
    case u'\u202F': // narrow no-break space
    case u'\u205F': // medium mathematical space
    case u'\u3000': // ideographic space
    case u'\u2028': // line separator
    case u'\u2029': // paragraph separator
    case u'\u200B': // zero width space
    case u'\u2060': // word joiner
    case u'\uFEFF': // zero width no-break space, the byte order mark
        return true;
    default:
        return unit >= 0x2000 && unit <= 0x200A; // en quad to hair space
    }
}

int superscriptDigit(char16_t unit) {
    switch (unit) {
    case u'\u2070':
        return 0;
    case u'\u00B9':
        return 1;
    case u'\u00B2':
        return 2;
    case u'\u00B3':
        return 3;
    default:
        return unit >= 0x2074 && unit <= 0x2079 ? unit - 0x2070 : -1;
    }
}

bool isDigitGroupSeparator(char16_t unit) {
    return unit == u'\u00A0' || unit == u'\u2007' || unit == u'\u2009' || unit == u'\u202F';
}

bool Tokenizer::digitAt(std::size_t i) const {
    return i < text_.size() && isAsciiDigit(asciiOf(text_[i]));
}

Token Tokenizer::next() {
    while (pos_ < text_.size() && isBlank(text_[pos_])) {
        ++pos_;
    }
    const std::size_t start = pos_;
    const auto make = [&](TokenKind kind, std::size_t end) {
        pos_ = end;
        return Token{kind, static_cast<std::uint32_t>(start),
                     static_cast<std::uint32_t>(end - start)};
    };
    if (start == text_.size()) {
        return make(TokenKind::End, start);
    }

    const char16_t unit = text_[start];
    const char16_t c = asciiOf(unit);
    if (c == u'.' && (start == numberEnd_ || !digitAt(start + 1))) {
        return make(TokenKind::StrayDecimalPoint, start + 1);
    }
    if (isAsciiDigit(c) || c == u'.') {
        numberEnd_ = scanNumber(start);
        return make(TokenKind::Number, numberEnd_);
    }
    if (isAsciiLetter(c)) {
        std::size_t end = start + 1;
        while (end < text_.size() &&
               (isAsciiLetter(asciiOf(text_[end])) || isAsciiDigit(asciiOf(text_[end])))) {
            ++end;
        }
        return make(TokenKind::Name, end);
    }
    switch (c) {
    case u'+':
        return make(TokenKind::Plus, start + 1);
    case u'-':
        return make(TokenKind::Minus, start + 1);
    case u'*':
        return make(TokenKind::Star, start + 1);
    case u'/':
        return make(TokenKind::Slash, start + 1);
    case u'^':
        return make(TokenKind::Caret, start + 1);
    case u'(':
        return make(TokenKind::LeftParen, start + 1);
    case u')':
        return make(TokenKind::RightParen, start + 1);
    case u',':
        return make(TokenKind::Comma, start + 1);
    default:
        break;
    }
    if (unit == pi) {
        return make(TokenKind::Name, start + 1); // a name of its own: 'π2' is two operands
    }
    if (unit == squareRoot) {
        return make(TokenKind::Root, start + 1);
    }
    if (const std::size_t end = scanSuperscript(start); end > start) {
        return make(TokenKind::Superscript, end);
    }
    // A character outside the basic plane is one character in two units, and is named whole.
    const bool pair = unit >= 0xD800 && unit <= 0xDBFF && start + 1 < text_.size() &&
                      text_[start + 1] >= 0xDC00 && text_[start + 1] <= 0xDFFF;
    return make(TokenKind::BadCharacter, start + (pair ? 2 : 1));
}

// digits { separator digits }: a digit-group separator counts only between two digits.
std::size_t Tokenizer::scanDigits(std::size_t from) const {
    std::size_t end = from;
    while (digitAt(end)) {
        ++end;
        if (end + 1 < text_.size() && isDigitGroupSeparator(text_[end]) && digitAt(end + 1)) {
            ++end;
        }
    }
    return end;
}

// digits ["." digits] [("e" | "E") ["+" | "-"] digits], with a digit somewhere in the
// mantissa. The exponent is taken only when a digit, or a sign and a digit, follows the 'e',
// so '2e' is the number 2 followed by the name 'e'.
std::size_t Tokenizer::scanNumber(std::size_t from) const {
    const auto at = [&](std::size_t i) {
        return i < text_.size() ? asciiOf(text_[i]) : char16_t{0};
    };
    std::size_t end = scanDigits(from);
    if (at(end) == u'.') {
        end = scanDigits(end + 1);
    }
    if (at(end) == u'e' || at(end) == u'E') {
        std::size_t digits = end + 1;
        if (at(digits) == u'+' || at(digits) == u'-') {
            ++digits;
        }
        if (digitAt(digits)) {
            end = scanDigits(digits);
        }
    }
    return end;
}

// [superscript sign] superscript digit { superscript digit }; a sign alone is no token.
std::size_t Tokenizer::scanSuperscript(std::size_t from) const {
    std::size_t end = from;
    if (text_[end] == superscriptPlus || text_[end] == superscriptMinus) {
        ++end;
    }
    const std::size_t digits = end;
    while (end < text_.size() && superscriptDigit(text_[end]) >= 0) {
        ++end;
    }
    return end > digits ? end : from;
}

} // namespace vexa
