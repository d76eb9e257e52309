#include "evaluator/ball_rounding.h"

#include <cmath>
#include <limits>

namespace vexa {
namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

bool narrowEnoughToBeAPoint(const arb_struct* x, Precision precision) {
    return precision.atLimit() && mag_cmp_2exp_si(arb_radref(x), exactPointRadius) < 0;
}

// The double nearest f, ties to even. Arb's conversion keeps the largest double up to 2^1024;
// IEEE rounds to infinity from the midpoint between them, 2^1024 - 2^970, on.
double nearestOf(const arf_struct* f) {
    if (arf_cmpabs_2exp_si(f, 1023) > 0) {
        Float halfway;
        arf_set_si_2exp_si(halfway.get(), (slong{1} << 54) - 1, 970);
        if (arf_cmpabs(f, halfway.get()) >= 0) {
            return arf_sgn(f) < 0 ? -infinity : infinity;
        }
    }
    return arf_get_d(f, ARF_RND_NEAR);
}

void setDouble(arf_struct* f, double value) {
    if (std::isinf(value)) {
        arf_set_si_2exp_si(f, value < 0 ? -1 : 1, 1024); // the next power of two after the largest
    } else {
        arf_set_d(f, value);
    }
}

// The ball's bounds, as good as exact: rounded outwards only past the midpoint's own bits.
void bounds(const arb_struct* x, arf_struct* lower, arf_struct* upper) {
    const slong bits = arf_bits(arb_midref(x)) + 64;
    arb_get_lbound_arf(lower, x, bits);
    arb_get_ubound_arf(upper, x, bits);
}

} // namespace

Side sideOf(const arb_struct* x, slong point, Precision precision) {
    const arb_struct* difference = x;
    Ball shifted;
    if (point != 0) {
        // A ball that holds x - point: 0 exactly where x is exactly the point.
        arb_sub_si(shifted.get(), x, point, precision.bits);
        difference = shifted.get();
    }
    if (arb_is_positive(difference)) {
        return Side::Above;
    }
    if (arb_is_negative(difference)) {
        return Side::Below;
    }
    if (arb_is_zero(difference) ||
        (arb_is_finite(difference) && narrowEnoughToBeAPoint(difference, precision))) {
        return Side::At;
    }
    return Side::Unknown;
}

bool integerIn(const arb_struct* x, fmpz* n, bool& isNotInteger, Precision precision) {
    isNotInteger = false;
    // A ball half a unit wide may hold two integers; one this far out has no fraction left
    // to see at any precision (and Arb's exact integer conversions refuse such exponents).
    if (!arb_is_finite(x) || mag_cmp_2exp_si(arb_radref(x), -1) >= 0 ||
        arf_cmpabs_2exp_si(arb_midref(x), precisionLimit + 64) > 0) {
        return false;
    }
    // Narrower than that, the ball holds no integer but perhaps the one nearest its midpoint.
    arf_get_fmpz(n, arb_midref(x), ARF_RND_NEAR);
    Ball difference;
    arb_sub_fmpz(difference.get(), x, n, precision.bits);
    if (!arb_contains_zero(difference.get())) {
        isNotInteger = true;
        return false;
    }
    return arb_is_zero(difference.get()) || narrowEnoughToBeAPoint(difference.get(), precision);
}

Magnitude magnitudeOf(const arb_struct* x) {
    const arf_struct* mid = arb_midref(x);
    const mag_struct* radius = arb_radref(x);
    if (!arb_is_finite(x)) {
        return Magnitude::Unknown;
    }
    // Most values lie well inside, and so does the whole of their ball.
    if ((arf_is_zero(mid) || (arf_cmpabs_2exp_si(mid, magnitudeLimit - 1) < 0 &&
                              arf_cmpabs_2exp_si(mid, 1 - magnitudeLimit) > 0)) &&
        mag_cmp_2exp_si(radius, magnitudeLimit - 1) < 0) {
        return Magnitude::Within;
    }
    Float lower;
    Float upper;
    arb_get_abs_lbound_arf(lower.get(), x, 64);
    arb_get_abs_ubound_arf(upper.get(), x, 64);
    if (arf_cmpabs_2exp_si(lower.get(), magnitudeLimit) >= 0) {
        return Magnitude::TooLarge;
    }
    if (arf_cmpabs_2exp_si(upper.get(), magnitudeLimit) >= 0) {
        return Magnitude::Unknown;
    }
    if (arf_is_zero(lower.get()) || arf_cmpabs_2exp_si(lower.get(), -magnitudeLimit) >= 0) {
        return Magnitude::Within; // possibly zero, or above the smallest magnitude
    }
    return arf_cmpabs_2exp_si(upper.get(), -magnitudeLimit) < 0 ? Magnitude::TooSmall
                                                                : Magnitude::Unknown;
}

// e^t lies beyond the limits where |t| exceeds magnitudeLimit * ln 2 (about 7.4e8). Only
// what lies clearly beyond is refused here, before computing it; magnitudeOf() judges the rest.
Magnitude magnitudeOfExponential(const arb_struct* t) {
    if (!arb_is_finite(t)) {
        return Magnitude::Unknown;
    }
    constexpr slong clearlyBeyond = magnitudeLimitBits + 1; // |t| above 2^31
    if (arf_cmpabs_2exp_si(arb_midref(t), clearlyBeyond - 1) < 0 &&
        mag_cmp_2exp_si(arb_radref(t), clearlyBeyond - 1) < 0) {
        return Magnitude::Within; // most arguments, at a glance
    }
    Float lower;
    Float upper;
    arb_get_lbound_arf(lower.get(), t, 64);
    arb_get_ubound_arf(upper.get(), t, 64);
    if (arf_cmp_2exp_si(lower.get(), clearlyBeyond) > 0) {
        return Magnitude::TooLarge;
    }
    arf_neg(lower.get(), lower.get());
    if (arf_cmp_2exp_si(upper.get(), clearlyBeyond) > 0 ||
        arf_cmp_2exp_si(lower.get(), clearlyBeyond) > 0) {
        arf_neg(upper.get(), upper.get());
        return arf_cmp_2exp_si(upper.get(), clearlyBeyond) > 0 ? Magnitude::TooSmall
                                                               : Magnitude::Unknown;
    }
    return Magnitude::Within;
}

void setBelowSmallest(arb_struct* x) {
    arf_zero(arb_midref(x));
    mag_one(arb_radref(x));
    mag_mul_2exp_si(arb_radref(x), arb_radref(x), -magnitudeLimit);
}

bool nearestDouble(const arb_struct* x, double& value) {
    if (!arb_is_finite(x)) {
        return false;
    }
    const arf_struct* mid = arb_midref(x);
    if (arb_is_exact(x)) {
        value = nearestOf(mid) + 0.0;
        return true;
    }
    // Above the subnormal range a double has 53 bits, and Arb tells cheaply whether rounding
    // to 53 bits gives the same for every value in the ball.
    if (!arf_is_zero(mid) && arf_cmpabs_2exp_si(mid, -1022) >= 0 &&
        arb_can_round_arf(x, 53, ARF_RND_NEAR)) {
        value = nearestOf(mid);
        return true;
    }
    // Rounding to nearest never decreases, so all values between two bounds with the same
    // nearest double have that one.
    Float lower;
    Float upper;
    bounds(x, lower.get(), upper.get());
    const double low = nearestOf(lower.get());
    if (low != nearestOf(upper.get())) {
        return false;
    }
    value = low + 0.0; // +0 for both zeros
    return true;
}

bool nearestDoubleOfTie(const arb_struct* x, double& value) {
    if (!arb_is_finite(x) || mag_cmp_2exp_si(arb_radref(x), exactPointRadius) >= 0) {
        return false;
    }
    Float lower;
    Float upper;
    bounds(x, lower.get(), upper.get());
    const double low = nearestOf(lower.get());
    const double high = nearestOf(upper.get());
    // Narrower than any gap between doubles, the ball holds at most one midpoint.
    if (high != std::nextafter(low, infinity)) {
        return false;
    }
    Float midpoint;
    Float other;
    setDouble(midpoint.get(), low);
    setDouble(other.get(), high);
    arf_add(midpoint.get(), midpoint.get(), other.get(), ARF_PREC_EXACT, ARF_RND_DOWN);
    arf_mul_2exp_si(midpoint.get(), midpoint.get(), -1);
    if (!arb_contains_arf(x, midpoint.get())) {
        return false;
    }
    value = nearestOf(midpoint.get()) + 0.0;
    return true;
}

} // namespace vexa
