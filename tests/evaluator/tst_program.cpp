// The inside of the engine: token spans, the compiled program and its stack size.
#include "support.h"

#include "evaluator/compiler.h"
#include "evaluator/program.h"
#include "evaluator/tokenizer.h"

#include <gtest/gtest.h>
#include <span>

namespace {

using vexa::TokenKind;
using vexa_test::printable;

// Tokens as "kind@start+length", separated by blanks, End included.
std::string tokens(std::u16string_view text) {
    static constexpr const char* names[] = {"num", "name", "+", "-",   "*",   "/",   "^",    "(",
                                            ")",   ",",    "!", "end", "bad", "dot", "root", "sup"};
    vexa::Tokenizer tokenizer(text);
    std::string out;
    for (;;) {
        const vexa::Token token = tokenizer.next();
        out += names[static_cast<int>(token.kind)];
        out += '@' + std::to_string(token.start) + '+' + std::to_string(token.length);
        if (token.kind == TokenKind::End) {
            return out;
        }
        out += ' ';
    }
}

struct Tokens {
    std::u16string_view text;
    const char* tokens;
};

constexpr Tokens tokenRows[] = {
    {u"", "end@0+0"},
    {u"  \t", "end@3+0"},
    {u" 12.5e-3*x1 ", "num@1+7 *@8+1 name@9+2 end@12+0"},
    {u"5.+.5", "num@0+2 +@2+1 num@3+2 end@5+0"},
    {u"2e", "num@0+1 name@1+1 end@2+0"},
    {u"2e+", "num@0+1 name@1+1 +@2+1 end@3+0"},
    {u"2E-7e", "num@0+4 name@4+1 end@5+0"},
    {u"1.2.3", "num@0+3 dot@3+1 num@4+1 end@5+0"},
    {u"1 .5", "num@0+1 num@2+2 end@4+0"},
    {u".", "dot@0+1 end@1+0"},
    {u"pow (2,3)", "name@0+3 (@4+1 num@5+1 ,@6+1 num@7+1 )@8+1 end@9+0"},
    {u"-+*/^", "-@0+1 +@1+1 *@2+1 /@3+1 ^@4+1 end@5+0"},
    {u"1\u00A0\U0001F600", "num@0+1 bad@2+2 end@4+0"},
    {u"\xDC00\xD800", "bad@0+1 bad@1+1 end@2+0"},
    {u"1\u2009000\u2009\u20090", "num@0+5 num@7+1 end@8+0"},
    {u"1\u2009+\u00A02\u00A0", "num@0+1 +@2+1 num@4+1 end@6+0"},
    {u"\uFF11\uFF0E\uFF15e\u22123", "num@0+6 end@6+0"},
    {u"\u221A2\u00B2", "root@0+1 num@1+1 sup@2+1 end@3+0"},
    {u"2\u207B\u00B9\u00B2\u207B", "num@0+1 sup@1+3 bad@4+1 end@5+0"},
    {u"\u03C0\u03C0pi\uFF50\uFF49", "name@0+1 name@1+1 name@2+4 end@6+0"},
    {u"3\u00D74\u00F72\u22121", "num@0+1 *@1+1 num@2+1 /@3+1 num@4+1 -@5+1 num@6+1 end@7+0"},
};

TEST(Program, TokensAreSpansOfTheText) {
    for (const Tokens& row : tokenRows) {
        SCOPED_TRACE(printable(row.text));
        EXPECT_EQ(tokens(row.text), row.tokens);
    }
}

struct Compiled {
    std::u16string_view text;
    const char* dump;
    std::size_t stackSize;
};

// The dump shows the shape the grammar gave the text, with each operation's column span.
constexpr Compiled programs[] = {
    {u"1+2*3", "const 1 @1\nconst 2 @3\nconst 3 @5\nmul @4\nadd @2\n", 3},
    {u"1-2-3", "const 1 @1\nconst 2 @3\nsub @2\nconst 3 @5\nsub @4\n", 2},
    {u"-2^2", "const 2 @2\nconst 2 @4\npow @3\nneg @1\n", 2},
    {u"2^3^2", "const 2 @1\nconst 3 @3\nconst 2 @5\npow @4\npow @2\n", 3},
    {u"2^-3^2", "const 2 @1\nconst 3 @4\nconst 2 @6\npow @5\nneg @3\npow @2\n", 3},
    {u"--2", "const 2 @3\n", 1},
    {u"- + -  - 2", "const 2 @10\nneg @1-8\n", 1},
    {u"pow (2,3)", "const 2 @6\nconst 3 @8\ncall pow @1-3\n", 2},
    {u"SQRT(pi)", "const pi @6-7\ncall sqrt @1-4\n", 1},
    {u"0.25+1e5000", "const 1/4 @1-4\nconst 1*10^5000 @6-11\nadd @5\n", 2},
    {u"(1+2)*(3+4)",
     "const 1 @2\nconst 2 @4\nadd @3\nconst 3 @8\nconst 4 @10\nadd @9\n"
     "mul @6\n",
     3},
};

// Folding leaves one exact value for what is rational, cannot fail and does not read the unit;
// what fails, what is irrational and what is too large to hold exactly stay for evaluation; a
// known operand rides in the step that takes it.
constexpr Compiled folded[] = {
    {u"(1+2)*(3+4)", "value 21\n", 0},
    {u"-2^2", "value -4\n", 0},
    {u"0.1*3-0.3", "value 0\n", 0},
    {u"1/3+1/6+0.25e-1", "value 21/40\n", 0},
    {u"sqrt(9/4)-(-8)^(1/3)+log10(1e-5)", "value -3/2\n", 0},
    {u"pi*0.5+1/pi", "const pi @1-2\nmul 1/2 @3\nconst pi @10-11\nrdiv 1 @9\nadd @7\n", 2},
    {u"2^0.5*7^5000", "const 2 @1\npow 1/2 @2\nconst 7 @7\npow 5000 @8\nmul @6\n", 2},
    {u"3\u00B2", "value 9\n", 0},
    {u"1/0+2*3", "const 1 @1\ndiv 0 @2\nadd 6 @4\n", 1},
    {u"\u221A-4+\u221A4", "call sqrt -4 @1\nadd 2 @4\n", 1},
    {u"sin(-\u03C0/4)", "const pi @6\nneg @5\ndiv 4 @7\ncall sin @1-3\n", 1},
    {u"2^sin(1)-cos(0)", "call sin 1 @3-5\nrpow 2 @2\ncall cos 0 @10-12\nsub @9\n", 2},
    {u"2pi", "const pi @2-3\nmul 2 @2\n", 1}, // an implied product, at its right operand
    {u"3!+gcd(12, 18)+ncr(5, 2)", "value 22\n", 0},
    {u"0.5!", "call ! 1/2 @4\n", 1},
    {u"mod(7,pi)", "const pi @7-8\nrcall mod 7 @1-3\n", 1},
    {u"pow(2,tan(1))/0", "call tan 1 @7-9\nrpow 2 @1-3\ndiv 0 @14\n", 1},
};

void expectDumps(std::span<const Compiled> rows, bool fold) {
    vexa::Compiler compiler;
    vexa::Program program;
    for (const Compiled& row : rows) {
        SCOPED_TRACE(printable(row.text));
        compiler.compile(row.text, program, fold);
        EXPECT_EQ(program.dump(), row.dump);
        EXPECT_EQ(program.stackSize(), row.stackSize);
    }
}

TEST(Program, DumpShowsShapeAndSpans) {
    expectDumps(programs, false);
}
TEST(Program, FoldingKeepsWhatFailsAndWhatNeedsTheUnit) {
    expectDumps(folded, true);
}

TEST(Program, RecompilingReplacesTheProgram) {
    vexa::Compiler compiler;
    vexa::Program program;
    compiler.compile(u"1+2+3+4", program, false);
    compiler.compile(u"5", program, false);
    EXPECT_EQ(program.dump(), "const 5 @1\n");
    EXPECT_EQ(program.stackSize(), 1u);
}

} // namespace
