#include "engine/SendTarget.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <charconv>

#include "protocol/Wire.h"

namespace pelmora {

SendTarget SendTarget::broadcast() {
    SendTarget target;
    target.address.s_addr = htonl(INADDR_BROADCAST);
    target.port = kSetupPort;
    return target;
}

bool SendTarget::isLimitedBroadcast() const {
    return address.s_addr == htonl(INADDR_BROADCAST);
}

sockaddr_in SendTarget::socketAddress() const {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr = address;
    sa.sin_port = htons(port);
    return sa;
}

std::string SendTarget::text() const {
    char buffer[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, buffer, sizeof buffer);
    return std::string(buffer) + ':' + std::to_string(port);
}

std::optional<SendTarget> parseTarget(std::string_view text, std::string* error) {
    const auto fail = [error](std::string why) -> std::optional<SendTarget> {
        if (error != nullptr) {
            *error = std::move(why);
        }
        return std::nullopt;
    };
    // A literal such as "::1" or "[::1]:2380" would otherwise be read as a host and a port.
    if (text.find('[') != std::string_view::npos || text.find(':') != text.rfind(':')) {
        return fail("IPv6 is not supported");
    }
    SendTarget target;
    target.port = kSetupPort;
    std::string_view host = text;
    if (const auto colon = text.rfind(':'); colon != std::string_view::npos) {
        host = text.substr(0, colon);
        const auto portText = text.substr(colon + 1);
        unsigned value = 0;
        const auto [end, ec] =
            std::from_chars(portText.data(), portText.data() + portText.size(), value);
        if (ec != std::errc{} || end != portText.data() + portText.size() || value == 0 ||
            value > 65535) {
            return fail("invalid port '" + std::string(portText) + "'");
        }
        target.port = static_cast<std::uint16_t>(value);
    }
    if (host.find_first_not_of(" \t\n\v\f\r") == std::string_view::npos) {
        return fail("missing host");
    }
    const std::string hostText(host);
    if (inet_pton(AF_INET, hostText.c_str(), &target.address) == 1) {
        return target;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(hostText.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return fail("cannot resolve '" + hostText + "' to an IPv4 address");
    }
    target.address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return target;
}

}  // namespace pelmora
