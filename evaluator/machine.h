// Runs a compiled program on a value stack sized once per compile.
#pragma once

#include "evaluator/errors.h"
#include "evaluator/functions.h"
#include "evaluator/program.h"

#include <cstdint>
#include <vector>

namespace vexa {

struct RunResult {
    double value = 0;
    ErrorCode error = ErrorCode::None;
    std::uint32_t start = 0; // 0-based start of the failing operation's span
};

class Machine {
public:
    // Makes room for the program's deepest stack; run() then allocates nothing.
    void prepare(const Program& program);

    // Operations run in postfix order, which is left to right for the operations that can
    // fail, so the first failure met is the leftmost one that matters.
    RunResult run(const Program& program, Angle angle);

private:
    std::vector<double> stack_;
};

} // namespace vexa
