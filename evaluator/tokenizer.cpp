#include "evaluator/tokenizer.h"

namespace vexa {
namespace {

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool isLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

} // namespace

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

    const char16_t c = text_[start];
    const bool digitFollows = start + 1 < text_.size() && isDigit(text_[start + 1]);
    if (c == u'.' && (start == numberEnd_ || !digitFollows)) {
        return make(TokenKind::StrayDecimalPoint, start + 1);
    }
    if (isDigit(c) || c == u'.') {
        numberEnd_ = scanNumber(start);
        return make(TokenKind::Number, numberEnd_);
    }
    if (isLetter(c)) {
        std::size_t end = start + 1;
        while (end < text_.size() && (isLetter(text_[end]) || isDigit(text_[end]))) {
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
        return make(TokenKind::BadCharacter, start + 1);
    }
}

// digits ["." digits] [("e" | "E") ["+" | "-"] digits], with a digit somewhere in the
// mantissa. The exponent is taken only when a digit, or a sign and a digit, follows the 'e',
// so '2e' is the number 2 followed by the name 'e'.
std::size_t Tokenizer::scanNumber(std::size_t from) const {
    const auto digitAt = [&](std::size_t i) {
        return i < text_.size() && isDigit(text_[i]);
    };
    std::size_t end = from;
    while (digitAt(end)) {
        ++end;
    }
    if (end < text_.size() && text_[end] == u'.') {
        ++end;
        while (digitAt(end)) {
            ++end;
        }
    }
    if (end < text_.size() && (text_[end] == u'e' || text_[end] == u'E')) {
        std::size_t digits = end + 1;
        if (digits < text_.size() && (text_[digits] == u'+' || text_[digits] == u'-')) {
            ++digits;
        }
        if (digitAt(digits)) {
            end = digits;
            while (digitAt(end)) {
                ++end;
            }
        }
    }
    return end;
}

} // namespace vexa
