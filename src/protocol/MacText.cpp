#include "protocol/MacText.h"

#include <cstddef>

namespace pelmora {
namespace {

constexpr std::size_t kPairs = 6;
// "HH" six times with five separators.
constexpr std::size_t kMacLength = kPairs * 3 - 1;

// Plain ASCII tests: the locale's character classes must not widen what a MAC may hold.
bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

}  // namespace

std::optional<std::string> canonicalMac(std::string_view text) {
    if (text.size() != kMacLength) {
        return std::nullopt;
    }
    const char separator = text[2];
    if (separator != ':' && separator != '-') {
        return std::nullopt;
    }
    std::string mac(text);
    for (std::size_t i = 0; i < mac.size(); ++i) {
        char& c = mac[i];
        if (i % 3 == 2) {
            if (c != separator) {
                return std::nullopt;
            }
            c = ':';
        } else if (!isHexDigit(c)) {
            return std::nullopt;
        } else if (c >= 'a') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return mac;
}

}  // namespace pelmora
