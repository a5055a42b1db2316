#pragma once
// RFC 4648 Base64: standard alphabet, "=" padding, no line breaks.

#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

std::string base64Encode(std::string_view bytes);

// Strict decoding of the padded form; nullopt for anything that is not valid Base64.
std::optional<std::string> base64Decode(std::string_view text);

}  // namespace pelmora
