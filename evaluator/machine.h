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
    std::uint32_t start = 0; // 0-based start of the failing step's span
};

class Machine {
public:
    // Makes room for the program's deepest stack; run() then allocates nothing.
    void prepare(const Program& program) { stack_.resize(program.stackSize() + 1); }

    // Steps run in the order the text's operations take effect, which is left to right for
    // the ones that can fail, so the first failure met is the leftmost one that matters. The
    // program must be the one last prepared.
    RunResult run(const Program& program, Angle angle);

private:
    std::span<const Function> functions_ = functionTable();
    std::vector<double> stack_;
};

inline RunResult Machine::run(const Program& program, Angle angle) {
    if (program.isConstant()) {
        return {program.result(), ErrorCode::None, 0};
    }
    double* sp = stack_.data(); // one past the values below the top
    double top = 0;
    for (const Step& step : program.steps()) {
        Outcome outcome;
        switch (step.action) {
        case Action::Push:
            *sp++ = top;
            top = step.constant;
            continue;
        case Action::Negate:
            top = -top;
            continue;
        // Each case names its action, so the shared arithmetic inlines to the one operation.
        case Action::Add:
            outcome = applyBinary(Action::Add, *--sp, top);
            break;
        case Action::Subtract:
            outcome = applyBinary(Action::Subtract, *--sp, top);
            break;
        case Action::Multiply:
            outcome = applyBinary(Action::Multiply, *--sp, top);
            break;
        case Action::Divide:
            outcome = applyBinary(Action::Divide, *--sp, top);
            break;
        case Action::Power:
            outcome = applyBinary(Action::Power, *--sp, top);
            break;
        case Action::AddConstant:
            outcome = applyBinary(Action::Add, top, step.constant);
            break;
        case Action::SubtractConstant:
            outcome = applyBinary(Action::Subtract, top, step.constant);
            break;
        case Action::MultiplyConstant:
            outcome = applyBinary(Action::Multiply, top, step.constant);
            break;
        case Action::DivideConstant:
            outcome = applyBinary(Action::Divide, top, step.constant);
            break;
        case Action::PowerConstant:
            outcome = applyBinary(Action::Power, top, step.constant);
            break;
        case Action::SubtractFromConstant:
            outcome = applyBinary(Action::Subtract, step.constant, top);
            break;
        case Action::DivideConstantBy:
            outcome = applyBinary(Action::Divide, step.constant, top);
            break;
        case Action::PowerOfConstant:
            outcome = applyBinary(Action::Power, step.constant, top);
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
            outcome = angle.isRadians()
                          ? functions_[step.function].applyExact(program.angle(step.extra))
                          : functions_[step.function].apply(&step.constant, angle);
            break;
        }
        if (outcome.error != ErrorCode::None) {
            return {0, outcome.error, step.start};
        }
        // Operands are always finite, so a non-finite result can only be an overflow; it is
        // reported where it happens even if later steps would bring it back in range.
        if (!std::isfinite(outcome.value)) {
            return {0, ErrorCode::ResultTooLarge, step.start};
        }
        top = outcome.value;
    }
    return {top, ErrorCode::None, 0};
}

} // namespace vexa
