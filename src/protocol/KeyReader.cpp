#include "protocol/KeyReader.h"

#include <cctype>
#include <limits>

#include "protocol/Wire.h"

namespace pelmora {

std::optional<std::string_view> readKey(std::string_view text, std::string_view key) {
    const auto at = text.find(key);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    const auto start = at + key.size();
    const auto end = text.find(fieldTerminator, start);
    if (end == std::string_view::npos) {
        return std::string_view{};
    }
    return text.substr(start, end - start);
}

std::int32_t leadingDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kLimit + 1) {
            value = kLimit + 1;
        }
    }
    if (negative) {
        return static_cast<std::int32_t>(-value);
    }
    return static_cast<std::int32_t>(value > kLimit ? kLimit : value);
}

Ipv4 readDottedAddress(std::string_view value) {
    Ipv4 address{};
    std::size_t pos = 0;
    for (auto& octet : address) {
        if (pos > value.size()) {
            break;
        }
        const auto dot = value.find('.', pos);
        const auto part = value.substr(pos, dot == std::string_view::npos ? value.npos : dot - pos);
        octet = static_cast<std::uint8_t>(static_cast<std::uint32_t>(leadingDecimal(part)) & 0xFFu);
        pos = dot == std::string_view::npos ? value.size() + 1 : dot + 1;
    }
    return address;
}

}  // namespace pelmora
