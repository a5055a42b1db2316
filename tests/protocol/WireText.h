#pragma once
// Writing datagrams in tests: a readable notation and builders for what cameras send.

#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "protocol/DatagramBuilder.h"

namespace pelmora::test {

// '<' stands for STX (0x02), '|' for the field terminator (0xFF) and '>' for ETX (0x03):
// wire("<ACK:mac|>").
inline std::string wire(std::string_view notation) {
    std::string bytes(notation);
    for (auto& c : bytes) {
        c = c == '<' ? '\x02' : c == '|' ? '\xFF' : c == '>' ? '\x03' : c;
    }
    return bytes;
}

using Field = std::pair<std::string_view, std::string_view>;

// STX, each key (colon included), value and terminator, then ETX.
inline std::string datagram(std::initializer_list<Field> fields) {
    DatagramBuilder builder;
    for (const auto& [key, value] : fields) {
        builder.field(key, value);
    }
    return builder.finish();
}

// A distinct 17-character MAC for camera number n.
inline std::string macFor(int n) {
    char text[18];
    std::snprintf(text, sizeof text, "02:50:4D:%02X:%02X:%02X", (n >> 16) & 0xFF, (n >> 8) & 0xFF,
                  n & 0xFF);
    return text;
}

// The smallest information reply that names a camera.
inline std::string replyFor(std::string_view mac, std::string_view model = "PM-NP244") {
    return datagram({{"MODEL:", model}, {"MAC:", mac}});
}

// An acknowledgement or refusal as a camera sends it: 24 bytes without a message text.
inline std::string settlement(std::string_view key, std::string_view mac,
                              std::optional<std::string_view> message = std::nullopt) {
    std::string text = wire("<");
    text.append(key).append(mac).append(wire("|"));
    if (message) {
        text.append(*message).append(wire("|"));
    }
    return text.append(wire(">"));
}

}  // namespace pelmora::test
