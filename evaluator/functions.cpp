#include "evaluator/functions.h"

#include "evaluator/tokenizer.h"

#include <array>
#include <cmath>
#include <numbers>
#include <optional>
#include <type_traits>

namespace vexa {
namespace {

using std::numbers::pi;

Outcome ok(double value) {
    return {value, ErrorCode::None};
}
Outcome fail(ErrorCode error) {
    return {0, error};
}

// Double-double arithmetic: a value carried as the unevaluated sum hi + lo of two doubles,
// about 106 bits. The trigonometric functions of angles in degrees, grads and exact fractions of
// pi compute in it and round once at the end, so their results are within one unit in the last
// place (ulp) of the exact value where converting the unit in plain doubles loses up to three.
struct Wide {
    double hi;
    double lo; // at most half an ulp of hi
};

constexpr Wide wide(double value) {
    return {value, 0};
}

// a + b exactly as hi + lo.
constexpr Wide twoSum(double a, double b) {
    const double sum = a + b;
    const double bPart = sum - a;
    return {sum, (a - (sum - bPart)) + (b - bPart)};
}

// a + b exactly as hi + lo, for |a| >= |b| or a = 0: the normalising step of every operation.
constexpr Wide quickTwoSum(double a, double b) {
    const double sum = a + b;
    return {sum, b - (sum - a)};
}

// a * b exactly as hi + lo. At run time fma gives the low part in one step. In constant
// expressions it is not available and Dekker's split into 26-bit halves does the same; the
// operands there are small, so the split cannot overflow.
constexpr Wide twoProduct(double a, double b) {
    const double product = a * b;
    if (std::is_constant_evaluated()) {
        const auto split = [](double x) {
            const double scaled = (0x1p27 + 1) * x;
            const double high = scaled - (scaled - x);
            return Wide{high, x - high};
        };
        const Wide x = split(a);
        const Wide y = split(b);
        return {product, ((x.hi * y.hi - product) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
    }
    return {product, std::fma(a, b, -product)};
}

constexpr Wide operator-(Wide a) {
    return {-a.hi, -a.lo};
}

constexpr Wide operator+(Wide a, Wide b) {
    const Wide sum = twoSum(a.hi, b.hi);
    return quickTwoSum(sum.hi, sum.lo + a.lo + b.lo);
}

constexpr Wide operator*(Wide a, Wide b) {
    const Wide product = twoProduct(a.hi, b.hi);
    return quickTwoSum(product.hi, product.lo + a.hi * b.lo + a.lo * b.hi);
}

// The quotient of the leading parts, corrected by the remainder it leaves.
constexpr Wide operator/(Wide a, Wide b) {
    const double quotient = a.hi / b.hi;
    const Wide back = twoProduct(quotient, b.hi);
    const double remainder = (a.hi - back.hi) - back.lo + a.lo - quotient * b.lo;
    return quickTwoSum(quotient, remainder / b.hi);
}

// pi to 107 bits: the double nearest pi and the double nearest the rest.
constexpr Wide widePi{pi, 0x1.1a62633145c07p-53};

struct SinCos {
    Wide sin;
    Wide cos;
};

// sin and cos of k/32 radians for k = 0 to 25 (just past pi/4), summed from their series by
// the compiler to the full precision of Wide.
constexpr int tableSteps = 32;
constexpr auto sinCosTable = [] {
    std::array<SinCos, 26> table{};
    for (std::size_t k = 0; k < table.size(); ++k) {
        const Wide x = wide(static_cast<double>(k) / tableSteps);
        Wide term = wide(1); // x^n / n!
        for (int n = 0; n < 32; ++n) {
            const Wide signedTerm = n % 4 < 2 ? term : -term;
            if (n % 2 == 0) {
                table[k].cos = table[k].cos + signedTerm;
            } else {
                table[k].sin = table[k].sin + signedTerm;
            }
            term = term * x / wide(n + 1);
        }
    }
    return table;
}();

// sin and cos of 0 <= x <= pi/4 radians (x.lo at most a rounding error), to about 2^-64 of
// their values. From the nearest row of the table, at k/32, the rest t lies within 1/64, where
// the small terms of the series are precise enough in plain doubles.
class Expansion {
public:
    explicit Expansion(Wide x) {
        // A NaN, which the machine never passes, takes row 0 and stays NaN.
        const double nearest = x.hi * tableSteps + 0.5;
        const auto k = nearest < static_cast<double>(sinCosTable.size())
                           ? static_cast<std::size_t>(nearest)
                           : 0;
        row_ = &sinCosTable[k];
        t_ = x.hi - static_cast<double>(k) / tableSteps; // exact: k/32 is within 2x of x.hi
        const double w = t_ * t_;
        // sin(t + x.lo) - t and cos(t + x.lo) - 1, to first order in x.lo.
        sinRest_ = t_ * w * (-1.0 / 6 + w * (1.0 / 120 - w * (1.0 / 5040))) + x.lo;
        cosRest_ =
            w * (-1.0 / 2 + w * (1.0 / 24 - w * (1.0 / 720 - w * (1.0 / 40320)))) - t_ * x.lo;
    }

    // sin(k/32 + t) = S cos t + C sin t and cos(k/32 + t) = C cos t - S sin t, where S and C
    // are the row's values: S + C t and C - S t exactly, the small rest in plain doubles.
    Wide sin() const {
        const Wide main = twoProduct(row_->cos.hi, t_);
        const Wide sum = twoSum(row_->sin.hi, main.hi);
        return quickTwoSum(sum.hi, sum.lo + main.lo + row_->sin.lo + row_->cos.lo * t_ +
                                       row_->sin.hi * cosRest_ + row_->cos.hi * sinRest_);
    }
    Wide cos() const {
        const Wide main = twoProduct(-row_->sin.hi, t_);
        const Wide sum = twoSum(row_->cos.hi, main.hi);
        return quickTwoSum(sum.hi, sum.lo + main.lo + row_->cos.lo - row_->sin.lo * t_ +
                                       row_->cos.hi * cosRest_ - row_->sin.hi * sinRest_);
    }
    // cos to about 2^-50, where that is enough.
    double roughCos() const { return row_->cos.hi * (1 + cosRest_) - row_->sin.hi * t_; }

private:
    const SinCos* row_;
    double t_;
    double sinRest_;
    double cosRest_;
};

// An angle reduced exactly to a base angle of at most an eighth of a turn, and the symmetry that
// maps the base back: whole quarter turns, then the base forward or, when mirrored, back from
// the end of that quarter turn, all negated when the angle is negative. Reducing before any
// rounding is what makes sin(180 degrees) and sin(pi) exactly 0.
struct Reduced {
    Wide base;     // radians, 0 to pi/4; left 0 for the two exact bases below
    bool zero;     // the base is exactly 0, not merely rounded to it
    bool eighth;   // the base is exactly an eighth of a turn
    int quadrant;  // 0 to 3
    bool mirrored; // base measured back from the next quarter turn
    bool negative;
};

// sin and cos of the exact bases, which are common enough ('pi/4', '45' degrees, '0') to skip
// the expansion: sqrt(2)/2 is the double nearest the halved double nearest sqrt(2).
constexpr double halfSqrt2 = std::numbers::sqrt2 / 2;

// The angle units with an exact quarter turn, and their conversion to and from radians.
struct TurnUnit {
    double halfTurn;
    Wide radiansPerUnit;
    Wide unitsPerRadian;
};

constexpr TurnUnit degrees{180, widePi / wide(180), wide(180) / widePi};
constexpr TurnUnit grads{200, widePi / wide(200), wide(200) / widePi};

const TurnUnit& turnUnit(Angle angle) {
    return angle.isDegrees() ? degrees : grads;
}

// The magnitude modulo a full turn (fmod is exact), then the quarter turns. The subtractions are
// exact too: the multiples of a quarter turn are small integers and the base is below them.
Reduced reduceTurns(double angle, const TurnUnit& unit) {
    const double quarter = unit.halfTurn / 2;
    const double magnitude = std::fabs(angle);
    const double turnPart =
        magnitude < 2 * unit.halfTurn ? magnitude : std::fmod(magnitude, 2 * unit.halfTurn);
    const int quadrant = static_cast<int>(turnPart >= quarter) + (turnPart >= 2 * quarter) +
                         (turnPart >= 3 * quarter);
    double base = turnPart - quadrant * quarter;
    const bool mirrored = base > quarter / 2;
    if (mirrored) {
        base = quarter - base;
    }
    const bool eighth = base == quarter / 2;
    const Wide radians = base == 0 || eighth ? wide(0) : wide(base) * unit.radiansPerUnit;
    return {radians, base == 0, eighth, quadrant, mirrored, angle < 0};
}

// The same reduction in integers: num/den half turns are 2 num/den quarter turns. The bounds on
// num and den keep every product below 2^34. An angle within a turn, as most are, needs no
// division.
Reduced reduceFraction(PiFraction angle) {
    const std::int64_t den = angle.den;
    const std::int64_t magnitude = angle.num < 0 ? -angle.num : angle.num;
    // Over den, below a full turn.
    const std::int64_t quarters = 2 * (magnitude < 2 * den ? magnitude : magnitude % (2 * den));
    const int quadrant = static_cast<int>(quarters >= den) + static_cast<int>(quarters >= 2 * den) +
                         static_cast<int>(quarters >= 3 * den);
    std::int64_t base = quarters - quadrant * den; // over den, below a quarter turn
    const bool mirrored = 2 * base > den;
    if (mirrored) {
        base = den - base;
    }
    const bool eighth = 2 * base == den;
    // base/den quarter turns are base * pi / (2 den) radians.
    const Wide radians = base == 0 || eighth ? wide(0)
                                             : wide(static_cast<double>(base)) * widePi /
                                                   wide(2 * static_cast<double>(den));
    return {radians, base == 0, eighth, quadrant, mirrored, angle.num < 0};
}

// sin and cos of the base, to about 2^-64 of their values.
SinCos baseSinCos(const Reduced& angle) {
    if (angle.zero) {
        return {wide(0), wide(1)};
    }
    if (angle.eighth) {
        return {wide(halfSqrt2), wide(halfSqrt2)};
    }
    const Expansion base(angle.base);
    return {base.sin(), base.cos()};
}

// A quarter turn swaps sine and cosine, and so does the mirror. Adding +0 turns the -0 of
// 'sin(-180)' into the 0 a reader expects.
double sineOf(const Reduced& angle) {
    const SinCos base = baseSinCos(angle);
    const double value = (angle.quadrant % 2 == 1) != angle.mirrored ? base.cos.hi : base.sin.hi;
    const bool negative = (angle.quadrant >= 2) != angle.negative;
    return (negative ? -value : value) + 0.0;
}

double cosineOf(const Reduced& angle) {
    const SinCos base = baseSinCos(angle);
    const double value = (angle.quadrant % 2 == 1) != angle.mirrored ? base.sin.hi : base.cos.hi;
    const bool negative = angle.quadrant == 1 || angle.quadrant == 2;
    return (negative ? -value : value) + 0.0;
}

// The tangent (or cotangent) of the angle is that of the base or its reciprocal. Dividing the
// Wide sine and cosine rounds once, where sin/cos of doubles would round three times.
Outcome tangentOf(const Reduced& angle, bool cotangent) {
    const bool baseCotangent = ((angle.quadrant % 2 == 1) != angle.mirrored) != cotangent;
    if (baseCotangent && angle.zero) {
        return fail(cotangent ? ErrorCode::CotangentUndefined : ErrorCode::TangentUndefined);
    }
    const SinCos base = baseSinCos(angle);
    const double value = (baseCotangent ? base.cos / base.sin : base.sin / base.cos).hi;
    const bool negative = (angle.quadrant % 2 == 1) != angle.negative;
    return ok((negative ? -value : value) + 0.0);
}

// asin of 0 <= x <= 1/2 (x.lo at most a rounding error) to about 2^-64: one Newton step from
// the library's value y, whose sine and cosine the kernel knows to that precision.
Wide arcsineKernel(Wide x) {
    const double y = std::asin(x.hi);
    const Expansion at(wide(y));
    const Wide sin = at.sin();
    // asin(x) - y = (x - sin y) / cos y to first order; x.hi - sin y is exact.
    return quickTwoSum(y, ((x.hi - sin.hi) - sin.lo + x.lo) / at.roughCos());
}

// atan of 0 <= x <= 1 in the same way: atan(x) - y = (x cos y - sin y) cos y to first order.
Wide arctangentKernel(Wide x) {
    const double y = std::atan(x.hi);
    const Expansion at(wide(y));
    const Wide sin = at.sin();
    const Wide cos = at.cos();
    const double residual =
        std::fma(x.hi, cos.hi, -sin.hi) + x.hi * cos.lo - sin.lo + x.lo * cos.hi;
    return quickTwoSum(y, residual * cos.hi);
}

// sqrt((1 - x) / 2) for 1/2 <= x <= 1, with the root's rounding error as the low part. Near
// |x| = 1, asin(x) = pi/2 - 2 asin(sqrt((1 - x) / 2)) keeps the precision that asin(x) itself,
// with its steep slope there, would lose. 1 - x is exact.
Wide halfAngleSine(double x) {
    const double square = (1 - x) / 2;
    const double root = std::sqrt(square);
    return root == 0 ? wide(0) : Wide{root, std::fma(-root, root, square) / (2 * root)};
}

// Below this, in any unit, sin, tan, asin and atan of x are x times the unit's factor far beyond
// double precision (the next terms are x^3/6 and smaller), and cot is its reciprocal. The Wide
// arithmetic would lose digits there, as the low parts underflow.
constexpr double tinyAngle = 0x1p-500;

// x * factor rounded once even where x or the product is subnormal: scaled up by 2^600 and back,
// which is exact unless the result is itself subnormal.
double tinyProduct(double x, Wide factor) {
    return (wide(x * 0x1p600) * factor).hi * 0x1p-600 + 0.0;
}

Outcome sine(const double* x, Angle unit) {
    if (unit.isRadians()) {
        return ok(std::sin(x[0]));
    }
    const TurnUnit& turns = turnUnit(unit);
    if (std::fabs(x[0]) < tinyAngle) {
        return ok(tinyProduct(x[0], turns.radiansPerUnit));
    }
    return ok(sineOf(reduceTurns(x[0], turns)));
}

Outcome cosine(const double* x, Angle unit) {
    return ok(unit.isRadians() ? std::cos(x[0]) : cosineOf(reduceTurns(x[0], turnUnit(unit))));
}

// In radians no multiple of pi/2 is exact, so tan(pi/2) is merely large.
Outcome tangent(const double* x, Angle unit) {
    if (unit.isRadians()) {
        return ok(std::tan(x[0]));
    }
    const TurnUnit& turns = turnUnit(unit);
    if (std::fabs(x[0]) < tinyAngle) {
        return ok(tinyProduct(x[0], turns.radiansPerUnit));
    }
    return tangentOf(reduceTurns(x[0], turns), false);
}

Outcome cotangent(const double* x, Angle unit) {
    if (unit.isRadians()) {
        const double sin = std::sin(x[0]);
        return sin == 0 ? fail(ErrorCode::CotangentUndefined) : ok(std::cos(x[0]) / sin);
    }
    const TurnUnit& turns = turnUnit(unit);
    if (x[0] != 0 && std::fabs(x[0]) < tinyAngle) {
        return ok((turns.unitsPerRadian / wide(x[0])).hi);
    }
    return tangentOf(reduceTurns(x[0], turns), true);
}

// The inverse functions in degrees and grads: the angle in radians as a Wide, then the product
// with the unit's Wide factor, rounded once. Their exact values (asin(1) = 90, atan(1) = 45,
// asin(0.5) = 30 degrees) thus come out exact.
Outcome arcsine(const double* x, Angle unit) {
    if (std::fabs(x[0]) > 1) {
        return fail(ErrorCode::InverseTrigOutOfRange);
    }
    if (unit.isRadians()) {
        return ok(std::asin(x[0]));
    }
    const TurnUnit& turns = turnUnit(unit);
    const double magnitude = std::fabs(x[0]);
    if (magnitude < tinyAngle) {
        return ok(tinyProduct(x[0], turns.unitsPerRadian));
    }
    Wide result = arcsineKernel(magnitude <= 0.5 ? wide(magnitude) : halfAngleSine(magnitude)) *
                  turns.unitsPerRadian;
    if (magnitude > 0.5) {
        // asin(x) = pi/2 - 2 asin(sqrt((1 - x) / 2))
        result = wide(turns.halfTurn / 2) + result * wide(-2);
    }
    return ok(x[0] < 0 ? -result.hi : result.hi);
}

Outcome arccosine(const double* x, Angle unit) {
    if (std::fabs(x[0]) > 1) {
        return fail(ErrorCode::InverseTrigOutOfRange);
    }
    if (unit.isRadians()) {
        return ok(std::acos(x[0]));
    }
    const TurnUnit& turns = turnUnit(unit);
    const double magnitude = std::fabs(x[0]);
    if (magnitude <= 0.5) {
        // acos(x) = pi/2 - asin(x)
        const Wide arcsine = arcsineKernel(wide(magnitude)) * turns.unitsPerRadian;
        return ok((wide(turns.halfTurn / 2) + (x[0] < 0 ? arcsine : -arcsine)).hi);
    }
    // acos(x) = 2 asin(sqrt((1 - x) / 2)), and acos(-x) = pi - acos(x).
    const Wide twice = arcsineKernel(halfAngleSine(magnitude)) * turns.unitsPerRadian * wide(2);
    return ok(x[0] > 0 ? twice.hi : (wide(turns.halfTurn) + -twice).hi);
}

Outcome arctangent(const double* x, Angle unit) {
    if (unit.isRadians()) {
        return ok(std::atan(x[0]));
    }
    const TurnUnit& turns = turnUnit(unit);
    const double magnitude = std::fabs(x[0]);
    if (magnitude < tinyAngle) {
        return ok(tinyProduct(x[0], turns.unitsPerRadian));
    }
    // Above 1, atan(x) = pi/2 - atan(1/x), with 1/x carried as a Wide.
    const Wide result =
        magnitude <= 1 ? arctangentKernel(wide(magnitude)) * turns.unitsPerRadian
                       : wide(turns.halfTurn / 2) +
                             -(arctangentKernel(wide(1) / wide(magnitude)) * turns.unitsPerRadian);
    return ok(x[0] < 0 ? -result.hi : result.hi);
}

Outcome exactSine(PiFraction angle) {
    return ok(sineOf(reduceFraction(angle)));
}

Outcome exactCosine(PiFraction angle) {
    return ok(cosineOf(reduceFraction(angle)));
}

Outcome exactTangent(PiFraction angle) {
    return tangentOf(reduceFraction(angle), false);
}

Outcome exactCotangent(PiFraction angle) {
    return tangentOf(reduceFraction(angle), true);
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
    Function{"sin", 1, true, sine, exactSine},
    Function{"cos", 1, true, cosine, exactCosine},
    Function{"tan", 1, true, tangent, exactTangent},
    Function{"cot", 1, true, cotangent, exactCotangent},
    Function{"asin", 1, true, arcsine, nullptr},
    Function{"acos", 1, true, arccosine, nullptr},
    Function{"atan", 1, true, arctangent, nullptr},
    Function{"log", 1, false, naturalLog, nullptr},
    Function{"ln", 1, false, naturalLog, nullptr},
    Function{"log10", 1, false, decimalLog, nullptr},
    Function{"exp", 1, false, exponential, nullptr},
    Function{"pow10", 1, false, powerOfTen, nullptr},
    Function{"sqrt", 1, false, squareRoot, nullptr},
    Function{"square", 1, false, square, nullptr},
    Function{"abs", 1, false, absolute, nullptr},
    Function{"pow", 2, false, powerFunction, nullptr},
};

constexpr std::array constants{
    Constant{"pi", pi},
    Constant{"e", std::numbers::e},
};

template <typename Row, std::size_t N>
constexpr std::array<std::uint64_t, N> keys(const std::array<Row, N>& rows) {
    std::array<std::uint64_t, N> packed{};
    for (std::size_t i = 0; i < N; ++i) {
        packed[i] = packName(rows[i].name);
        if (packed[i] == 0) {
            throw "a name too long to pack"; // stops the compile
        }
    }
    return packed;
}

constexpr auto functionKeys = keys(functions);
constexpr auto constantKeys = keys(constants);

// Names are looked up by a perfect hash of their keys: a multiplication picks a slot of a
// table of 32, and one comparison tells whether the name is there.
constexpr int slotBits = 5;
constexpr std::size_t slotCount = std::size_t{1} << slotBits;

struct NameSlots {
    std::uint64_t multiplier = 0;
    std::array<std::uint64_t, slotCount> keys{};
    std::array<NameMeaning, slotCount> meanings{};
};

constexpr std::size_t slotOf(std::uint64_t key, std::uint64_t multiplier) {
    return static_cast<std::size_t>((key * multiplier) >> (64 - slotBits));
}

constexpr NameSlots nameSlots = [] {
    // Odd multipliers from a fixed sequence, until one places every name in a slot of its own.
    std::uint64_t candidate = 0x9E3779B97F4A7C15;
    for (;;) {
        NameSlots slots;
        slots.multiplier = candidate | 1;
        bool clash = false;
        const auto place = [&](std::uint64_t key, NameMeaning meaning) {
            const std::size_t slot = slotOf(key, slots.multiplier);
            clash = clash || slots.keys[slot] != 0;
            slots.keys[slot] = key;
            slots.meanings[slot] = meaning;
        };
        for (std::size_t i = 0; i < functions.size(); ++i) {
            place(functionKeys[i], {NameMeaning::Kind::Function, static_cast<std::uint8_t>(i)});
        }
        for (std::size_t i = 0; i < constants.size(); ++i) {
            place(constantKeys[i], {NameMeaning::Kind::Constant, static_cast<std::uint8_t>(i)});
        }
        if (!clash) {
            return slots;
        }
        candidate = candidate * 6364136223846793005 + 1442695040888963407;
    }
}();

} // namespace

std::span<const Function> functionTable() {
    return functions;
}
std::span<const Constant> constantTable() {
    return constants;
}

NameMeaning lookUpName(std::uint64_t key) {
    const std::size_t slot = slotOf(key, nameSlots.multiplier);
    if (key == 0 || nameSlots.keys[slot] != key) {
        return {};
    }
    return nameSlots.meanings[slot];
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
