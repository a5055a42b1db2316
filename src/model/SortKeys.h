#pragma once
// Three-way comparison of two records by the key of a sort column code.

#include <optional>

#include "model/CameraRecord.h"

namespace pelmora {

// Negative, zero or positive as `a`'s key is below, equal to or above `b`'s; keys compare as
// unsigned bytes. nullopt for a code that has no key.
using KeyCompare = int (*)(const CameraRecord& a, const CameraRecord& b);
std::optional<KeyCompare> sortKeyFor(int code);

}  // namespace pelmora
