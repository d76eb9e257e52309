#include "evaluator/functions.h"

#include <array>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>

namespace vexa {
namespace {

using std::numbers::pi;

Outcome ok(double value) {
    return {value, ErrorCode::None};
}
Outcome fail(ErrorCode error) {
    return {0, error};
}

struct SinCos {
    double sin;
    double cos;
};

// sin and cos of an angle in degrees or grads. The angle is reduced exactly before it becomes
// radians: its magnitude modulo a full turn (fmod is exact), then into one quarter turn, then
// by symmetry into [0, 1/8 turn]. Quarter turns thus give exact zeros and ones, and the
// rounding of pi/180 never shows up as 'sin(180) = 1.2e-16'. The subtractions are exact: the
// quarter-turn multiples are small integers and a stays below a quarter turn.
SinCos sinCosOfTurns(double angle, Angle unit) {
    const double full = unit.fullTurn();
    const double quarter = full / 4;
    const double eighth = full / 8;

    const double turnPart = std::fmod(std::fabs(angle), full);
    const int quadrant = static_cast<int>(turnPart >= quarter) + (turnPart >= 2 * quarter) +
                         (turnPart >= 3 * quarter);
    double a = turnPart - quadrant * quarter;
    const bool mirrored = a > eighth;
    if (mirrored) {
        a = quarter - a;
    }

    SinCos base;
    if (a == eighth) {
        base = {std::numbers::sqrt2 / 2, std::numbers::sqrt2 / 2};
    } else if (full == 360 && a == 30) {
        // A twelfth of a turn is a whole number only in degrees; sin(30) is then exactly 1/2.
        base = {0.5, std::numbers::sqrt3 / 2};
    } else {
        const double radians = unit.toRadians(a);
        base = {std::sin(radians), std::cos(radians)};
    }
    if (mirrored) {
        std::swap(base.sin, base.cos);
    }

    SinCos turned = base;
    switch (quadrant) {
    case 1:
        turned = {base.cos, -base.sin};
        break;
    case 2:
        turned = {-base.sin, -base.cos};
        break;
    case 3:
        turned = {-base.cos, base.sin};
        break;
    default:
        break;
    }
    if (angle < 0) {
        turned.sin = -turned.sin;
    }
    // Adding +0 turns the -0 of 'cos(90)' into the 0 a reader expects.
    return {turned.sin + 0.0, turned.cos + 0.0};
}

Outcome sine(const double* x, Angle unit) {
    return ok(unit.isRadians() ? std::sin(x[0]) : sinCosOfTurns(x[0], unit).sin);
}

Outcome cosine(const double* x, Angle unit) {
    return ok(unit.isRadians() ? std::cos(x[0]) : sinCosOfTurns(x[0], unit).cos);
}

// In radians no multiple of pi/2 is exact, so tan(pi/2) is merely large.
Outcome tangent(const double* x, Angle unit) {
    if (unit.isRadians()) {
        return ok(std::tan(x[0]));
    }
    const SinCos p = sinCosOfTurns(x[0], unit);
    return p.cos == 0 ? fail(ErrorCode::TangentUndefined) : ok(p.sin / p.cos);
}

Outcome cotangent(const double* x, Angle unit) {
    const SinCos p =
        unit.isRadians() ? SinCos{std::sin(x[0]), std::cos(x[0])} : sinCosOfTurns(x[0], unit);
    return p.sin == 0 ? fail(ErrorCode::CotangentUndefined) : ok(p.cos / p.sin);
}

Outcome arcsine(const double* x, Angle unit) {
    if (std::fabs(x[0]) > 1) {
        return fail(ErrorCode::InverseTrigOutOfRange);
    }
    return ok(unit.fromRadians(std::asin(x[0])));
}

Outcome arccosine(const double* x, Angle unit) {
    if (std::fabs(x[0]) > 1) {
        return fail(ErrorCode::InverseTrigOutOfRange);
    }
    return ok(unit.fromRadians(std::acos(x[0])));
}

Outcome arctangent(const double* x, Angle unit) {
    return ok(unit.fromRadians(std::atan(x[0])));
}

Outcome naturalLog(const double* x, Angle) {
    return x[0] <= 0 ? fail(ErrorCode::LogarithmOfNonPositive) : ok(std::log(x[0]));
}

Outcome decimalLog(const double* x, Angle) {
    return x[0] <= 0 ? fail(ErrorCode::LogarithmOfNonPositive) : ok(std::log10(x[0]));
}

Outcome exponential(const double* x, Angle) {
    return ok(std::exp(x[0]));
}
Outcome powerOfTen(const double* x, Angle) {
    return ok(std::pow(10.0, x[0]));
}

// sqrt(-0) is -0 in IEEE arithmetic; adding +0 shows it as the 0 it is.
Outcome squareRoot(const double* x, Angle) {
    return x[0] < 0 ? fail(ErrorCode::SquareRootOfNegative) : ok(std::sqrt(x[0]) + 0.0);
}

Outcome square(const double* x, Angle) {
    return ok(x[0] * x[0]);
}
Outcome absolute(const double* x, Angle) {
    return ok(std::fabs(x[0]));
}
Outcome powerFunction(const double* x, Angle) {
    return power(x[0], x[1]);
}

// The numerator p of the fraction p/q, q odd from 3 to 99, whose nearest double is exponent:
// the smallest such q, so p/q is in lowest terms. The bound on exponent keeps p exact.
std::optional<double> oddRootNumerator(double exponent) {
    if (!(std::fabs(exponent) < 0x1p31)) {
        return std::nullopt;
    }
    for (int q = 3; q <= 99; q += 2) {
        const double p = std::nearbyint(exponent * q);
        if (p / q == exponent) {
            return p;
        }
    }
    return std::nullopt;
}

constexpr std::array functions{
    Function{"sin", 1, sine},        Function{"cos", 1, cosine},
    Function{"tan", 1, tangent},     Function{"cot", 1, cotangent},
    Function{"asin", 1, arcsine},    Function{"acos", 1, arccosine},
    Function{"atan", 1, arctangent}, Function{"log", 1, naturalLog},
    Function{"ln", 1, naturalLog},   Function{"log10", 1, decimalLog},
    Function{"exp", 1, exponential}, Function{"pow10", 1, powerOfTen},
    Function{"sqrt", 1, squareRoot}, Function{"square", 1, square},
    Function{"abs", 1, absolute},    Function{"pow", 2, powerFunction},
};

constexpr std::array constants{
    Constant{"pi", pi},
    Constant{"e", std::numbers::e},
};

// Names are ASCII (the tokenizer guarantees it), so folding the case is one subtraction.
bool sameName(std::u16string_view text, std::string_view lowerName) {
    if (text.size() != lowerName.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
        if (c != static_cast<unsigned char>(lowerName[i])) {
            return false;
        }
    }
    return true;
}

template <typename Row>
std::optional<std::size_t> find(std::span<const Row> rows, std::u16string_view name) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (sameName(name, rows[i].name)) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace

double Angle::fullTurn() const {
    switch (unit_) {
    case Degrees:
        return 360;
    case Grads:
        return 400;
    default:
        return 2 * pi;
    }
}

// A half turn maps to pi and back through exact ratios, so quarter and eighth turns land
// exactly: 90 degrees and 100 grads become the double nearest pi/2, and asin(1) is 90 or 100.
double Angle::toRadians(double angle) const {
    return isRadians() ? angle : angle / (fullTurn() / 2) * pi;
}

double Angle::fromRadians(double radians) const {
    return isRadians() ? radians : radians / pi * (fullTurn() / 2);
}

std::span<const Function> functionTable() {
    return functions;
}
std::span<const Constant> constantTable() {
    return constants;
}

std::optional<std::size_t> findFunction(std::u16string_view name) {
    return find(functionTable(), name);
}

std::optional<std::size_t> findConstant(std::u16string_view name) {
    return find(constantTable(), name);
}

Outcome divide(double dividend, double divisor) {
    return divisor == 0 ? fail(ErrorCode::DivisionByZero) : ok(dividend / divisor);
}

// 0^0 is 1, as std::pow has it. A negative base needs an integer exponent or, as the real odd
// root, one that stands for a fraction with an odd denominator: (-8)^(1/3) = -2,
// (-8)^(2/3) = 4. Any other exponent would make the result complex.
Outcome power(double base, double exponent) {
    if (base == 0 && exponent < 0) {
        return fail(ErrorCode::ZeroToNegativePower);
    }
    if (base < 0 && std::trunc(exponent) != exponent) {
        const std::optional<double> numerator = oddRootNumerator(exponent);
        if (!numerator) {
            return fail(ErrorCode::NegativeBaseFractionalExponent);
        }
        const double magnitude = std::pow(-base, exponent);
        return ok(std::fmod(*numerator, 2) == 0 ? magnitude : -magnitude);
    }
    return ok(std::pow(base, exponent));
}

} // namespace vexa
