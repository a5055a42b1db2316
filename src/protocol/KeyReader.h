#pragma once
// Reading values out of a received datagram. Keys are found by plain substring search over the
// whole text, so a short key can match inside a longer one ("DNS1:" inside "PPPOEDNS1:"); cameras
// in the field are read this way and some may depend on it.

#include <cstdint>
#include <optional>
#include <string_view>

#include "protocol/Ipv4.h"

namespace pelmora {

// The value of the first occurrence of `key` (colon included): from the byte after the colon up
// to the next field terminator. No terminator after it gives an empty value. Absent key: nullopt.
std::optional<std::string_view> readKey(std::string_view text, std::string_view key);

// Leading-decimal conversion: leading white space skipped, an optional sign, then digits up to
// the first non-digit. No digits gives 0; values beyond 32 bits saturate.
std::int32_t leadingDecimal(std::string_view text);

// A dotted address: four parts separated by ".", each read with leadingDecimal and cut to its
// low 8 bits; missing parts read as 0 ("10.0.0" is 10.0.0.0).
Ipv4 readDottedAddress(std::string_view value);

}  // namespace pelmora
