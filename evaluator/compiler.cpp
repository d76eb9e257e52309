#include "evaluator/compiler.h"

#include "evaluator/ball_rounding.h"
#include "evaluator/exact.h"
#include "evaluator/functions.h"
#include "evaluator/machine.h"
#include "evaluator/tokenizer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace vexa {
namespace {

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

// ...and to a known left operand and the top. Sums and products of balls commute exactly.
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

// The exact result of a binary operator on exact operands, where there is one.
bool foldBinary(Action action, Rational& result, const Rational& left, const Rational& right) {
    switch (action) {
    case Action::Add:
        return exactSum(result, left, right);
    case Action::Subtract:
        return exactDifference(result, left, right);
    case Action::Multiply:
        return exactProduct(result, left, right);
    case Action::Divide:
        return exactQuotient(result, left, right);
    default:
        return exactPower(result, left, right);
    }
}

// Whether a literal too long to hold exactly rounds beyond the largest double, decided in
// balls as evaluation would; false where the precision limit cannot tell.
bool roundsBeyondLargest(const KnownValue& value) {
    Ball ball;
    Ball scratch;
    for (const slong bits : precisionLadder) {
        toBall(ball.get(), value, bits, scratch.get());
        double nearest = 0;
        if (nearestDouble(ball.get(), nearest) ||
            (bits == precisionLimit && nearestDoubleOfTie(ball.get(), nearest))) {
            return std::isinf(nearest);
        }
    }
    return false;
}

// What a parse function produced: an exact value worked out while compiling, for which
// nothing has been emitted, or steps already emitted that leave the value on the top at run
// time. Folding computes an operation as soon as its operands are known exactly, unless it
// fails (which evaluation must report, where and in the order it happens), has no exact
// rational result, or reads the angle unit.
struct Operand {
    bool known = false;
    Rational value;          // when known
    std::uint32_t start = 0; // the span of its text
    std::uint32_t end = 0;
    std::uint32_t origin = 0; // where the operation that produced the value starts
    bool literal = false;     // a literal alone, negated or in parentheses
};

// Recursive descent over one text. Each parse function consumes exactly its rule and leaves
// the first token after it in token_. Tokens are looked at one at a time, and each is fully
// checked before the next is read, so the first error in reading order is the one reported.
class Parser {
public:
    Parser(std::u16string_view text, Program& program, Compiler::Scratch& scratch, bool fold)
        : text_(text), tokens_(text), program_(program), scratch_(scratch), fold_(fold),
          factorial_(scratch.factorial) {}

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
    Operand call2(std::uint32_t function, Operand&& first, Operand&& second, Token name);
    Operand group();

    // Builders: they fold what they can and emit steps for the rest.
    Operand known(Rational value, std::uint32_t start, std::uint32_t end, bool literal);
    Operand pushed(KnownValue value, std::uint32_t start, std::uint32_t end, bool literal);
    Operand binary(Action action, Operand&& left, Operand&& right, std::uint32_t start,
                   std::uint32_t length);
    Operand negate(Operand&& operand, std::uint32_t start, std::uint32_t length);
    Operand call1(std::uint32_t function, Operand&& argument, std::uint32_t start,
                  std::uint32_t length);
    // An operand whose steps are emitted: its value is on the top at run time.
    static Operand emitted(std::uint32_t start, std::uint32_t end, std::uint32_t origin) {
        Operand operand;
        operand.start = start;
        operand.end = end;
        operand.origin = origin;
        return operand;
    }
    void emitKnown(const Operand& operand) {
        program_.emit(Action::Push, operand.start, operand.end - operand.start,
                      program_.addKnown({KnownValue::Kind::Rational, operand.value, 0}));
    }
    std::uint32_t addKnown(const Operand& operand) {
        return program_.addKnown({KnownValue::Kind::Rational, operand.value, 0});
    }

    void advance();
    bool impliesProduct();
    void enter(const Token& opener);
    void leave() { --nesting_; }
    Operand literal(const Token& number);
    Operand decimal(const Token& number, const fmpz* mantissa, std::int64_t exponent);
    Operand superscript(const Token& exponent);
    std::int64_t readDigits(const Token& token);
    [[noreturn]] void failAfterOperand() const;
    [[noreturn]] static void fail(ErrorCode code, const Token& at) {
        throw CompileError{code, at.start};
    }
    [[noreturn]] static void fail(ErrorCode code, std::uint32_t start) {
        throw CompileError{code, start};
    }

    std::u16string_view text_;
    Tokenizer tokens_;
    Token token_{TokenKind::End, 0, 0};
    Program& program_;
    Compiler::Scratch& scratch_;
    bool fold_;
    int nesting_ = 0;
    // The kind of the token read last, and whether it was a constant's name: what an implied
    // product may follow.
    TokenKind lastKind_ = TokenKind::End;
    // The operand read last ended with a '^' and its exponent.
    bool endsWithExponent_ = false;
    std::uint16_t factorial_ = 0; // the function that a '!' calls
    std::uint16_t powerIndex_ = lookUpName(packName("pow")).index;
};

// Characters that start no token fail as soon as they are read.
inline void Parser::advance() {
    lastKind_ = token_.kind;
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
Operand Parser::known(Rational value, std::uint32_t start, std::uint32_t end, bool literal) {
    Operand operand;
    operand.known = true;
    operand.value = std::move(value);
    operand.start = start;
    operand.end = end;
    operand.origin = start;
    operand.literal = literal;
    if (!fold_) {
        emitKnown(operand);
        operand.known = false;
    }
    return operand;
}

// A value the compiler knows but not as an exact rational: pi, e, a literal too long.
Operand Parser::pushed(KnownValue value, std::uint32_t start, std::uint32_t end, bool literal) {
    program_.emit(Action::Push, start, end - start, program_.addKnown(std::move(value)));
    Operand operand = emitted(start, end, start);
    operand.literal = literal;
    return operand;
}

Operand Parser::binary(Action action, Operand&& left, Operand&& right, std::uint32_t start,
                       std::uint32_t length) {
    const std::uint32_t first = std::min(left.start, start);
    const std::uint32_t end = std::max(right.end, start + length);
    if (left.known && right.known) {
        Operand result;
        if (foldBinary(action, result.value, left.value, right.value)) {
            result.known = true;
            result.start = first;
            result.end = end;
            result.origin = start;
            return result;
        }
        emitKnown(left);
        program_.emit(withRightConstant(action), start, length, addKnown(right));
    } else if (left.known) {
        program_.emit(withLeftConstant(action), start, length, addKnown(left));
    } else if (right.known) {
        program_.emit(withRightConstant(action), start, length, addKnown(right));
    } else {
        program_.emit(action, start, length);
    }
    return emitted(first, end, start);
}

Operand Parser::negate(Operand&& operand, std::uint32_t start, std::uint32_t length) {
    operand.start = std::min(operand.start, start);
    if (operand.known) {
        fmpq_neg(operand.value.get(), operand.value.get());
    } else {
        program_.emit(Action::Negate, start, length);
    }
    return std::move(operand);
}

Operand Parser::call1(std::uint32_t function, Operand&& argument, std::uint32_t start,
                      std::uint32_t length) {
    const auto index = static_cast<std::uint16_t>(function);
    const std::uint32_t end = std::max(argument.end, start + length);
    if (!argument.known) {
        program_.emit(Action::Call, start, length, 0, index);
        return emitted(argument.start, end, start);
    }
    const Function& f = functionTable()[function];
    if (Operand result; f.fold != nullptr && f.fold(result.value, &argument.value)) {
        result.known = true;
        result.start = std::min(start, argument.start);
        result.end = end;
        result.origin = start;
        return result;
    }
    program_.emit(Action::CallConstant, start, length, addKnown(argument), index);
    return emitted(start, end, start);
}

// text = expression End
// A text whose whole value is one literal keeps that literal's error when it is too large
// to show; inside a larger text a large literal is fine ('1e400/1e399' is 10).
void Parser::parseText() {
    advance();
    if (token_.kind == TokenKind::End) {
        fail(ErrorCode::NothingToCompute, token_);
    }
    Operand result = expression();
    if (token_.kind != TokenKind::End) {
        failAfterOperand();
    }
    program_.setResultStart(result.origin);
    if (result.known) {
        if (result.literal && std::isinf(nearestDouble(result.value))) {
            fail(ErrorCode::NumberTooLarge, result.origin);
        }
        program_.setResult(std::move(result.value));
        return;
    }
    if (!result.literal) {
        return;
    }
    // The steps push one literal and perhaps negate it.
    const KnownValue& value = program_.known(program_.steps().front().known);
    if (value.kind == KnownValue::Kind::Rational && std::isinf(nearestDouble(value.value))) {
        fail(ErrorCode::NumberTooLarge, result.origin);
    }
    if (value.kind == KnownValue::Kind::Unreachable) {
        program_.clear(); // below the smallest double too: 0
        program_.setResultStart(result.origin);
    } else if (value.kind == KnownValue::Kind::Decimal && roundsBeyondLargest(value)) {
        fail(ErrorCode::NumberTooLarge, result.origin);
    }
}

// expression = term { ("+" | "-") term }
// term       = unary { ("*" | "/") unary | unary }
// Both are read by one loop that climbs from the loosest level up. Each is left-associative:
// 1-2-3 = (1-2)-3 and 8/4/2 = (8/4)/2. A term's operands are unary, so 2*-3 = -6. A number, a
// constant or a ')' followed by a constant, a function, '(' or '√' multiplies as '*' does:
// 2pi/3 = (2*pi)/3, 3(4+5) = 27. Right after the operand of a '/' or a '^' that product would
// read two ways (1/2pi), so it is an error there.
Operand Parser::expression(Level minimum) {
    Operand left = unary();
    bool afterDivisorOrExponent = endsWithExponent_;
    for (;;) {
        Level level = levelOf(token_.kind);
        const bool implied = level == Level::None && impliesProduct();
        if (implied) {
            level = Level::Product;
        }
        if (level < minimum) {
            return left;
        }
        if (implied) {
            if (afterDivisorOrExponent) {
                fail(ErrorCode::AmbiguousImpliedProduct, token_);
            }
            const std::uint32_t at = token_.start;
            Operand right = unary();
            afterDivisorOrExponent = endsWithExponent_;
            left = binary(Action::Multiply, std::move(left), std::move(right), at, 0);
            continue;
        }
        const Token op = token_;
        advance();
        Operand right = level == Level::Sum ? expression(Level::Product) : unary();
        afterDivisorOrExponent = op.kind == TokenKind::Slash || endsWithExponent_;
        left = binary(actionOf(op.kind), std::move(left), std::move(right), op.start, op.length);
    }
}

// Whether the next token starts the right operand of an implied product. A number followed by
// the constant e ('2e') is a mistyped exponent more often than a product, so it is an error.
bool Parser::impliesProduct() {
    const bool valueEnded = lastKind_ == TokenKind::Number || lastKind_ == TokenKind::Name ||
                            lastKind_ == TokenKind::RightParen;
    const bool valueStarts = token_.kind == TokenKind::Name ||
                             token_.kind == TokenKind::LeftParen || token_.kind == TokenKind::Root;
    if (!valueEnded || !valueStarts) {
        return false;
    }
    if (lastKind_ == TokenKind::Number && token_.kind == TokenKind::Name &&
        tokens_.nameKey() == packName("e")) {
        fail(ErrorCode::NumberBeforeE, token_);
    }
    return true;
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
            operand = call1(scratch_.squareRoot, std::move(operand), prefix.start,
                            prefix.end - prefix.start);
        } else if (prefix.negate) {
            operand = negate(std::move(operand), prefix.start, prefix.end - prefix.start);
        }
    }
    return operand;
}

// power = primary { superscript | "!" } [ "^" unary ]
// Right-associative, because the right operand is a unary that holds the next power:
// 2^3^2 = 2^(3^2) = 512 and 2^-3^2 = 2^(-(3^2)). Each '^' opens a nesting level. A
// superscript is '^' with a whole exponent bound to the operand just before it: 3² = 9,
// -3² = -9, 2^3² = 2^9. A '!' binds as tightly: -3! = -6, 2^3! = 2^6, and '3!!' is an error,
// not a double factorial.
inline Operand Parser::power() {
    Operand base = primary();
    bool factorial = false;
    while (token_.kind == TokenKind::Superscript || token_.kind == TokenKind::Bang) {
        const Token postfix = token_;
        if (postfix.kind == TokenKind::Bang) {
            if (factorial) {
                fail(ErrorCode::FactorialOfFactorial, postfix);
            }
            advance();
            base = call1(factorial_, std::move(base), postfix.start, postfix.length);
            factorial = true;
            continue;
        }
        Operand value = superscript(postfix);
        advance();
        base =
            binary(Action::Power, std::move(base), std::move(value), postfix.start, postfix.length);
        factorial = false;
    }
    bool exponent = false;
    if (token_.kind == TokenKind::Caret) {
        const Token op = token_;
        enter(op);
        advance();
        Operand right = unary();
        leave();
        base = binary(Action::Power, std::move(base), std::move(right), op.start, op.length);
        exponent = true;
    }
    endsWithExponent_ = exponent;
    return base;
}

// primary = number | name | group
inline Operand Parser::primary() {
    switch (token_.kind) {
    case TokenKind::Number: {
        const Token number = token_;
        Operand value = literal(number);
        advance();
        return value;
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
        const bool isPi = constantTable()[meaning.index].kind == ConstantKind::Pi;
        return pushed({isPi ? KnownValue::Kind::Pi : KnownValue::Kind::E, {}, 0}, name.start,
                      name.start + name.length, false);
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
            Operand argument = expression();
            if (count < 2) {
                arguments[count] = std::move(argument);
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
        return call1(function, std::move(arguments[0]), name.start, name.length);
    }
    return call2(function, std::move(arguments[0]), std::move(arguments[1]), name);
}

// A call of two arguments; pow is '^' reported at its name. The others fold where both
// arguments are known and the result is exact; a known first argument rides in the step.
Operand Parser::call2(std::uint32_t function, Operand&& first, Operand&& second, Token name) {
    const auto index = static_cast<std::uint16_t>(function);
    if (function == powerIndex_ && (first.known || second.known)) {
        return binary(Action::Power, std::move(first), std::move(second), name.start, name.length);
    }
    const std::uint32_t start = std::min(first.start, name.start);
    const std::uint32_t end = std::max(second.end, name.start + name.length);
    if (first.known && second.known) {
        const Function& f = functionTable()[function];
        if (Operand result; f.fold != nullptr) {
            const Rational arguments[2] = {first.value, second.value};
            if (f.fold(result.value, arguments)) {
                result.known = true;
                result.start = start;
                result.end = end;
                result.origin = name.start;
                return result;
            }
        }
        emitKnown(first);
        emitKnown(second);
    } else if (first.known) {
        program_.emit(Action::CallKnownFirst, name.start, name.length, addKnown(first), index);
        return emitted(start, end, name.start);
    } else if (second.known) {
        emitKnown(second);
    }
    program_.emit(Action::Call, name.start, name.length, 0, index);
    return emitted(start, end, name.start);
}

// group = "(" expression ")"
Operand Parser::group() {
    enter(token_);
    advance();
    Operand inner = expression();
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

// A literal is the exact decimal it writes: '0.1' is 1/10. Full-width digits and digit groups
// read as the plain digits they stand for.
Operand Parser::literal(const Token& number) {
    const std::uint32_t end = number.start + number.length;
    if (tokens_.numberIsShort()) {
        const std::uint64_t mantissa = tokens_.numberMantissa();
        const int scale = tokens_.numberScale();
        // Most literals: a whole number, or a few decimals over a power of ten that fits.
        if (scale <= 0 && scale >= -19) {
            Rational value;
            fmpz_set_ui(value.numerator(), mantissa);
            if (scale < 0) {
                std::uint64_t power = 1;
                for (int i = 0; i < -scale; ++i) {
                    power *= 10;
                }
                fmpz_set_ui(value.denominator(), power);
                fmpq_canonicalise(value.get());
            }
            return known(std::move(value), number.start, end, true);
        }
        Integer digits;
        fmpz_set_ui(digits.get(), mantissa);
        return decimal(number, digits.get(), scale);
    }
    const std::int64_t exponent = readDigits(number);
    Integer digits;
    if (!scratch_.digits.empty()) {
        fmpz_set_str(digits.get(), scratch_.digits.c_str(), 10);
    }
    return decimal(number, digits.get(), exponent);
}

// mantissa * 10^exponent: exact where it fits, a value to compute in balls where not, and
// beyond the limits of magnitude an error (too large) or a value evaluation cannot reach
// (too small, which alone is 0).
Operand Parser::decimal(const Token& number, const fmpz* mantissa, std::int64_t exponent) {
    const std::uint32_t end = number.start + number.length;
    if (fmpz_is_zero(mantissa)) {
        return known(Rational(), number.start, end, true);
    }
    // FLINT's count of digits may be one too many; at the limit that one must be known.
    auto digits = static_cast<std::int64_t>(fmpz_sizeinbase(mantissa, 10));
    if (exponent + digits - 1 == literalExponentLimit + 1) {
        Integer power;
        fmpz_ui_pow_ui(power.get(), 10, static_cast<ulong>(digits - 1));
        digits -= fmpz_cmpabs(mantissa, power.get()) < 0 ? 1 : 0;
    }
    const std::int64_t leading = exponent + digits - 1;
    if (leading > literalExponentLimit) {
        fail(ErrorCode::NumberTooLarge, number);
    }
    if (leading < -literalExponentLimit) {
        return pushed({KnownValue::Kind::Unreachable, {}, 0}, number.start, end, true);
    }
    if (Rational value; exactDecimal(value, mantissa, exponent)) {
        return known(std::move(value), number.start, end, true);
    }
    KnownValue value{KnownValue::Kind::Decimal, {}, exponent};
    fmpz_set(value.value.numerator(), mantissa);
    return pushed(std::move(value), number.start, end, true);
}

// The whole number a superscript stands for: '²³' is 23, '⁻³' is -3.
Operand Parser::superscript(const Token& exponent) {
    readDigits(exponent);
    Integer digits;
    if (!scratch_.digits.empty()) {
        fmpz_set_str(digits.get(), scratch_.digits.c_str(), 10);
    }
    if (text_[exponent.start] == u'\u207B') {
        fmpz_neg(digits.get(), digits.get());
    }
    Operand value = decimal(exponent, digits.get(), 0);
    value.literal = false;
    return value;
}

// The significant digits of a number or superscript token, without leading zeros, into
// scratch_.digits; returns the power of ten that scales them. A written exponent saturates far
// beyond literalExponentLimit, so no length of it can wrap around.
std::int64_t Parser::readDigits(const Token& token) {
    constexpr std::int64_t saturation = std::int64_t{1} << 50;
    std::string& digits = scratch_.digits;
    digits.clear();
    std::int64_t scale = 0;
    std::int64_t written = 0;
    bool fraction = false;
    bool inExponent = false;
    bool negativeExponent = false;
    for (const char16_t unit : text_.substr(token.start, token.length)) {
        const int superscriptValue = superscriptDigit(unit);
        const char16_t c =
            superscriptValue >= 0 ? static_cast<char16_t>(u'0' + superscriptValue) : asciiOf(unit);
        if (c >= u'0' && c <= u'9') {
            if (inExponent) {
                written = std::min(saturation, written * 10 + (c - u'0'));
            } else {
                if (c != u'0' || !digits.empty()) {
                    digits += static_cast<char>(c);
                }
                scale -= fraction ? 1 : 0;
            }
        } else if (c == u'.') {
            fraction = true;
        } else if (c == u'e' || c == u'E') {
            inExponent = true;
        } else if (c == u'-' && inExponent) {
            negativeExponent = true;
        }
    }
    return scale + (negativeExponent ? -written : written);
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
    scratch_.factorial = lookUpName(packName("!")).index;
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
