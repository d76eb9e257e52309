// Our evaluator against an independent one (muparser) on random well-formed texts: numbers in
// every notation, the four operators, powers, parentheses and the functions both engines know.
// Each text is generated as a tree and written out twice, once in each grammar: for ours with
// as few parentheses as our grammar needs (plus some to spare, blanks and any letter case), for
// muparser fully parenthesised, since the two differ on signs ('--2' is an error there) and on
// how '^' binds. This catches faults of reading and precedence; the values are exact in ours
// and rounded at every step in muparser, so they are compared only where a double evaluation
// is well-conditioned: where a first-order bound on muparser's rounding (see Reference) is
// small against the value, both must agree within it. Where it is not (an operand near a
// domain's edge, an intermediate value beyond a double's range or ours), either may fail.
#include "support.h"

#include <muParser.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <string_view>

namespace {

using vexa_test::Calculator;
using vexa_test::printable;

// The functions of both engines (not the inverse hyperbolic ones, which muparser computes from
// logarithms, losing digits near 0), with the derivative that carries a rounding error in the
// argument through to the value (see scale below). Ours spells the natural logarithm 'ln' and
// 'log'; muparser only 'ln' (its 'log' is natural too, but we do not rely on that).
struct SharedFunction {
    const char* ours;
    const char* theirs;
    double (*value)(double);
    double (*derivative)(double);
};

const SharedFunction functions[] = {
    {"sin", "sin", [](double x) { return std::sin(x); },
     [](double x) {
         return std::cos(x);
     }},
    {"cos", "cos", [](double x) { return std::cos(x); },
     [](double x) {
         return -std::sin(x);
     }},
    {"tan", "tan", [](double x) { return std::tan(x); },
     [](double x) {
         return 1 + std::tan(x) * std::tan(x);
     }},
    {"asin", "asin", [](double x) { return std::asin(x); },
     [](double x) {
         return 1 / std::sqrt(1 - x * x);
     }},
    {"acos", "acos", [](double x) { return std::acos(x); },
     [](double x) {
         return -1 / std::sqrt(1 - x * x);
     }},
    {"atan", "atan", [](double x) { return std::atan(x); },
     [](double x) {
         return 1 / (1 + x * x);
     }},
    {"ln", "ln", [](double x) { return std::log(x); },
     [](double x) {
         return 1 / x;
     }},
    {"log", "ln", [](double x) { return std::log(x); },
     [](double x) {
         return 1 / x;
     }},
    {"log10", "log10", [](double x) { return std::log10(x); },
     [](double x) {
         return 1 / (x * std::numbers::ln10);
     }},
    {"exp", "exp", [](double x) { return std::exp(x); },
     [](double x) {
         return std::exp(x);
     }},
    {"sqrt", "sqrt", [](double x) { return std::sqrt(x); },
     [](double x) {
         return 1 / (2 * std::sqrt(x));
     }},
    {"abs", "abs", [](double x) { return std::fabs(x); },
     [](double) {
         return 1.0;
     }},
    {"sinh", "sinh", [](double x) { return std::sinh(x); },
     [](double x) {
         return std::cosh(x);
     }},
    {"cosh", "cosh", [](double x) { return std::cosh(x); },
     [](double x) {
         return std::sinh(x);
     }},
    {"tanh", "tanh", [](double x) { return std::tanh(x); },
     [](double x) {
         return 1 - std::tanh(x) * std::tanh(x);
     }},
    {"log2", "log2", [](double x) { return std::log2(x); },
     [](double x) {
         return 1 / (x * std::numbers::ln2);
     }},
};

// Joins texts without the temporaries of '"(" + text', which g++ 12 at -O3 wrongly warns about.
template <typename... Parts> std::string join(const Parts&... parts) {
    std::string text;
    (text.append(parts), ...);
    return text;
}

enum class Kind { Number, Pi, E, Negate, Add, Subtract, Multiply, Divide, Power, PowCall, Call };

struct Node {
    Kind kind = Kind::Number;
    std::string literal; // a Number's text, the same in both grammars
    const SharedFunction* function = nullptr;
    std::unique_ptr<Node> left; // the operand of Negate and Call
    std::unique_ptr<Node> right;
};

// How tightly a written subexpression binds in our grammar, loosest first.
enum class Level { Sum, Product, Signed, Power, Primary };

Level levelOf(const Node& node) {
    switch (node.kind) {
    case Kind::Add:
    case Kind::Subtract:
        return Level::Sum;
    case Kind::Multiply:
    case Kind::Divide:
        return Level::Product;
    case Kind::Negate:
        return Level::Signed;
    case Kind::Power:
        return Level::Power;
    default:
        return Level::Primary;
    }
}

class Generator {
public:
    explicit Generator(std::uint64_t seed) : random_(seed) {}

    std::unique_ptr<Node> tree(int depth) {
        auto node = std::make_unique<Node>();
        const int pick = depth <= 0 ? 0 : below(100);
        if (pick < 30) {
            const int leaf = below(20);
            node->kind = leaf == 0 ? Kind::Pi : leaf == 1 ? Kind::E : Kind::Number;
            if (node->kind == Kind::Number) {
                node->literal = literal();
            }
            return node;
        }
        if (pick < 40) {
            node->kind = Kind::Negate;
        } else if (pick < 52) {
            node->kind = Kind::Add;
        } else if (pick < 64) {
            node->kind = Kind::Subtract;
        } else if (pick < 74) {
            node->kind = Kind::Multiply;
        } else if (pick < 84) {
            node->kind = Kind::Divide;
        } else if (pick < 88) {
            node->kind = Kind::Power;
        } else if (pick < 90) {
            node->kind = Kind::PowCall;
        } else {
            node->kind = Kind::Call;
            node->function = &functions[below(std::size(functions))];
        }
        node->left = tree(depth - 1);
        if (node->kind != Kind::Negate && node->kind != Kind::Call) {
            node->right = tree(depth - 1);
        }
        return node;
    }

    // Ours: as few parentheses as the grammar needs, now and then one pair more, blanks and
    // tabs between tokens, names in any letter case.
    std::string ours(const Node& node) {
        std::string text = oursBare(node);
        if (below(12) == 0) {
            text = join("(", blank(), text, blank(), ")");
        }
        return text;
    }

    int below(std::size_t n) {
        return static_cast<int>(std::uniform_int_distribution<std::size_t>(0, n - 1)(random_));
    }

private:
    // Decimal literals in every notation: '7', '007', '5.', '.5', '3.25', '2.5E-3', '1e+21',
    // '7.e2', long mantissas that must round correctly, and magnitudes up to 1e300 so that
    // products overflow. Literals that would round to infinity or below the normal range are
    // not made: the first is an error, the second reads differently in a stream.
    std::string literal() {
        for (;;) {
            std::string digits;
            const int count = below(4) == 0 ? 1 + below(25) : 1 + below(4);
            for (int i = 0; i < count; ++i) {
                digits += static_cast<char>('0' + below(10));
            }
            std::string text;
            switch (below(5)) {
            case 0: // no point
                text = digits;
                break;
            case 1: // '5.'
                text = digits + ".";
                break;
            case 2: // '.5'
                text = "." + digits;
                break;
            default: {
                const auto at = static_cast<std::size_t>(below(digits.size() + 1));
                text = digits.substr(0, at) + "." + digits.substr(at);
                if (text == ".") {
                    text = "0.";
                }
            }
            }
            if (below(3) == 0) {
                text += below(2) == 0 ? "e" : "E";
                const int sign = below(3);
                text += sign == 0 ? "" : sign == 1 ? "+" : "-";
                text += std::to_string(below(4) == 0 ? below(301) : below(8));
            }
            double value = 0;
            const auto read = std::from_chars(text.data(), text.data() + text.size(), value);
            if (read.ec == std::errc{} && (value == 0 || std::fabs(value) >= 1e-300)) {
                return text;
            }
        }
    }

    std::string blank() {
        const int pick = below(20);
        return pick == 0 ? " " : pick == 1 ? "\t" : "";
    }

    std::string anyCase(std::string name) {
        if (below(4) == 0) {
            for (char& c : name) {
                if (c >= 'a' && c <= 'z' && below(2) == 0) {
                    c = static_cast<char>(c - 'a' + 'A');
                }
            }
        }
        return name;
    }

    // The operand written bare when it binds at least as tightly as needed, else in parentheses.
    std::string operand(const Node& node, Level needed) {
        if (levelOf(node) >= needed) {
            return ours(node);
        }
        return join("(", blank(), ours(node), blank(), ")");
    }

    // A number, a constant, a call or a group followed by a constant, a call or a group. Not
    // a number before the constant e, which reads as a mistyped exponent.
    static bool multipliesSideBySide(const Node& left, const std::string& leftText,
                                     const Node& right, const std::string& rightText) {
        // One pair of parentheses around the whole text.
        const auto grouped = [](const std::string& text) {
            int depth = 0;
            for (std::size_t i = 0; i < text.size(); ++i) {
                depth += text[i] == '(' ? 1 : text[i] == ')' ? -1 : 0;
                if (depth == 0) {
                    return i + 1 == text.size() && text.front() == '(';
                }
            }
            return false;
        };
        const auto atomic = [&](const Node& node, const std::string& text) {
            return node.kind == Kind::Number || node.kind == Kind::Pi || node.kind == Kind::E ||
                   node.kind == Kind::Call || node.kind == Kind::PowCall || grouped(text);
        };
        const bool startsWithName =
            std::isalpha(static_cast<unsigned char>(rightText.front())) != 0;
        const bool constantE =
            (rightText.front() == 'e' || rightText.front() == 'E') &&
            (rightText.size() == 1 || std::isalpha(static_cast<unsigned char>(rightText[1])) == 0);
        return atomic(left, leftText) && (startsWithName || rightText.front() == '(') &&
               right.kind != Kind::Number && right.kind != Kind::Negate &&
               !(left.kind == Kind::Number && constantE);
    }

    std::string oursBare(const Node& node) {
        const auto binary = [&](const char* op, Level leftNeeds, Level rightNeeds) {
            return join(operand(*node.left, leftNeeds), blank(), op, blank(),
                        operand(*node.right, rightNeeds));
        };
        switch (node.kind) {
        case Kind::Number:
            return node.literal;
        case Kind::Pi:
            return anyCase("pi");
        case Kind::E:
            return anyCase("e");
        case Kind::Negate:
            // unary = { sign } power: '--2', '-2^2' (the sign applies to the power).
            return join("-", blank(), operand(*node.left, Level::Signed));
        case Kind::Add:
            return binary("+", Level::Sum, Level::Product);
        case Kind::Subtract:
            return binary("-", Level::Sum, Level::Product);
        case Kind::Multiply: {
            // Now and then written side by side, where that multiplies: '2pi', '3(4+5)'.
            const std::string left = operand(*node.left, Level::Product);
            const std::string right = operand(*node.right, Level::Signed);
            if (below(4) == 0 && multipliesSideBySide(*node.left, left, *node.right, right)) {
                // A blank at least between two names, which would otherwise be one: 'pi e'.
                const bool names = std::isalpha(static_cast<unsigned char>(left.back())) != 0;
                return join(left, names ? " " : blank(), right);
            }
            return join(left, blank(), "*", blank(), right);
        }
        case Kind::Divide:
            return binary("/", Level::Product, Level::Signed);
        case Kind::Power:
            // power = primary [ "^" unary ]: '2^-3', '2^3^2' = 2^(3^2), but '(-2)^2'.
            return binary("^", Level::Primary, Level::Signed);
        case Kind::PowCall:
            return join(anyCase("pow"), blank(), "(", ours(*node.left), blank(), ",", blank(),
                        ours(*node.right), ")");
        case Kind::Call:
            return join(anyCase(node.function->ours), blank(), "(", blank(), ours(*node.left), ")");
        }
        return {};
    }

    std::mt19937_64 random_;
};

// muparser's text: every operation in parentheses and wrapped in check(), which sees each
// intermediate value. An infinity can vanish on the way up (1/(1e300*1e300) is 0 there),
// while ours fails at the operation that overflowed, so it is every intermediate value that
// must be finite, not just the last. check() is not folded away, so it sees muparser's own
// values. Its constant pi is not the double nearest pi in the packaged version, so pi is
// written as that double's digits.
std::string theirs(const Node& node) {
    const auto checked = [](const std::string& inner) {
        return join("check(", inner, ")");
    };
    switch (node.kind) {
    case Kind::Number:
        return node.literal;
    case Kind::Pi:
        return "3.141592653589793116";
    case Kind::E:
        return "_e";
    case Kind::Negate:
        return checked(join("(-", theirs(*node.left), ")"));
    case Kind::Add:
        return checked(join("(", theirs(*node.left), "+", theirs(*node.right), ")"));
    case Kind::Subtract:
        return checked(join("(", theirs(*node.left), "-", theirs(*node.right), ")"));
    case Kind::Multiply:
        return checked(join("(", theirs(*node.left), "*", theirs(*node.right), ")"));
    case Kind::Divide:
        return checked(join("(", theirs(*node.left), "/", theirs(*node.right), ")"));
    case Kind::Power:
    case Kind::PowCall:
        return checked(join("(", theirs(*node.left), "^", theirs(*node.right), ")"));
    case Kind::Call:
        return checked(join(node.function->theirs, "(", theirs(*node.left), ")"));
    }
    return {};
}

// A value computed directly in C++ and the scale of the rounding error it may carry.
//
// A plain relative tolerance is unsound where terms cancel: in 1e17 + 3 - 1e17 each engine
// may round the sum differently if it groups the operations differently, and the difference
// 4 or 0 is then 100% of the result. Every operation's rounding error is relative to its own
// result, so the bound is carried through the tree to first order: the scale of a leaf is its
// magnitude, a sum adds its operands' scales, a product weighs each operand's scale by the
// other operand, a function multiplies its argument's scale by its derivative, and every
// operation adds the magnitude of its own result. Two engines that each round every operation
// to within 1e-12 of its result then agree within 1e-12 times the scale of the whole tree;
// for a text without cancellation or ill-conditioned functions the scale is a small multiple
// of the result, and the test is the plain relative one.
struct Reference {
    double value;
    double scale;
    // The tree raises a negative base to a non-integer power: muparser's NaN there may be a
    // real odd root of ours, (-8)^(1/3) = -2.
    bool negativeRoot = false;
    // An operand lies within muparser's rounding of a domain's edge (a divisor near 0, the
    // argument of sqrt or ln near 0, of asin near 1, a cosine near 0 under tan, an exponent
    // near a whole number under a negative base, a result near the largest double): the
    // exact value may lie on either side, so either engine may fail there, and near a pole
    // a first-order bound does not hold.
    bool nearEdge = false;
    // Some value on the way is beyond the magnitudes ours computes with (2^+-2^30), or a
    // trigonometric argument is too large for its precision limit: ours may not compute it.
    bool beyondOurs = false;
    // A function, power or divisor took an operand whose bound is too wide for a first-order
    // bound to hold (sin of 1e20, whose rounding alone is more than a turn): the values are
    // not compared.
    bool wild = false;
};

// Whether an operand of a nonlinear operation is known to within a thousandth of itself.
bool wide(const Reference& operand) {
    return !(1e-12 * operand.scale <= 1e-3 * std::max(std::fabs(operand.value), 1.0));
}

// Near an edge: within a millionth of the rounding bound of it.
bool near(double value, double edge, double scale) {
    return std::fabs(value - edge) <= 1e-6 * scale;
}

Reference reference(const Node& node) {
    if (node.kind == Kind::Number) {
        double value = 0;
        std::from_chars(node.literal.data(), node.literal.data() + node.literal.size(), value);
        return {value, std::fabs(value)};
    }
    if (node.kind == Kind::Pi || node.kind == Kind::E) {
        const double value = node.kind == Kind::Pi ? std::numbers::pi : std::numbers::e;
        return {value, value};
    }
    const Reference a = reference(*node.left);
    if (node.kind == Kind::Negate) {
        Reference negated = a;
        negated.value = -a.value;
        return negated;
    }
    Reference result;
    if (node.kind == Kind::Call) {
        const double value = node.function->value(a.value);
        result = {
            value,
            std::fabs(node.function->derivative(a.value)) * a.scale + std::fabs(value),
            a.negativeRoot,
            a.nearEdge,
            a.beyondOurs,
            a.wild || wide(a) ||
                (value == 0 && a.value != 0 && node.function->ours == std::string_view("exp"))};
        const std::string_view name = node.function->ours;
        result.nearEdge = result.nearEdge ||
                          ((name == "sqrt" || name == "ln" || name == "log" || name == "log10") &&
                           near(a.value, 0, a.scale)) ||
                          ((name == "asin" || name == "acos") &&
                           (near(a.value, 1, a.scale) || near(a.value, -1, a.scale))) ||
                          (name == "tan" && near(std::cos(a.value), 0, a.scale));
        result.beyondOurs =
            result.beyondOurs ||
            ((name == "sin" || name == "cos" || name == "tan") && !(std::fabs(a.value) < 1e300));
    } else {
        const Reference b = reference(*node.right);
        double value = 0;
        double carried = 0;
        bool edge = false;
        // log2 of the value's magnitude, which a double holds where the value itself would not
        double magnitude = 0;
        switch (node.kind) {
        case Kind::Add:
            value = a.value + b.value;
            carried = a.scale + b.scale;
            break;
        case Kind::Subtract:
            value = a.value - b.value;
            carried = a.scale + b.scale;
            break;
        case Kind::Multiply:
            value = a.value * b.value;
            carried = a.scale * std::fabs(b.value) + std::fabs(a.value) * b.scale;
            break;
        case Kind::Divide:
            value = a.value / b.value;
            carried = (a.scale + std::fabs(value) * b.scale) / std::fabs(b.value);
            edge = near(b.value, 0, b.scale);
            break;
        default: // both powers: d(a^b) = b a^(b-1) da + a^b ln|a| db
            value = std::pow(a.value, b.value);
            carried =
                (a.scale == 0 ? 0 : std::fabs(b.value * value / a.value) * a.scale) +
                (b.scale == 0 ? 0 : std::fabs(value * std::log(std::fabs(a.value))) * b.scale);
            edge = near(a.value, 0, a.scale) ||
                   (a.value < 0 && near(b.value, std::nearbyint(b.value), b.scale));
            magnitude = b.value * std::log2(std::fabs(a.value));
            break;
        }
        const bool root = (node.kind == Kind::Power || node.kind == Kind::PowCall) && a.value < 0 &&
                          std::trunc(b.value) != b.value;
        const bool nonlinear =
            node.kind != Kind::Add && node.kind != Kind::Subtract && node.kind != Kind::Multiply;
        // A product, quotient or power of nonzero values that is 0 has underflowed; a power
        // that amplifies its operands' rounding beyond a thousandth of itself is no longer
        // first-order.
        const bool underflow = value == 0 && a.value != 0 && b.value != 0;
        const bool amplified = node.kind != Kind::Add && node.kind != Kind::Subtract &&
                               !(1e-12 * (carried + std::fabs(value)) <= 1e-3 * std::fabs(value));
        result = {value,
                  carried + std::fabs(value),
                  a.negativeRoot || b.negativeRoot || root,
                  a.nearEdge || b.nearEdge || edge,
                  a.beyondOurs || b.beyondOurs || std::fabs(magnitude) > 0x1p29,
                  a.wild || b.wild || underflow || amplified ||
                      (nonlinear && (wide(b) || (node.kind != Kind::Divide && wide(a))))};
    }
    result.nearEdge = result.nearEdge || !(std::fabs(result.value) + 1e-6 * result.scale < DBL_MAX);
    // Below the normal range a double's rounding is absolute, not relative.
    result.wild = result.wild || (result.value != 0 && std::fabs(result.value) < DBL_MIN);
    return result;
}

// muparser with check(): it records whether any value it was given was not finite.
class Theirs {
public:
    Theirs() { parser_.DefineFunUserData("check", &Theirs::check, &sawNonFinite_, false); }

    struct Result {
        double value;
        bool nonFinite; // the value or an intermediate one is infinite or NaN
    };
    Result compute(const std::string& text) {
        sawNonFinite_ = false;
        parser_.SetExpr(text);
        const double value = parser_.Eval();
        return {value, sawNonFinite_ || !std::isfinite(value)};
    }

private:
    static double check(void* seen, double value) {
        if (!std::isfinite(value)) {
            *static_cast<bool*>(seen) = true;
        }
        return value;
    }
    mu::Parser parser_;
    bool sawNonFinite_ = false;
};

TEST(Differential, AgreesWithMuparser) {
    constexpr std::uint64_t seed = 20250101;
    constexpr int texts = 100000;
    Generator generator(seed);
    Calculator calculator;
    Theirs muparser;

    int agreed = 0;
    int identical = 0;
    int failed = 0;
    int beyondDoubles = 0;
    int unbounded = 0;
    for (int i = 0; i < texts; ++i) {
        const auto tree = generator.tree(1 + generator.below(6));
        const std::string ours = generator.ours(*tree);
        const std::string theirs = ::theirs(*tree);
        const std::u16string ours16(ours.begin(), ours.end());
        SCOPED_TRACE("seed " + std::to_string(seed) + ", text " + std::to_string(i) + ": ours " +
                     printable(ours16) + ", muparser '" + theirs + "'");

        Theirs::Result expected{};
        try {
            expected = muparser.compute(theirs);
        } catch (const mu::Parser::exception_type& error) {
            FAIL() << "muparser rejects the text: " << error.GetMsg();
        }
        const Reference bound = reference(*tree);
        const auto computed = calculator.compute(ours16);
        if (!computed.ok) {
            // A well-formed text fails only while computing (codes 21 and up), and only where
            // muparser meets a value that is not finite, or the double evaluation is not
            // well-conditioned enough to tell.
            ASSERT_GE(computed.error.Number, 21) << printable(computed.error.Description);
            ASSERT_TRUE(expected.nonFinite || bound.nearEdge || bound.beyondOurs || bound.wild)
                << "ours fails (" << printable(computed.error.Description) << " at "
                << computed.error.Position << "), muparser gives " << expected.value;
            ++failed;
            continue;
        }
        if (expected.nonFinite) {
            // Beyond a double's range on the way (1e300*1e300/1e300), at an edge, or a real
            // odd root: ours computes what muparser cannot.
            ++beyondDoubles;
            continue;
        }
        if (!std::isfinite(bound.scale) || bound.wild || bound.nearEdge) {
            ++unbounded; // at a singularity of a derivative: any difference is within reach
            continue;
        }
        ASSERT_LE(std::fabs(computed.value - expected.value), 1e-12 * bound.scale)
            << "ours " << computed.value << ", muparser " << expected.value;
        ++agreed;
        identical += computed.value == expected.value;
    }
    std::printf("%d texts: %d agreed (%d identical), %d failed in ours, %d beyond doubles, "
                "%d not bounded to first order\n",
                texts, agreed, identical, failed, beyondDoubles, unbounded);
    // The generator must keep producing both kinds of text, or the test proves little.
    EXPECT_GT(agreed, texts / 2);
    EXPECT_GT(failed, texts / 20);
}

} // namespace
