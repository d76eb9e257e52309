// A compiled expression: the steps of a stack machine, each remembering the span of text it
// came from, or a single value when the whole text was worked out while compiling.
#pragma once

#include "evaluator/functions.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vexa {

// A value known when compiling. Where the text wrote it as pi times or divided by whole
// numbers ('pi', '-pi', '2*pi/3', 'pi/4+pi/4'), angle holds that multiple of a half turn
// exactly, so that sin(pi) can be 0 in radians; angle.den is 0 for every other value.
struct KnownValue {
    double value;
    PiFraction angle;
};

// The topmost value lives in a register ("top"); the others on the stack below it.
enum class Action : std::uint8_t {
    Push,   // push top, then top = constant
    Negate, // top = -top
    // The binary ones pop the left operand and replace top with the result.
    Add,
    Subtract,
    Multiply,
    Divide,
    Power,
    // With a known right operand: top = top op constant.
    AddConstant,
    SubtractConstant,
    MultiplyConstant,
    DivideConstant,
    PowerConstant,
    // With a known left operand: top = constant op top.
    SubtractFromConstant,
    DivideConstantBy,
    PowerOfConstant,
    Call,         // functionTable()[function] of top
    CallConstant, // push top, then top = functionTable()[function] of constant
    // CallConstant of an angle written with pi: exact in radians (angles[extra]).
    CallExact,
};

// What a binary action computes of its left and right operand, whether its operands come from
// the stack, from the step or from the compiler folding them; the plain action names it.
inline Outcome applyBinary(Action action, double left, double right) {
    switch (action) {
    case Action::Add:
        return {left + right, ErrorCode::None};
    case Action::Subtract:
        return {left - right, ErrorCode::None};
    case Action::Multiply:
        return {left * right, ErrorCode::None};
    case Action::Divide:
        return divide(left, right);
    default:
        return power(left, right);
    }
}

struct Step {
    Action action;
    std::uint16_t function; // index into functionTable() for the calls
    std::uint32_t start;    // source span: 0-based start and length, in 16-bit units
    std::uint32_t length;
    std::uint32_t extra; // CallExact: index of its angle
    double constant;     // Push and the actions with a known operand
};

class Program {
public:
    // Empties the program but keeps its storage for the next compile.
    void clear() {
        steps_.clear();
        angles_.clear();
        depth_ = 0;
        maxDepth_ = 0;
        result_ = 0;
    }
    // Every step comes from at least one character of the text, so this makes compiling a
    // text of that length allocate nothing more.
    void reserveForText(std::size_t length) {
        if (steps_.capacity() < length) {
            steps_.reserve(length);
        }
    }

    // Emitters; each also tracks how deep the stack will grow.
    void emit(Action action, std::uint32_t start, std::uint32_t length, double constant = 0,
              std::uint16_t function = 0);
    void emitCallExact(std::uint16_t function, const KnownValue& angle, std::uint32_t start,
                       std::uint32_t length);
    // The whole text folded into this value: the program has no steps.
    void setResult(double value) { result_ = value; }

    std::span<const Step> steps() const { return steps_; }
    const PiFraction& angle(std::uint32_t index) const { return angles_[index]; }
    // True when the whole program folded into one value, the same in every angle unit.
    bool isConstant() const { return steps_.empty(); }
    double result() const { return result_; }
    // The most values below the top at any point of a run.
    std::size_t stackSize() const { return maxDepth_; }

    // One line per step, e.g. "const 2 @1", "add @2", "mul 3 @4", "call sin @1-3" (1-based
    // columns), or "value 7" for a program that folded into one value.
    std::string dump() const;

private:
    std::vector<Step> steps_;
    std::vector<PiFraction> angles_;
    std::size_t depth_ = 0;
    std::size_t maxDepth_ = 0;
    double result_ = 0;
};

} // namespace vexa
