// Deciding with balls: the working precision, where a ball lies against an exact point, and
// the double nearest the value a ball holds. This is the one place where a ball that cannot be
// told from an exact point is taken as that point.
#pragma once

#include "evaluator/multiprecision.h"

namespace vexa {

// Evaluation raises the working precision up to this many bits and never beyond, so a text
// gives the same answer on every machine.
inline constexpr slong precisionLimit = 4096;

// At the precision limit, a ball that contains an exact point and whose radius is below
// 2^exactPointRadius is taken as that point. That is below half the smallest subnormal
// double (2^-1075): a value that close to 0 rounds to 0 anyway.
inline constexpr slong exactPointRadius = -1100;

// Every value lies within 2^-magnitudeLimit to 2^magnitudeLimit (about 10^+-323,228,496) in
// magnitude, or is 0. A larger one cannot be computed with; a smaller one is taken as the ball
// around 0 that holds it, with no sign of its own.
inline constexpr int magnitudeLimitBits = 30;
inline constexpr slong magnitudeLimit = slong{1} << magnitudeLimitBits;

struct Precision {
    slong bits;
    bool atLimit() const { return bits >= precisionLimit; }
};

// Where a ball lies against an exact point: wholly below or above it, at it (exactly, or
// taken as the point at the limit), or undecided at this precision.
enum class Side : unsigned char { Below, At, Above, Unknown };

Side sideOf(const arb_struct* x, slong point, Precision precision);

// The integer a ball holds: true with it in n when the ball is exactly that integer, or at
// the limit is taken as it. isNotInteger is set when the ball contains no integer at all.
bool integerIn(const arb_struct* x, fmpz* n, bool& isNotInteger, Precision precision);

// Where a ball's magnitude lies against the limits of magnitudeLimit.
enum class Magnitude : unsigned char { Within, TooLarge, TooSmall, Unknown };
Magnitude magnitudeOf(const arb_struct* x);
// The same for e^t, judged from t before e^t is computed.
Magnitude magnitudeOfExponential(const arb_struct* t);
// The ball that holds every value below the smallest magnitude: 0 +- 2^-magnitudeLimit.
void setBelowSmallest(arb_struct* x);

// The double nearest every value in the ball (ties to even, +-infinity beyond the largest
// double, 0 for both zeros): true with it in value when they all have the same nearest double.
bool nearestDouble(const arb_struct* x, double& value);
// At the limit, when they do not: a ball that holds the midpoint between two neighbouring
// doubles and is narrower than 2^exactPointRadius is taken as that midpoint, rounded to even.
bool nearestDoubleOfTie(const arb_struct* x, double& value);

} // namespace vexa
