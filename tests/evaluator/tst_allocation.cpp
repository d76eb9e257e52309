// Evaluating a compiled text allocates nothing, and compiling a text again reuses the storage
// of the last compile. The global allocator is replaced to count, so this file is a test
// program of its own.
#include "evaluator/vexa.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>
#include <string>

namespace {
std::atomic<long> allocations{0};
} // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace {

// What a calculator is given: sums, function keys, result texts read back (one with a literal
// longer than a short string holds), blanks before '(', a nested text.
constexpr std::u16string_view texts[] = {
    u"1+2*3",
    u"sin(pi/4)+2^3*pow(2,0.5)/sqrt(2)-log10(1e5)",
    u"((((1+2)*(3-4))^2)/abs(-5))+cot(1)+atan(1)",
    u" 1e-05",
    u" 0.707106781186547",
    u"-2^2",
    u"pow (12,3)",
    u"sqrt(square(sin(pi/6))+square(cos(pi/6)))*((1.5+2.25)*(3-4.75)/(5+6))^2-"
    u"abs(-(2.5e-3*400)+log10(1000)-ln(e^2))+pow(2,(1+(2+(3+(4+5))))/7)",
};

TEST(Allocation, EvaluateAllocatesNothing) {
    auto vexa = vexa::makeVexa();
    vexa::Expression& slot = vexa->Expressions().Add(u"Ex1", u"", u"");
    for (const std::u16string_view text : texts) {
        slot.setText(text);
        slot.Compile();
        for (const std::int32_t unit : {vexa::Radians, vexa::Degrees, vexa::Grads}) {
            vexa->setAngleUnit(unit);
            const long before = allocations;
            for (int i = 0; i < 100; ++i) {
                slot.Evaluate();
            }
            EXPECT_EQ(allocations - before, 0);
        }
    }
}

TEST(Allocation, CompilingAgainReusesStorage) {
    auto vexa = vexa::makeVexa();
    vexa::Expression& slot = vexa->Expressions().Add(u"Ex1", u"", u"");
    for (const std::u16string_view text : texts) {
        slot.setText(text);
        slot.Compile();
    }
    const long before = allocations;
    for (const std::u16string_view text : texts) {
        slot.setText(text);
        slot.Compile();
        slot.Evaluate();
    }
    EXPECT_EQ(allocations - before, 0);
}

// A fresh slot's first compile sizes the program, the constant pool, the machine's steps and
// its stack, plus the literal buffer for a number longer than a short string holds.
TEST(Allocation, FirstCompileAllocatesAFewTimes) {
    for (const std::u16string_view text : texts) {
        auto vexa = vexa::makeVexa();
        vexa::Expression& slot = vexa->Expressions().Add(u"Ex1", u"", u"");
        slot.setText(text);
        const long before = allocations;
        slot.Compile();
        EXPECT_LE(allocations - before, 5) << std::string(text.begin(), text.end());
    }
}

// However long the text, a first compile costs a handful of allocations (program, constant
// pool, literal buffer, stack), not one per operation.
TEST(Allocation, FirstCompileOfALongTextAllocatesAFewTimes) {
    std::u16string text = u"1";
    while (text.size() + 4 <= 32767) {
        text += u"+1.5";
    }
    auto vexa = vexa::makeVexa();
    vexa::Expression& slot = vexa->Expressions().Add(u"Ex1", u"", u"");
    slot.setText(text);
    const long before = allocations;
    slot.Compile();
    EXPECT_LE(allocations - before, 5);
    EXPECT_EQ(slot.Evaluate(), 1 + 1.5 * ((32767 - 1) / 4));
}

} // namespace
