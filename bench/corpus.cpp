#include "bench/corpus.h"

#include <stdexcept>

namespace bench {

std::string sumOfLength(std::size_t length) {
    if (length == 2) {
        throw std::invalid_argument("no sum is two characters long");
    }
    // Terms look like '+417.25', so that number parsing is measured and not just one digit.
    std::string text = "1";
    for (unsigned term = 0;; ++term) {
        const std::string number = std::to_string(100 + term * 37 % 900);
        const std::size_t termLength = 1 + number.size() + 3;
        if (length - text.size() < termLength + 2) {
            break;
        }
        text.append(1, '+').append(number).append(".25");
    }
    // At least two characters are left unless the whole sum is '1': one last term '+7...7'.
    if (const std::size_t room = length - text.size(); room > 0) {
        text.append(1, '+').append(room - 1, '7');
    }
    return text;
}

std::vector<CorpusText> corpus() {
    std::vector<CorpusText> texts;
    // Qalculate's library reads every text as muparser does but pow10, which it lacks.
    const auto add = [&](const std::string& text, std::string qalculate = {}) {
        texts.push_back({text, std::u16string(text.begin(), text.end()), text,
                         qalculate.empty() ? text : qalculate, false});
    };
    add("1+1");
    add("2*3");
    add("12.5-7.25");
    add("1+2*3");
    add("(1+2)*3");
    add("7/8");
    add("2^10");
    add("-2^2");
    add("1--2");
    add("sin(pi/4)");
    add("cos(1)");
    add("tan(0.5)");
    add("sqrt(2)");
    add("pow (12,3)");
    add("pow10(3)", "10^(3)");
    add("square(12)");
    add("cot(1)");
    add("ln(10)");
    add("log10(1000)");
    add("exp(1)");
    add("abs(-7)");
    add("asin(0.5)+acos(0.5)");
    add(" 1e-05");
    add(" 0.707106781186547");
    add("e^2");
    add("sin(pi/4)+2^3*pow(2,0.5)/sqrt(2)-log10(1e5)");

    // Pasted symbols against the same computation written in ASCII for the peer.
    const auto pasted = [&](std::string label, std::u16string text, std::string peerText) {
        texts.push_back({std::move(label), std::move(text), peerText, peerText, false});
    };
    pasted("3 \u00D7 4", u"3 \u00D7 4", "3 * 4");
    pasted("5 \u2212 2", u"5 \u2212 2", "5 - 2");
    pasted("2\u00D7\u03C0", u"2\u00D7\u03C0", "2*pi");
    pasted("\u221A2", u"\u221A2", "sqrt(2)");
    pasted("3\u00B2", u"3\u00B2", "3^2");
    pasted("1\u2009000\u2009000+1", u"1\u2009000\u2009000+1", "1000000+1");

    const std::string nested =
        "sqrt(square(sin(pi/6))+square(cos(pi/6)))*((1.5+2.25)*(3-4.75)/"
        "(5+6))^2-abs(-(2.5e-3*400)+log10(1000)-ln(e^2))+pow(2,(1+(2+(3+(4+"
        "5))))/7)-exp(atan(1)*4/pi)+cot(0.3)*tan(0.3)/(1+sqrt(16))+ln(2)*log(35)";
    const auto whole = [&](std::string label, const std::string& text, bool peerAccepts) {
        texts.push_back({std::move(label), std::u16string(text.begin(), text.end()),
                         peerAccepts ? text : std::string(), text, false});
    };
    whole("nested, " + std::to_string(nested.size()) + " chars", nested, true);
    whole("sum, 19,999 chars", sumOfLength(19'999), true);
    whole("sum, 32,767 chars", sumOfLength(32'767), false);
    return texts;
}

std::vector<CorpusText> exactCorpus() {
    std::vector<CorpusText> texts;
    // Qalculate's library leaves two of them unevaluated (sin(1E100 rad), and the power as a
    // product of powers), so it is not asked for those.
    const auto add = [&](const std::string& text, bool qalculateComputes = true) {
        texts.push_back({text, std::u16string(text.begin(), text.end()), text,
                         qalculateComputes ? text : std::string(), true});
    };
    add("0.1*3-0.3");
    add("1e16+1-1e16");
    add("exp(100)+42-exp(100)");
    add("sqrt(2)^2-2");
    add("sqrt(0.3-0.1*3)");
    add("(1+1e-15)^1e15", false);
    add("ln(0.9999999999999993)");
    add("10^-400*10^400");
    add("log(exp(1000))");
    add("9007199254740993-9007199254740992");
    add("sin(10^100)", false);
    add("sin(pi)");
    add("cos(2*atan(1))");
    return texts;
}

std::vector<CorpusText> functionsCorpus() {
    std::vector<CorpusText> texts;
    const auto add = [&](const std::string& text, std::string peer = {},
                         std::string qalculate = {}) {
        const std::string forPeer = peer.empty() ? text : peer;
        texts.push_back({text, std::u16string(text.begin(), text.end()), forPeer,
                         qalculate.empty() ? forPeer : qalculate, false, 1e-15});
    };
    add("5!");
    add("0.5!", "", "gamma(1.5)");
    add("gamma(0.5)");
    add("sinh(1)");
    add("cosh(1)");
    add("tanh(0.5)");
    add("asinh(1)");
    add("acosh(2)");
    add("atanh(0.5)");
    add("cbrt(-27)");
    add("root(-32, 5)");
    add("floor(2.5)");
    add("round(-2.5)");
    add("frac(2.75)");
    add("sgn(-3)");
    add("mod(-7, 3)");
    add("gcd(12, 18)");
    add("ncr(60, 30)", "", "comb(60, 30)");
    add("log2(8)");
    add("logbase(8, 2)", "", "log(8, 2)");
    add("atan2(1, 2)");
    add("2pi", "2*pi");
    add("3(4+5)", "3*(4+5)");
    add("(1+2)(3+4)", "(1+2)*(3+4)");
    add("2sqrt(2)", "2*sqrt(2)");
    return texts;
}

} // namespace bench
