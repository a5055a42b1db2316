#pragma once
// A camera's side of WS-Discovery: reading a Probe, deciding whether it asks for this camera,
// and the ProbeMatches that answers it, in the probe's own version of WS-Discovery.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "onvif/DiscoveryProbe.h"
#include "onvif/XmlDocument.h"
#include "simulator/OnvifSimCamera.h"

namespace pelmora::sim {

// Real probes are well under a kilobyte; anything past this is not read.
inline constexpr std::size_t kMaxProbeBytes = 16 * 1024;

struct ProbeRequest {
    onvif::DiscoveryVersion version = onvif::DiscoveryVersion::Draft2005;
    std::string messageId;
    std::vector<onvif::QualifiedName> types;
    std::vector<std::string> scopes;
    // The scope rule named by MatchBy; empty for the default (RFC 3986 path prefixes).
    std::string matchBy;
};

// Nothing unless the bytes are a SOAP envelope whose body is a Probe of either version.
std::optional<ProbeRequest> readProbe(std::string_view bytes);

// Every type asked for is one the camera has (a network video transmitter and a device), and
// every scope asked for is a prefix, segment by segment, of one of its scopes. An empty list
// asks for nothing in particular.
bool probeAsksFor(const ProbeRequest& probe, const OnvifSimCamera& camera);

// One ProbeMatches holding the camera's one ProbeMatch, RelatesTo the probe's MessageID.
// `xaddr` is its device service address; `messageId` this message's own.
std::string makeProbeMatches(const ProbeRequest& probe, const OnvifSimCamera& camera,
                             std::string_view xaddr, std::string_view messageId);

}  // namespace pelmora::sim
