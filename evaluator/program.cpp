#include "evaluator/program.h"

#include "evaluator/exact.h"
#include "evaluator/functions.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace vexa {
namespace {

// How each action changes the number of values on the stack.
int stackEffect(Action action, std::uint16_t function) {
    switch (action) {
    case Action::Push:
    case Action::CallConstant:
        return 1;
    case Action::Add:
    case Action::Subtract:
    case Action::Multiply:
    case Action::Divide:
    case Action::Power:
        return -1;
    case Action::Call:
        return 1 - functionTable()[function].arity;
    default:
        return 0;
    }
}

const char* mnemonic(Action action) {
    switch (action) {
    case Action::Push:
        return "const";
    case Action::Negate:
        return "neg";
    case Action::SubtractFromConstant:
        return "rsub";
    case Action::DivideConstantBy:
        return "rdiv";
    case Action::PowerOfConstant:
        return "rpow";
    case Action::Call:
    case Action::CallConstant:
        return "call";
    case Action::CallKnownFirst:
        return "rcall";
    default:
        break;
    }
    switch (plainAction(action)) {
    case Action::Add:
        return "add";
    case Action::Subtract:
        return "sub";
    case Action::Multiply:
        return "mul";
    case Action::Divide:
        return "div";
    default:
        return "pow";
    }
}

bool takesKnown(Action action) {
    switch (action) {
    case Action::Negate:
    case Action::Add:
    case Action::Subtract:
    case Action::Multiply:
    case Action::Divide:
    case Action::Power:
    case Action::Call:
        return false;
    default:
        return true;
    }
}

std::string toText(const KnownValue& value) {
    switch (value.kind) {
    case KnownValue::Kind::Rational:
        return toText(value.value);
    case KnownValue::Kind::Decimal:
        return toText(value.value) + "*10^" + std::to_string(value.exponent);
    case KnownValue::Kind::Pi:
        return "pi";
    case KnownValue::Kind::E:
        return "e";
    case KnownValue::Kind::Unreachable:
        return "unreachable";
    }
    return {};
}

} // namespace

void toBall(arb_struct* ball, const KnownValue& value, slong bits, arb_struct* scratch) {
    switch (value.kind) {
    case KnownValue::Kind::Rational:
        if (value.value.isInteger()) {
            arb_set_fmpz(ball, value.value.numerator());
        } else {
            arb_set_fmpq(ball, value.value.get(), bits);
        }
        return;
    case KnownValue::Kind::Decimal:
        arb_set_round_fmpz(ball, value.value.numerator(), bits);
        arb_ui_pow_ui(scratch, 10, static_cast<ulong>(std::llabs(value.exponent)), bits);
        if (value.exponent < 0) {
            arb_div(ball, ball, scratch, bits);
        } else {
            arb_mul(ball, ball, scratch, bits);
        }
        return;
    case KnownValue::Kind::Pi:
        arb_const_pi(ball, bits);
        return;
    case KnownValue::Kind::E:
        arb_const_e(ball, bits);
        return;
    case KnownValue::Kind::Unreachable:
        arb_zero(ball); // never computed with: pushing it fails
        return;
    }
}

Action plainAction(Action action) {
    switch (action) {
    case Action::AddConstant:
        return Action::Add;
    case Action::SubtractConstant:
    case Action::SubtractFromConstant:
        return Action::Subtract;
    case Action::MultiplyConstant:
        return Action::Multiply;
    case Action::DivideConstant:
    case Action::DivideConstantBy:
        return Action::Divide;
    case Action::PowerConstant:
    case Action::PowerOfConstant:
        return Action::Power;
    default:
        return action;
    }
}

void Program::clear() {
    steps_.clear();
    known_.clear();
    depth_ = 0;
    maxDepth_ = 0;
    fmpq_zero(result_.get());
    resultStart_ = 0;
}

std::uint32_t Program::addKnown(KnownValue value) {
    known_.push_back(std::move(value));
    return static_cast<std::uint32_t>(known_.size() - 1);
}

void Program::emit(Action action, std::uint32_t start, std::uint32_t length, std::uint32_t known,
                   std::uint16_t function) {
    steps_.push_back({action, function, start, length, known});
    depth_ = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(depth_) +
                                      stackEffect(action, function));
    maxDepth_ = std::max(maxDepth_, depth_);
}

std::string Program::dump() const {
    std::string out;
    char number[32];
    const auto append = [&](auto value) {
        out.append(number, std::to_chars(number, number + sizeof number, value).ptr);
    };
    if (steps_.empty()) {
        return "value " + toText(result_) + '\n';
    }
    for (const Step& step : steps_) {
        out += mnemonic(step.action);
        if (step.action == Action::Call || step.action == Action::CallConstant ||
            step.action == Action::CallKnownFirst) {
            out += ' ';
            out += functionTable()[step.function].name;
        }
        if (takesKnown(step.action)) {
            out += ' ';
            out += toText(known_[step.known]);
        }
        out += " @";
        append(step.start + 1);
        if (step.length > 1) {
            out += '-';
            append(step.start + step.length);
        }
        out += '\n';
    }
    return out;
}

} // namespace vexa
