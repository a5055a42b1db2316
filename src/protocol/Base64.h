#pragma once
// RFC 4648 Base64: standard alphabet, "=" padding, no line breaks.

#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

std::string base64Encode(std::string_view bytes);

// Decoding of the padded form; nullopt for characters outside the alphabet or misplaced padding.
// Padding bits that are not zero are ignored, as RFC 4648 permits.
std::optional<std::string> base64Decode(std::string_view text);

}  // namespace pelmora
