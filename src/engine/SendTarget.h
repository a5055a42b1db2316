#pragma once
// Where every datagram goes: by default the limited broadcast address on the setup port; tests
// and the simulator set-up inject another ("--target HOST[:PORT]").

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

struct SendTarget {
    in_addr address{};
    std::uint16_t port = 0;  // host byte order

    static SendTarget broadcast();
    bool isLimitedBroadcast() const;
    sockaddr_in socketAddress() const;
    std::string text() const;
};

// "HOST" or "HOST:PORT"; HOST is a dotted IPv4 address or a name that resolves to one (not
// blank, not an IPv6 literal). The port defaults to the setup port. nullopt (with a reason in
// `error`) when it does not parse.
std::optional<SendTarget> parseTarget(std::string_view text, std::string* error = nullptr);

}  // namespace pelmora
