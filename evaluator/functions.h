// The arithmetic the evaluator knows: the angle unit, the function and constant tables, and the
// operators that can fail, each in balls at a working precision and, where its value is a
// rational, exactly.
#pragma once

#include "evaluator/ball_rounding.h"
#include "evaluator/errors.h"
#include "evaluator/multiprecision.h"
#include "evaluator/vexa.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace vexa {

// The angle unit a trigonometric function reads its argument in, or gives its result in.
class Angle {
public:
    // unit: Radians, Degrees or Grads, already checked by the caller.
    explicit Angle(std::int32_t unit) : unit_(unit) {}

    bool isRadians() const { return unit_ == Radians; }
    // The units in a half turn: 180 degrees, 200 grads; 0 for radians, whose half turn is pi.
    ulong halfTurn() const { return unit_ == Degrees ? 180 : unit_ == Grads ? 200 : 0; }

private:
    std::int32_t unit_;
};

// What evaluating a step needs besides its operands.
struct Context {
    Angle angle;
    Precision precision;
};

// What a step made of its operands at one precision: its value, an error, or nothing yet
// because the precision cannot tell (a divisor whose ball holds 0, which a higher one may
// show to be 0 or not).
struct StepOutcome {
    enum class Verdict : std::uint8_t { Done, Failed, Undecided };
    Verdict verdict = Verdict::Done;
    ErrorCode error = ErrorCode::None;
};

// The outcomes a function's definition returns.
inline StepOutcome done() {
    return {};
}
inline StepOutcome fail(ErrorCode error) {
    return {StepOutcome::Verdict::Failed, error};
}
inline StepOutcome undecided() {
    return {StepOutcome::Verdict::Undecided, ErrorCode::None};
}
// A result beyond the limits of magnitude, not computed: the ball around 0 below them, a
// stand-in the machine reports above them; nothing yet where the magnitude is unknown.
StepOutcome beyondLimits(arb_struct* result, Magnitude magnitude);

// An operand: its ball, and its exact value where it is a value the compiler knew.
struct Argument {
    const arb_struct* ball;
    const Rational* exact; // nullptr for a computed value
};

struct Function {
    std::string_view name; // lower case; names match regardless of case
    int arity;
    bool usesAngle; // reads the angle unit: the trigonometric functions and their inverses
    // Writes f(args) into result, which is none of the arguments.
    StepOutcome (*apply)(arb_struct* result, const Argument* args, const Context& context);
    // The exact value where it is a rational within exactBits ('sqrt(9/4)', 'log10(0.01)');
    // false where it is not or the call fails. nullptr: never rational, or it reads the unit.
    bool (*fold)(Rational& result, const Rational* args);
};

enum class ConstantKind : std::uint8_t { Pi, E };

struct Constant {
    std::string_view name;
    ConstantKind kind;
};

std::span<const Function> functionTable();
std::span<const Constant> constantTable();

// What a name stands for: an index into functionTable() or constantTable().
struct NameMeaning {
    enum class Kind : std::uint8_t { None, Function, Constant };
    Kind kind = Kind::None;
    std::uint8_t index = 0;
};

// The name whose packName() key this is, in any letter case.
NameMeaning lookUpName(std::uint64_t key);

// The binary operators with a domain, shared by '/', '^' and pow(). A negative base takes an
// exponent the text gives as p/q in lowest terms with q odd (the real root: (-8)^(1/3) = -2)
// or one that is a whole number.
StepOutcome divide(arb_struct* result, const Argument& dividend, const Argument& divisor,
                   const Context& context);
StepOutcome power(arb_struct* result, const Argument& base, const Argument& exponent,
                  const Context& context);

} // namespace vexa
