#pragma once
// Reading what WS-Discovery targets send: ProbeMatches (answers to a probe), Hello (a device
// joining) and Bye (one leaving), in either version of WS-Discovery and with whatever prefixes
// the device chose. Any device on the LAN may send anything; lists and texts are capped and a
// message that is not one of these three reads as kind Other.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "onvif/DiscoveryProbe.h"
#include "onvif/XmlDocument.h"

namespace pelmora::onvif {

inline constexpr std::size_t kMaxMatchesPerMessage = 64;
inline constexpr std::size_t kMaxTypes = 32;
inline constexpr std::size_t kMaxXAddrs = 16;
inline constexpr std::size_t kMaxScopes = 64;

struct DiscoveryMatch {
    // The endpoint reference's address: the device's stable identity (a urn:uuid, usually).
    std::string endpoint;
    // Each type resolved through the prefixes in scope where it was written.
    std::vector<QualifiedName> types;
    // The device service's addresses.
    std::vector<std::string> xaddrs;
    std::vector<std::string> scopes;
    std::optional<std::uint32_t> metadataVersion;
};

enum class DiscoveryKind { ProbeMatches, Hello, Bye, Other };

struct DiscoveryMessage {
    XmlRefusal refusal = XmlRefusal::None;
    DiscoveryKind kind = DiscoveryKind::Other;
    DiscoveryVersion version = DiscoveryVersion::Draft2005;
    std::string messageId;
    // For ProbeMatches: the MessageID of the probe answered.
    std::string relatesTo;
    // ProbeMatches: one per ProbeMatch; Hello and Bye: the one device.
    std::vector<DiscoveryMatch> matches;
};

DiscoveryMessage readDiscoveryMessage(std::string_view bytes);

}  // namespace pelmora::onvif
