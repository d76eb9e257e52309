// The functions of whole numbers, for the function table: rounding, remainders, divisors,
// choices and the factorial, each in balls and, where its operands are known, exactly.
#pragma once

#include "evaluator/functions.h"

#include <cstdint>

namespace vexa {

// Whether an operand is a whole number: from its exact value where the text gave one, else as
// integerIn() decides it; n is set when it is.
enum class Whole : std::uint8_t { Yes, No, Unknown };
Whole wholeOf(const Argument& x, fmpz* n, const Context& context);
// An error for an operand that is no whole number, or nothing yet where that is undecided.
StepOutcome notWhole(Whole whole);

StepOutcome floorFunction(arb_struct* result, const Argument* x, const Context& context);
StepOutcome ceilingFunction(arb_struct* result, const Argument* x, const Context& context);
StepOutcome truncationFunction(arb_struct* result, const Argument* x, const Context& context);
StepOutcome roundingFunction(arb_struct* result, const Argument* x, const Context& context);
StepOutcome fractionFunction(arb_struct* result, const Argument* x, const Context& context);
StepOutcome signFunction(arb_struct* result, const Argument* x, const Context& context);
StepOutcome moduloFunction(arb_struct* result, const Argument* x, const Context& context);
StepOutcome gcdFunction(arb_struct* result, const Argument* x, const Context& context);
StepOutcome lcmFunction(arb_struct* result, const Argument* x, const Context& context);
StepOutcome combinationsFunction(arb_struct* result, const Argument* x, const Context& context);
StepOutcome permutationsFunction(arb_struct* result, const Argument* x, const Context& context);
StepOutcome gammaFunction(arb_struct* result, const Argument* x, const Context& context);
StepOutcome factorialFunction(arb_struct* result, const Argument* x, const Context& context);

bool foldFloor(Rational& result, const Rational* x);
bool foldCeiling(Rational& result, const Rational* x);
bool foldTruncation(Rational& result, const Rational* x);
bool foldRounding(Rational& result, const Rational* x);
bool foldFraction(Rational& result, const Rational* x);
bool foldSign(Rational& result, const Rational* x);
bool foldModulo(Rational& result, const Rational* x);
bool foldGcd(Rational& result, const Rational* x);
bool foldLcm(Rational& result, const Rational* x);
bool foldCombinations(Rational& result, const Rational* x);
bool foldPermutations(Rational& result, const Rational* x);
bool foldFactorial(Rational& result, const Rational* x);
bool foldGamma(Rational& result, const Rational* x);

} // namespace vexa
