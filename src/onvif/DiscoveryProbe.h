#pragma once
// The WS-Discovery Probe that asks every ONVIF camera in reach to answer with a ProbeMatch:
// a SOAP 1.2 envelope whose Types filter is dn:NetworkVideoTransmitter.

#include <string>
#include <string_view>

namespace pelmora::onvif {

// Cameras follow the 2005 draft of WS-Discovery, as the camera standard prescribes; a device
// answers only a probe of a version it speaks. The OASIS 2009 version is there for the few
// that speak nothing else.
enum class DiscoveryVersion { Draft2005, Oasis2009 };

// `messageId` is the probe's urn:uuid MessageID; each ProbeMatch names it in RelatesTo.
std::string makeProbe(std::string_view messageId,
                      DiscoveryVersion version = DiscoveryVersion::Draft2005);

}  // namespace pelmora::onvif
