#include "evaluator/functions.h"

#include "evaluator/exact.h"
#include "evaluator/tokenizer.h"
#include "evaluator/whole_numbers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace vexa {

// A result beyond the limits of magnitude is not computed. Below them it is the ball around
// 0 that holds it; above them a stand-in just beyond takes its place, which the machine then
// reports for what it is.
StepOutcome beyondLimits(arb_struct* result, Magnitude magnitude) {
    if (magnitude == Magnitude::Unknown) {
        return undecided();
    }
    if (magnitude == Magnitude::TooSmall) {
        setBelowSmallest(result);
        return done();
    }
    arb_one(result);
    arb_mul_2exp_si(result, result, magnitudeLimit + 1);
    return done();
}

namespace {

// Whether e^(y ln|x|) may lie beyond the limits, judged first from binary exponents, which
// settles nearly every power at once, then from y ln|x| at a low precision.
Magnitude magnitudeOfPower(const arb_struct* x, const arb_struct* y) {
    if (!arb_is_finite(x) || !arb_is_finite(y)) {
        return Magnitude::Unknown;
    }
    if (arf_is_zero(arb_midref(x))) {
        return Magnitude::Unknown;
    }
    // |x| < 2^xExponent and |y| < 2^yExponent.
    const slong xExponent = arf_abs_bound_lt_2exp_si(arb_midref(x));
    const slong yExponent =
        arf_is_zero(arb_midref(y)) ? 0 : arf_abs_bound_lt_2exp_si(arb_midref(y));
    constexpr slong quarter = magnitudeLimit / 4;
    if (mag_cmp_2exp_si(arb_radref(x), 0) < 0 && mag_cmp_2exp_si(arb_radref(y), 0) < 0 &&
        std::abs(xExponent) < quarter && yExponent < 20 &&
        (std::abs(xExponent) + 2) * (slong{1} << (yExponent < 0 ? 0 : yExponent)) < quarter) {
        return Magnitude::Within;
    }
    if (arb_contains_zero(x)) {
        return Magnitude::Unknown;
    }
    constexpr slong rough = 64;
    Ball t;
    arb_abs(t.get(), x);
    arb_log(t.get(), t.get(), rough);
    arb_mul(t.get(), t.get(), y, rough);
    return magnitudeOfExponential(t.get());
}

// x in the context's unit as a multiple of a half turn: x degrees are x/180 half turns,
// exactly where that is a binary fraction, so that sin(180) is exactly 0.
void toHalfTurns(arb_struct* turns, const arb_struct* x, const Context& context) {
    arb_div_ui(turns, x, context.angle.halfTurn(), context.precision.bits);
}

// An angle in radians converted to the context's unit.
void fromRadians(arb_struct* angle, const Context& context) {
    if (context.angle.isRadians()) {
        return;
    }
    const slong bits = context.precision.bits;
    Ball pi;
    arb_const_pi(pi.get(), bits);
    arb_mul_ui(angle, angle, context.angle.halfTurn(), bits);
    arb_div(angle, angle, pi.get(), bits);
}

void sinCos(arb_struct* sin, arb_struct* cos, const arb_struct* x, const Context& context) {
    if (context.angle.isRadians()) {
        arb_sin_cos(sin, cos, x, context.precision.bits);
        return;
    }
    Ball turns;
    toHalfTurns(turns.get(), x, context);
    arb_sin_cos_pi(sin, cos, turns.get(), context.precision.bits);
}

// A sine or cosine of an argument wider than a turn knows nothing; at the limit it stays so.
StepOutcome informative(const arb_struct* result, const Context& context) {
    if (context.precision.atLimit() && mag_cmp_2exp_si(arb_radref(result), 0) >= 0) {
        return fail(ErrorCode::CannotCompute);
    }
    return done();
}

StepOutcome sine(arb_struct* result, const Argument* x, const Context& context) {
    if (context.angle.isRadians()) {
        arb_sin(result, x->ball, context.precision.bits);
    } else {
        Ball turns;
        toHalfTurns(turns.get(), x->ball, context);
        arb_sin_pi(result, turns.get(), context.precision.bits);
    }
    return informative(result, context);
}

StepOutcome cosine(arb_struct* result, const Argument* x, const Context& context) {
    if (context.angle.isRadians()) {
        arb_cos(result, x->ball, context.precision.bits);
    } else {
        Ball turns;
        toHalfTurns(turns.get(), x->ball, context);
        arb_cos_pi(result, turns.get(), context.precision.bits);
    }
    return informative(result, context);
}

// tan = sin/cos and cot = cos/sin, undefined where the divisor is 0: at odd quarter turns,
// and at whole half turns.
StepOutcome tangentOrCotangent(arb_struct* result, const Argument* x, const Context& context,
                               bool cotangent) {
    Ball sin;
    Ball cos;
    sinCos(sin.get(), cos.get(), x->ball, context);
    const arb_struct* divisor = cotangent ? sin.get() : cos.get();
    switch (sideOf(divisor, 0, context.precision)) {
    case Side::At:
        return fail(cotangent ? ErrorCode::CotangentUndefined : ErrorCode::TangentUndefined);
    case Side::Unknown:
        return undecided();
    default:
        arb_div(result, cotangent ? cos.get() : sin.get(), divisor, context.precision.bits);
        return done();
    }
}

StepOutcome tangent(arb_struct* result, const Argument* x, const Context& context) {
    return tangentOrCotangent(result, x, context, false);
}

StepOutcome cotangent(arb_struct* result, const Argument* x, const Context& context) {
    return tangentOrCotangent(result, x, context, true);
}

// From a bound on |x| rounded up, which may only send a ball at an end to the slower checks.
bool withinPlusMinusOne(const arb_struct* x) {
    Float bound;
    arb_get_abs_ubound_arf(bound.get(), x, 64);
    return arf_cmpabs_2exp_si(bound.get(), 0) <= 0;
}

// asin and acos take -1 to 1; a ball that holds an end and cannot be told from it at the
// limit is taken as that end.
StepOutcome inverseSine(arb_struct* result, const Argument* x, const Context& context,
                        bool cosine) {
    const arb_struct* argument = x->ball;
    Ball end;
    if (!withinPlusMinusOne(argument)) {
        const Side low = sideOf(argument, -1, context.precision);
        const Side high = sideOf(argument, 1, context.precision);
        if (low == Side::Below || high == Side::Above) {
            return fail(ErrorCode::InverseTrigOutOfRange);
        }
        if (low != Side::At && high != Side::At) {
            return undecided();
        }
        arb_set_si(end.get(), low == Side::At ? -1 : 1);
        argument = end.get();
    }
    if (cosine) {
        arb_acos(result, argument, context.precision.bits);
    } else {
        arb_asin(result, argument, context.precision.bits);
    }
    fromRadians(result, context);
    return done();
}

StepOutcome arcsine(arb_struct* result, const Argument* x, const Context& context) {
    return inverseSine(result, x, context, false);
}

StepOutcome arccosine(arb_struct* result, const Argument* x, const Context& context) {
    return inverseSine(result, x, context, true);
}

StepOutcome arctangent(arb_struct* result, const Argument* x, const Context& context) {
    arb_atan(result, x->ball, context.precision.bits);
    fromRadians(result, context);
    return done();
}

// base 0 for the natural logarithm.
StepOutcome logarithm(arb_struct* result, const Argument* x, const Context& context, ulong base) {
    switch (sideOf(x->ball, 0, context.precision)) {
    case Side::Above:
        if (base == 0) {
            arb_log(result, x->ball, context.precision.bits);
        } else {
            arb_log_base_ui(result, x->ball, base, context.precision.bits);
        }
        return done();
    case Side::Unknown:
        return undecided();
    default:
        return fail(ErrorCode::LogarithmOfNonPositive);
    }
}

StepOutcome naturalLog(arb_struct* result, const Argument* x, const Context& context) {
    return logarithm(result, x, context, 0);
}

StepOutcome decimalLog(arb_struct* result, const Argument* x, const Context& context) {
    return logarithm(result, x, context, 10);
}

StepOutcome exponential(arb_struct* result, const Argument* x, const Context& context) {
    if (const Magnitude magnitude = magnitudeOfExponential(x->ball);
        magnitude != Magnitude::Within) {
        return beyondLimits(result, magnitude);
    }
    arb_exp(result, x->ball, context.precision.bits);
    return done();
}

StepOutcome powerOfTen(arb_struct* result, const Argument* x, const Context& context) {
    Ball ten;
    arb_set_ui(ten.get(), 10);
    return power(result, {ten.get(), nullptr}, *x, context);
}

StepOutcome squareRoot(arb_struct* result, const Argument* x, const Context& context) {
    if (arb_is_nonnegative(x->ball)) {
        arb_sqrtpos(result, x->ball, context.precision.bits);
        return done();
    }
    switch (sideOf(x->ball, 0, context.precision)) {
    case Side::Below:
        return fail(ErrorCode::SquareRootOfNegative);
    case Side::At:
        arb_zero(result);
        return done();
    default:
        return undecided();
    }
}

StepOutcome square(arb_struct* result, const Argument* x, const Context& context) {
    arb_sqr(result, x->ball, context.precision.bits);
    return done();
}

StepOutcome absolute(arb_struct* result, const Argument* x, const Context&) {
    arb_abs(result, x->ball);
    return done();
}

StepOutcome powerFunction(arb_struct* result, const Argument* x, const Context& context) {
    return power(result, x[0], x[1], context);
}

// Arb's hyperbolic functions keep their relative accuracy everywhere by working at a higher
// precision, which costs twice an exponential or a logarithm. Where |x| lies between 1/16 and
// 16 nothing cancels in e^x and 1/e^x or in x + sqrt(x^2 + 1), so their balls from these are
// as narrow; elsewhere Arb's own functions take over.
bool moderate(const arb_struct* x) {
    return arf_cmpabs_2exp_si(arb_midref(x), 4) < 0 && arf_cmpabs_2exp_si(arb_midref(x), -4) > 0 &&
           mag_cmp_2exp_si(arb_radref(x), -8) < 0;
}

// sinh x = (e^x - e^-x)/2, cosh x = (e^x + e^-x)/2, tanh x = (e^2x - 1)/(e^2x + 1).
enum class Hyperbolic : std::uint8_t { Sine, Cosine, Tangent };

StepOutcome hyperbolic(arb_struct* result, const Argument* x, const Context& context,
                       Hyperbolic which) {
    const slong bits = context.precision.bits;
    if (!moderate(x->ball)) {
        if (which == Hyperbolic::Tangent) {
            arb_tanh(result, x->ball, bits);
            return done();
        }
        // sinh and cosh grow as e^|x| / 2.
        Ball magnitude;
        arb_abs(magnitude.get(), x->ball);
        if (const Magnitude grows = magnitudeOfExponential(magnitude.get());
            grows == Magnitude::TooLarge || grows == Magnitude::Unknown) {
            return beyondLimits(result, grows);
        }
        if (which == Hyperbolic::Cosine) {
            arb_cosh(result, x->ball, bits);
        } else {
            arb_sinh(result, x->ball, bits);
        }
        return done();
    }
    Ball exponential;
    if (which == Hyperbolic::Tangent) {
        arb_mul_2exp_si(exponential.get(), x->ball, 1);
        arb_exp(exponential.get(), exponential.get(), bits);
        Ball denominator;
        arb_add_ui(denominator.get(), exponential.get(), 1, bits);
        arb_sub_ui(exponential.get(), exponential.get(), 1, bits);
        arb_div(result, exponential.get(), denominator.get(), bits);
        return done();
    }
    arb_exp(exponential.get(), x->ball, bits);
    arb_inv(result, exponential.get(), bits);
    if (which == Hyperbolic::Cosine) {
        arb_add(result, exponential.get(), result, bits);
    } else {
        arb_sub(result, exponential.get(), result, bits);
    }
    arb_mul_2exp_si(result, result, -1);
    return done();
}

StepOutcome hyperbolicSine(arb_struct* result, const Argument* x, const Context& context) {
    return hyperbolic(result, x, context, Hyperbolic::Sine);
}

StepOutcome hyperbolicCosine(arb_struct* result, const Argument* x, const Context& context) {
    return hyperbolic(result, x, context, Hyperbolic::Cosine);
}

StepOutcome hyperbolicTangent(arb_struct* result, const Argument* x, const Context& context) {
    return hyperbolic(result, x, context, Hyperbolic::Tangent);
}

// asinh x = ln(x + sqrt(x^2 + 1)) for a positive moderate x, and odd.
StepOutcome inverseHyperbolicSine(arb_struct* result, const Argument* x, const Context& context) {
    const slong bits = context.precision.bits;
    if (!moderate(x->ball)) {
        arb_asinh(result, x->ball, bits);
        return done();
    }
    Ball magnitude;
    arb_abs(magnitude.get(), x->ball);
    arb_sqr(result, magnitude.get(), bits);
    arb_add_ui(result, result, 1, bits);
    arb_sqrtpos(result, result, bits);
    arb_add(result, result, magnitude.get(), bits);
    arb_log(result, result, bits);
    if (arf_sgn(arb_midref(x->ball)) < 0) {
        arb_neg(result, result);
    }
    return done();
}

// acosh takes 1 and above.
StepOutcome inverseHyperbolicCosine(arb_struct* result, const Argument* x, const Context& context) {
    switch (sideOf(x->ball, 1, context.precision)) {
    case Side::Below:
        return fail(ErrorCode::InverseHyperbolicCosineBelowOne);
    case Side::At:
        arb_zero(result);
        return done();
    case Side::Unknown: {
        Ball above;
        arb_sub_ui(above.get(), x->ball, 1, context.precision.bits);
        if (!arb_is_nonnegative(above.get())) {
            return undecided();
        }
        break;
    }
    default:
        break;
    }
    // acosh x = ln(x + sqrt(x^2 - 1)), where x - 1 is not small.
    const slong bits = context.precision.bits;
    if (!moderate(x->ball) || arf_cmpabs_2exp_si(arb_midref(x->ball), 1) < 0) {
        arb_acosh(result, x->ball, bits);
        return done();
    }
    arb_sqr(result, x->ball, bits);
    arb_sub_ui(result, result, 1, bits);
    arb_sqrtpos(result, result, bits);
    arb_add(result, result, x->ball, bits);
    arb_log(result, result, bits);
    return done();
}

// atanh takes -1 to 1, its poles at the ends excluded.
StepOutcome inverseHyperbolicTangent(arb_struct* result, const Argument* x,
                                     const Context& context) {
    const Side low = sideOf(x->ball, -1, context.precision);
    const Side high = sideOf(x->ball, 1, context.precision);
    if (low == Side::Below || low == Side::At || high == Side::Above || high == Side::At) {
        return fail(ErrorCode::InverseHyperbolicTangentOutOfRange);
    }
    if (low == Side::Unknown || high == Side::Unknown) {
        return undecided();
    }
    arb_atanh(result, x->ball, context.precision.bits);
    return done();
}

// x^(1/n), with n's exact reciprocal, so that a negative x has its real odd root.
StepOutcome rootOf(arb_struct* result, const Argument& x, const fmpz* n, const Context& context) {
    Rational reciprocal;
    fmpz_one(reciprocal.numerator());
    fmpz_set(reciprocal.denominator(), n);
    fmpq_canonicalise(reciprocal.get());
    Ball exponent;
    arb_set_fmpq(exponent.get(), reciprocal.get(), context.precision.bits);
    return power(result, x, {exponent.get(), &reciprocal}, context);
}

StepOutcome cubeRoot(arb_struct* result, const Argument* x, const Context& context) {
    Integer three;
    fmpz_set_ui(three.get(), 3);
    return rootOf(result, *x, three.get(), context);
}

StepOutcome rootFunction(arb_struct* result, const Argument* x, const Context& context) {
    Integer n;
    if (const Whole whole = wholeOf(x[1], n.get(), context); whole != Whole::Yes) {
        return notWhole(whole);
    }
    if (fmpz_is_zero(n.get())) {
        return fail(ErrorCode::RootOfOrderZero);
    }
    return rootOf(result, x[0], n.get(), context);
}

StepOutcome binaryLog(arb_struct* result, const Argument* x, const Context& context) {
    return logarithm(result, x, context, 2);
}

// log of x to the base b: b positive and not 1, x positive, x checked first.
StepOutcome logarithmToBase(arb_struct* result, const Argument* x, const Context& context) {
    switch (sideOf(x[0].ball, 0, context.precision)) {
    case Side::Above:
        break;
    case Side::Unknown:
        return undecided();
    default:
        return fail(ErrorCode::LogarithmOfNonPositive);
    }
    const Side positive = sideOf(x[1].ball, 0, context.precision);
    const Side one = sideOf(x[1].ball, 1, context.precision);
    if (positive == Side::Below || positive == Side::At || one == Side::At) {
        return fail(ErrorCode::InvalidLogarithmBase);
    }
    if (positive == Side::Unknown || one == Side::Unknown) {
        return undecided();
    }
    const slong bits = context.precision.bits;
    Ball base;
    arb_log(base.get(), x[1].ball, bits);
    arb_log(result, x[0].ball, bits);
    arb_div(result, result, base.get(), bits);
    return done();
}

// The angle of the point (x, y), in (-half turn, half turn]: on the negative x axis a half
// turn, which a y that could lie on either side of it does not decide.
StepOutcome angleOfPoint(arb_struct* result, const Argument* point, const Context& context) {
    const arb_struct* y = point[0].ball;
    const arb_struct* x = point[1].ball;
    const Side ySide = sideOf(y, 0, context.precision);
    const Side xSide = sideOf(x, 0, context.precision);
    if (ySide == Side::At && xSide == Side::At) {
        return fail(ErrorCode::AngleOfOrigin);
    }
    if (ySide == Side::At && xSide != Side::Unknown) {
        if (xSide == Side::Above) {
            arb_zero(result);
        } else if (context.angle.isRadians()) {
            arb_const_pi(result, context.precision.bits);
        } else {
            arb_set_ui(result, context.angle.halfTurn());
        }
        return done();
    }
    if ((ySide == Side::At || ySide == Side::Unknown) && xSide != Side::Above) {
        return undecided();
    }
    arb_atan2(result, y, x, context.precision.bits);
    fromRadians(result, context);
    return done();
}

// The exact values: the rational points of functions that are mostly irrational.
bool foldSquareRoot(Rational& result, const Rational* x) {
    Rational half;
    fmpq_set_si(half.get(), 1, 2);
    return exactPower(result, x[0], half);
}

bool foldSquare(Rational& result, const Rational* x) {
    return exactProduct(result, x[0], x[0]);
}

bool foldAbsolute(Rational& result, const Rational* x) {
    fmpq_abs(result.get(), x[0].get());
    return true;
}

bool foldPowerOfTen(Rational& result, const Rational* x) {
    return exactPower(result, Rational(10), x[0]);
}

bool foldDecimalLog(Rational& result, const Rational* x) {
    return exactLogarithm(result, x[0], 10);
}

bool foldNaturalLog(Rational& result, const Rational* x) {
    fmpq_zero(result.get());
    return fmpq_is_one(x[0].get()) != 0; // ln(1) = 0; every other rational has no rational log
}

bool foldExponential(Rational& result, const Rational* x) {
    fmpq_one(result.get());
    return x[0].sign() == 0; // e^0 = 1; every other rational power of e is irrational
}

bool foldPower(Rational& result, const Rational* x) {
    return exactPower(result, x[0], x[1]);
}

// sinh, tanh, asinh and atanh are 0 at 0, cosh is 1 there and acosh 0 at 1; every other
// rational point of theirs is irrational.
bool foldZeroAtZero(Rational& result, const Rational* x) {
    fmpq_zero(result.get());
    return x[0].sign() == 0;
}

bool foldHyperbolicCosine(Rational& result, const Rational* x) {
    fmpq_one(result.get());
    return x[0].sign() == 0;
}

bool foldInverseHyperbolicCosine(Rational& result, const Rational* x) {
    fmpq_zero(result.get());
    return fmpq_is_one(x[0].get()) != 0;
}

bool foldCubeRoot(Rational& result, const Rational* x) {
    Rational third;
    fmpq_set_si(third.get(), 1, 3);
    return exactPower(result, x[0], third);
}

bool foldRoot(Rational& result, const Rational* x) {
    if (!x[1].isInteger() || x[1].sign() == 0) {
        return false;
    }
    Rational reciprocal;
    fmpq_inv(reciprocal.get(), x[1].get());
    return exactPower(result, x[0], reciprocal);
}

bool foldBinaryLog(Rational& result, const Rational* x) {
    return exactLogarithm(result, x[0], 2);
}

bool foldLogarithmToBase(Rational& result, const Rational* x) {
    const Rational& base = x[1];
    if (!base.isInteger() || !fmpz_fits_si(base.numerator()) ||
        fmpz_cmp_ui(base.numerator(), 2) < 0) {
        return false;
    }
    return exactLogarithm(result, x[0], fmpz_get_ui(base.numerator()));
}

constexpr std::array functions{
    Function{"sin", 1, true, sine, nullptr},
    Function{"cos", 1, true, cosine, nullptr},
    Function{"tan", 1, true, tangent, nullptr},
    Function{"cot", 1, true, cotangent, nullptr},
    Function{"asin", 1, true, arcsine, nullptr},
    Function{"acos", 1, true, arccosine, nullptr},
    Function{"atan", 1, true, arctangent, nullptr},
    Function{"log", 1, false, naturalLog, foldNaturalLog},
    Function{"ln", 1, false, naturalLog, foldNaturalLog},
    Function{"log10", 1, false, decimalLog, foldDecimalLog},
    Function{"exp", 1, false, exponential, foldExponential},
    Function{"pow10", 1, false, powerOfTen, foldPowerOfTen},
    Function{"sqrt", 1, false, squareRoot, foldSquareRoot},
    Function{"square", 1, false, square, foldSquare},
    Function{"abs", 1, false, absolute, foldAbsolute},
    Function{"pow", 2, false, powerFunction, foldPower},
    Function{"sinh", 1, false, hyperbolicSine, foldZeroAtZero},
    Function{"cosh", 1, false, hyperbolicCosine, foldHyperbolicCosine},
    Function{"tanh", 1, false, hyperbolicTangent, foldZeroAtZero},
    Function{"asinh", 1, false, inverseHyperbolicSine, foldZeroAtZero},
    Function{"acosh", 1, false, inverseHyperbolicCosine, foldInverseHyperbolicCosine},
    Function{"atanh", 1, false, inverseHyperbolicTangent, foldZeroAtZero},
    Function{"gamma", 1, false, gammaFunction, foldGamma},
    // x!, which the text writes after its operand; no name reaches it.
    Function{"!", 1, false, factorialFunction, foldFactorial},
    Function{"cbrt", 1, false, cubeRoot, foldCubeRoot},
    Function{"root", 2, false, rootFunction, foldRoot},
    Function{"floor", 1, false, floorFunction, foldFloor},
    Function{"ceil", 1, false, ceilingFunction, foldCeiling},
    Function{"trunc", 1, false, truncationFunction, foldTruncation},
    Function{"round", 1, false, roundingFunction, foldRounding},
    Function{"frac", 1, false, fractionFunction, foldFraction},
    Function{"sgn", 1, false, signFunction, foldSign},
    Function{"mod", 2, false, moduloFunction, foldModulo},
    Function{"gcd", 2, false, gcdFunction, foldGcd},
    Function{"lcm", 2, false, lcmFunction, foldLcm},
    Function{"ncr", 2, false, combinationsFunction, foldCombinations},
    Function{"npr", 2, false, permutationsFunction, foldPermutations},
    Function{"log2", 1, false, binaryLog, foldBinaryLog},
    Function{"logbase", 2, false, logarithmToBase, foldLogarithmToBase},
    Function{"atan2", 2, true, angleOfPoint, nullptr},
};

constexpr std::array constants{
    Constant{"pi", ConstantKind::Pi},
    Constant{"e", ConstantKind::E},
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
// table of 128, and one comparison tells whether the name is there.
constexpr int slotBits = 7;
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

// base^n for a whole n: repeated multiplication, for a base of either sign. 0^0 is 1.
StepOutcome wholePower(arb_struct* result, const arb_struct* base, const fmpz* n,
                       const Context& context) {
    if (fmpz_is_zero(n)) {
        arb_one(result);
        return done();
    }
    if (fmpz_sgn(n) < 0) {
        switch (sideOf(base, 0, context.precision)) {
        case Side::At:
            return fail(ErrorCode::ZeroToNegativePower);
        case Side::Unknown:
            return undecided();
        default:
            break;
        }
    }
    Ball exponent;
    arb_set_fmpz(exponent.get(), n);
    if (const Magnitude magnitude = magnitudeOfPower(base, exponent.get());
        magnitude != Magnitude::Within && !arb_contains_zero(base)) {
        return beyondLimits(result, magnitude);
    }
    arb_pow_fmpz(result, base, n, context.precision.bits);
    return done();
}

// base^exponent for a base above 0 and any exponent.
StepOutcome positivePower(arb_struct* result, const arb_struct* base, const arb_struct* exponent,
                          const Context& context) {
    if (const Magnitude magnitude = magnitudeOfPower(base, exponent);
        magnitude != Magnitude::Within) {
        return beyondLimits(result, magnitude);
    }
    arb_pow(result, base, exponent, context.precision.bits);
    return done();
}

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

StepOutcome divide(arb_struct* result, const Argument& dividend, const Argument& divisor,
                   const Context& context) {
    switch (sideOf(divisor.ball, 0, context.precision)) {
    case Side::At:
        return fail(ErrorCode::DivisionByZero);
    case Side::Unknown:
        return undecided();
    default:
        arb_div(result, dividend.ball, divisor.ball, context.precision.bits);
        return done();
    }
}

// A whole exponent is repeated multiplication, for every base. Otherwise the base must be
// positive, 0 (with a positive exponent), or negative with an exponent p/q that the text gives
// exactly, q odd: the real root, with the sign of (-1)^p. A computed exponent that is no whole
// number has no such fraction to go by.
StepOutcome power(arb_struct* result, const Argument& base, const Argument& exponent,
                  const Context& context) {
    Integer n;
    bool notInteger = false;
    if (exponent.exact != nullptr) {
        if (exponent.exact->isInteger()) {
            return wholePower(result, base.ball, exponent.exact->numerator(), context);
        }
    } else if (integerIn(exponent.ball, n.get(), notInteger, context.precision)) {
        return wholePower(result, base.ball, n.get(), context);
    }
    switch (sideOf(base.ball, 0, context.precision)) {
    case Side::Above:
        return positivePower(result, base.ball, exponent.ball, context);
    case Side::At:
        switch (sideOf(exponent.ball, 0, context.precision)) {
        case Side::Above:
            arb_zero(result);
            return done();
        case Side::Below:
            return fail(ErrorCode::ZeroToNegativePower);
        default:
            return undecided();
        }
    case Side::Below:
        break;
    default:
        return undecided();
    }
    if (exponent.exact == nullptr) {
        return notInteger ? fail(ErrorCode::NegativeBaseFractionalExponent) : undecided();
    }
    if (fmpz_is_even(exponent.exact->denominator())) {
        return fail(ErrorCode::NegativeBaseFractionalExponent);
    }
    Ball magnitude;
    arb_neg(magnitude.get(), base.ball);
    const StepOutcome outcome = positivePower(result, magnitude.get(), exponent.ball, context);
    if (fmpz_is_odd(exponent.exact->numerator())) {
        arb_neg(result, result);
    }
    return outcome;
}

} // namespace vexa
