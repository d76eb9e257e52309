// A compiled expression: the steps of a stack machine, each remembering the span of text it
// came from, or a single exact value when the whole text was worked out while compiling.
#pragma once

#include "evaluator/functions.h"
#include "evaluator/multiprecision.h"

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace vexa {

// A value known when compiling, which a step pushes or takes as an operand.
struct KnownValue {
    enum class Kind : std::uint8_t {
        Rational, // exactly `value`
        Decimal,  // the integer `value` times 10^exponent, too large to hold exactly
        Pi,
        E,
        Unreachable, // a literal below the smallest magnitude a value may have
    };
    Kind kind = Kind::Rational;
    Rational value;
    std::int64_t exponent = 0;
};

// The known value as a ball at this precision: exact for integers and binary fractions.
// scratch is any other ball, for the power of ten of a decimal.
void toBall(arb_struct* ball, const KnownValue& value, slong bits, arb_struct* scratch);

enum class Action : std::uint8_t {
    Push,   // push the known value
    Negate, // top = -top
    // The binary ones pop the right operand and replace the top (the left one) with the result.
    Add,
    Subtract,
    Multiply,
    Divide,
    Power,
    // With a known right operand: top = top op known.
    AddConstant,
    SubtractConstant,
    MultiplyConstant,
    DivideConstant,
    PowerConstant,
    // With a known left operand: top = known op top.
    SubtractFromConstant,
    DivideConstantBy,
    PowerOfConstant,
    Call,           // functionTable()[function] of the top `arity` values
    CallConstant,   // push functionTable()[function] of the known value
    CallKnownFirst, // top = functionTable()[function] of the known value and the top
};

// The operator a binary action applies, whichever operand is known.
Action plainAction(Action action);

struct Step {
    Action action;
    std::uint16_t function; // index into functionTable() for the calls
    std::uint32_t start;    // source span: 0-based start and length, in 16-bit units
    std::uint32_t length;
    std::uint32_t known; // index of the known value, for Push and the actions that take one
};

class Program {
public:
    // Empties the program but keeps its storage for the next compile.
    void clear();
    // Every step and every known value comes from at least one character of the text, so
    // this makes compiling a text of that length allocate nothing more for them.
    void reserveForText(std::size_t length) {
        if (steps_.capacity() < length) {
            steps_.reserve(length);
            known_.reserve(length);
        }
    }

    // Emitters; each also tracks how deep the stack will grow.
    std::uint32_t addKnown(KnownValue value);
    void emit(Action action, std::uint32_t start, std::uint32_t length, std::uint32_t known = 0,
              std::uint16_t function = 0);
    // The whole text worked out into this value: the program has no steps.
    void setResult(Rational value) { result_ = std::move(value); }
    // Where the operation that produced the text's value starts (0-based), the place of an
    // error about that value.
    void setResultStart(std::uint32_t start) { resultStart_ = start; }

    std::span<const Step> steps() const { return steps_; }
    const KnownValue& known(std::uint32_t index) const { return known_[index]; }
    // True when the whole program folded into one exact value, the same in every angle unit.
    bool isConstant() const { return steps_.empty(); }
    const Rational& result() const { return result_; }
    std::uint32_t resultStart() const { return resultStart_; }
    // The most values on the stack at any point of a run.
    std::size_t stackSize() const { return maxDepth_; }

    // One line per step, e.g. "const 2 @1", "add @2", "mul 3 @4", "call sin @1-3" (1-based
    // columns; known values as "p/q", "pi", "e", "m*10^k"), or "value 7/2" for a program
    // that folded into one value.
    std::string dump() const;

private:
    std::vector<Step> steps_;
    std::vector<KnownValue> known_;
    std::size_t depth_ = 0;
    std::size_t maxDepth_ = 0;
    Rational result_;
    std::uint32_t resultStart_ = 0;
};

} // namespace vexa
