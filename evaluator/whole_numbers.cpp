// The functions of whole numbers: rounding, remainders, divisors, choices and the factorial.
#include "evaluator/whole_numbers.h"

#include "evaluator/exact.h"

#include <cmath>

namespace vexa {

Whole wholeOf(const Argument& x, fmpz* n, const Context& context) {
    if (x.exact != nullptr) {
        if (!x.exact->isInteger()) {
            return Whole::No;
        }
        fmpz_set(n, x.exact->numerator());
        return Whole::Yes;
    }
    bool notInteger = false;
    if (integerIn(x.ball, n, notInteger, context.precision)) {
        return Whole::Yes;
    }
    return notInteger ? Whole::No : Whole::Unknown;
}

StepOutcome notWhole(Whole whole) {
    return whole == Whole::No ? fail(ErrorCode::NotWholeNumber) : undecided();
}

namespace {

// The largest integer at most x, as an exact ball. A ball narrower than a half holds at most
// one integer, near its midpoint; which side of it x lies on decides.
StepOutcome floorOf(arb_struct* result, const arb_struct* x, const Context& context) {
    if (!arb_is_finite(x) || mag_cmp_2exp_si(arb_radref(x), -1) >= 0) {
        return undecided();
    }
    if (arf_cmpabs_2exp_si(arb_midref(x), precisionLimit + 64) > 0) {
        // Beyond the precision limit only an exact whole number has a known fraction: none.
        if (arb_is_exact(x) && arf_is_int(arb_midref(x))) {
            arb_set(result, x);
            return done();
        }
        return undecided();
    }
    Integer nearest;
    arf_get_fmpz(nearest.get(), arb_midref(x), ARF_RND_NEAR);
    Ball difference;
    arb_sub_fmpz(difference.get(), x, nearest.get(), context.precision.bits);
    switch (sideOf(difference.get(), 0, context.precision)) {
    case Side::Below:
        fmpz_sub_ui(nearest.get(), nearest.get(), 1);
        break;
    case Side::Unknown:
        return undecided();
    default:
        break;
    }
    arb_set_fmpz(result, nearest.get());
    return done();
}

} // namespace

StepOutcome floorFunction(arb_struct* result, const Argument* x, const Context& context) {
    return floorOf(result, x->ball, context);
}

namespace {

// ceil x = -floor(-x)
StepOutcome ceilingOf(arb_struct* result, const arb_struct* x, const Context& context) {
    Ball negated;
    arb_neg(negated.get(), x);
    const StepOutcome outcome = floorOf(result, negated.get(), context);
    arb_neg(result, result);
    return outcome;
}

} // namespace

StepOutcome ceilingFunction(arb_struct* result, const Argument* x, const Context& context) {
    return ceilingOf(result, x->ball, context);
}

namespace {

// Toward zero: the floor of a positive x, the ceiling of a negative one, and 0 for every x
// strictly between -1 and 1, whatever its sign.
StepOutcome truncationOf(arb_struct* result, const arb_struct* x, const Context& context) {
    switch (sideOf(x, 0, context.precision)) {
    case Side::Below:
        return ceilingOf(result, x, context);
    case Side::Unknown: {
        Float bound;
        arb_get_abs_ubound_arf(bound.get(), x, 64);
        if (arf_cmpabs_2exp_si(bound.get(), 0) < 0) {
            arb_zero(result);
            return done();
        }
        return undecided();
    }
    default:
        return floorOf(result, x, context);
    }
}

} // namespace

StepOutcome truncationFunction(arb_struct* result, const Argument* x, const Context& context) {
    return truncationOf(result, x->ball, context);
}

// Halves away from zero: sgn(x) floor(|x| + 1/2).
StepOutcome roundingFunction(arb_struct* result, const Argument* x, const Context& context) {
    const Side side = sideOf(x->ball, 0, context.precision);
    if (side == Side::At) {
        arb_zero(result);
        return done();
    }
    Ball shifted;
    arb_abs(shifted.get(), x->ball);
    arb_set_d(result, 0.5);
    arb_add(shifted.get(), shifted.get(), result, context.precision.bits);
    if (side == Side::Unknown) {
        // Near 0 the sign is not known, but below a half every value rounds to 0.
        Float bound;
        arb_get_abs_ubound_arf(bound.get(), x->ball, 64);
        if (arf_cmpabs_2exp_si(bound.get(), -1) < 0) {
            arb_zero(result);
            return done();
        }
        return undecided();
    }
    const StepOutcome outcome = floorOf(result, shifted.get(), context);
    if (side == Side::Below) {
        arb_neg(result, result);
    }
    return outcome;
}

// x - trunc(x)
StepOutcome fractionFunction(arb_struct* result, const Argument* x, const Context& context) {
    Ball whole;
    const StepOutcome outcome = truncationOf(whole.get(), x->ball, context);
    arb_sub(result, x->ball, whole.get(), context.precision.bits);
    return outcome;
}

StepOutcome signFunction(arb_struct* result, const Argument* x, const Context& context) {
    switch (sideOf(x->ball, 0, context.precision)) {
    case Side::Above:
        arb_one(result);
        return done();
    case Side::Below:
        arb_set_si(result, -1);
        return done();
    case Side::At:
        arb_zero(result);
        return done();
    default:
        return undecided();
    }
}

// a - b floor(a/b): the sign of b.
StepOutcome moduloFunction(arb_struct* result, const Argument* x, const Context& context) {
    Ball quotient;
    const StepOutcome division = divide(quotient.get(), x[0], x[1], context);
    if (division.verdict != StepOutcome::Verdict::Done) {
        return division;
    }
    Ball whole;
    const StepOutcome outcome = floorOf(whole.get(), quotient.get(), context);
    arb_mul(whole.get(), whole.get(), x[1].ball, context.precision.bits);
    arb_sub(result, x[0].ball, whole.get(), context.precision.bits);
    return outcome;
}

namespace {

// gcd and lcm of whole numbers, exactly.
StepOutcome divisorFunction(arb_struct* result, const Argument* x, const Context& context,
                            bool multiple) {
    Integer a;
    Integer b;
    if (const Whole whole = wholeOf(x[0], a.get(), context); whole != Whole::Yes) {
        return notWhole(whole);
    }
    if (const Whole whole = wholeOf(x[1], b.get(), context); whole != Whole::Yes) {
        return notWhole(whole);
    }
    if (multiple) {
        fmpz_lcm(a.get(), a.get(), b.get());
    } else {
        fmpz_gcd(a.get(), a.get(), b.get());
    }
    arb_set_fmpz(result, a.get());
    return done();
}

} // namespace

StepOutcome gcdFunction(arb_struct* result, const Argument* x, const Context& context) {
    return divisorFunction(result, x, context, false);
}

StepOutcome lcmFunction(arb_struct* result, const Argument* x, const Context& context) {
    return divisorFunction(result, x, context, true);
}

namespace {

// log2 of a value's magnitude from the log-gamma function, for a bound on n!, C(n, k) and the
// like before computing them.
double log2Factorial(double n) {
    return std::lgamma(n + 1) / std::log(2.0);
}

// Where C(n, k), or n!/(n-k)!, lies against the limits of magnitude. It is below n^m, m the
// smaller of k and n - k (k for n!/(n-k)!), which settles most; otherwise its logarithm, a
// difference of log-gamma values, is worked out in balls wide enough for n's bits: in doubles
// the difference of two values near n ln n would be lost.
Magnitude magnitudeOfChoice(const fmpz* n, const fmpz* k, const fmpz* other, const fmpz* grows,
                            bool permutations) {
    if (fmpz_get_d(grows) * static_cast<double>(fmpz_bits(n)) <
        static_cast<double>(magnitudeLimit) / 2) {
        return Magnitude::Within;
    }
    const slong bits = static_cast<slong>(fmpz_bits(n)) + 64;
    const auto logGammaOfNext = [bits](arb_struct* value, const fmpz* x) {
        arb_set_fmpz(value, x);
        arb_add_ui(value, value, 1, bits);
        arb_lgamma(value, value, bits);
    };
    Ball logarithm;
    Ball term;
    logGammaOfNext(logarithm.get(), n);
    logGammaOfNext(term.get(), other);
    arb_sub(logarithm.get(), logarithm.get(), term.get(), bits);
    if (!permutations) {
        logGammaOfNext(term.get(), k);
        arb_sub(logarithm.get(), logarithm.get(), term.get(), bits);
    }
    return magnitudeOfExponential(logarithm.get());
}

// C(n, k), or n!/(n-k)! with permutations, for whole n and 0 <= k <= n.
StepOutcome choiceFunction(arb_struct* result, const Argument* x, const Context& context,
                           bool permutations) {
    Integer n;
    Integer k;
    if (const Whole whole = wholeOf(x[0], n.get(), context); whole != Whole::Yes) {
        return notWhole(whole);
    }
    if (const Whole whole = wholeOf(x[1], k.get(), context); whole != Whole::Yes) {
        return notWhole(whole);
    }
    if (fmpz_sgn(k.get()) < 0 || fmpz_cmp(k.get(), n.get()) > 0) {
        return fail(ErrorCode::ChoiceOutOfRange);
    }
    // C(n, k) = C(n, n - k); the smaller of the two is what grows the value.
    Integer other;
    fmpz_sub(other.get(), n.get(), k.get());
    const fmpz* smaller = fmpz_cmp(other.get(), k.get()) < 0 ? other.get() : k.get();
    const fmpz* grows = permutations ? k.get() : smaller;
    if (const Magnitude magnitude =
            magnitudeOfChoice(n.get(), k.get(), other.get(), grows, permutations);
        magnitude != Magnitude::Within) {
        return beyondLimits(result, magnitude);
    }
    // Within the limits C(n, m) >= 2^m and n!/(n-k)! >= k!, so m and k are well below 2^32.
    if (!fmpz_abs_fits_ui(grows) || !fmpz_abs_fits_ui(smaller)) {
        return beyondLimits(result, Magnitude::TooLarge);
    }
    const slong bitsOfWork = context.precision.bits;
    if (fmpz_abs_fits_ui(n.get())) {
        arb_bin_uiui(result, fmpz_get_ui(n.get()), fmpz_get_ui(smaller), bitsOfWork);
    } else {
        Ball whole;
        arb_set_fmpz(whole.get(), n.get());
        arb_bin_ui(result, whole.get(), fmpz_get_ui(smaller), bitsOfWork);
    }
    if (permutations) {
        Ball factorial;
        arb_fac_ui(factorial.get(), fmpz_get_ui(k.get()), bitsOfWork);
        arb_mul(result, result, factorial.get(), bitsOfWork);
    }
    return done();
}

} // namespace

StepOutcome combinationsFunction(arb_struct* result, const Argument* x, const Context& context) {
    return choiceFunction(result, x, context, false);
}

StepOutcome permutationsFunction(arb_struct* result, const Argument* x, const Context& context) {
    return choiceFunction(result, x, context, true);
}

namespace {

// The gamma function costs far more than the elementary ones at a high precision (0.5 ms at
// 4,096 bits), so it works to at most this many bits, the third rung of the ladder: enough
// for every double and for the 2^-1100 rule.
constexpr slong gammaPrecision = 1536;

// Gamma(x), or x! = Gamma(x + 1): undefined at the poles, zero and the negative whole numbers.
StepOutcome gammaOf(arb_struct* result, const Argument& x, const Context& context, bool factorial) {
    const slong bits = std::min(context.precision.bits, gammaPrecision);
    const ErrorCode pole =
        factorial ? ErrorCode::FactorialOfNegativeInteger : ErrorCode::GammaOfNonPositiveInteger;
    Integer n;
    const Whole whole = wholeOf(x, n.get(), context);
    if (whole == Whole::Yes) {
        // m! for the whole m = x (factorial) or x - 1 (gamma).
        if (!factorial) {
            fmpz_sub_ui(n.get(), n.get(), 1);
        }
        if (fmpz_sgn(n.get()) < 0) {
            return fail(pole);
        }
        if (!fmpz_abs_fits_ui(n.get()) ||
            !(log2Factorial(fmpz_get_d(n.get())) < static_cast<double>(magnitudeLimit))) {
            return beyondLimits(result, Magnitude::TooLarge);
        }
        arb_fac_ui(result, fmpz_get_ui(n.get()), bits);
        return done();
    }
    Ball argument;
    if (factorial) {
        arb_add_ui(argument.get(), x.ball, 1, bits);
    } else {
        arb_set(argument.get(), x.ball);
    }
    const Side side = sideOf(argument.get(), 0, context.precision);
    if (whole == Whole::Unknown && side != Side::Above) {
        return undecided(); // it may be a pole
    }
    // Below 2^24, ln gamma(x) < 2^24 * 17, well within the limits; above, it is judged first.
    if (side == Side::Above && arf_cmpabs_2exp_si(arb_midref(argument.get()), 24) >= 0) {
        Ball logarithm;
        arb_lgamma(logarithm.get(), argument.get(), 64);
        if (const Magnitude magnitude = magnitudeOfExponential(logarithm.get());
            magnitude != Magnitude::Within) {
            return beyondLimits(result, magnitude);
        }
    }
    arb_gamma(result, argument.get(), bits);
    return done();
}

} // namespace

StepOutcome gammaFunction(arb_struct* result, const Argument* x, const Context& context) {
    return gammaOf(result, *x, context, false);
}

StepOutcome factorialFunction(arb_struct* result, const Argument* x, const Context& context) {
    return gammaOf(result, *x, context, true);
}

bool foldFloor(Rational& result, const Rational* x) {
    exactFloor(result, x[0]);
    return true;
}

bool foldCeiling(Rational& result, const Rational* x) {
    exactCeiling(result, x[0]);
    return true;
}

bool foldTruncation(Rational& result, const Rational* x) {
    exactTruncation(result, x[0]);
    return true;
}

bool foldRounding(Rational& result, const Rational* x) {
    exactRounding(result, x[0]);
    return true;
}

bool foldFraction(Rational& result, const Rational* x) {
    exactTruncation(result, x[0]);
    fmpq_sub(result.get(), x[0].get(), result.get());
    return true;
}

bool foldSign(Rational& result, const Rational* x) {
    fmpq_set_si(result.get(), x[0].sign(), 1);
    return true;
}

bool foldModulo(Rational& result, const Rational* x) {
    Rational quotient;
    if (!exactQuotient(quotient, x[0], x[1])) {
        return false;
    }
    exactFloor(quotient, quotient);
    return exactProduct(quotient, quotient, x[1]) && exactDifference(result, x[0], quotient);
}

bool foldGcd(Rational& result, const Rational* x) {
    return exactGcd(result, x[0], x[1]);
}

bool foldLcm(Rational& result, const Rational* x) {
    return exactLcm(result, x[0], x[1]);
}

bool foldCombinations(Rational& result, const Rational* x) {
    return exactChoice(result, x[0], x[1], false);
}

bool foldPermutations(Rational& result, const Rational* x) {
    return exactChoice(result, x[0], x[1], true);
}

bool foldFactorial(Rational& result, const Rational* x) {
    return exactFactorial(result, x[0]);
}

// gamma(n) = (n - 1)! for a whole n >= 1.
bool foldGamma(Rational& result, const Rational* x) {
    Rational less;
    fmpq_sub_si(less.get(), x[0].get(), 1);
    return x[0].sign() > 0 && exactFactorial(result, less);
}

} // namespace vexa
