#pragma once
// Text arguments that travel to a camera, converted to the cameras' 8-bit text
// (protocol/Latin1Text.h) as they are parsed.

#include <CLI/CLI.hpp>

#include "protocol/Latin1Text.h"

namespace pelmora {

// Converts an argument in place, or refuses it as a usage error. Checks added to the same
// option run after it, on the converted bytes.
CLI::Validator latin1Argument();

}  // namespace pelmora
