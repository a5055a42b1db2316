#pragma once
// One simulated standards-based camera: what it announces in discovery, what its device service
// reports, and how it misbehaves when a test asks it to. Its addresses are only reply text; the
// simulator reaches it through the socket it is served on, whatever it says its address is.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/Ipv4.h"

namespace pelmora::sim {

struct OnvifSimCamera {
    int index = 0;
    // A urn:uuid that stays the same from run to run, as a real device's does.
    std::string endpoint;
    std::string mac;  // "HH:HH:HH:HH:HH:HH", upper case; written to clients in lower case

    std::string manufacturer;
    std::string model;
    std::string firmwareVersion;
    std::string serialNumber;
    std::string hardwareId;
    // The "name" and "location" scopes, before percent-encoding.
    std::string name;
    std::string location;

    bool dhcp = false;
    Ipv4 ipAddress{};
    int prefixLength = 24;
    Ipv4 gateway{};  // 0.0.0.0: none
    std::vector<Ipv4> dns;
    // A POSIX TZ of a fixed offset ("UTC0", "EST5", "JST-9"): the local time it reports follows.
    std::string timeZone;
    // Name servers from DHCP or by hand; unset: as the addressing (DHCP or fixed).
    std::optional<bool> dnsFromDhcp;
    // The web port a SetNetworkProtocols gave it (reported, not served); 0: the served port.
    int webPort = 0;
    // The time server it was given ("" from DHCP or none).
    std::string ntpServer;
    // The camera's clock runs this far ahead of the host's UTC (behind when negative).
    std::chrono::seconds clockOffset{0};

    bool ignoresMulticast = false;    // answers only probes sent to it directly
    bool slow = false;                // every device-service answer waits before it goes out
    bool faulty = false;              // answers every request with a SOAP fault
    bool refusesCredentials = false;  // no user name and password are ever right
    // Takes new addressing only when restarted: SetNetworkInterfaces answers RebootNeeded and
    // keeps what it was given here until SystemReboot.
    bool restartsToReaddress = false;
    struct Addressing {
        bool dhcp = false;
        Ipv4 address{};
        int prefixLength = 24;
    };
    std::optional<Addressing> pendingAddressing;
    // Restarts taken (SystemReboot requests accepted).
    int restarts = 0;
    // After its addressing changes or it restarts, the camera answers nothing (neither probes nor
    // its device service) until this steady-clock millisecond, as a real camera restarting its
    // network is away for a while; the silence it then keeps is `moveSilenceMs`.
    std::int64_t silentUntilMs = 0;
    std::int64_t moveSilenceMs = 0;

    // The TCP port of its device service, once bound; GetNetworkProtocols reports it.
    std::uint16_t httpPort = 0;
};

}  // namespace pelmora::sim
