// The result text the calculator shows for a value.
#pragma once

#include <string>

namespace vexa {

// 15 significant digits in the C locale ("%.15g"), a leading blank for non-negative values
// (negative zero included). Where 15 digits would not read back as a finite number, the
// shortest text that reads back exactly. The value must be finite.
std::string formatResult(double value);
std::u16string formatResultU16(double value);

} // namespace vexa
