#include "evaluator/program.h"

#include "evaluator/functions.h"

#include <algorithm>
#include <charconv>

namespace vexa {

void Program::clear() {
    ops_.clear();
    constants_.clear();
    depth_ = 0;
    maxDepth_ = 0;
}

void Program::reserveForText(std::size_t length) {
    ops_.reserve(length);
    constants_.reserve(length);
}

void Program::push(const Op& op, int stackEffect) {
    ops_.push_back(op);
    depth_ = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(depth_) + stackEffect);
    maxDepth_ = std::max(maxDepth_, depth_);
}

void Program::emitConstant(double value, std::uint32_t start, std::uint32_t length) {
    const auto index = static_cast<std::uint32_t>(constants_.size());
    constants_.push_back(value);
    push({OpCode::Constant, index, start, length}, +1);
}

void Program::emitNegate(std::uint32_t start, std::uint32_t length) {
    push({OpCode::Negate, 0, start, length}, 0);
}

void Program::emitBinary(OpCode code, const Token& op) {
    push({code, 0, op.start, op.length}, -1);
}

void Program::emitCall(std::uint32_t function, int arity, const Token& name) {
    push({OpCode::Call, function, name.start, name.length}, 1 - arity);
}

std::string Program::dump() const {
    std::string out;
    char number[32];
    const auto append = [&](auto value) {
        out.append(number, std::to_chars(number, number + sizeof number, value).ptr);
    };
    for (const Op& op : ops_) {
        switch (op.code) {
        case OpCode::Constant:
            out += "const ";
            append(constants_[op.operand]);
            break;
        case OpCode::Negate:
            out += "neg";
            break;
        case OpCode::Add:
            out += "add";
            break;
        case OpCode::Subtract:
            out += "sub";
            break;
        case OpCode::Multiply:
            out += "mul";
            break;
        case OpCode::Divide:
            out += "div";
            break;
        case OpCode::Power:
            out += "pow";
            break;
        case OpCode::Call:
            out += "call ";
            out += functionTable()[op.operand].name;
            break;
        }
        out += " @";
        append(op.start + 1);
        if (op.length > 1) {
            out += '-';
            append(op.start + op.length);
        }
        out += '\n';
    }
    return out;
}

} // namespace vexa
