// The evaluator under arbitrary input: any bytes become a 16-bit text that is compiled and
// evaluated in every angle unit, and every outcome is checked, not merely survived.
#include "evaluator/compiler.h"
#include "evaluator/errors.h"
#include "evaluator/exact.h"
#include "evaluator/machine.h"
#include "evaluator/number_text.h"
#include "evaluator/program.h"
#include "evaluator/vexa.h"

#include <gmp.h>
#include <mpfr.h>

#include <array>
#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

// Bytes below 0x80 stand for themselves (letters, digits, operators and control characters
// alike), so a seed is plain text. 0x80-0xEF become U+0080-U+00EF (a non-breaking space, an
// accented letter...). 0xF0-0xF7 pick a unit from a list of look-alikes and halves of pairs,
// and 0xF8-0xFF take the next two bytes, low first, as any 16-bit unit.
std::u16string textFrom(const std::uint8_t* data, std::size_t size) {
    static constexpr std::array<char16_t, 8> picked{
        0xD800, // a high surrogate
        0xDBFF, // the last high surrogate
        0xDC00, // a low surrogate
        0xDFFF, // the last low surrogate
        0xFF10, // fullwidth digit zero
        0x2212, // minus sign
        0xFEFF, // byte order mark
        0x0660, // Arabic-Indic digit zero
    };
    std::u16string text;
    text.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t byte = data[i];
        if (byte < 0xF0) {
            text += static_cast<char16_t>(byte);
        } else if (byte < 0xF8) {
            text += picked[byte - 0xF0];
        } else if (i + 2 < size) {
            text += static_cast<char16_t>(data[i + 1] | (data[i + 2] << 8));
            i += 2;
        } else {
            break; // an incomplete unit at the end is dropped
        }
    }
    return text;
}

[[noreturn]] void violated(const char* what, std::u16string_view text, std::int32_t unit) {
    std::fprintf(stderr, "property violated: %s (unit %d, %zu units:", what, unit, text.size());
    for (const char16_t c : text.substr(0, 200)) {
        std::fprintf(stderr, " %04X", static_cast<unsigned>(c));
    }
    std::fprintf(stderr, ")\n");
    std::abort();
}

struct Outcome {
    std::optional<double> value; // empty when the call failed; 0 for a Compile that succeeded
    vexa::ErrorInfo error;       // LastError after a failure
};

// A failure must carry the same non-zero number in what it throws and in LastError, with the
// table's description and kind; a Kind 0 position points into the text or just past its end,
// a Kind 1 error has none.
void checkFailure(const vexa::Failure& failure, const vexa::Vexa& vexa, std::u16string_view text,
                  std::int32_t unit, bool evaluating) {
    const vexa::ErrorInfo& error = vexa.LastError();
    if (failure.Number() == 0 || error.Number != failure.Number()) {
        violated("a failure without its number in LastError", text, unit);
    }
    if (error.Description != failure.Description() || error.Description.empty()) {
        violated("a failure whose description differs from LastError's", text, unit);
    }
    // An unexpected character is named after the table's description.
    bool known = false;
    for (const vexa::ErrorEntry& entry : vexa::errorTable()) {
        if (static_cast<std::int32_t>(entry.code) == error.Number) {
            const bool named = entry.code == vexa::ErrorCode::UnexpectedCharacter;
            known = (named ? error.Description.starts_with(entry.description) &&
                                 error.Description.size() > entry.description.size()
                           : entry.description == error.Description) &&
                    static_cast<std::int32_t>(entry.kind) == error.Kind;
        }
    }
    if (!known) {
        violated("an error that does not match its row of the error table", text, unit);
    }
    const auto length = static_cast<std::int64_t>(text.size());
    if (error.Kind == 0) {
        // Evaluation errors point at an operation's first character, never past the end.
        const std::int64_t last = evaluating ? length : length + 1;
        if (error.Position < 1 || error.Position > last) {
            violated("a Kind 0 position outside the text", text, unit);
        }
    } else if (error.Position != 0) {
        violated("a Kind 1 error with a position", text, unit);
    }
}

Outcome compile(vexa::Vexa& vexa, vexa::Expression& slot, std::u16string_view text,
                std::int32_t unit) {
    slot.setText(text);
    try {
        slot.Compile();
    } catch (const vexa::Failure& failure) {
        checkFailure(failure, vexa, text, unit, false);
        return {std::nullopt, vexa.LastError()};
    }
    if (vexa.LastError().Number != 0) {
        violated("a successful Compile that leaves an error number", text, unit);
    }
    return {0.0, {}};
}

Outcome evaluate(vexa::Vexa& vexa, vexa::Expression& slot, std::u16string_view text,
                 std::int32_t unit) {
    try {
        const double value = slot.Evaluate();
        if (vexa.LastError().Number != 0) {
            violated("a successful Evaluate that leaves an error number", text, unit);
        }
        if (!std::isfinite(value)) {
            violated("a result that is not finite", text, unit);
        }
        return {value, {}};
    } catch (const vexa::Failure& failure) {
        checkFailure(failure, vexa, text, unit, true);
        return {std::nullopt, vexa.LastError()};
    }
}

bool sameOutcome(const Outcome& a, const Outcome& b) {
    if (a.value.has_value() != b.value.has_value()) {
        return false;
    }
    if (a.value) {
        return std::bit_cast<std::uint64_t>(*a.value) == std::bit_cast<std::uint64_t>(*b.value);
    }
    return a.error.Number == b.error.Number && a.error.Position == b.error.Position;
}

// The result text shows 15 significant digits, so it need not read back as the very value
// computed. What holds: the text compiles; it computes to the double the text denotes (what
// from_chars makes of it; a leading '-' is a negation, which is exact); that double shows the
// same text again; and it lies within the rounding of 15 digits of the value: half a unit in
// the 15th digit is at most 5e-15 relative, the reading rounds by at most 2^-53 relative more,
// and subnormals, whose spacing is absolute, add at most half the smallest subnormal.
void checkResultText(vexa::Vexa& vexa, vexa::Expression& slot, double value,
                     std::u16string_view text, std::int32_t unit) {
    const std::string shown = vexa::formatResult(value);
    if (shown.size() < 2 || (shown[0] == '-') != (value < 0) ||
        (shown[0] != '-' && shown[0] != ' ')) {
        violated("a result text without its leading blank or sign", text, unit);
    }
    double denoted = 0;
    const char* digits = shown.data() + (shown[0] == ' ' ? 1 : 0);
    const auto read = std::from_chars(digits, shown.data() + shown.size(), denoted);
    if (read.ec != std::errc{} || read.ptr != shown.data() + shown.size() ||
        !std::isfinite(denoted)) {
        violated("a result text that is not a finite number", text, unit);
    }

    const std::u16string shownText(shown.begin(), shown.end());
    if (!compile(vexa, slot, shownText, unit).value) {
        violated("a result text that does not compile", text, unit);
    }
    const Outcome back = evaluate(vexa, slot, shownText, unit);
    if (!back.value || *back.value != denoted) {
        violated("a result text that computes to another double than it denotes", text, unit);
    }
    if (vexa::formatResult(*back.value) != shown) {
        violated("a result text that shows differently when computed again", text, unit);
    }
    const double bound = 5.2e-15 * std::fabs(value) + std::numeric_limits<double>::denorm_min();
    if (!(std::fabs(*back.value - value) <= bound)) {
        violated("a result text farther from the value than 15 digits allow", text, unit);
    }
}

// Folding works out exactly while compiling what is rational, cannot fail and does not read
// the unit, so it must not change any outcome: the program compiled without folding, run step
// by step, gives the same double or the same error at the same place. Only the exact fractions
// are lost without it, so there a negative base may find no real power, or a value no decision.
void checkFolding(std::u16string_view text, const Outcome& folded, std::int32_t unit) {
    vexa::Compiler compiler;
    vexa::Program program;
    compiler.compile(text, program, false);
    vexa::Machine machine;
    machine.prepare(program);
    const vexa::RunResult plain = machine.run(program, vexa::Angle(unit));
    const bool same = folded.value
                          ? plain.error == vexa::ErrorCode::None &&
                                std::bit_cast<std::uint64_t>(plain.value) ==
                                    std::bit_cast<std::uint64_t>(*folded.value)
                          : static_cast<std::int32_t>(plain.error) == folded.error.Number &&
                                static_cast<std::int32_t>(plain.start) + 1 == folded.error.Position;
    const bool lostFractions = plain.error == vexa::ErrorCode::NegativeBaseFractionalExponent ||
                               plain.error == vexa::ErrorCode::CannotCompute;
    if (!same && !lostFractions) {
        violated("an outcome that folding changed", text, unit);
    }
}

// The double nearest an exact rational, by MPFR in the double's own exponent range (so that
// subnormals round once): what the evaluator must show for the text's exact value.
double nearestByMpfr(const mpq_t value) {
    const mpfr_exp_t oldMin = mpfr_get_emin();
    const mpfr_exp_t oldMax = mpfr_get_emax();
    mpfr_set_emin(-1073);
    mpfr_set_emax(1024);
    mpfr_t rounded;
    mpfr_init2(rounded, 53);
    const int inexact = mpfr_set_q(rounded, value, MPFR_RNDN);
    mpfr_subnormalize(rounded, inexact, MPFR_RNDN);
    const double result = mpfr_get_d(rounded, MPFR_RNDN);
    mpfr_clear(rounded);
    mpfr_set_emin(oldMin);
    mpfr_set_emax(oldMax);
    return result + 0.0;
}

// The rational subset of the grammar: numbers, + - * /, parentheses and ASCII blanks. Its
// exact value is worked out here with GMP's rationals, by a parser of that subset written
// apart from the evaluator's, and the evaluator must give the double nearest it, or the error
// the first failing operation makes, at its place.
class RationalReference {
public:
    struct Result {
        bool ok = false;
        double value = 0;
        vexa::ErrorCode error = vexa::ErrorCode::None;
        std::int32_t position = 0; // 1-based
        // Some value on the way had more bits than the evaluator keeps exactly, so it worked
        // in balls and may not decide where exact arithmetic does.
        bool beyondExact = false;
    };

    // Nothing for a text outside the subset, or one whose numbers are too large to work out
    // here quickly; the text must have compiled.
    static std::optional<Result> of(std::u16string_view text) {
        for (const char16_t c : text) {
            if (!((c >= u'0' && c <= u'9') || c == u'.' || c == u'e' || c == u'E' || c == u'+' ||
                  c == u'-' || c == u'*' || c == u'/' || c == u'(' || c == u')' || c == u' ' ||
                  c == u'\t' || c == u'\n' || c == u'\r')) {
                return std::nullopt;
            }
        }
        RationalReference reference(text);
        return reference.evaluate();
    }

private:
    // A value, what produced it (the place of an error about it), and whether it is a
    // literal alone, negated or in parentheses.
    struct Value {
        Value() { mpq_init(q); }
        Value(const Value&) = delete;
        Value& operator=(const Value&) = delete;
        ~Value() { mpq_clear(q); }
        mpq_t q;
        std::size_t origin = 0;
        bool literal = false;
    };
    struct Unusable {}; // thrown where the text leaves the subset or grows too large

    explicit RationalReference(std::u16string_view text) : text_(text) {}

    std::optional<Result> evaluate() {
        try {
            Value value;
            expression(value);
            skipBlanks();
            if (at_ != text_.size()) {
                return std::nullopt;
            }
            Result result;
            result.beyondExact = beyondExact_;
            if (failed_) {
                result.error = error_;
                result.position = static_cast<std::int32_t>(errorAt_) + 1;
                return result;
            }
            const double nearest = nearestByMpfr(value.q);
            if (std::isinf(nearest)) {
                result.error = value.literal ? vexa::ErrorCode::NumberTooLarge
                                             : vexa::ErrorCode::ResultTooLarge;
                result.position = static_cast<std::int32_t>(value.origin) + 1;
                return result;
            }
            result.ok = true;
            result.value = nearest;
            return result;
        } catch (const Unusable&) {
            return std::nullopt;
        }
    }

    void skipBlanks() {
        while (at_ < text_.size() && (text_[at_] == u' ' || text_[at_] == u'\t' ||
                                      text_[at_] == u'\n' || text_[at_] == u'\r')) {
            ++at_;
        }
    }
    char16_t peek() {
        skipBlanks();
        return at_ < text_.size() ? text_[at_] : u'\0';
    }

    // expression = term { ("+" | "-") term }, left to right
    void expression(Value& left) {
        term(left);
        while (peek() == u'+' || peek() == u'-') {
            const std::size_t op = at_++;
            Value right;
            term(right);
            combine(left, right, text_[op], op);
        }
    }

    // term = unary { ("*" | "/") unary }
    void term(Value& left) {
        unary(left);
        while (peek() == u'*' || peek() == u'/') {
            const std::size_t op = at_++;
            Value right;
            unary(right);
            combine(left, right, text_[op], op);
        }
    }

    // unary = { "+" | "-" } primary
    void unary(Value& value) {
        bool negative = false;
        while (peek() == u'+' || peek() == u'-') {
            negative ^= text_[at_++] == u'-';
        }
        primary(value);
        if (negative) {
            mpq_neg(value.q, value.q);
        }
    }

    // primary = number | "(" expression ")"
    void primary(Value& value) {
        if (peek() == u'(') {
            if (++depth_ > vexa::maxNesting) {
                throw Unusable{}; // too deep for the evaluator's grammar
            }
            ++at_;
            expression(value);
            --depth_;
            if (peek() != u')') {
                throw Unusable{};
            }
            ++at_;
            return;
        }
        number(value);
    }

    // number = digits ["." digits] [("e" | "E") ["+" | "-"] digits], a digit in the mantissa
    void number(Value& value) {
        const std::size_t start = at_;
        std::string digits;
        long scale = 0;
        bool point = false;
        while (at_ < text_.size() &&
               ((text_[at_] >= u'0' && text_[at_] <= u'9') || (text_[at_] == u'.' && !point))) {
            if (text_[at_] == u'.') {
                point = true;
            } else {
                digits += static_cast<char>(text_[at_]);
                scale -= point ? 1 : 0;
            }
            ++at_;
        }
        if (digits.empty()) {
            throw Unusable{};
        }
        if (at_ < text_.size() && (text_[at_] == u'e' || text_[at_] == u'E')) {
            std::size_t exponentAt = at_ + 1;
            bool negative = false;
            if (exponentAt < text_.size() &&
                (text_[exponentAt] == u'+' || text_[exponentAt] == u'-')) {
                negative = text_[exponentAt] == u'-';
                ++exponentAt;
            }
            if (exponentAt < text_.size() && text_[exponentAt] >= u'0' &&
                text_[exponentAt] <= u'9') {
                long exponent = 0;
                for (at_ = exponentAt;
                     at_ < text_.size() && text_[at_] >= u'0' && text_[at_] <= u'9'; ++at_) {
                    exponent = exponent * 10 + (text_[at_] - u'0');
                    if (exponent > maxExponent) {
                        throw Unusable{}; // the evaluator's limits of magnitude, not tried here
                    }
                }
                scale += negative ? -exponent : exponent;
            }
        }
        if (std::labs(scale) > maxExponent || digits.size() > maxDigits) {
            throw Unusable{};
        }
        mpz_set_str(mpq_numref(value.q), digits.c_str(), 10);
        mpz_set_ui(mpq_denref(value.q), 1);
        mpz_t power;
        mpz_init(power);
        mpz_ui_pow_ui(power, 10, static_cast<unsigned long>(std::labs(scale)));
        mpz_mul(scale >= 0 ? mpq_numref(value.q) : mpq_denref(value.q),
                scale >= 0 ? mpq_numref(value.q) : mpq_denref(value.q), power);
        mpz_clear(power);
        mpq_canonicalize(value.q);
        value.origin = start;
        value.literal = true;
        note(value);
    }

    void combine(Value& left, const Value& right, char16_t op, std::size_t at) {
        left.origin = at;
        left.literal = false;
        if (failed_) {
            return; // evaluation stops at its first error
        }
        switch (op) {
        case u'+':
            mpq_add(left.q, left.q, right.q);
            break;
        case u'-':
            mpq_sub(left.q, left.q, right.q);
            break;
        case u'*':
            mpq_mul(left.q, left.q, right.q);
            break;
        default:
            if (mpq_sgn(right.q) == 0) {
                failed_ = true;
                error_ = vexa::ErrorCode::DivisionByZero;
                errorAt_ = at;
                return;
            }
            mpq_div(left.q, left.q, right.q);
        }
        note(left);
    }

    void note(const Value& value) {
        const std::size_t bits = std::max(mpz_sizeinbase(mpq_numref(value.q), 2),
                                          mpz_sizeinbase(mpq_denref(value.q), 2));
        beyondExact_ = beyondExact_ || bits > static_cast<std::size_t>(vexa::exactBits);
        if (bits > maxBits) {
            throw Unusable{};
        }
    }

    static constexpr long maxExponent = 5000;
    static constexpr std::size_t maxDigits = 5000;
    static constexpr std::size_t maxBits = 60000;

    std::u16string_view text_;
    std::size_t at_ = 0;
    int depth_ = 0;
    bool failed_ = false;
    vexa::ErrorCode error_ = vexa::ErrorCode::None;
    std::size_t errorAt_ = 0;
    bool beyondExact_ = false;
};

void checkRationalValue(std::u16string_view text, const Outcome& result, std::int32_t unit) {
    const std::optional<RationalReference::Result> expected = RationalReference::of(text);
    if (!expected) {
        return;
    }
    const bool same = expected->ok
                          ? result.value && std::bit_cast<std::uint64_t>(*result.value) ==
                                                std::bit_cast<std::uint64_t>(expected->value)
                          : !result.value &&
                                result.error.Number == static_cast<std::int32_t>(expected->error) &&
                                result.error.Position == expected->position;
    const bool undecidedInBalls =
        expected->beyondExact && !result.value &&
        result.error.Number == static_cast<std::int32_t>(vexa::ErrorCode::CannotCompute);
    if (!same && !undecidedInBalls) {
        violated("a rational text whose exact value the result is not", text, unit);
    }
}

// Every text of the box's length finishes within a second on the machine the evaluator is
// made for; the fuzzer's texts are a quarter of that length, which leaves room for the
// sanitizers' slowdown.
constexpr std::chrono::milliseconds timeLimit{1000};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text = textFrom(data, size);
    const auto vexa = vexa::makeVexa();
    vexa::Expression& slot = vexa->Expressions().Add(u"Ex1", u"", u"");

    std::optional<Outcome> compiled;
    for (const std::int32_t unit : {vexa::Radians, vexa::Degrees, vexa::Grads}) {
        vexa->setAngleUnit(unit);
        if (vexa->LastError().Number != 0 || vexa->AngleUnit() != unit) {
            violated("an angle unit that does not take", text, unit);
        }
        // Compiling does not depend on the unit, and compiling again after another text
        // (whose program reused the same storage) gives the same outcome.
        const auto started = std::chrono::steady_clock::now();
        const Outcome first = compile(*vexa, slot, text, unit);
        if (compiled && !sameOutcome(first, *compiled)) {
            violated("a compile outcome that changes with the unit or a second compile", text,
                     unit);
        }
        compiled = first;
        if (!first.value) {
            if (unit == vexa::Radians) {
                checkRationalValue(text, first, unit); // a literal too large alone, say
            }
            // Evaluating a text that did not compile is an error of the whole text.
            const Outcome refused = evaluate(*vexa, slot, text, unit);
            if (refused.value || refused.error.Kind != 1) {
                violated("an evaluation of a text that did not compile", text, unit);
            }
            compile(*vexa, slot, u"(1+2)*3", unit);
            continue;
        }
        const Outcome result = evaluate(*vexa, slot, text, unit);
        if (std::chrono::steady_clock::now() - started > timeLimit) {
            violated("a text that took longer than the time limit", text, unit);
        }
        // A compiled program runs the same way every time.
        if (!sameOutcome(evaluate(*vexa, slot, text, unit), result)) {
            violated("a second evaluation that differs from the first", text, unit);
        }
        checkFolding(text, result, unit);
        if (unit == vexa::Radians) {
            checkRationalValue(text, result, unit);
        }
        if (result.value) {
            checkResultText(*vexa, slot, *result.value, text, unit);
        }
        compile(*vexa, slot, u"(1+2)*3", unit); // another text in between
    }
    return 0;
}
