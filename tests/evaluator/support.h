// Helpers shared by the evaluator's tests.
#pragma once

#include "evaluator/errors.h"
#include "evaluator/vexa.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vexa_test {

// The outcome of one computation: a value, or the LastError that the failure left.
struct Computed {
    bool ok = false;
    bool compiled = false; // Compile succeeded, whatever Evaluate did
    double value = 0;
    vexa::ErrorInfo error;
};

// One evaluator with its one slot, used the way the window uses them.
class Calculator {
public:
    Calculator();

    // Sets the unit, the text, compiles and evaluates. On failure it also checks that the
    // thrown Failure and LastError agree with each other and with the error table.
    Computed compute(std::u16string_view text, std::int32_t unit = vexa::Radians);

    vexa::Vexa& vexa() { return *vexa_; }
    vexa::Expression& slot() { return *slot_; }

private:
    std::unique_ptr<vexa::Vexa> vexa_;
    vexa::Expression* slot_;
};

// "text" in traces and messages, with non-ASCII units as \uXXXX.
std::string printable(std::u16string_view text);

std::u16string repeat(std::u16string_view piece, std::size_t times);

inline std::int32_t number(vexa::ErrorCode code) {
    return static_cast<std::int32_t>(code);
}

} // namespace vexa_test
