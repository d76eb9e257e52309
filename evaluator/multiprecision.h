// The libraries the evaluator computes with: FLINT's exact integers and rationals, and Arb's
// balls (a midpoint and a radius that is guaranteed to contain the exact value). Arb is a
// library of its own up to version 2.23 (Debian 12) and part of FLINT from FLINT 3 on; the
// evaluator uses only calls that both have. Here too are the owners that free what they hold.
#pragma once

#if __has_include(<flint/arb.h>)
#include <flint/arb.h>
#include <flint/arf.h>
#else
#include <arb.h>
#include <arf.h>
#endif
#include <flint/fmpq.h>
#include <flint/fmpz.h>

#include <cstddef>
#include <memory>
#include <utility>

namespace vexa {

// An exact rational number, zero when made.
class Rational {
public:
    Rational() noexcept { fmpq_init(value_); }
    explicit Rational(slong integer) noexcept {
        fmpq_init(value_);
        fmpz_set_si(fmpq_numref(value_), integer);
    }
    Rational(const Rational& other) {
        fmpq_init(value_);
        fmpq_set(value_, other.value_);
    }
    // An fmpq is two words that either hold small integers or own their storage, so moving
    // them moves the value; the source is left 0/1, which owns nothing.
    Rational(Rational&& other) noexcept : value_{*other.value_} { fmpq_init(other.value_); }
    Rational& operator=(const Rational& other) {
        fmpq_set(value_, other.value_);
        return *this;
    }
    Rational& operator=(Rational&& other) noexcept {
        std::swap(*value_, *other.value_);
        return *this;
    }
    ~Rational() { fmpq_clear(value_); }

    fmpq* get() { return value_; }
    const fmpq* get() const { return value_; }
    fmpz* numerator() { return fmpq_numref(value_); }
    const fmpz* numerator() const { return fmpq_numref(value_); }
    fmpz* denominator() { return fmpq_denref(value_); }
    const fmpz* denominator() const { return fmpq_denref(value_); }

    int sign() const { return fmpq_sgn(value_); }
    bool isInteger() const { return fmpz_is_one(fmpq_denref(value_)) != 0; }

private:
    fmpq_t value_;
};

// An integer, zero when made.
class Integer {
public:
    Integer() noexcept { fmpz_init(value_); }
    Integer(const Integer&) = delete;
    Integer& operator=(const Integer&) = delete;
    ~Integer() { fmpz_clear(value_); }
    fmpz* get() { return value_; }
    const fmpz* get() const { return value_; }

private:
    fmpz_t value_;
};

// A ball, exactly zero when made.
class Ball {
public:
    Ball() noexcept { arb_init(value_); }
    Ball(const Ball&) = delete;
    Ball& operator=(const Ball&) = delete;
    ~Ball() { arb_clear(value_); }
    arb_struct* get() { return value_; }
    const arb_struct* get() const { return value_; }

private:
    arb_t value_;
};

// A binary floating-point number of Arb's, exactly zero when made.
class Float {
public:
    Float() noexcept { arf_init(value_); }
    Float(const Float&) = delete;
    Float& operator=(const Float&) = delete;
    ~Float() { arf_clear(value_); }
    arf_struct* get() { return value_; }
    const arf_struct* get() const { return value_; }

private:
    arf_t value_;
};

// A row of balls that keeps the storage each has grown to, for a stack reused run after run.
class Balls {
public:
    void resize(std::size_t count) {
        if (count > count_) {
            balls_ = Storage(_arb_vec_init(static_cast<slong>(count)), Clear{count});
            count_ = count;
        }
    }
    arb_struct* data() { return balls_.get(); }

private:
    struct Clear {
        std::size_t count;
        void operator()(arb_struct* balls) const {
            _arb_vec_clear(balls, static_cast<slong>(count));
        }
    };
    using Storage = std::unique_ptr<arb_struct, Clear>;
    Storage balls_{nullptr, Clear{0}};
    std::size_t count_ = 0;
};

} // namespace vexa
