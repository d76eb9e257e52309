#include "evaluator/vexa.h"

#include "evaluator/compiler.h"
#include "evaluator/errors.h"
#include "evaluator/exact.h"
#include "evaluator/functions.h"
#include "evaluator/machine.h"
#include "evaluator/program.h"

#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace vexa {
namespace {

class Engine;

// One expression slot: its text, and the program compiled from it with the scratch storage
// that compiling and running reuse from one text to the next.
class Slot final : public Expression {
public:
    explicit Slot(Engine& engine) : engine_(engine) {}

    void setText(std::u16string_view text) override {
        text_.assign(text);
        forget();
    }
    void Compile() override;
    double Evaluate() override;

private:
    double evaluateAndRemember(std::size_t unit);
    void forget() {
        compiled_ = false;
        known_ = {};
    }

    Engine& engine_;
    std::u16string text_;
    Compiler compiler_;
    Program program_;
    Machine machine_;
    bool compiled_ = false;
    // Every text is a constant expression, so its outcome in one angle unit never changes
    // until the next compile: each unit's is computed once, by the first Evaluate in it, and
    // a text that folded into one exact value has it in every unit from the start.
    std::array<RunResult, 3> outcomes_;
    std::array<bool, 3> known_{};
};

// Owns the slots, the angle unit and the last error, which every slot reports through.
class Engine final : public Vexa, public ExpressionList {
public:
    ExpressionList& Expressions() override { return *this; }
    const ErrorInfo& LastError() const override { return lastError_; }
    std::int32_t AngleUnit() const override { return angleUnit_; }

    void setAngleUnit(std::int32_t unit) override {
        if (unit < Radians || unit > Grads) {
            fail(ErrorCode::InvalidAngleUnit, 0);
        }
        angleUnit_ = unit;
        succeed();
    }

    // Slots are reached by index; the name and the further strings carry nothing we use.
    Expression& Add(std::u16string_view, std::u16string_view, std::u16string_view) override {
        slots_.push_back(std::make_unique<Slot>(*this));
        return *slots_.back();
    }

    Expression& Item(std::int16_t index) override {
        if (index < 0 || static_cast<std::size_t>(index) >= slots_.size()) {
            fail(ErrorCode::NoSuchExpression, 0);
        }
        succeed();
        return *slots_[static_cast<std::size_t>(index)];
    }

    // Every member that can fail records its outcome here: the error, or Number 0. The text
    // is the one the error was found in, for a description that names what it found there.
    [[noreturn]] void fail(ErrorCode code, std::uint32_t start, std::u16string_view text = {}) {
        const ErrorEntry& entry = errorEntry(code);
        lastError_.Number = static_cast<std::int32_t>(code);
        describe(lastError_.Description, code, text, start);
        lastError_.Kind = static_cast<std::int32_t>(entry.kind);
        lastError_.Position =
            entry.kind == ErrorKind::AtPlace ? static_cast<std::int32_t>(start) + 1 : 0;
        throw Failure(lastError_.Number, lastError_.Description);
    }

    // Clearing keeps the description's storage, so a successful Evaluate allocates nothing.
    // After a success there is nothing to clear, which saves a repeated Evaluate the stores.
    void succeed() {
        if (lastError_.Number == 0) {
            return;
        }
        lastError_.Number = 0;
        lastError_.Description.clear();
        lastError_.Position = 0;
        lastError_.Kind = 0;
    }

private:
    std::vector<std::unique_ptr<Slot>> slots_;
    ErrorInfo lastError_;
    std::int32_t angleUnit_ = Radians;
};

void Slot::Compile() {
    forget();
    try {
        compiler_.compile(text_, program_);
    } catch (const CompileError& error) {
        engine_.fail(error.code, error.start, text_);
    }
    if (program_.isConstant()) {
        // Exact, so the same in every unit; too large to show only as a result of Evaluate.
        const double value = nearestDouble(program_.result());
        outcomes_.fill(std::isinf(value)
                           ? RunResult{0, ErrorCode::ResultTooLarge, program_.resultStart()}
                           : RunResult{value, ErrorCode::None, 0});
        known_.fill(true);
    } else {
        machine_.prepare(program_);
    }
    compiled_ = true;
    engine_.succeed();
}

double Slot::Evaluate() {
    const auto unit = static_cast<std::size_t>(engine_.AngleUnit());
    if (known_[unit] && outcomes_[unit].error == ErrorCode::None) {
        engine_.succeed();
        return outcomes_[unit].value;
    }
    return evaluateAndRemember(unit);
}

double Slot::evaluateAndRemember(std::size_t unit) {
    if (!compiled_) {
        engine_.fail(ErrorCode::NotCompiled, 0);
    }
    if (!known_[unit]) {
        outcomes_[unit] = machine_.run(program_, Angle(static_cast<std::int32_t>(unit)));
        known_[unit] = true;
    }
    const RunResult& result = outcomes_[unit];
    if (result.error != ErrorCode::None) {
        engine_.fail(result.error, result.start);
    }
    engine_.succeed();
    return result.value;
}

} // namespace

std::unique_ptr<Vexa> makeVexa() {
    return std::make_unique<Engine>();
}

} // namespace vexa
