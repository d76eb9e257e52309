// Typical calculator texts, the same for our evaluator and the peer it is measured against.
#pragma once

#include <string>
#include <vector>

namespace bench {

struct CorpusText {
    std::string label;    // how the text is named in the results, in UTF-8
    std::u16string text;  // what our evaluator reads
    std::string peerText; // the same computation in ASCII for the peer; empty when the peer
                          // refuses it (beyond its length limit)
    // Our evaluator reads angles written with pi exactly, so its value may differ from the
    // peer's in the last digits.
    bool exactAngles = false;
};

// Short sums, function keys, result texts read back, texts with pasted symbols, a nested text
// of about 200 characters and sums as long as the peer accepts (19,999) and as the window's
// box holds (32,767).
std::vector<CorpusText> corpus();

// A sum of varied decimal terms, exactly length characters long (1, or 3 and more).
std::string sumOfLength(std::size_t length);

} // namespace bench
