// The arithmetic the evaluator knows: the angle unit, the function and constant tables, and the
// operators that can fail.
#pragma once

#include "evaluator/errors.h"
#include "evaluator/vexa.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vexa {

// The angle unit a trigonometric function reads its argument in, or gives its result in.
class Angle {
public:
    // unit: Radians, Degrees or Grads, already checked by the caller.
    explicit Angle(std::int32_t unit) : unit_(unit) {}

    bool isRadians() const { return unit_ == Radians; }
    bool isDegrees() const { return unit_ == Degrees; }

private:
    std::int32_t unit_;
};

// An angle of num/den half turns, i.e. num/den * pi radians, as the text wrote it: 'pi/4' is
// {1, 4}, '-2*pi/3' is {-2, 3}. den > 0, the fraction in lowest terms, |num| and den at most
// 2^31.
struct PiFraction {
    std::int64_t num;
    std::int64_t den;
};

// A computed value or the reason there is none. Non-finite values are not checked here: the
// machine turns every one of them into ResultTooLarge at the operation that produced it.
struct Outcome {
    double value = 0;
    ErrorCode error = ErrorCode::None;
};

struct Function {
    std::string_view name; // lower case; names match regardless of case
    int arity;
    bool usesAngle; // reads the angle unit: the trigonometric functions and their inverses
    // args are finite: the machine never passes anything else.
    Outcome (*apply)(const double* args, Angle angle);
    // sin, cos, tan and cot of an exact angle (radians only); nullptr for every other function.
    Outcome (*applyExact)(PiFraction angle);
};

struct Constant {
    std::string_view name;
    double value;
};

std::span<const Function> functionTable();
std::span<const Constant> constantTable();

// What a name stands for: an index into functionTable() or constantTable().
struct NameMeaning {
    enum class Kind : std::uint8_t { None, Function, Constant };
    Kind kind = Kind::None;
    std::uint8_t index = 0;
};

// The name whose packName() key this is, in any letter case.
NameMeaning lookUpName(std::uint64_t key);

// The binary operators with a domain, shared by '/', '^' and pow(). A negative base takes an
// exponent that is an integer or the double nearest a fraction with an odd denominator up to 99:
// (-8)^(1/3) is -2, the real cube root.
Outcome divide(double dividend, double divisor);
Outcome power(double base, double exponent);

} // namespace vexa
