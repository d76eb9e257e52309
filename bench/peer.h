// The peers our evaluator is measured against: muparser, which computes in doubles and is set
// up to read the same texts, and Qalculate's library, which also computes beyond doubles.
#pragma once

#include <memory>
#include <string>

namespace mu {
class Parser;
}

namespace bench {

// A parser that knows pi, e and every function of our table by the same name and meaning,
// and takes a blank between a function's name and its '(' ('pow (12,3)') as we do.
std::unique_ptr<mu::Parser> makePeer(bool optimize);

// Qalculate's library as its calculator uses it: exact where it can be, in radians, at 16
// significant digits (what a double shows). The library keeps one calculator per process.
class Qalculate {
public:
    Qalculate();
    // What is timed: reading and computing the text.
    void calculate(const std::string& text);
    // Its value, approximated to a double; NaN when the library leaves the text unevaluated.
    double value(const std::string& text);
};

} // namespace bench
