// A scripted evaluator for window tests: it records what the window hands it and answers
// each text as the test's script says.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "evaluator/vexa.h"

struct FakeVexa final : vexa::Vexa, vexa::ExpressionList, vexa::Expression {
    // What a computation of one text does.
    struct Outcome {
        enum class Type { Value, EvaluatorError, NumberedFailure, UnnumberedFailure };
        Type type = Type::Value;
        double value = 0;
        vexa::ErrorInfo error;  // for EvaluatorError (set in LastError) and NumberedFailure
        bool atCompile = false; // fail in Compile rather than Evaluate
    };
    static Outcome value(double v) { return {Outcome::Type::Value, v, {}, false}; }
    static Outcome evaluatorError(std::int32_t number, std::u16string description,
                                  std::int32_t position, std::int32_t kind, bool atCompile) {
        return {Outcome::Type::EvaluatorError,
                0,
                {number, std::move(description), position, kind},
                atCompile};
    }
    static Outcome numbered(std::int32_t number, std::u16string description) {
        return {Outcome::Type::NumberedFailure, 0, {number, std::move(description), 0, 0}, false};
    }
    static Outcome unnumbered(bool atCompile = false) {
        return {Outcome::Type::UnnumberedFailure, 0, {}, atCompile};
    }

    std::function<Outcome(const std::u16string&)> script = [](const std::u16string&) {
        return value(1);
    };

    // Recorded calls.
    std::vector<std::u16string> added;    // names given to Add
    std::vector<std::u16string> texts;    // texts written to the slot
    std::vector<std::int32_t> unitWrites; // values written to AngleUnit
    std::int32_t unit = 0;
    vexa::ErrorInfo lastError;
    bool failAdd = false; // Add fails as the evaluator's own error, set in lastError first

    vexa::ExpressionList& Expressions() override { return *this; }
    const vexa::ErrorInfo& LastError() const override { return lastError; }
    std::int32_t AngleUnit() const override { return unit; }
    void setAngleUnit(std::int32_t u) override {
        unitWrites.push_back(u);
        unit = u;
    }

    vexa::Expression& Add(std::u16string_view name, std::u16string_view,
                          std::u16string_view) override {
        added.emplace_back(name);
        if (failAdd) {
            throw vexa::Failure(lastError.Number, lastError.Description);
        }
        return *this;
    }
    vexa::Expression& Item(std::int16_t index) override {
        if (index != 0 || added.empty()) {
            throw std::out_of_range("no such slot");
        }
        return *this;
    }

    void setText(std::u16string_view text) override {
        texts.emplace_back(text);
        current_ = script(texts.back());
    }
    void Compile() override {
        lastError = {};
        if (current_.atCompile) {
            fail();
        }
    }
    double Evaluate() override {
        lastError = {};
        if (!current_.atCompile) {
            fail();
        }
        return current_.value;
    }

private:
    void fail() {
        switch (current_.type) {
        case Outcome::Type::Value:
            return;
        case Outcome::Type::EvaluatorError:
            lastError = current_.error;
            throw vexa::Failure(current_.error.Number, current_.error.Description);
        case Outcome::Type::NumberedFailure:
            throw vexa::Failure(current_.error.Number, current_.error.Description);
        case Outcome::Type::UnnumberedFailure:
            throw std::runtime_error("no number");
        }
    }
    Outcome current_;
};
