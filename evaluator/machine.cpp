#include "evaluator/machine.h"

#include <cmath>

namespace vexa {
namespace {

using Verdict = StepOutcome::Verdict;

const Rational* exactOf(const KnownValue& value) {
    return value.kind == KnownValue::Kind::Rational ? &value.value : nullptr;
}

StepOutcome applyBinary(Action action, arb_struct* result, const Argument& left,
                        const Argument& right, const Context& context) {
    const slong bits = context.precision.bits;
    switch (action) {
    case Action::Add:
        arb_add(result, left.ball, right.ball, bits);
        return {};
    case Action::Subtract:
        arb_sub(result, left.ball, right.ball, bits);
        return {};
    case Action::Multiply:
        arb_mul(result, left.ball, right.ball, bits);
        return {};
    case Action::Divide:
        return divide(result, left, right, context);
    default:
        return power(result, left, right, context);
    }
}

// The step whose value is the program's, negations aside: where a value beyond the limits of
// magnitude is the result itself rather than a step on the way.
std::size_t lastValueStep(std::span<const Step> steps) {
    std::size_t last = steps.size();
    while (last > 1 && steps[last - 1].action == Action::Negate) {
        --last;
    }
    return last - 1;
}

} // namespace

void Machine::prepare(const Program& program) {
    stack_.resize(program.stackSize() + 1);
    exact_.resize(program.stackSize() + 1);
}

Machine::Pass Machine::runAt(const Program& program, const Context& context) {
    arb_struct* stack = stack_.data();
    const Rational** exact = exact_.data();
    std::size_t depth = 0;
    const slong bits = context.precision.bits;
    const std::span<const Step> steps = program.steps();
    const std::size_t last = lastValueStep(steps);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        StepOutcome outcome;
        std::size_t target = 0; // where the step's value goes
        switch (step.action) {
        case Action::Push: {
            const KnownValue& value = program.known(step.known);
            if (value.kind == KnownValue::Kind::Unreachable) {
                return {{Verdict::Failed, ErrorCode::CannotCompute}, step.start};
            }
            toBall(result_.get(), value, bits, known_.get());
            target = depth++;
            exact[target] = exactOf(value);
            break;
        }
        case Action::Negate:
            arb_neg(stack + depth - 1, stack + depth - 1);
            exact[depth - 1] = nullptr;
            continue;
        case Action::Call:
        case Action::CallConstant:
        case Action::CallKnownFirst: {
            const Function& function = functionTable()[step.function];
            Argument arguments[2];
            if (step.action != Action::Call) {
                const KnownValue& value = program.known(step.known);
                toBall(known_.get(), value, bits, result_.get());
                arguments[0] = {known_.get(), exactOf(value)};
                if (step.action == Action::CallConstant) {
                    target = depth++;
                } else {
                    target = depth - 1;
                    arguments[1] = {stack + target, exact[target]};
                }
            } else {
                target = depth - static_cast<std::size_t>(function.arity);
                for (std::size_t k = 0; k < static_cast<std::size_t>(function.arity); ++k) {
                    arguments[k] = {stack + target + k, exact[target + k]};
                }
                depth = target + 1;
            }
            outcome = function.apply(result_.get(), arguments, context);
            break;
        }
        default: {
            Argument left{};
            Argument right{};
            const auto knownOperand = [&] {
                const KnownValue& value = program.known(step.known);
                toBall(known_.get(), value, bits, result_.get());
                return Argument{known_.get(), exactOf(value)};
            };
            switch (step.action) {
            case Action::AddConstant:
            case Action::SubtractConstant:
            case Action::MultiplyConstant:
            case Action::DivideConstant:
            case Action::PowerConstant:
                target = depth - 1;
                left = {stack + target, exact[target]};
                right = knownOperand();
                break;
            case Action::SubtractFromConstant:
            case Action::DivideConstantBy:
            case Action::PowerOfConstant:
                target = depth - 1;
                left = knownOperand();
                right = {stack + target, exact[target]};
                break;
            default:
                target = depth - 2;
                left = {stack + target, exact[target]};
                right = {stack + target + 1, exact[target + 1]};
                --depth;
                break;
            }
            outcome = applyBinary(plainAction(step.action), result_.get(), left, right, context);
            break;
        }
        }
        if (outcome.verdict != Verdict::Done) {
            return {outcome, step.start};
        }
        arb_swap(stack + target, result_.get());
        if (step.action != Action::Push) {
            exact[target] = nullptr;
        }
        switch (magnitudeOf(stack + target)) {
        case Magnitude::Within:
            break;
        case Magnitude::Unknown:
            return {{Verdict::Undecided, ErrorCode::None}, step.start};
        case Magnitude::TooLarge:
            // Provably beyond the largest double if it is the result; on the way, beyond what
            // the steps after it could compute with.
            return {
                {Verdict::Failed, i < last ? ErrorCode::CannotCompute : ErrorCode::ResultTooLarge},
                step.start};
        case Magnitude::TooSmall:
            setBelowSmallest(stack + target);
            break;
        }
    }
    return {{}, 0};
}

RunResult Machine::run(const Program& program, Angle angle) {
    for (const slong bits : precisionLadder) {
        const Context context{angle, Precision{bits}};
        const bool atLimit = context.precision.atLimit();
        const Pass pass = runAt(program, context);
        if (pass.outcome.verdict == Verdict::Failed) {
            return {0, pass.outcome.error, pass.start};
        }
        if (pass.outcome.verdict == Verdict::Undecided) {
            if (atLimit) {
                return {0, ErrorCode::CannotCompute, pass.start};
            }
            continue;
        }
        double value = 0;
        if (nearestDouble(stack_.data(), value) ||
            (atLimit && nearestDoubleOfTie(stack_.data(), value))) {
            if (std::isinf(value)) {
                return {0, ErrorCode::ResultTooLarge, program.resultStart()};
            }
            return {value, ErrorCode::None, 0};
        }
        if (atLimit) {
            return {0, ErrorCode::CannotCompute, program.resultStart()};
        }
    }
    return {0, ErrorCode::CannotCompute, program.resultStart()}; // the ladder ends at the limit
}

} // namespace vexa
