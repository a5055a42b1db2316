#pragma once
// A camera's MAC address as people and files write it. Cameras report it, and match requests
// to themselves, as upper-case hex pairs joined by ":"; the same address typed in lower case or
// with "-" is the same camera.

#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

// Six two-digit hex pairs, joined all by ":" or all by "-", in either case, as upper-case
// pairs joined by ":" ("02:50:4D:00:00:01"); nothing for any other text.
std::optional<std::string> canonicalMac(std::string_view text);

}  // namespace pelmora
