#include "evaluator/program.h"

#include "evaluator/functions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <numeric>

namespace vexa {
namespace {

constexpr PiFraction notAnAngle{0, 0};
// Numerators and denominators stay below 2^31, so a product of two fits in 64 bits and a sum
// of two such products does too.
constexpr std::int64_t fractionLimit = (std::int64_t{1} << 31) - 1;

bool isAngle(const KnownValue& v) {
    return v.angle.den != 0;
}

// A whole number that can scale an angle: written as one ('3', '3.0', '6/2'), not an angle.
bool isSmallInteger(const KnownValue& v) {
    return !isAngle(v) && std::fabs(v.value) <= static_cast<double>(fractionLimit) &&
           std::trunc(v.value) == v.value;
}

// num/den in lowest terms with a positive denominator, or notAnAngle when it outgrows the limit.
PiFraction fraction(std::int64_t num, std::int64_t den) {
    if (den < 0) {
        num = -num;
        den = -den;
    }
    const std::int64_t divisor = std::gcd(num, den);
    if (divisor > 1) {
        num /= divisor;
        den /= divisor;
    }
    if (std::llabs(num) > fractionLimit || den > fractionLimit) {
        return notAnAngle;
    }
    return {num, den};
}

// The exact angle of a folded binary operation: a sum or difference of two angles, or an angle
// times or divided by a whole number. Anything else ('pi*pi', '1/pi', 'pi+1') is no angle.
PiFraction foldAngle(OpCode code, const KnownValue& a, const KnownValue& b) {
    const PiFraction& x = a.angle;
    const PiFraction& y = b.angle;
    switch (code) {
    case OpCode::Add:
    case OpCode::Subtract:
        if (isAngle(a) && isAngle(b)) {
            const std::int64_t right = y.num * x.den;
            return fraction(x.num * y.den + (code == OpCode::Add ? right : -right), x.den * y.den);
        }
        return notAnAngle;
    case OpCode::Multiply:
        if (isAngle(a) && isSmallInteger(b)) {
            return fraction(x.num * static_cast<std::int64_t>(b.value), x.den);
        }
        if (isSmallInteger(a) && isAngle(b)) {
            return fraction(static_cast<std::int64_t>(a.value) * y.num, y.den);
        }
        return notAnAngle;
    case OpCode::Divide:
        if (isAngle(a) && isSmallInteger(b) && b.value != 0) {
            return fraction(x.num, x.den * static_cast<std::int64_t>(b.value));
        }
        return notAnAngle;
    default:
        return notAnAngle;
    }
}

// The binary operators as the machine computes them.
Outcome applyBinary(OpCode code, double a, double b) {
    switch (code) {
    case OpCode::Add:
        return {a + b, ErrorCode::None};
    case OpCode::Subtract:
        return {a - b, ErrorCode::None};
    case OpCode::Multiply:
        return {a * b, ErrorCode::None};
    case OpCode::Divide:
        return divide(a, b);
    default:
        return power(a, b);
    }
}

bool succeeded(const Outcome& outcome) {
    return outcome.error == ErrorCode::None && std::isfinite(outcome.value);
}

} // namespace

void Program::clear(bool fold) {
    ops_.clear();
    constants_.clear();
    depth_ = 0;
    maxDepth_ = 0;
    fold_ = fold;
}

void Program::reserveForText(std::size_t length) {
    ops_.reserve(length);
    constants_.reserve(length);
}

void Program::push(const Op& op, int stackEffect) {
    ops_.push_back(op);
    depth_ = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(depth_) + stackEffect);
    maxDepth_ = std::max(maxDepth_, depth_);
}

bool Program::lastAreConstants(std::size_t count) const {
    if (!fold_ || ops_.size() < count) {
        return false;
    }
    return std::all_of(ops_.end() - static_cast<std::ptrdiff_t>(count), ops_.end(),
                       [](const Op& op) { return op.code == OpCode::Constant; });
}

// The last count operations are constants, and they are the last count entries of the pool.
void Program::replaceLast(std::size_t count, KnownValue value, std::uint32_t start,
                          std::uint32_t end) {
    for (std::size_t i = ops_.size() - count; i < ops_.size(); ++i) {
        start = std::min(start, ops_[i].start);
        end = std::max(end, ops_[i].start + ops_[i].length);
    }
    ops_.resize(ops_.size() - count);
    constants_.resize(constants_.size() - count);
    depth_ -= count;
    emitConstant(value, start, end - start);
}

void Program::emitConstant(KnownValue value, std::uint32_t start, std::uint32_t length) {
    const auto index = static_cast<std::uint32_t>(constants_.size());
    constants_.push_back(value);
    push({OpCode::Constant, index, start, length}, +1);
}

void Program::emitNegate(std::uint32_t start, std::uint32_t length) {
    if (lastAreConstants(1)) {
        KnownValue& known = constants_.back();
        known.value = -known.value;
        known.angle.num = -known.angle.num;
        Op& constant = ops_.back();
        const std::uint32_t end = std::max(constant.start + constant.length, start + length);
        constant.start = std::min(constant.start, start);
        constant.length = end - constant.start;
        return;
    }
    push({OpCode::Negate, 0, start, length}, 0);
}

void Program::emitBinary(OpCode code, std::uint32_t start, std::uint32_t length) {
    if (lastAreConstants(2)) {
        const KnownValue& a = constants_[constants_.size() - 2];
        const KnownValue& b = constants_.back();
        if (const Outcome result = applyBinary(code, a.value, b.value); succeeded(result)) {
            replaceLast(2, {result.value, foldAngle(code, a, b)}, start, start + length);
            return;
        }
    }
    push({code, 0, start, length}, -1);
}

void Program::emitCall(std::uint32_t function, int arity, std::uint32_t start,
                       std::uint32_t length) {
    const auto count = static_cast<std::size_t>(arity);
    if (!usesAngle(function) && lastAreConstants(count)) {
        double args[2] = {0, 0};
        for (std::size_t i = 0; i < count; ++i) {
            args[i] = constants_[constants_.size() - count + i].value;
        }
        // The unit is not read by a function that does not use it.
        if (const Outcome result = functionTable()[function].apply(args, Angle(Radians));
            succeeded(result)) {
            replaceLast(count, {result.value, notAnAngle}, start, start + length);
            return;
        }
    }
    push({OpCode::Call, function, start, length}, 1 - arity);
}

std::string Program::dump() const {
    std::string out;
    char number[32];
    const auto append = [&](auto value) {
        out.append(number, std::to_chars(number, number + sizeof number, value).ptr);
    };
    for (const Op& op : ops_) {
        switch (op.code) {
        case OpCode::Constant:
            out += "const ";
            append(constants_[op.operand].value);
            if (const PiFraction& angle = constants_[op.operand].angle; angle.den != 0) {
                out += " (pi*";
                append(angle.num);
                out += '/';
                append(angle.den);
                out += ')';
            }
            break;
        case OpCode::Negate:
            out += "neg";
            break;
        case OpCode::Add:
            out += "add";
            break;
        case OpCode::Subtract:
            out += "sub";
            break;
        case OpCode::Multiply:
            out += "mul";
            break;
        case OpCode::Divide:
            out += "div";
            break;
        case OpCode::Power:
            out += "pow";
            break;
        case OpCode::Call:
            out += "call ";
            out += functionTable()[op.operand].name;
            break;
        }
        out += " @";
        append(op.start + 1);
        if (op.length > 1) {
            out += '-';
            append(op.start + op.length);
        }
        out += '\n';
    }
    return out;
}

} // namespace vexa
