// A compiled expression: postfix operations over a value stack, each remembering the span of
// text it came from, with the literals kept in a constant pool.
#pragma once

#include "evaluator/functions.h"
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

// A value known when compiling. Where the text wrote it as pi times or divided by integers
// ('pi', '-pi', '2*pi/3', 'pi/4+pi/4'), angle holds that multiple of a half turn exactly, so
// that sin(pi) can be 0 in radians; angle.den is 0 for every other value.
struct KnownValue {
    double value;
    PiFraction angle;
};

class Program {
public:
    // Empties the program but keeps its storage for the next compile. With folding on, every
    // operation whose operands are all known and that neither fails nor depends on the angle
    // unit is computed as it is emitted and leaves only its result; what can fail stays, so
    // that evaluation reports it where and in the order it would have.
    void clear(bool fold = true);
    // Every operation and every constant comes from at least one character of the text, so
    // this makes compiling a text of that length allocate nothing more.
    void reserveForText(std::size_t length);

    // Each emitter also tracks how deep the value stack will grow.
    void emitConstant(KnownValue value, std::uint32_t start, std::uint32_t length);
    void emitNegate(std::uint32_t start, std::uint32_t length);
    void emitBinary(OpCode code, std::uint32_t start, std::uint32_t length);
    void emitCall(std::uint32_t function, int arity, std::uint32_t start, std::uint32_t length);

    std::span<const Op> ops() const { return ops_; }
    double constant(std::uint32_t index) const { return constants_[index].value; }
    const PiFraction& angle(std::uint32_t index) const { return constants_[index].angle; }
    // The most values on the stack at any point of a run.
    std::size_t stackSize() const { return maxDepth_; }
    // True when the whole program folded into one value, the same in every angle unit.
    bool isConstant() const { return ops_.size() == 1 && ops_[0].code == OpCode::Constant; }

    // One line per operation, e.g. "const 2 @1", "add @2", "call sin @1-3" (1-based columns).
    std::string dump() const;

private:
    void push(const Op& op, int stackEffect);
    // The known values of the last count operations, when each of them is a constant.
    bool lastAreConstants(std::size_t count) const;
    void replaceLast(std::size_t count, KnownValue value, std::uint32_t start, std::uint32_t end);

    std::vector<Op> ops_;
    std::vector<KnownValue> constants_;
    std::size_t depth_ = 0;
    std::size_t maxDepth_ = 0;
    bool fold_ = true;
};

} // namespace vexa
