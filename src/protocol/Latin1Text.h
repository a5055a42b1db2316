#pragma once
// Text that travels to a camera, from a program's arguments. Arguments arrive in the locale's
// encoding; a camera's fields are 8-bit text, one byte per character (ISO 8859-1, "Latin-1"),
// and the window sends the same characters as those bytes, so the command-line programs convert
// to them before any check counts a length. The "C" and "POSIX" locales promise nothing beyond
// ASCII: there the bytes are read as UTF-8, the encoding terminals and scripts use today.

#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

// The Latin-1 bytes of `text`; nothing, with the reason in `error`, when it holds a character
// past U+00FF or bytes that are not text in the locale's encoding. Reads LC_CTYPE as set by
// setlocale.
std::optional<std::string> latin1FromLocale(std::string_view text, std::string* error = nullptr);

}  // namespace pelmora
