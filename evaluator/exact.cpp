#include "evaluator/exact.h"

#include "evaluator/ball_rounding.h"

#include <algorithm>
#include <cmath>

namespace vexa {
namespace {

// Bits per decimal digit, rounded up, to bound the size of a power of ten before making it.
constexpr double bitsPerDigit = 3.3219280948873626;

bool isPlusOrMinusOne(const Rational& value) {
    return value.isInteger() && fmpz_is_pm1(value.numerator());
}

// The exact q-th root of the integer n >= 0, where there is one.
bool exactIntegerRoot(fmpz* root, const fmpz* n, slong q) {
    if (fmpz_is_zero(n) || fmpz_is_one(n)) {
        fmpz_set(root, n);
        return true;
    }
    // A q-th power above 1 has at least q bits.
    if (fmpz_bits(n) < static_cast<flint_bitcnt_t>(q)) {
        return false;
    }
    return fmpz_root(root, n, q) != 0;
}

// base^n for a whole n, where the result fits.
bool exactWholePower(Rational& result, const Rational& base, const fmpz* n) {
    if (isPlusOrMinusOne(base)) {
        const bool negative = base.sign() < 0 && fmpz_is_odd(n);
        fmpq_set_si(result.get(), negative ? -1 : 1, 1);
        return true;
    }
    if (base.sign() == 0) {
        if (fmpz_sgn(n) < 0) {
            return false; // zero to a negative power: evaluation reports it
        }
        fmpq_set_si(result.get(), fmpz_is_zero(n) ? 1 : 0, 1);
        return true;
    }
    if (!fmpz_fits_si(n)) {
        return false;
    }
    const slong power = fmpz_get_si(n);
    const double magnitude = std::fabs(fmpz_get_d(n)); // -power overflows for the smallest slong
    const auto widest =
        static_cast<double>(std::max(fmpz_bits(base.numerator()), fmpz_bits(base.denominator())));
    if (widest * magnitude > static_cast<double>(exactBits) + 1) {
        return false;
    }
    fmpq_pow_si(result.get(), base.get(), power);
    return fitsExactly(result);
}

} // namespace

bool fitsExactly(const Rational& value) {
    // An integer FLINT keeps in a word has fewer than 64 bits.
    if (!COEFF_IS_MPZ(*value.numerator()) && !COEFF_IS_MPZ(*value.denominator())) {
        return true;
    }
    return fmpz_bits(value.numerator()) <= exactBits && fmpz_bits(value.denominator()) <= exactBits;
}

namespace {

// Whole numbers, most operands, skip the rational arithmetic's common denominators.
template <void (*onIntegers)(fmpz*, const fmpz*, const fmpz*),
          void (*onRationals)(fmpq*, const fmpq*, const fmpq*)>
bool exactArithmetic(Rational& result, const Rational& a, const Rational& b) {
    if (a.isInteger() && b.isInteger()) {
        onIntegers(result.numerator(), a.numerator(), b.numerator());
        fmpz_one(result.denominator());
    } else {
        onRationals(result.get(), a.get(), b.get());
    }
    return fitsExactly(result);
}

} // namespace

bool exactSum(Rational& result, const Rational& a, const Rational& b) {
    return exactArithmetic<fmpz_add, fmpq_add>(result, a, b);
}

bool exactDifference(Rational& result, const Rational& a, const Rational& b) {
    return exactArithmetic<fmpz_sub, fmpq_sub>(result, a, b);
}

bool exactProduct(Rational& result, const Rational& a, const Rational& b) {
    return exactArithmetic<fmpz_mul, fmpq_mul>(result, a, b);
}

bool exactQuotient(Rational& result, const Rational& a, const Rational& b) {
    if (b.sign() == 0) {
        return false;
    }
    fmpq_div(result.get(), a.get(), b.get());
    return fitsExactly(result);
}

bool exactPower(Rational& result, const Rational& base, const Rational& exponent) {
    if (exponent.isInteger()) {
        return exactWholePower(result, base, exponent.numerator());
    }
    const fmpz* q = exponent.denominator();
    if (base.sign() < 0 && fmpz_is_even(q)) {
        return false; // no real root: evaluation reports it
    }
    if (base.sign() == 0 || isPlusOrMinusOne(base)) {
        return exactWholePower(result, base, exponent.numerator());
    }
    if (!fmpz_fits_si(q)) {
        return false;
    }
    // An odd root keeps the sign: (-8)^(1/3) = -(8^(1/3)).
    Integer magnitude;
    fmpz_abs(magnitude.get(), base.numerator());
    Rational root;
    const slong order = fmpz_get_si(q);
    if (!exactIntegerRoot(root.numerator(), magnitude.get(), order) ||
        !exactIntegerRoot(root.denominator(), base.denominator(), order)) {
        return false;
    }
    if (base.sign() < 0) {
        fmpz_neg(root.numerator(), root.numerator());
    }
    return exactWholePower(result, root, exponent.numerator());
}

bool exactLogarithm(Rational& result, const Rational& x, ulong base) {
    if (x.sign() <= 0) {
        return false;
    }
    Integer whole;
    Integer rest;
    fmpz_set_ui(whole.get(), base);
    fmpq_zero(result.get());
    if (x.isInteger()) {
        fmpz_set_si(result.numerator(), fmpz_remove(rest.get(), x.numerator(), whole.get()));
    } else if (fmpz_is_one(x.numerator())) {
        fmpz_set_si(result.numerator(), -fmpz_remove(rest.get(), x.denominator(), whole.get()));
    } else {
        return false;
    }
    return fmpz_is_one(rest.get()) != 0;
}

void exactFloor(Rational& result, const Rational& x) {
    fmpz_fdiv_q(result.numerator(), x.numerator(), x.denominator());
    fmpz_one(result.denominator());
}

void exactCeiling(Rational& result, const Rational& x) {
    fmpz_cdiv_q(result.numerator(), x.numerator(), x.denominator());
    fmpz_one(result.denominator());
}

void exactTruncation(Rational& result, const Rational& x) {
    fmpz_tdiv_q(result.numerator(), x.numerator(), x.denominator());
    fmpz_one(result.denominator());
}

void exactRounding(Rational& result, const Rational& x) {
    Rational half;
    fmpq_set_si(half.get(), 1, 2);
    fmpq_abs(result.get(), x.get());
    fmpq_add(result.get(), result.get(), half.get());
    exactFloor(result, result);
    if (x.sign() < 0) {
        fmpz_neg(result.numerator(), result.numerator());
    }
}

namespace {

// log2 of n!, from the log-gamma function in doubles: only to keep results within
// exactBits, where a bit or two either way does not matter.
double factorialBits(double n) {
    return std::lgamma(n + 1) / std::log(2.0);
}

bool smallWhole(const Rational& x) {
    return x.isInteger() && fmpz_fits_si(x.numerator()) && fmpz_sgn(x.numerator()) >= 0;
}

} // namespace

bool exactFactorial(Rational& result, const Rational& n) {
    if (!smallWhole(n) || factorialBits(fmpz_get_d(n.numerator())) > exactBits) {
        return false;
    }
    fmpz_fac_ui(result.numerator(), fmpz_get_ui(n.numerator()));
    fmpz_one(result.denominator());
    return true;
}

bool exactChoice(Rational& result, const Rational& n, const Rational& k, bool permutations) {
    if (!smallWhole(n) || !k.isInteger() || fmpz_sgn(k.numerator()) < 0 ||
        fmpz_cmp(k.numerator(), n.numerator()) > 0) {
        return false;
    }
    const ulong whole = fmpz_get_ui(n.numerator());
    const ulong chosen = fmpz_get_ui(k.numerator());
    // C(n, k) < n^min(k, n - k) and n!/(n-k)! < n^k: an exact bound on the result's bits.
    const ulong grows = permutations ? chosen : std::min(chosen, whole - chosen);
    if (static_cast<double>(grows) * static_cast<double>(fmpz_bits(n.numerator())) > exactBits) {
        return false;
    }
    if (permutations) {
        fmpz_rfac_uiui(result.numerator(), whole - chosen + 1, chosen);
    } else {
        fmpz_bin_uiui(result.numerator(), whole, chosen);
    }
    fmpz_one(result.denominator());
    return true;
}

bool exactGcd(Rational& result, const Rational& a, const Rational& b) {
    if (!a.isInteger() || !b.isInteger()) {
        return false;
    }
    fmpz_gcd(result.numerator(), a.numerator(), b.numerator());
    fmpz_one(result.denominator());
    return true;
}

bool exactLcm(Rational& result, const Rational& a, const Rational& b) {
    if (!a.isInteger() || !b.isInteger()) {
        return false;
    }
    fmpz_lcm(result.numerator(), a.numerator(), b.numerator());
    fmpz_one(result.denominator());
    return fitsExactly(result);
}

bool exactDecimal(Rational& result, const fmpz* mantissa, std::int64_t exponent) {
    const auto magnitude = static_cast<double>(exponent < 0 ? -exponent : exponent);
    if (fmpz_is_zero(mantissa)) {
        fmpq_zero(result.get());
        return true;
    }
    // A denominator 10^k, however reduced, keeps at least k bits.
    const double bits = (exponent < 0 ? magnitude : magnitude * bitsPerDigit) +
                        (exponent < 0 ? 0 : static_cast<double>(fmpz_bits(mantissa)));
    if (bits > static_cast<double>(exactBits)) {
        return false;
    }
    Integer power;
    fmpz_ui_pow_ui(power.get(), 10, static_cast<ulong>(magnitude));
    if (exponent >= 0) {
        fmpz_mul(result.numerator(), mantissa, power.get());
        fmpz_one(result.denominator());
    } else {
        fmpz_set(result.numerator(), mantissa);
        fmpz_set(result.denominator(), power.get());
        fmpq_canonicalise(result.get());
    }
    return fitsExactly(result);
}

double nearestDouble(const Rational& value) {
    const fmpz* num = value.numerator();
    const fmpz* den = value.denominator();
    // Both are doubles exactly, and one IEEE division rounds their quotient to nearest.
    constexpr slong exactInDouble = slong{1} << 53;
    if (!COEFF_IS_MPZ(*num) && !COEFF_IS_MPZ(*den) && *num <= exactInDouble &&
        *num >= -exactInDouble && *den <= exactInDouble) {
        return static_cast<double>(*num) / static_cast<double>(*den) + 0.0;
    }
    // A ball around a rational shrinks to it as the precision grows, and becomes exact once
    // it holds a dyadic one whole, so this ends: a rational that is no dyadic one keeps a
    // distance from every midpoint between doubles.
    Ball ball;
    double result = 0;
    for (slong bits = 128;; bits *= 2) {
        arb_set_fmpq(ball.get(), value.get(), bits);
        if (nearestDouble(ball.get(), result)) {
            return result;
        }
    }
}

std::string toText(const Rational& value) {
    char* text = fmpq_get_str(nullptr, 10, value.get());
    std::string result(text);
    flint_free(text);
    return result;
}

} // namespace vexa
