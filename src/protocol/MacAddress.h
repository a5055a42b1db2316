#pragma once
// A camera's MAC address. Cameras report it, and match requests to themselves, as upper-case
// hex pairs joined by ":"; the same address typed or written in lower case or with "-" is the
// same camera. Everything that reads a MAC from a person or a file (the command line, plans,
// the change log, lists of cameras) reads it here, and writes it back in the cameras' form.

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

class MacAddress {
  public:
    // Six two-digit hex pairs, joined all by ":" or all by "-", in either case; nothing for any
    // other text (no blanks, no other separators, no mixed separators). The locale plays no
    // part.
    static std::optional<MacAddress> parse(std::string_view text);

    // The cameras' form: "02:50:4D:00:00:01".
    std::string text() const;

    friend auto operator<=>(const MacAddress&, const MacAddress&) = default;

  private:
    std::array<std::uint8_t, 6> bytes_{};
};

// `text` in the cameras' form when it is a MAC, otherwise unchanged: a key under which the
// same camera written two ways meets itself, and anything else only itself.
std::string macKey(std::string_view text);

}  // namespace pelmora
