#include "evaluator/program.h"

#include "evaluator/functions.h"

#include <algorithm>
#include <charconv>

namespace vexa {
namespace {

// How each action changes the number of values below the top.
int stackEffect(Action action, std::uint16_t function) {
    switch (action) {
    case Action::Push:
    case Action::CallConstant:
    case Action::CallExact:
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
    case Action::Add:
    case Action::AddConstant:
        return "add";
    case Action::Subtract:
    case Action::SubtractConstant:
        return "sub";
    case Action::Multiply:
    case Action::MultiplyConstant:
        return "mul";
    case Action::Divide:
    case Action::DivideConstant:
        return "div";
    case Action::Power:
    case Action::PowerConstant:
        return "pow";
    case Action::SubtractFromConstant:
        return "rsub";
    case Action::DivideConstantBy:
        return "rdiv";
    case Action::PowerOfConstant:
        return "rpow";
    default:
        return "call";
    }
}

bool hasConstant(Action action) {
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

} // namespace

void Program::emit(Action action, std::uint32_t start, std::uint32_t length, double constant,
                   std::uint16_t function) {
    steps_.push_back({action, function, start, length, 0, constant});
    depth_ = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(depth_) +
                                      stackEffect(action, function));
    maxDepth_ = std::max(maxDepth_, depth_);
}

void Program::emitCallExact(std::uint16_t function, const KnownValue& angle, std::uint32_t start,
                            std::uint32_t length) {
    emit(Action::CallExact, start, length, angle.value, function);
    steps_.back().extra = static_cast<std::uint32_t>(angles_.size());
    angles_.push_back(angle.angle);
}

std::string Program::dump() const {
    std::string out;
    char number[32];
    const auto append = [&](auto value) {
        out.append(number, std::to_chars(number, number + sizeof number, value).ptr);
    };
    if (steps_.empty()) {
        out += "value ";
        append(result_);
        out += '\n';
        return out;
    }
    for (const Step& step : steps_) {
        out += mnemonic(step.action);
        if (step.action == Action::Call || step.action == Action::CallConstant ||
            step.action == Action::CallExact) {
            out += ' ';
            out += functionTable()[step.function].name;
        }
        if (step.action == Action::CallExact) {
            const PiFraction& angle = angles_[step.extra];
            out += " pi*";
            append(angle.num);
            out += '/';
            append(angle.den);
        } else if (hasConstant(step.action)) {
            out += ' ';
            append(step.constant);
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
