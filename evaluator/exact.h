// Exact rational arithmetic for what the compiler works out while compiling, and the rounding
// of an exact value to the double nearest it.
#pragma once

#include "evaluator/multiprecision.h"

#include <cstdint>
#include <string>

namespace vexa {

// Values stay exact rationals while numerator and denominator each have at most this many
// bits (1233 decimal digits); an operation whose exact result would be larger is left to
// evaluation, which computes it in balls. Large enough for every double, whose exact value has
// at most 1075 bits above and below the point, and small enough that one operation costs
// microseconds.
inline constexpr slong exactBits = 4096;

bool fitsExactly(const Rational& value);

// The exact result of an operation on exact operands, where there is one within exactBits.
// Each returns false where there is none: the operation fails ('1/0', '0^-1', '(-8)^0.5',
// 'sqrt(-1)', which evaluation reports in its turn), its value is irrational ('2^0.5') or it
// is too large to hold exactly ('7^9999'). result may then hold anything.
bool exactSum(Rational& result, const Rational& a, const Rational& b);
bool exactDifference(Rational& result, const Rational& a, const Rational& b);
bool exactProduct(Rational& result, const Rational& a, const Rational& b);
bool exactQuotient(Rational& result, const Rational& a, const Rational& b);
// base^exponent: a whole exponent, or p/q in lowest terms where base is a q-th power of a
// rational; a negative base takes only an odd q, giving the real root: (-8)^(1/3) = -2.
bool exactPower(Rational& result, const Rational& base, const Rational& exponent);
// The logarithm to a whole base of a whole power of it: log10(0.001) = -3, log2(8) = 3.
bool exactLogarithm(Rational& result, const Rational& x, ulong base);

// Whole numbers near x: the largest at most x, the smallest at least x, x without its
// fraction, and the nearest with halves away from zero (2.5 to 3, -2.5 to -3).
void exactFloor(Rational& result, const Rational& x);
void exactCeiling(Rational& result, const Rational& x);
void exactTruncation(Rational& result, const Rational& x);
void exactRounding(Rational& result, const Rational& x);

// n! for a whole n >= 0; C(n, k), or with permutations n!/(n-k)!, for whole n and k with
// 0 <= k <= n; gcd and lcm of whole numbers. Each where the result fits within exactBits.
bool exactFactorial(Rational& result, const Rational& n);
bool exactChoice(Rational& result, const Rational& n, const Rational& k, bool permutations);
bool exactGcd(Rational& result, const Rational& a, const Rational& b);
bool exactLcm(Rational& result, const Rational& a, const Rational& b);

// The decimal mantissa * 10^exponent, where it fits within exactBits.
bool exactDecimal(Rational& result, const fmpz* mantissa, std::int64_t exponent);

// The double nearest value, ties to even; +-infinity where it rounds beyond the largest double.
double nearestDouble(const Rational& value);

// "p/q", or "p" for an integer, for dumps.
std::string toText(const Rational& value);

} // namespace vexa
