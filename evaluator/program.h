// A compiled expression: postfix operations over a value stack, each remembering the span of
// text it came from, with the literals kept in a constant pool.
#pragma once

#include "evaluator/tokenizer.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vexa {

enum class OpCode : std::uint8_t {
    Constant, // push constants[operand]
    Negate,   // top = -top
    Add,      // the binary ones pop the right operand, then replace the left with the result
    Subtract,
    Multiply,
    Divide,
    Power,
    Call, // functionTable()[operand] on its arity topmost values, which it replaces
};

struct Op {
    OpCode code;
    std::uint32_t operand; // constant index or function index; 0 otherwise
    std::uint32_t start;   // source span: 0-based start and length, in 16-bit units
    std::uint32_t length;
};

class Program {
public:
    // Empties the program but keeps its storage for the next compile.
    void clear();
    // Every operation and every constant comes from at least one character of the text, so
    // this makes compiling a text of that length allocate nothing more.
    void reserveForText(std::size_t length);

    // Each emitter also tracks how deep the value stack will grow.
    void emitConstant(double value, std::uint32_t start, std::uint32_t length);
    void emitNegate(std::uint32_t start, std::uint32_t length);
    void emitBinary(OpCode code, const Token& op);
    void emitCall(std::uint32_t function, int arity, const Token& name);

    std::span<const Op> ops() const { return ops_; }
    double constant(std::uint32_t index) const { return constants_[index]; }
    // The most values on the stack at any point of a run.
    std::size_t stackSize() const { return maxDepth_; }

    // One line per operation, e.g. "const 2 @1", "add @2", "call sin @1-3" (1-based columns).
    std::string dump() const;

private:
    void push(const Op& op, int stackEffect);

    std::vector<Op> ops_;
    std::vector<double> constants_;
    std::size_t depth_ = 0;
    std::size_t maxDepth_ = 0;
};

} // namespace vexa
