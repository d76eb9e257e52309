#include "evaluator/compiler.h"

#include "evaluator/functions.h"
#include "evaluator/tokenizer.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <vector>

namespace vexa {
namespace {

// The power of ten of a literal's first significant digit, e.g. 2 for '123' and -3 for
// '0.00123e0'. from_chars reports overflow and underflow alike as out of range; this tells
// which one it was. The exponent saturates, so '1e99999999999999999999' cannot wrap around.
std::int64_t leadingDigitExponent(std::string_view literal) {
    const std::size_t mantissaEnd = std::min(literal.find_first_of("eE"), literal.size());
    const std::string_view mantissa = literal.substr(0, mantissaEnd);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) {
        return -1; // all zeros; from_chars never fails on those
    }
    std::int64_t exponent = first < point ? static_cast<std::int64_t>(point - first) - 1
                                          : -static_cast<std::int64_t>(first - point);

    constexpr std::int64_t saturation = 1'000'000'000'000;
    std::int64_t written = 0;
    bool negative = false;
    for (std::size_t i = mantissaEnd + 1; i < literal.size(); ++i) {
        const char c = literal[i];
        if (c == '-') {
            negative = true;
        } else if (c >= '0' && c <= '9') {
            written = std::min(saturation, written * 10 + (c - '0'));
        }
    }
    exponent += negative ? -written : written;
    return exponent;
}

// Powers of ten that a double holds exactly.
constexpr double exactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The value of a number literal when it needs no more than one rounding: at most 2^53 as an
// integer mantissa, scaled by a power of ten that is exact as a double. One multiplication or
// division of two exact values rounds correctly, as strtod would. Otherwise nothing, and the
// caller takes the general road.
std::optional<double> exactLiteral(std::u16string_view digits) {
    constexpr std::uint64_t mantissaLimit = std::uint64_t{1} << 53;
    std::uint64_t mantissa = 0;
    int scale = 0; // the power of ten the mantissa is multiplied by
    std::size_t i = 0;
    bool fraction = false;
    for (; i < digits.size(); ++i) {
        const char16_t c = asciiOf(digits[i]);
        if (c == u'.') {
            fraction = true;
        } else if (c >= u'0' && c <= u'9') {
            if (mantissa >= mantissaLimit / 10) {
                return std::nullopt; // may not fit in 53 bits: let the general road round it
            }
            mantissa = mantissa * 10 + (c - u'0');
            scale -= fraction ? 1 : 0;
        } else if (c == u'e' || c == u'E') {
            break;
        }
        // Anything else is a digit-group separator, which the tokenizer let in.
    }
    if (i < digits.size()) {
        bool negative = false;
        int exponent = 0;
        for (++i; i < digits.size(); ++i) {
            const char16_t c = asciiOf(digits[i]);
            if (c == u'-') {
                negative = true;
            } else if (c >= u'0' && c <= u'9') {
                if (exponent > 1000) {
                    return std::nullopt;
                }
                exponent = exponent * 10 + (c - u'0');
            }
        }
        scale += negative ? -exponent : exponent;
    }
    const auto value = static_cast<double>(mantissa);
    if (mantissa == 0) {
        return 0.0;
    }
    if (scale >= 0 && scale <= 22) {
        return value * exactPowersOfTen[scale];
    }
    if (scale < 0 && scale >= -22) {
        return value / exactPowersOfTen[-scale];
    }
    return std::nullopt;
}

// Recursive descent over one text. Each parse function consumes exactly its rule and leaves
// the first token after it in token_. Tokens are looked at one at a time, and each is fully
// checked before the next is read, so the first error in reading order is the one reported.
class Parser {
public:
    Parser(std::u16string_view text, Program& program, Compiler::Scratch& scratch)
        : text_(text), tokens_(text), program_(program), scratch_(scratch) {}

    void parseText();

private:
    void expression();
    void term();
    void unary();
    void power();
    void primary();
    void name();
    void call(std::uint32_t function, Token name);
    void group();

    void advance();
    void enter(const Token& opener);
    void leave() { --nesting_; }
    double literal(const Token& number);
    double superscript(const Token& exponent);
    double toDouble(const Token& token);
    [[noreturn]] void failAfterOperand() const;
    [[noreturn]] static void fail(ErrorCode code, const Token& at) {
        throw CompileError{code, at.start};
    }

    std::u16string_view text_;
    Tokenizer tokens_;
    Token token_{TokenKind::End, 0, 0};
    Program& program_;
    Compiler::Scratch& scratch_;
    int nesting_ = 0;
};

constexpr PiFraction notAnAngle{0, 0};
constexpr PiFraction halfTurn{1, 1};

// text = expression End
void Parser::parseText() {
    advance();
    if (token_.kind == TokenKind::End) {
        fail(ErrorCode::NothingToCompute, token_);
    }
    expression();
    if (token_.kind != TokenKind::End) {
        failAfterOperand();
    }
}

// expression = term { ("+" | "-") term }
// Left-associative: 1-2-3 = (1-2)-3.
void Parser::expression() {
    term();
    while (token_.kind == TokenKind::Plus || token_.kind == TokenKind::Minus) {
        const Token op = token_;
        advance();
        term();
        program_.emitBinary(op.kind == TokenKind::Plus ? OpCode::Add : OpCode::Subtract,
                            op.start, op.length);
    }
}

// term = unary { ("*" | "/") unary }
// Left-associative: 8/4/2 = (8/4)/2. Its operands are unary, so 2*-3 = -6.
void Parser::term() {
    unary();
    while (token_.kind == TokenKind::Star || token_.kind == TokenKind::Slash) {
        const Token op = token_;
        advance();
        unary();
        program_.emitBinary(op.kind == TokenKind::Star ? OpCode::Multiply : OpCode::Divide,
                            op.start, op.length);
    }
}

// unary = { "+" | "-" | "√" } power
// Signs and roots bind looser than '^' on their right: -2^2 = -(2^2) = -4, √2^2 = √(2^2).
// Signs may repeat ('--2' = 2, '1--2' = 3); each run of them becomes at most one negation
// spanning it. The prefixes are read in a loop onto a stack and applied innermost first, so
// no length of run costs call depth.
void Parser::unary() {
    std::vector<Compiler::Prefix>& prefixes = scratch_.prefixes;
    const std::size_t base = prefixes.size();
    while (token_.kind == TokenKind::Plus || token_.kind == TokenKind::Minus ||
           token_.kind == TokenKind::Root) {
        const std::uint32_t end = token_.start + token_.length;
        if (token_.kind == TokenKind::Root) {
            prefixes.push_back({token_.start, end, true, false});
        } else {
            if (prefixes.size() == base || prefixes.back().root) {
                prefixes.push_back({token_.start, end, false, false});
            }
            prefixes.back().negate ^= token_.kind == TokenKind::Minus;
            prefixes.back().end = end;
        }
        advance();
    }
    power();
    while (prefixes.size() > base) {
        const Compiler::Prefix prefix = prefixes.back();
        prefixes.pop_back();
        if (prefix.root) {
            program_.emitCall(scratch_.squareRoot, 1, prefix.start, prefix.end - prefix.start);
        } else if (prefix.negate) {
            program_.emitNegate(prefix.start, prefix.end - prefix.start);
        }
    }
}

// power = primary { superscript } [ "^" unary ]
// Right-associative, because the right operand is a unary that holds the next power:
// 2^3^2 = 2^(3^2) = 512 and 2^-3^2 = 2^(-(3^2)). Each '^' opens a nesting level. A
// superscript is '^' with a whole exponent bound to the operand just before it: 3² = 9,
// -3² = -9, 2^3² = 2^9.
void Parser::power() {
    primary();
    while (token_.kind == TokenKind::Superscript) {
        const Token exponent = token_;
        const double value = superscript(exponent);
        advance();
        program_.emitConstant({value, notAnAngle}, exponent.start, exponent.length);
        program_.emitBinary(OpCode::Power, exponent.start, exponent.length);
    }
    if (token_.kind == TokenKind::Caret) {
        const Token op = token_;
        enter(op);
        advance();
        unary();
        leave();
        program_.emitBinary(OpCode::Power, op.start, op.length);
    }
}

// primary = number | name | group
// No implicit multiplication: a value directly after a value is a missing operator.
void Parser::primary() {
    switch (token_.kind) {
    case TokenKind::Number: {
        const Token number = token_;
        const double value = literal(number);
        advance();
        program_.emitConstant({value, notAnAngle}, number.start, number.length);
        return;
    }
    case TokenKind::Name:
        name();
        return;
    case TokenKind::LeftParen:
        group();
        return;
    case TokenKind::End:
        fail(ErrorCode::UnexpectedEnd, token_);
    default:
        fail(ErrorCode::MissingOperand, token_);
    }
}

// name = constant | call
// A name is looked up as soon as it is read, so an unknown one fails at itself.
void Parser::name() {
    const Token name = token_;
    const std::u16string_view spelling = text_.substr(name.start, name.length);
    if (const auto constant = findConstant(spelling)) {
        advance();
        if (token_.kind == TokenKind::LeftParen) {
            fail(ErrorCode::ConstantCalled, token_);
        }
        const Constant& known = constantTable()[*constant];
        program_.emitConstant({known.value, known.name == "pi" ? halfTurn : notAnAngle},
                              name.start, name.length);
        return;
    }
    if (const auto function = findFunction(spelling)) {
        advance();
        call(static_cast<std::uint32_t>(*function), name);
        return;
    }
    fail(ErrorCode::UnknownName, name);
}

// call = function "(" [ expression { "," expression } ] ")"
// The argument count is checked when ')' is read and reported at the function's name.
void Parser::call(std::uint32_t function, Token name) {
    if (token_.kind != TokenKind::LeftParen) {
        fail(ErrorCode::MissingOpeningParenthesis, token_);
    }
    enter(token_);
    advance();
    int count = 0;
    if (token_.kind != TokenKind::RightParen) {
        for (;;) {
            expression();
            ++count;
            if (token_.kind == TokenKind::Comma) {
                advance();
            } else if (token_.kind == TokenKind::RightParen) {
                break;
            } else {
                failAfterOperand();
            }
        }
    }
    const int arity = functionTable()[function].arity;
    if (count != arity) {
        fail(count < arity ? ErrorCode::TooFewArguments : ErrorCode::TooManyArguments, name);
    }
    leave();
    advance();
    program_.emitCall(function, arity, name.start, name.length);
}

// group = "(" expression ")"
void Parser::group() {
    enter(token_);
    advance();
    expression();
    if (token_.kind != TokenKind::RightParen) {
        failAfterOperand();
    }
    leave();
    advance();
}

// Characters that start no token fail as soon as they are read.
void Parser::advance() {
    token_ = tokens_.next();
    if (token_.kind == TokenKind::BadCharacter) {
        fail(ErrorCode::UnexpectedCharacter, token_);
    }
    if (token_.kind == TokenKind::StrayDecimalPoint) {
        fail(ErrorCode::MisplacedDecimalPoint, token_);
    }
}

void Parser::enter(const Token& opener) {
    if (nesting_ == maxNesting) {
        fail(ErrorCode::NestedTooDeeply, opener);
    }
    ++nesting_;
}

// Rounded to the nearest double as strtod does; subnormals are kept and smaller magnitudes
// become 0. Only a literal that rounds to infinity is an error. Full-width digits and digit
// groups read as the plain digits they stand for.
double Parser::literal(const Token& number) {
    if (const auto exact = exactLiteral(text_.substr(number.start, number.length))) {
        return *exact;
    }
    return toDouble(number);
}

// The whole number a superscript stands for: '²³' is 23, '⁻³' is -3.
double Parser::superscript(const Token& exponent) {
    const std::u16string_view units = text_.substr(exponent.start, exponent.length);
    double value = 0;
    std::size_t digits = 0;
    for (const char16_t unit : units) {
        if (const int digit = superscriptDigit(unit); digit >= 0) {
            value = value * 10 + digit;
            ++digits;
        }
    }
    if (digits > 15) {
        value = toDouble(exponent); // beyond exact integer arithmetic: round it as strtod does
    }
    return units.front() == u'\u207B' ? -value : value;
}

// The general road: the token's characters as ASCII for from_chars. A superscript token
// becomes its digits alone, without its sign.
double Parser::toDouble(const Token& token) {
    std::string& ascii = scratch_.literal;
    ascii.clear();
    for (const char16_t unit : text_.substr(token.start, token.length)) {
        if (const int digit = superscriptDigit(unit); digit >= 0) {
            ascii += static_cast<char>('0' + digit);
        } else if (const char16_t c = asciiOf(unit); c != 0) {
            ascii += static_cast<char>(c);
        }
    }
    double value = 0;
    const auto status = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value).ec;
    if (status == std::errc::result_out_of_range) {
        if (leadingDigitExponent(ascii) >= 0) {
            fail(ErrorCode::NumberTooLarge, token);
        }
        value = 0;
    }
    return value;
}
// What was expected after a complete operand was not there. The caller has already accepted
// its own closer (')' in a group or call, ',' in a call, the end at the top level), so what
// remains tells the fault.
void Parser::failAfterOperand() const {
    switch (token_.kind) {
    case TokenKind::RightParen:
        fail(ErrorCode::UnmatchedClosingParenthesis, token_);
    case TokenKind::Comma:
        fail(ErrorCode::MisplacedComma, token_);
    case TokenKind::End:
        fail(ErrorCode::MissingClosingParenthesis, token_);
    default:
        fail(ErrorCode::MissingOperator, token_);
    }
}

} // namespace

Compiler::Compiler() {
    scratch_.squareRoot = static_cast<std::uint32_t>(*findFunction(u"sqrt"));
}

void Compiler::compile(std::u16string_view text, Program& program, bool fold) {
    program.clear(fold);
    if (text.size() > maxTextLength) {
        throw CompileError{ErrorCode::TextTooLong, 0};
    }
    program.reserveForText(text.size());
    scratch_.prefixes.clear();
    Parser(text, program, scratch_).parseText();
}

} // namespace vexa
