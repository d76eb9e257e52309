// Turns an expression text into a Program, or reports the first syntax error in reading order.
#pragma once

#include "evaluator/errors.h"
#include "evaluator/program.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

// Parentheses, calls and '^' right operands open a nesting level; this many may be open at
// once. Unary signs are read in a loop and open none.
inline constexpr int maxNesting = 256;

// A literal's leading digit may stand at most this many places before or after the point
// (1e300000000). A larger one is too large to compute with; a smaller one is below the
// smallest magnitude a value may have.
inline constexpr std::int64_t literalExponentLimit = 300'000'000;

// What compile() throws. For errors of the whole text the start is 0 and means nothing.
struct CompileError {
    ErrorCode code;
    std::uint32_t start; // 0-based start of the offending token
};

class Compiler {
public:
    Compiler();

    // Replaces the program's contents. Throws CompileError; the program is then unusable.
    // Folding works out while compiling every operation whose operands are known exactly,
    // whose result is an exact rational and that neither fails nor reads the angle unit; a
    // test turns it off to see the grammar's shape.
    void compile(std::u16string_view text, Program& program, bool fold = true);

    // A run of signs, or one root, read before an operand and applied after it.
    struct Prefix {
        std::uint32_t start;
        std::uint32_t end;
        bool root;
        bool negate;
    };
    // Storage the parser reuses from one compile to the next.
    struct Scratch {
        std::string digits; // a long number's significant digits in ASCII
        std::vector<Prefix> prefixes;
        std::uint32_t squareRoot = 0; // the function a '√' calls
        std::uint16_t factorial = 0;  // the function a '!' calls
    };

private:
    Scratch scratch_;
};

} // namespace vexa
