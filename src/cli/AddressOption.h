#pragma once
// IPv4 addresses on the command line, read strictly as "A.B.C.D".

#include <CLI/CLI.hpp>
#include <optional>
#include <string_view>

#include "protocol/Ipv4.h"

namespace pelmora {

// "A.B.C.D": four decimal parts of one to three digits, each 0 to 255, as an address field
// holds them. Anything else (a missing or extra part, a sign, blanks) is no address, because a
// loose reading would send an address the user did not mean.
std::optional<Ipv4> parseAddress(std::string_view text);

// Refuses, as a usage error, an option value that `parseAddress` does not read.
CLI::Validator addressValidator();

}  // namespace pelmora
