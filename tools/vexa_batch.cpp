// vexa-batch: checks the evaluator from outside, one expression per line.
//
// Reads UTF-8 lines "UNIT<TAB>TEXT" from standard input (UNIT 0 radians, 1 degrees, 2 grads;
// TEXT runs to the end of the line and may hold further tabs) and prints one line for each:
//   ok<TAB>RESULT_TEXT                                    the result as the window shows it
//   error<TAB>NUMBER<TAB>KIND<TAB>POSITION<TAB>DESCRIPTION  the evaluator's LastError
// A line that is not "UNIT<TAB>TEXT" gets an error line with NUMBER 0 (not the evaluator's),
// KIND 1 and POSITION 0. A UNIT that is an integer other than 0, 1 or 2 is handed to the
// evaluator, which rejects it. Bytes that are not UTF-8 become U+FFFD, which the evaluator
// then reports as an unexpected character; encoded surrogates are passed through unpaired.
#include "evaluator/number_text.h"
#include "evaluator/vexa.h"

#include <charconv>
#include <cstdint>
#include <iostream>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

std::u16string fromUtf8(std::string_view bytes) {
    constexpr char16_t replacement = 0xFFFD;
    std::u16string text;
    text.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        int length = 0;
        char32_t code = 0;
        unsigned char low = 0x80; // range of the second byte, which excludes overlong forms
        unsigned char high = 0xBF;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0Fu;
            low = lead == 0xE0 ? 0xA0 : 0x80;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07u;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        bool valid = length > 0 && i + static_cast<std::size_t>(length) <= bytes.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
            valid = k == 1 ? (next >= low && next <= high) : (next >= 0x80 && next <= 0xBF);
            code = (code << 6) | (next & 0x3Fu);
        }
        if (!valid) {
            text += replacement;
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(length);
        if (code >= 0x10000) {
            code -= 0x10000;
            text += static_cast<char16_t>(0xD800 + (code >> 10));
            text += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            text += static_cast<char16_t>(code);
        }
    }
    return text;
}

std::string toUtf8(std::u16string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            bytes += static_cast<char>(code);
        } else if (code < 0x800) {
            bytes += static_cast<char>(0xC0 | (code >> 6));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            bytes += static_cast<char>(0xE0 | (code >> 12));
            bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | (code >> 18));
            bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return bytes;
}

std::string malformed(std::string_view why) {
    return "error\t0\t1\t0\tMalformed line: " + std::string(why);
}

std::string errorLine(const vexa::ErrorInfo& error) {
    return "error\t" + std::to_string(error.Number) + '\t' + std::to_string(error.Kind) + '\t' +
           std::to_string(error.Position) + '\t' + toUtf8(error.Description);
}

std::string computeLine(vexa::Vexa& vexa, vexa::Expression& slot, std::string_view line) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) {
        return malformed("expected UNIT<TAB>TEXT");
    }
    const std::string_view unitField = line.substr(0, tab);
    std::int32_t unit = 0;
    const auto parsed =
        std::from_chars(unitField.data(), unitField.data() + unitField.size(), unit);
    if (unitField.empty() || parsed.ec != std::errc{} ||
        parsed.ptr != unitField.data() + unitField.size()) {
        return malformed("UNIT must be an integer");
    }
    try {
        vexa.setAngleUnit(unit);
        slot.setText(fromUtf8(line.substr(tab + 1)));
        slot.Compile();
        return "ok\t" + vexa::formatResult(slot.Evaluate());
    } catch (const vexa::Failure&) {
        return errorLine(vexa.LastError());
    }
}

} // namespace

int main(int argc, char**) {
    if (argc > 1) {
        std::cerr << "usage: vexa-batch < lines\n"
                     "Each input line is UNIT<TAB>TEXT (UNIT 0 radians, 1 degrees, 2 grads).\n";
        return 2;
    }
#ifdef _WIN32
    // In text mode a Ctrl-Z byte would end the input and carriage returns would vanish; the
    // lines are read and written byte for byte everywhere.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::ios::sync_with_stdio(false);
    const auto vexa = vexa::makeVexa();
    vexa::Expression& slot = vexa->Expressions().Add(u"Ex1", u"", u"");
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        // Flushed per line so that a driving program can converse with it through pipes.
        std::cout << computeLine(*vexa, slot, line) << std::endl;
    }
    return std::cout ? 0 : 1;
}
