#include "evaluator/machine.h"

#include <span>

namespace vexa {
namespace {

bool isBinary(OpCode code) {
    switch (code) {
    case OpCode::Add:
    case OpCode::Subtract:
    case OpCode::Multiply:
    case OpCode::Divide:
    case OpCode::Power:
        return true;
    default:
        return false;
    }
}

} // namespace

void Machine::prepare(const Program& program) {
    const std::span<const Op> ops = program.ops();
    steps_.clear();
    steps_.reserve(ops.size());
    const auto binary = [](OpCode code, bool constantOperand) {
        switch (code) {
        case OpCode::Add:
            return constantOperand ? Action::AddConstant : Action::Add;
        case OpCode::Subtract:
            return constantOperand ? Action::SubtractConstant : Action::Subtract;
        case OpCode::Multiply:
            return constantOperand ? Action::MultiplyConstant : Action::Multiply;
        case OpCode::Divide:
            return constantOperand ? Action::DivideConstant : Action::Divide;
        default:
            return constantOperand ? Action::PowerConstant : Action::Power;
        }
    };
    const auto call = [](const Op& op) {
        return static_cast<std::uint16_t>(op.operand);
    };
    for (std::size_t i = 0; i < ops.size(); ++i) {
        const Op& op = ops[i];
        const auto index = static_cast<std::uint32_t>(i);
        switch (op.code) {
        case OpCode::Constant: {
            double value = program.constant(op.operand);
            // A sign on a literal is exact and cannot fail, so it becomes part of the literal.
            while (i + 1 < ops.size() && ops[i + 1].code == OpCode::Negate) {
                value = -value;
                ++i;
            }
            const Op* next = i + 1 < ops.size() ? &ops[i + 1] : nullptr;
            const auto nextIndex = static_cast<std::uint32_t>(i + 1);
            if (next != nullptr && isBinary(next->code)) {
                steps_.push_back({binary(next->code, true), 0, nextIndex, value});
                ++i;
            } else if (next != nullptr && next->code == OpCode::Call &&
                       functions_[next->operand].arity == 1) {
                // Only an angle directly before its call; a sign merged above is not exact.
                const bool exact = i == index && program.angle(op.operand).den != 0 &&
                                   functions_[next->operand].applyExact != nullptr;
                steps_.push_back(
                    {exact ? Action::CallExact : Action::CallConstant, call(*next), nextIndex,
                     value});
                ++i;
            } else {
                steps_.push_back({Action::Push, 0, index, value});
            }
            break;
        }
        case OpCode::Negate:
            steps_.push_back({Action::Negate, 0, index, 0});
            break;
        case OpCode::Add:
        case OpCode::Subtract:
        case OpCode::Multiply:
        case OpCode::Divide:
        case OpCode::Power:
            steps_.push_back({binary(op.code, false), 0, index, 0});
            break;
        case OpCode::Call:
            steps_.push_back({Action::Call, call(op), index, 0});
            break;
        }
    }
    // The topmost value lives in a register; slot 0 takes the empty register of the first
    // push, and a call needs one slot more to lay its arguments out side by side.
    stack_.resize(program.stackSize() + 1);
}

} // namespace vexa
