#include "evaluator/compiler.h"

#include "evaluator/functions.h"
#include "evaluator/tokenizer.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

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

// Recursive descent over one text. Each parse function consumes exactly its rule and leaves
// the first token after it in token_. Tokens are looked at one at a time, and each is fully
// checked before the next is read, so the first error in reading order is the one reported.
class Parser {
public:
    Parser(std::u16string_view text, Program& program, std::string& literal)
        : text_(text), tokens_(text), program_(program), literal_(literal) {}

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
    [[noreturn]] void failAfterOperand() const;
    [[noreturn]] static void fail(ErrorCode code, const Token& at) {
        throw CompileError{code, at.start};
    }

    std::u16string_view text_;
    Tokenizer tokens_;
    Token token_{TokenKind::End, 0, 0};
    Program& program_;
    std::string& literal_;
    int nesting_ = 0;
};

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
        program_.emitBinary(op.kind == TokenKind::Plus ? OpCode::Add : OpCode::Subtract, op);
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
        program_.emitBinary(op.kind == TokenKind::Star ? OpCode::Multiply : OpCode::Divide, op);
    }
}

// unary = { "+" | "-" } power
// A sign binds looser than '^' on its right: -2^2 = -(2^2) = -4. Signs may repeat ('--2' = 2,
// '1--2' = 3); the run is read in a loop and becomes at most one negation spanning it, so no
// length of run costs stack.
void Parser::unary() {
    const Token first = token_;
    std::uint32_t end = first.start;
    bool negate = false;
    while (token_.kind == TokenKind::Plus || token_.kind == TokenKind::Minus) {
        negate ^= token_.kind == TokenKind::Minus;
        end = token_.start + token_.length;
        advance();
    }
    power();
    if (negate) {
        program_.emitNegate(first.start, end - first.start);
    }
}

// power = primary [ "^" unary ]
// Right-associative, because the right operand is a unary that holds the next power:
// 2^3^2 = 2^(3^2) = 512 and 2^-3^2 = 2^(-(3^2)). Each '^' opens a nesting level.
void Parser::power() {
    primary();
    if (token_.kind == TokenKind::Caret) {
        const Token op = token_;
        enter(op);
        advance();
        unary();
        leave();
        program_.emitBinary(OpCode::Power, op);
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
        program_.emitConstant(value, number.start, number.length);
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
        program_.emitConstant(constantTable()[*constant].value, name.start, name.length);
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
    program_.emitCall(function, arity, name);
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
// become 0. Only a literal that rounds to infinity is an error.
double Parser::literal(const Token& number) {
    const std::u16string_view digits = text_.substr(number.start, number.length);
    literal_.resize(digits.size());
    std::ranges::transform(digits, literal_.begin(),
                           [](char16_t c) { return static_cast<char>(c); });

    double value = 0;
    const auto status =
        std::from_chars(literal_.data(), literal_.data() + literal_.size(), value).ec;
    if (status == std::errc::result_out_of_range) {
        if (leadingDigitExponent(literal_) >= 0) {
            fail(ErrorCode::NumberTooLarge, number);
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

void Compiler::compile(std::u16string_view text, Program& program) {
    program.clear();
    if (text.size() > maxTextLength) {
        throw CompileError{ErrorCode::TextTooLong, 0};
    }
    program.reserveForText(text.size());
    Parser(text, program, literal_).parseText();
}

} // namespace vexa
