#include "evaluator/machine.h"

#include <cmath>

namespace vexa {

void Machine::prepare(const Program& program) {
    stack_.resize(program.stackSize());
}

RunResult Machine::run(const Program& program, Angle angle) {
    double* const stack = stack_.data();
    std::size_t top = 0; // number of values on the stack
    for (const Op& op : program.ops()) {
        Outcome outcome;
        switch (op.code) {
        case OpCode::Constant:
            stack[top++] = program.constant(op.operand);
            continue;
        case OpCode::Negate:
            stack[top - 1] = -stack[top - 1];
            continue;
        case OpCode::Add:
            --top;
            outcome.value = stack[top - 1] + stack[top];
            break;
        case OpCode::Subtract:
            --top;
            outcome.value = stack[top - 1] - stack[top];
            break;
        case OpCode::Multiply:
            --top;
            outcome.value = stack[top - 1] * stack[top];
            break;
        case OpCode::Divide:
            --top;
            outcome = divide(stack[top - 1], stack[top]);
            break;
        case OpCode::Power:
            --top;
            outcome = power(stack[top - 1], stack[top]);
            break;
        case OpCode::Call: {
            const Function& function = functionTable()[op.operand];
            top -= static_cast<std::size_t>(function.arity);
            outcome = function.apply(stack + top, angle);
            ++top;
            break;
        }
        }
        if (outcome.error != ErrorCode::None) {
            return {0, outcome.error, op.start};
        }
        // Operands are always finite, so a non-finite result can only be an overflow; it is
        // reported where it happens even if later operations would bring it back in range.
        if (!std::isfinite(outcome.value)) {
            return {0, ErrorCode::ResultTooLarge, op.start};
        }
        stack[top - 1] = outcome.value;
    }
    return {stack[0], ErrorCode::None, 0};
}

} // namespace vexa
