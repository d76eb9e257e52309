#include "evaluator/functions.h"

#include "evaluator/tokenizer.h"

#include <array>
#include <cmath>
#include <numbers>
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

// Stand-ins until the exact reduction lands: the angle as a double in radians.
Outcome exactSine(PiFraction a) {
    const double x = static_cast<double>(a.num) / static_cast<double>(a.den) * pi;
    return sine(&x, Angle(Radians));
}
Outcome exactCosine(PiFraction a) {
    const double x = static_cast<double>(a.num) / static_cast<double>(a.den) * pi;
    return cosine(&x, Angle(Radians));
}
Outcome exactTangent(PiFraction a) {
    const double x = static_cast<double>(a.num) / static_cast<double>(a.den) * pi;
    return tangent(&x, Angle(Radians));
}
Outcome exactCotangent(PiFraction a) {
    const double x = static_cast<double>(a.num) / static_cast<double>(a.den) * pi;
    return cotangent(&x, Angle(Radians));
}

constexpr std::array functions{
    Function{"sin", 1, sine, exactSine},       Function{"cos", 1, cosine, exactCosine},
    Function{"tan", 1, tangent, exactTangent}, Function{"cot", 1, cotangent, exactCotangent},
    Function{"asin", 1, arcsine, nullptr},     Function{"acos", 1, arccosine, nullptr},
    Function{"atan", 1, arctangent, nullptr},  Function{"log", 1, naturalLog, nullptr},
    Function{"ln", 1, naturalLog, nullptr},    Function{"log10", 1, decimalLog, nullptr},
    Function{"exp", 1, exponential, nullptr},  Function{"pow10", 1, powerOfTen, nullptr},
    Function{"sqrt", 1, squareRoot, nullptr},  Function{"square", 1, square, nullptr},
    Function{"abs", 1, absolute, nullptr},     Function{"pow", 2, powerFunction, nullptr},
};

constexpr std::array constants{
    Constant{"pi", pi},
    Constant{"e", std::numbers::e},
};

// A name folded to lower case and packed into one integer, a byte per letter, so that looking
// it up is a few integer comparisons. Every name of the tables fits; longer texts match none.
constexpr std::size_t longestName = 8;

constexpr std::uint64_t key(std::string_view lowerName) {
    std::uint64_t packed = 0;
    for (const char c : lowerName) {
        packed = packed << 8 | static_cast<unsigned char>(c);
    }
    return packed;
}

// The text's key, or 0 (no name's key) when it is too long. Names are ASCII letters and
// digits or their full-width forms (the tokenizer guarantees it).
std::uint64_t key(std::u16string_view name) {
    if (name.size() > longestName) {
        return 0;
    }
    std::uint64_t packed = 0;
    for (const char16_t unit : name) {
        // Setting bit 5 lowers an ASCII letter and leaves a digit as it is.
        const char16_t c = unit < 0x80 ? unit : asciiOf(unit);
        packed = packed << 8 | ((c | 0x20) & 0xFF);
    }
    return packed;
}

template <typename Row, std::size_t N>
constexpr std::array<std::uint64_t, N> keys(const std::array<Row, N>& rows) {
    std::array<std::uint64_t, N> packed{};
    for (std::size_t i = 0; i < N; ++i) {
        if (rows[i].name.size() > longestName) {
            throw "a name too long to pack"; // stops the compile
        }
        packed[i] = key(rows[i].name);
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

// The trigonometric functions and their inverses read the angle unit.
constexpr auto angleUsers = [] {
    std::array<bool, functions.size()> uses{};
    for (std::size_t i = 0; i < functions.size(); ++i) {
        for (const std::string_view name : {"sin", "cos", "tan", "cot", "asin", "acos", "atan"}) {
            uses[i] = uses[i] || functions[i].name == name;
        }
    }
    return uses;
}();

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

NameMeaning lookUpName(std::u16string_view name) {
    if (name == u"\u03C0") {
        return nameSlots.meanings[slotOf(key("pi"), nameSlots.multiplier)]; // the letter pi
    }
    const std::uint64_t wanted = key(name);
    const std::size_t slot = slotOf(wanted, nameSlots.multiplier);
    if (wanted == 0 || nameSlots.keys[slot] != wanted) {
        return {};
    }
    return nameSlots.meanings[slot];
}

bool usesAngle(std::size_t function) {
    return angleUsers[function];
}

Outcome divide(double dividend, double divisor) {
    return divisor == 0 ? fail(ErrorCode::DivisionByZero) : ok(dividend / divisor);
}

// 0^0 is 1, as std::pow has it. A negative base needs an integer exponent, because the result
// would otherwise be complex.
Outcome power(double base, double exponent) {
    if (base == 0 && exponent < 0) {
        return fail(ErrorCode::ZeroToNegativePower);
    }
    if (base < 0 && std::trunc(exponent) != exponent) {
        return fail(ErrorCode::NegativeBaseFractionalExponent);
    }
    return ok(std::pow(base, exponent));
}

} // namespace vexa
