#pragma once
// A camera's MAC address on the command line. A request is matched to its camera, and the
// camera's answer to the request, by the MAC text byte for byte, so the argument is brought to
// the one form cameras report before anything is sent.

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

// Six two-digit hex pairs, joined all by ":" or all by "-", in either case, as upper-case
// pairs joined by ":" ("02:50:4D:00:00:01"); nothing for any other text.
std::optional<std::string> canonicalMac(std::string_view text);

// Converts a MAC argument to that form, or refuses it as a usage error.
CLI::Validator macArgument();

}  // namespace pelmora
