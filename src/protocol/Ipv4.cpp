#include "protocol/Ipv4.h"

namespace pelmora {

std::string formatIpv4(const Ipv4& a) {
    return std::to_string(a[0]) + '.' + std::to_string(a[1]) + '.' + std::to_string(a[2]) + '.' +
           std::to_string(a[3]);
}

std::optional<Ipv4> parseIpv4(std::string_view text) {
    Ipv4 address{};
    std::size_t part = 0;
    std::size_t digits = 0;
    int value = 0;
    // One pass over the text and a final "." that ends the last part.
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : '.';
        if (c >= '0' && c <= '9' && digits < 3) {
            value = value * 10 + (c - '0');
            ++digits;
            continue;
        }
        if (c != '.' || digits == 0 || value > 255 || part == address.size()) {
            return std::nullopt;
        }
        address[part++] = static_cast<std::uint8_t>(value);
        digits = 0;
        value = 0;
    }
    return part == address.size() ? std::optional(address) : std::nullopt;
}

}  // namespace pelmora
