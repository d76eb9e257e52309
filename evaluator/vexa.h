// The evaluator component's published interface. The window reaches the evaluator only
// through these classes, so tests can put a scripted fake behind them.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace vexa {

// Angle units, as stored in Vexa::AngleUnit().
inline constexpr std::int32_t Radians = 0;
inline constexpr std::int32_t Degrees = 1;
inline constexpr std::int32_t Grads = 2;

// What a failing call throws: a non-zero error number and a description without position.
class Failure : public std::exception {
public:
    Failure(std::int32_t number, std::u16string description)
        : number_(number), description_(std::move(description)) {}
    std::int32_t Number() const noexcept { return number_; }
    const std::u16string& Description() const noexcept { return description_; }
    const char* what() const noexcept override { return "evaluator failure"; }

private:
    std::int32_t number_;
    std::u16string description_;
};

// The last call's outcome. Every member that can fail (Compile, Evaluate, Item, setAngleUnit)
// records it: the error, or Number 0 after a call that succeeded. Position is 1-based in
// 16-bit units of the text and meaningful only when Kind is 0 (an error tied to a place).
struct ErrorInfo {
    std::int32_t Number = 0;
    std::u16string Description;
    std::int32_t Position = 0;
    std::int32_t Kind = 0;
};

// One expression slot: set its text, compile it, evaluate it as often as wanted.
class Expression {
public:
    virtual ~Expression() = default;
    virtual void setText(std::u16string_view text) = 0;
    // Throws Failure on a syntax error; the text is then not evaluable.
    virtual void Compile() = 0;
    // Throws Failure on an evaluation error or when the text has not compiled.
    virtual double Evaluate() = 0;
};

class ExpressionList {
public:
    virtual ~ExpressionList() = default;
    // Creates a slot, reached afterwards by Item(); our engine accepts the three strings unused.
    virtual Expression& Add(std::u16string_view name, std::u16string_view a,
                            std::u16string_view b) = 0;
    // Slot by creation order (0 is the first); throws Failure when there is no such slot.
    virtual Expression& Item(std::int16_t index) = 0;
};

class Vexa {
public:
    virtual ~Vexa() = default;
    virtual ExpressionList& Expressions() = 0;
    virtual const ErrorInfo& LastError() const = 0;
    virtual std::int32_t AngleUnit() const = 0;
    // Takes 0, 1 or 2; any other value throws Failure and leaves the unit as it was.
    virtual void setAngleUnit(std::int32_t unit) = 0;
};

// Our own engine behind the interface; it starts in radians.
std::unique_ptr<Vexa> makeVexa();

} // namespace vexa
