#include "evaluator/compiler.h"

#include "evaluator/functions.h"
#include "evaluator/tokenizer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <numeric>
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

constexpr PiFraction notAnAngle{0, 0};
constexpr PiFraction halfTurn{1, 1};
// Numerators and denominators stay below 2^31, so a product of two fits in 64 bits and a sum
// of two such products does too.
constexpr std::int64_t fractionLimit = (std::int64_t{1} << 31) - 1;

bool isAngle(const KnownValue& v) {
    return v.angle.den != 0;
}

// A whole number that can scale an angle: written as one ('3', '3.0', '6/2'), not an angle.
bool isSmallInteger(const KnownValue& v) {
    return !isAngle(v) && std::fabs(v.value) <= static_cast<double>(fractionLimit) &&
           std::trunc(v.value) == v.value;
}

// num/den in lowest terms with a positive denominator, or notAnAngle when it outgrows the limit.
PiFraction fraction(std::int64_t num, std::int64_t den) {
    if (den < 0) {
        num = -num;
        den = -den;
    }
    // The common angles ('pi/4', '2*pi') are in lowest terms already; dividing is slow.
    const std::int64_t divisor = den == 1 || num == 1 || num == -1 ? 1 : std::gcd(num, den);
    if (divisor > 1) {
        num /= divisor;
        den /= divisor;
    }
    if (num > fractionLimit || num < -fractionLimit || den > fractionLimit) {
        return notAnAngle;
    }
    return {num, den};
}

// The exact angle of a folded binary operation: a sum or difference of two angles, or an angle
// times or divided by a whole number. Anything else ('pi*pi', '1/pi', 'pi+1') is no angle.
PiFraction foldAngle(Action action, const KnownValue& a, const KnownValue& b) {
    const auto [xNum, xDen] = a.angle;
    const auto [yNum, yDen] = b.angle;
    switch (action) {
    case Action::Add:
    case Action::Subtract:
        if (isAngle(a) && isAngle(b)) {
            const std::int64_t right = yNum * xDen;
            return fraction(xNum * yDen + (action == Action::Add ? right : -right), xDen * yDen);
        }
        return notAnAngle;
    case Action::Multiply:
        if (isAngle(a) && isSmallInteger(b)) {
            return fraction(xNum * static_cast<std::int64_t>(b.value), xDen);
        }
        if (isSmallInteger(a) && isAngle(b)) {
            return fraction(static_cast<std::int64_t>(a.value) * yNum, yDen);
        }
        return notAnAngle;
    case Action::Divide:
        if (isAngle(a) && isSmallInteger(b) && b.value != 0) {
            return fraction(xNum, xDen * static_cast<std::int64_t>(b.value));
        }
        return notAnAngle;
    default:
        return notAnAngle;
    }
}

// The step that applies a binary operator to the top and a known right operand...
Action withRightConstant(Action action) {
    switch (action) {
    case Action::Add:
        return Action::AddConstant;
    case Action::Subtract:
        return Action::SubtractConstant;
    case Action::Multiply:
        return Action::MultiplyConstant;
    case Action::Divide:
        return Action::DivideConstant;
    default:
        return Action::PowerConstant;
    }
}

// ...and to a known left operand and the top. Adding and multiplying doubles commute exactly.
Action withLeftConstant(Action action) {
    switch (action) {
    case Action::Add:
        return Action::AddConstant;
    case Action::Subtract:
        return Action::SubtractFromConstant;
    case Action::Multiply:
        return Action::MultiplyConstant;
    case Action::Divide:
        return Action::DivideConstantBy;
    default:
        return Action::PowerOfConstant;
    }
}

bool succeeded(const Outcome& outcome) {
    return outcome.error == ErrorCode::None && std::isfinite(outcome.value);
}

// What a parse function produced: a value worked out while compiling, for which nothing has
// been emitted, or steps already emitted that leave the value on the top at run time. Folding
// computes an operation as soon as its operands are known, unless it fails (which evaluation
// must report, where and in the order it happens) or reads the angle unit.
struct Operand {
    bool known;
    KnownValue value;    // when known
    std::uint32_t start; // the span of its text
    std::uint32_t end;
};

// Recursive descent over one text. Each parse function consumes exactly its rule and leaves
// the first token after it in token_. Tokens are looked at one at a time, and each is fully
// checked before the next is read, so the first error in reading order is the one reported.
class Parser {
public:
    Parser(std::u16string_view text, Program& program, Compiler::Scratch& scratch, bool fold)
        : text_(text), tokens_(text), program_(program), scratch_(scratch), fold_(fold) {}

    void parseText();

private:
    // The binary operators' levels, loosest first; None for every other token.
    enum class Level : std::uint8_t { None, Sum, Product };
    static Level levelOf(TokenKind kind) {
        switch (kind) {
        case TokenKind::Plus:
        case TokenKind::Minus:
            return Level::Sum;
        case TokenKind::Star:
        case TokenKind::Slash:
            return Level::Product;
        default:
            return Level::None;
        }
    }
    static Action actionOf(TokenKind kind) {
        switch (kind) {
        case TokenKind::Plus:
            return Action::Add;
        case TokenKind::Minus:
            return Action::Subtract;
        case TokenKind::Star:
            return Action::Multiply;
        default:
            return Action::Divide;
        }
    }

    Operand expression(Level minimum = Level::Sum);
    Operand unary();
    Operand power();
    Operand primary();
    Operand name();
    Operand call(std::uint32_t function, Token name);
    Operand group();

    // Builders: they fold what they can and emit steps for the rest.
    Operand known(KnownValue value, std::uint32_t start, std::uint32_t end);
    Operand binary(Action action, const Operand& left, const Operand& right, std::uint32_t start,
                   std::uint32_t length);
    Operand negate(Operand operand, std::uint32_t start, std::uint32_t length);
    Operand call1(std::uint32_t function, const Operand& argument, std::uint32_t start,
                  std::uint32_t length);
    // An operand whose steps are emitted: its value is on the top at run time.
    static Operand emitted(std::uint32_t start, std::uint32_t end) {
        return {false, {0, notAnAngle}, start, end};
    }

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
    bool fold_;
    int nesting_ = 0;
};

// Characters that start no token fail as soon as they are read.
inline void Parser::advance() {
    token_ = tokens_.next();
    if (token_.kind == TokenKind::BadCharacter) {
        fail(ErrorCode::UnexpectedCharacter, token_);
    }
    if (token_.kind == TokenKind::StrayDecimalPoint) {
        fail(ErrorCode::MisplacedDecimalPoint, token_);
    }
}

// A known value stays unemitted while folding; otherwise it is pushed at once, so that the
// steps show the grammar's shape.
Operand Parser::known(KnownValue value, std::uint32_t start, std::uint32_t end) {
    if (!fold_) {
        program_.emit(Action::Push, start, end - start, value.value);
        return emitted(start, end);
    }
    return {true, value, start, end};
}

Operand Parser::binary(Action action, const Operand& left, const Operand& right,
                       std::uint32_t start, std::uint32_t length) {
    const std::uint32_t first = std::min(left.start, start);
    const std::uint32_t end = std::max(right.end, start + length);
    if (left.known && right.known) {
        const KnownValue& a = left.value;
        const KnownValue& b = right.value;
        if (const Outcome result = applyBinary(action, a.value, b.value); succeeded(result)) {
            return {true, {result.value, foldAngle(action, a, b)}, first, end};
        }
        program_.emit(Action::Push, left.start, left.end - left.start, a.value);
        program_.emit(withRightConstant(action), start, length, b.value);
    } else if (left.known) {
        program_.emit(withLeftConstant(action), start, length, left.value.value);
    } else if (right.known) {
        program_.emit(withRightConstant(action), start, length, right.value.value);
    } else {
        program_.emit(action, start, length);
    }
    return emitted(first, end);
}

Operand Parser::negate(Operand operand, std::uint32_t start, std::uint32_t length) {
    operand.start = std::min(operand.start, start);
    if (operand.known) {
        operand.value.value = -operand.value.value;
        operand.value.angle.num = -operand.value.angle.num;
        return operand;
    }
    program_.emit(Action::Negate, start, length);
    return operand;
}

Operand Parser::call1(std::uint32_t function, const Operand& argument, std::uint32_t start,
                      std::uint32_t length) {
    const auto index = static_cast<std::uint16_t>(function);
    const std::uint32_t end = std::max(argument.end, start + length);
    if (!argument.known) {
        program_.emit(Action::Call, start, length, 0, index);
        return emitted(argument.start, end);
    }
    const Function& f = functionTable()[function];
    if (!f.usesAngle) {
        // The unit is not read by a function that does not use it.
        if (const Outcome result = f.apply(&argument.value.value, Angle(Radians));
            succeeded(result)) {
            return {true, {result.value, notAnAngle}, std::min(start, argument.start), end};
        }
    }
    if (isAngle(argument.value) && f.applyExact != nullptr) {
        program_.emitCallExact(index, argument.value, start, length);
    } else {
        program_.emit(Action::CallConstant, start, length, argument.value.value, index);
    }
    return emitted(start, end);
}

// text = expression End
void Parser::parseText() {
    advance();
    if (token_.kind == TokenKind::End) {
        fail(ErrorCode::NothingToCompute, token_);
    }
    const Operand result = expression();
    if (token_.kind != TokenKind::End) {
        failAfterOperand();
    }
    if (result.known) {
        program_.setResult(result.value.value);
    }
}

// expression = term { ("+" | "-") term }
// term       = unary { ("*" | "/") unary }
// Both are read by one loop that climbs from the loosest level up. Each is left-associative:
// 1-2-3 = (1-2)-3 and 8/4/2 = (8/4)/2. A term's operands are unary, so 2*-3 = -6.
Operand Parser::expression(Level minimum) {
    Operand left = unary();
    for (;;) {
        const Level level = levelOf(token_.kind);
        if (level < minimum) {
            return left;
        }
        const Token op = token_;
        advance();
        const Operand right = level == Level::Sum ? expression(Level::Product) : unary();
        left = binary(actionOf(op.kind), left, right, op.start, op.length);
    }
}

// unary = { "+" | "-" | "√" } power
// Signs and roots bind looser than '^' on their right: -2^2 = -(2^2) = -4, √2^2 = √(2^2).
// Signs may repeat ('--2' = 2, '1--2' = 3); each run of them becomes at most one negation
// spanning it. The prefixes are read in a loop onto a stack and applied innermost first, so
// no length of run costs call depth.
Operand Parser::unary() {
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
    Operand operand = power();
    while (prefixes.size() > base) {
        const Compiler::Prefix prefix = prefixes.back();
        prefixes.pop_back();
        if (prefix.root) {
            operand = call1(scratch_.squareRoot, operand, prefix.start, prefix.end - prefix.start);
        } else if (prefix.negate) {
            operand = negate(operand, prefix.start, prefix.end - prefix.start);
        }
    }
    return operand;
}

// power = primary { superscript } [ "^" unary ]
// Right-associative, because the right operand is a unary that holds the next power:
// 2^3^2 = 2^(3^2) = 512 and 2^-3^2 = 2^(-(3^2)). Each '^' opens a nesting level. A
// superscript is '^' with a whole exponent bound to the operand just before it: 3² = 9,
// -3² = -9, 2^3² = 2^9.
inline Operand Parser::power() {
    Operand base = primary();
    while (token_.kind == TokenKind::Superscript) {
        const Token exponent = token_;
        const double value = superscript(exponent);
        advance();
        const std::uint32_t end = exponent.start + exponent.length;
        base = binary(Action::Power, base, known({value, notAnAngle}, exponent.start, end),
                      exponent.start, exponent.length);
    }
    if (token_.kind == TokenKind::Caret) {
        const Token op = token_;
        enter(op);
        advance();
        const Operand exponent = unary();
        leave();
        base = binary(Action::Power, base, exponent, op.start, op.length);
    }
    return base;
}

// primary = number | name | group
// No implicit multiplication: a value directly after a value is a missing operator.
inline Operand Parser::primary() {
    switch (token_.kind) {
    case TokenKind::Number: {
        const Token number = token_;
        const double value = literal(number);
        advance();
        return known({value, notAnAngle}, number.start, number.start + number.length);
    }
    case TokenKind::Name:
        return name();
    case TokenKind::LeftParen:
        return group();
    case TokenKind::End:
        fail(ErrorCode::UnexpectedEnd, token_);
    default:
        fail(ErrorCode::MissingOperand, token_);
    }
}

// name = constant | call
// A name is looked up as soon as it is read, so an unknown one fails at itself.
Operand Parser::name() {
    const Token name = token_;
    const NameMeaning meaning = lookUpName(tokens_.nameKey());
    if (meaning.kind == NameMeaning::Kind::Constant) {
        advance();
        if (token_.kind == TokenKind::LeftParen) {
            fail(ErrorCode::ConstantCalled, token_);
        }
        const Constant& value = constantTable()[meaning.index];
        return known({value.value, value.name == "pi" ? halfTurn : notAnAngle}, name.start,
                     name.start + name.length);
    }
    if (meaning.kind == NameMeaning::Kind::Function) {
        advance();
        return call(meaning.index, name);
    }
    fail(ErrorCode::UnknownName, name);
}

// call = function "(" [ expression { "," expression } ] ")"
// The argument count is checked when ')' is read and reported at the function's name.
Operand Parser::call(std::uint32_t function, Token name) {
    if (token_.kind != TokenKind::LeftParen) {
        fail(ErrorCode::MissingOpeningParenthesis, token_);
    }
    enter(token_);
    advance();
    int count = 0;
    Operand arguments[2]; // the ones a function can take; more only fail below
    if (token_.kind != TokenKind::RightParen) {
        for (;;) {
            const Operand argument = expression();
            if (count < 2) {
                arguments[count] = argument;
            }
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
    if (arity == 1) {
        return call1(function, arguments[0], name.start, name.length);
    }
    // The one function of two arguments is pow, which is '^' reported at its name.
    if (!arguments[0].known && !arguments[1].known) {
        program_.emit(Action::Call, name.start, name.length, 0,
                      static_cast<std::uint16_t>(function));
        return emitted(arguments[0].start, arguments[1].end);
    }
    return binary(Action::Power, arguments[0], arguments[1], name.start, name.length);
}

// group = "(" expression ")"
Operand Parser::group() {
    enter(token_);
    advance();
    const Operand inner = expression();
    if (token_.kind != TokenKind::RightParen) {
        failAfterOperand();
    }
    leave();
    advance();
    return inner;
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
    return tokens_.numberIsExact() ? tokens_.numberValue() : toDouble(number);
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
    scratch_.squareRoot = lookUpName(packName("sqrt")).index;
}

void Compiler::compile(std::u16string_view text, Program& program, bool fold) {
    program.clear();
    if (text.size() > maxTextLength) {
        throw CompileError{ErrorCode::TextTooLong, 0};
    }
    program.reserveForText(text.size());
    scratch_.prefixes.clear();
    Parser(text, program, scratch_, fold).parseText();
}

} // namespace vexa
