#pragma once
// A camera's MAC address on the command line. A request is matched to its camera, and the
// camera's answer to the request, by the MAC text byte for byte, so the argument is brought to
// the one form cameras report before anything is sent.

#include <CLI/CLI.hpp>

#include "protocol/MacText.h"

namespace pelmora {

// Converts a MAC argument to the form canonicalMac gives, or refuses it as a usage error.
CLI::Validator macArgument();

}  // namespace pelmora
