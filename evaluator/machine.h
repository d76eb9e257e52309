// Runs a compiled program on a value stack sized once per compile.
#pragma once

#include "evaluator/errors.h"
#include "evaluator/functions.h"
#include "evaluator/program.h"

#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

namespace vexa {

struct RunResult {
    double value = 0;
    ErrorCode error = ErrorCode::None;
    std::uint32_t start = 0; // 0-based start of the failing operation's span
};

class Machine {
public:
    // Turns the program into the steps run() executes and makes room for its deepest stack;
    // run() then allocates nothing.
    void prepare(const Program& program);

    // Operations run in postfix order, which is left to right for the operations that can
    // fail, so the first failure met is the leftmost one that matters. The program must be
    // the one last prepared.
    RunResult run(const Program& program, Angle angle);

private:
    // A constant (with any sign directly applied to it) followed by a binary operator or a
    // one-argument call becomes one step that takes that operand from the step itself.
    // Constants and signs cannot fail, so every failure stays where it was.
    enum class Action : std::uint8_t {
        Push,
        Negate,
        Add,
        Subtract,
        Multiply,
        Divide,
        Power,
        AddConstant,
        SubtractConstant,
        MultiplyConstant,
        DivideConstant,
        PowerConstant,
        Call,
        CallConstant,
        // A trigonometric call of an angle written as a multiple of pi: exact in radians.
        CallExact,
    };
    struct Step {
        Action action;
        std::uint16_t function; // index into functionTable() for the calls
        std::uint32_t op;       // index of the program's operation, for its span on failure
        double constant;        // Push and the *Constant actions
    };

    std::span<const Function> functions_ = functionTable();
    std::vector<Step> steps_;
    std::vector<double> stack_;
};

// Defined here so that the caller can inline it: a short program runs in a few nanoseconds, so
// a call would be a noticeable part of it.
inline RunResult Machine::run(const Program& program, Angle angle) {
    const std::span<const Op> ops = program.ops();
    double* sp = stack_.data(); // one past the values below the top
    double top = 0;
    for (const Step& step : steps_) {
        Outcome outcome;
        switch (step.action) {
        case Action::Push:
            *sp++ = top;
            top = step.constant;
            continue;
        case Action::Negate:
            top = -top;
            continue;
        case Action::Add:
            outcome.value = *--sp + top;
            break;
        case Action::Subtract:
            outcome.value = *--sp - top;
            break;
        case Action::Multiply:
            outcome.value = *--sp * top;
            break;
        case Action::Divide:
            outcome = divide(*--sp, top);
            break;
        case Action::Power:
            outcome = power(*--sp, top);
            break;
        case Action::AddConstant:
            outcome.value = top + step.constant;
            break;
        case Action::SubtractConstant:
            outcome.value = top - step.constant;
            break;
        case Action::MultiplyConstant:
            outcome.value = top * step.constant;
            break;
        case Action::DivideConstant:
            outcome = divide(top, step.constant);
            break;
        case Action::PowerConstant:
            outcome = power(top, step.constant);
            break;
        case Action::Call: {
            const Function& function = functions_[step.function];
            *sp = top;
            sp -= function.arity - 1;
            outcome = function.apply(sp, angle);
            break;
        }
        case Action::CallConstant:
            *sp++ = top;
            outcome = functions_[step.function].apply(&step.constant, angle);
            break;
        case Action::CallExact:
            *sp++ = top;
            // The operation before the call is the constant that prepare() fused into it.
            outcome = angle.isRadians() ? functions_[step.function].applyExact(
                                              program.angle(ops[step.op - 1].operand))
                                        : functions_[step.function].apply(&step.constant, angle);
            break;
        }
        if (outcome.error != ErrorCode::None) {
            return {0, outcome.error, ops[step.op].start};
        }
        // Operands are always finite, so a non-finite result can only be an overflow; it is
        // reported where it happens even if later operations would bring it back in range.
        if (!std::isfinite(outcome.value)) {
            return {0, ErrorCode::ResultTooLarge, ops[step.op].start};
        }
        top = outcome.value;
    }
    return {top, ErrorCode::None, 0};
}

} // namespace vexa
