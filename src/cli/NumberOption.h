#pragma once
// Numbers on the command line, read whole and strictly. "nan" and "inf" are no number: every
// comparison with NaN is false, so a range check alone would let it through to the command.

#include <CLI/CLI.hpp>
#include <string>

namespace pelmora {

// A decimal number from `lowest` to `highest`. Other text ("nan", "inf", "1s", "") is refused
// with "not a number: 'TEXT'"; a number outside the range with `outOfRange`.
CLI::Validator numberValidator(double lowest, double highest, std::string outOfRange,
                               std::string typeName);

// The same for a whole number: "1.5" is refused with "must be a whole number".
CLI::Validator wholeNumberValidator(unsigned long long lowest, unsigned long long highest,
                                    std::string outOfRange, std::string typeName);

}  // namespace pelmora
