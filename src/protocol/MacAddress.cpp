#include "protocol/MacAddress.h"

#include <cstddef>

namespace pelmora {
namespace {

constexpr std::size_t kPairs = 6;
// "HH" six times with five separators.
constexpr std::size_t kMacLength = kPairs * 3 - 1;

// Plain ASCII: the locale's character classes must not widen what a MAC may hold.
int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

}  // namespace

std::optional<MacAddress> MacAddress::parse(std::string_view text) {
    if (text.size() != kMacLength) {
        return std::nullopt;
    }
    const char separator = text[2];
    if (separator != ':' && separator != '-') {
        return std::nullopt;
    }
    MacAddress mac;
    for (std::size_t pair = 0; pair < kPairs; ++pair) {
        const std::size_t at = pair * 3;
        const int high = hexValue(text[at]);
        const int low = hexValue(text[at + 1]);
        if (high < 0 || low < 0 || (at + 2 < kMacLength && text[at + 2] != separator)) {
            return std::nullopt;
        }
        mac.bytes_[pair] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return mac;
}

std::string MacAddress::text() const {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(kMacLength);
    for (const auto byte : bytes_) {
        if (!out.empty()) {
            out += ':';
        }
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    }
    return out;
}

std::string macKey(std::string_view text) {
    const auto mac = MacAddress::parse(text);
    return mac ? mac->text() : std::string(text);
}

}  // namespace pelmora
