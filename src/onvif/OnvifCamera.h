#pragma once
// What this PC knows of one standards-based camera: what its discovery answer said, and what
// reading its device service gave. Every reading may be missing (the camera did not say, or
// refused to say without credentials); nothing here is trusted beyond its type.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "onvif/DeviceReplies.h"
#include "protocol/Ipv4.h"
#include "protocol/MacAddress.h"

namespace pelmora::onvif {

// How far reading the camera got.
enum class Access {
    Unread,              // found, not read yet
    Read,                // every reading that needs credentials answered
    CredentialsNeeded,   // none were given: only the public readings
    CredentialsRefused,  // HTTP 401 after Digest, or a NotAuthorized fault
    Unreachable,         // the device service did not answer in time, or not as SOAP
};

// The words of `access` in the listing: "read", "credentials needed", "credentials refused",
// "unreachable" (and "unread").
std::string_view accessText(Access access);

struct OnvifCamera {
    // From discovery. The endpoint reference is the camera's identity until its MAC is known.
    std::string endpoint;
    std::vector<std::string> xaddrs;
    std::vector<std::string> scopes;
    Ipv4 answeredFrom{};  // the source address of its discovery answer
    // When its last discovery answer or Hello came, on this PC's steady clock.
    std::chrono::steady_clock::time_point heardAt{};
    // The device service address reading used (one of `xaddrs`), once chosen.
    std::string serviceAddress;

    // Without credentials.
    std::optional<std::chrono::seconds> clockOffset;  // the camera's clock minus this PC's

    // With credentials.
    DeviceInformation information;
    std::optional<MacAddress> mac;
    // The token of the interface the readings describe, which a change of its addressing names.
    std::string interfaceToken;
    std::optional<bool> dhcp;
    std::optional<Ipv4> ipAddress;
    std::optional<int> prefixLength;
    std::optional<Ipv4> gateway;
    std::optional<bool> dnsAuto;
    std::vector<Ipv4> dns;  // at most 4 are shown
    std::optional<int> webPort;

    Access access = Access::Unread;
    // Why a reading failed, as plain text (a fault's reason, a time-out): shown as a note.
    std::string note;
};

}  // namespace pelmora::onvif
