#include "bench/peer.h"

#include <libqalculate/qalculate.h>
#include <muParser.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <numeric>
#include <string>

namespace bench {
namespace {

using Unary = double (*)(double);

struct PeerFunction {
    const char* name;
    Unary apply;
    bool builtIn; // the peer already has it under this name, with this meaning
};

// Our functions, computed as our evaluator computes them in radians, so values match exactly.
const PeerFunction peerFunctions[] = {
    {"sin", [](double x) { return std::sin(x); }, true},
    {"cos", [](double x) { return std::cos(x); }, true},
    {"tan", [](double x) { return std::tan(x); }, true},
    {"cot", [](double x) { return std::cos(x) / std::sin(x); }, false},
    {"asin", [](double x) { return std::asin(x); }, true},
    {"acos", [](double x) { return std::acos(x); }, true},
    {"atan", [](double x) { return std::atan(x); }, true},
    {"log", [](double x) { return std::log(x); }, true},
    {"ln", [](double x) { return std::log(x); }, true},
    {"log10", [](double x) { return std::log10(x); }, true},
    {"exp", [](double x) { return std::exp(x); }, true},
    {"pow10", [](double x) { return std::pow(10.0, x); }, false},
    {"sqrt", [](double x) { return std::sqrt(x); }, true},
    {"square", [](double x) { return x * x; }, false},
    {"abs", [](double x) { return std::fabs(x); }, true},
    {"sinh", [](double x) { return std::sinh(x); }, true},
    {"cosh", [](double x) { return std::cosh(x); }, true},
    {"tanh", [](double x) { return std::tanh(x); }, true},
    {"asinh", [](double x) { return std::asinh(x); }, false},
    {"acosh", [](double x) { return std::acosh(x); }, false},
    {"atanh", [](double x) { return std::atanh(x); }, false},
    {"log2", [](double x) { return std::log2(x); }, true},
    {"gamma", [](double x) { return std::tgamma(x); }, false},
    {"cbrt", [](double x) { return std::cbrt(x); }, false},
    {"floor", [](double x) { return std::floor(x); }, false},
    {"ceil", [](double x) { return std::ceil(x); }, false},
    {"trunc", [](double x) { return std::trunc(x); }, false},
    {"round", [](double x) { return std::round(x); }, false},
    {"frac", [](double x) { return x - std::trunc(x); }, false},
    {"sgn", [](double x) { return x > 0   ? 1.0
                                  : x < 0 ? -1.0
                                          : 0.0; }, false},
};

using Binary = double (*)(double, double);

// The functions of two arguments, in doubles as a double-precision calculator has them.
struct PeerBinary {
    const char* name;
    Binary apply;
};

double choose(double n, double k) {
    double result = 1;
    for (double i = 1; i <= k; ++i) {
        result = result * (n - k + i) / i;
    }
    return std::round(result);
}

const PeerBinary peerBinaries[] = {
    {"root",
     [](double x, double n) {
         return x < 0 ? -std::pow(-x, 1 / n) : std::pow(x, 1 / n);
     }},
    {"mod",
     [](double a, double b) {
         return a - b * std::floor(a / b);
     }},
    {"gcd",
     [](double a, double b) {
         return static_cast<double>(std::gcd(static_cast<long long>(a), static_cast<long long>(b)));
     }},
    {"ncr", choose},
    {"logbase",
     [](double x, double b) {
         return std::log(x) / std::log(b);
     }},
    {"atan2",
     [](double y, double x) {
         return std::atan2(y, x);
     }},
};

double power(double base, double exponent) {
    return std::pow(base, exponent);
}

} // namespace

std::unique_ptr<mu::Parser> makePeer(bool optimize) {
    auto parser = std::make_unique<mu::Parser>();
    // The peer reads a function only when '(' follows its name at once. With the blank as a
    // name character, 'pow ' is a name of its own, defined below beside 'pow'. Names never
    // start with a blank, since the peer skips blanks before every token.
    parser->DefineNameChars("0123456789_abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ ");
    for (const std::string suffix : {"", " "}) {
        for (const PeerFunction& function : peerFunctions) {
            if (!function.builtIn || !suffix.empty()) {
                parser->DefineFun(function.name + suffix, function.apply);
            }
        }
        parser->DefineFun("pow" + suffix, power);
        for (const PeerBinary& function : peerBinaries) {
            parser->DefineFun(function.name + suffix, function.apply);
        }
        parser->DefineConst("pi" + suffix, std::numbers::pi);
        parser->DefineConst("e" + suffix, std::numbers::e);
    }
    parser->DefinePostfixOprt("!", [](double x) { return std::tgamma(x + 1); });
    parser->EnableOptimizer(optimize);
    return parser;
}

Qalculate::Qalculate() {
    if (CALCULATOR == nullptr) {
        new Calculator(); // the library's own global, which it keeps
        CALCULATOR->loadGlobalDefinitions();
        CALCULATOR->setPrecision(16);
    }
}

namespace {

EvaluationOptions radians() {
    EvaluationOptions options;
    options.parse_options.angle_unit = ANGLE_UNIT_RADIANS;
    return options;
}

} // namespace

void Qalculate::calculate(const std::string& text) {
    static const EvaluationOptions options = radians();
    const MathStructure result = CALCULATOR->calculate(text, options);
    benchmark::DoNotOptimize(result.isNumber());
}

double Qalculate::value(const std::string& text) {
    EvaluationOptions options = radians();
    MathStructure result = CALCULATOR->calculate(text, options);
    options.approximation = APPROXIMATION_APPROXIMATE;
    result.eval(options);
    return result.isNumber() ? result.number().floatValue() : NAN;
}

} // namespace bench
