// Typical calculator texts, the same for our evaluator and the peer it is measured against.
#pragma once

#include <string>
#include <vector>

namespace bench {

struct CorpusText {
    std::string label;         // how the text is named in the results, in UTF-8
    std::u16string text;       // what our evaluator reads
    std::string peerText;      // the same computation in ASCII for muparser; empty when it refuses
                               // it (beyond its length limit)
    std::string qalculateText; // the same for Qalculate's library; empty when it has no value
    // A text whose exact value a double evaluation gets wrong ('0.1*3-0.3'): muparser is timed
    // on it but not compared with.
    bool beyondDoubles = false;
    // How far muparser's value may lie from ours, relative: its functions round at each step.
    double tolerance = 3e-16;
};

// Short sums, function keys, result texts read back, texts with pasted symbols, a nested text
// of about 200 characters and sums as long as muparser accepts (19,999) and as the window's
// box holds (32,767): the texts the speed goals are set on.
std::vector<CorpusText> corpus();

// Texts that rounding every operation to a double gets wrong, which exact arithmetic must
// compute quickly too.
std::vector<CorpusText> exactCorpus();

// The functions people type (factorial, hyperbolic, roots, rounding, integers) and implied
// products, each against the same shape for muparser ('3*(4+5)' for '3(4+5)').
std::vector<CorpusText> functionsCorpus();

// A sum of varied decimal terms, exactly length characters long (1, or 3 and more).
std::string sumOfLength(std::size_t length);

} // namespace bench
