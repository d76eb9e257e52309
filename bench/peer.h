// muparser, set up to read the same texts as our evaluator and to give the same values.
#pragma once

#include <memory>

namespace mu {
class Parser;
}

namespace bench {

// A parser that knows pi, e and every function of our table by the same name and meaning,
// and takes a blank between a function's name and its '(' ('pow (12,3)') as we do.
std::unique_ptr<mu::Parser> makePeer(bool optimize);

} // namespace bench
