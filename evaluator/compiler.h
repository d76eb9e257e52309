// Turns an expression text into a Program, or reports the first syntax error in reading order.
#pragma once

#include "evaluator/errors.h"
#include "evaluator/program.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vexa {

// Parentheses, calls and '^' right operands open a nesting level; this many may be open at
// once. Unary signs are read in a loop and open none.
inline constexpr int maxNesting = 256;

// What compile() throws. For errors of the whole text the start is 0 and means nothing.
struct CompileError {
    ErrorCode code;
    std::uint32_t start; // 0-based start of the offending token
};

class Compiler {
public:
    // Replaces the program's contents. Throws CompileError; the program is then unusable.
    void compile(std::u16string_view text, Program& program);

private:
    std::string literal_; // a number token in ASCII for from_chars, kept between compiles
};

} // namespace vexa
