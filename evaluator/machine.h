// Runs a compiled program in balls, at rising precision until the result is decided.
#pragma once

#include "evaluator/errors.h"
#include "evaluator/functions.h"
#include "evaluator/multiprecision.h"
#include "evaluator/program.h"

#include <cstdint>
#include <vector>

namespace vexa {

struct RunResult {
    double value = 0;
    ErrorCode error = ErrorCode::None;
    std::uint32_t start = 0; // 0-based start of the failing operation's span
};

// The working precisions, in bits, that evaluation tries in turn (Ziv's strategy): most texts
// are decided by the first; the third holds a value that is 0 to below half the smallest
// double; the last is the limit.
inline constexpr slong precisionLadder[] = {64, 256, 1536, precisionLimit};

class Machine {
public:
    // Makes room for the program's deepest stack.
    void prepare(const Program& program);

    // The double nearest the exact value of the program, or the first error in the order the
    // operations run, which is left to right for the ones that can fail. The program must be
    // the one last prepared.
    RunResult run(const Program& program, Angle angle);

private:
    struct Pass {
        StepOutcome outcome;
        std::uint32_t start = 0; // of the step that failed or could not decide
    };
    // One run of every step at one precision; its value is then the bottom of the stack.
    Pass runAt(const Program& program, const Context& context);

    Balls stack_;
    // For each value on the stack, its exact value where it is one the compiler knew.
    std::vector<const Rational*> exact_;
    Ball known_;  // a known operand as a ball
    Ball result_; // what a step computes, before it takes its operands' place
};

} // namespace vexa
