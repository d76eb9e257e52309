#include "evaluator/tokenizer.h"

#include <limits>

namespace vexa {
namespace {

bool isAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool isAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

constexpr char16_t piLetter = u'\u03C0';
constexpr char16_t rootSign = u'\u221A';
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
    if (i >= text_.size()) {
        return false;
    }
    const char16_t c = text_[i] < 0x80 ? text_[i] : asciiOf(text_[i]);
    return isAsciiDigit(c);
}

// A unit outside ASCII that is no blank: one that stands for an ASCII character is read as
// that character; the others are pi, the root sign, superscripts or a bad character.
Token Tokenizer::fromOther(std::size_t start, char16_t unit) {
    if (const char16_t c = asciiOf(unit); c != 0) {
        return fromAscii(start, c);
    }
    if (unit == piLetter) {
        nameKey_ = packName("pi");
        return make(TokenKind::Name, start, start + 1); // a name of its own: 'π2' is two operands
    }
    if (unit == rootSign) {
        return make(TokenKind::Root, start, start + 1);
    }
    if (const std::size_t end = scanSuperscript(start); end > start) {
        return make(TokenKind::Superscript, start, end);
    }
    // A character outside the basic plane is one character in two units, and is named whole.
    const bool pair = unit >= 0xD800 && unit <= 0xDBFF && start + 1 < text_.size() &&
                      text_[start + 1] >= 0xDC00 && text_[start + 1] <= 0xDFFF;
    return make(TokenKind::BadCharacter, start, start + (pair ? 2 : 1));
}

// name = letter { letter | digit }
Token Tokenizer::name(std::size_t start) {
    std::size_t end = start;
    std::uint64_t key = 0;
    while (end < text_.size()) {
        const char16_t c = text_[end] < 0x80 ? text_[end] : asciiOf(text_[end]);
        if (!isAsciiLetter(c) && !isAsciiDigit(c)) {
            break;
        }
        key = packNameCharacter(key, c);
        ++end;
    }
    nameKey_ = end - start > 8 ? 0 : key;
    return make(TokenKind::Name, start, end);
}

// digits { separator digits }: a digit-group separator counts only between two digits. The
// digits are gathered into the mantissa while it fits in 64 bits.
std::size_t Tokenizer::scanDigits(std::size_t from, bool fraction, Digits& digits) const {
    constexpr std::uint64_t mantissaLimit = std::numeric_limits<std::uint64_t>::max() / 10;
    std::size_t end = from;
    for (;;) {
        if (end == text_.size()) {
            return end;
        }
        const char16_t c = text_[end] < 0x80 ? text_[end] : asciiOf(text_[end]);
        if (!isAsciiDigit(c)) {
            return end;
        }
        if (digits.mantissa < mantissaLimit) {
            digits.mantissa = digits.mantissa * 10 + (c - u'0');
            digits.scale -= fraction ? 1 : 0;
        } else {
            digits.exact = false;
        }
        ++end;
        if (end + 1 < text_.size() && text_[end] >= 0x80 && isDigitGroupSeparator(text_[end]) &&
            digitAt(end + 1)) {
            ++end;
        }
    }
}

// number = digits ["." digits] [("e" | "E") ["+" | "-"] digits]: see generalNumber().
// Most numbers are a few ASCII digits, perhaps with a point, followed by an ASCII character
// that ends them: their digits are gathered on the way.
Token Tokenizer::number(std::size_t start) {
    std::size_t end = start;
    std::uint64_t digits = 0;
    while (end < text_.size() && static_cast<unsigned>(text_[end] - u'0') <= 9) {
        digits = digits * 10 + (text_[end] - u'0');
        ++end;
    }
    std::size_t fraction = 0;
    const bool point = end < text_.size() && text_[end] == u'.';
    if (point) {
        const std::size_t first = ++end;
        while (end < text_.size() && static_cast<unsigned>(text_[end] - u'0') <= 9) {
            digits = digits * 10 + (text_[end] - u'0');
            ++end;
        }
        fraction = end - first;
    }
    // No digit at all when the number starts with a full-width one: the general road reads it.
    const std::size_t count = end - start - (point ? 1 : 0);
    // Up to 19 digits cannot overflow 64 bits.
    if (count - 1 < 19 && (end == text_.size() || (text_[end] < 0x80 && text_[end] != u'.' &&
                                                   (text_[end] | 0x20) != u'e'))) {
        numberShort_ = true;
        numberMantissa_ = digits;
        numberScale_ = -static_cast<int>(fraction);
        numberEnd_ = end;
        return make(TokenKind::Number, start, end);
    }
    return generalNumber(start);
}

// number = digits ["." digits] [("e" | "E") ["+" | "-"] digits], with a digit somewhere in
// the mantissa. The exponent is taken only when a digit, or a sign and a digit, follows the
// 'e', so '2e' is the number 2 followed by the name 'e'.
Token Tokenizer::generalNumber(std::size_t start) {
    const auto at = [&](std::size_t i) {
        return i < text_.size() ? (text_[i] < 0x80 ? text_[i] : asciiOf(text_[i])) : char16_t{0};
    };
    Digits mantissa;
    std::size_t end = scanDigits(start, false, mantissa);
    if (at(end) == u'.') {
        end = scanDigits(end + 1, true, mantissa);
    }
    if (at(end) == u'e' || at(end) == u'E') {
        std::size_t digits = end + 1;
        const bool negative = at(digits) == u'-';
        if (negative || at(digits) == u'+') {
            ++digits;
        }
        if (digitAt(digits)) {
            Digits exponent;
            end = scanDigits(digits, false, exponent);
            // A long exponent leaves the number to the compiler, which bounds it.
            const bool small = exponent.exact && exponent.mantissa <= 100000;
            const int written = small ? static_cast<int>(exponent.mantissa) : 0;
            mantissa.exact = mantissa.exact && small;
            mantissa.scale += negative ? -written : written;
        }
    }
    numberEnd_ = end;
    numberShort_ = mantissa.exact;
    numberMantissa_ = mantissa.mantissa;
    numberScale_ = mantissa.scale;
    return make(TokenKind::Number, start, end);
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
