// The evaluator under arbitrary input: any bytes become a 16-bit text that is compiled and
// evaluated in every angle unit, and every outcome is checked, not merely survived.
#include "evaluator/compiler.h"
#include "evaluator/errors.h"
#include "evaluator/machine.h"
#include "evaluator/number_text.h"
#include "evaluator/program.h"
#include "evaluator/vexa.h"

#include <array>
#include <bit>
#include <charconv>
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

// Folding works out while compiling what cannot fail and does not read the unit, so it must
// not change any outcome: the program compiled without folding, run step by step, gives the
// same double or the same error at the same place. In radians an angle written with pi is
// exact only when folded, so degrees and grads are where both must agree.
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
    if (!same) {
        violated("an outcome that folding changed", text, unit);
    }
}

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
        const Outcome first = compile(*vexa, slot, text, unit);
        if (compiled && !sameOutcome(first, *compiled)) {
            violated("a compile outcome that changes with the unit or a second compile", text,
                     unit);
        }
        compiled = first;
        if (!first.value) {
            // Evaluating a text that did not compile is an error of the whole text.
            const Outcome refused = evaluate(*vexa, slot, text, unit);
            if (refused.value || refused.error.Kind != 1) {
                violated("an evaluation of a text that did not compile", text, unit);
            }
            compile(*vexa, slot, u"(1+2)*3", unit);
            continue;
        }
        const Outcome result = evaluate(*vexa, slot, text, unit);
        // A compiled program runs the same way every time.
        if (!sameOutcome(evaluate(*vexa, slot, text, unit), result)) {
            violated("a second evaluation that differs from the first", text, unit);
        }
        if (unit != vexa::Radians) {
            checkFolding(text, result, unit);
        }
        if (result.value) {
            checkResultText(*vexa, slot, *result.value, text, unit);
        }
        compile(*vexa, slot, u"(1+2)*3", unit); // another text in between
    }
    return 0;
}
