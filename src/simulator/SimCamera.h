#pragma once
// One simulated camera: what it reports in its information reply, plus what it keeps to itself
// (its PPPoE account, how it treats setting requests, whether it is rebooting). The addresses
// here are only reply text; the simulator never sends to them.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/Ipv4.h"

namespace pelmora::sim {

struct SimCamera {
    std::string mac;  // "HH:HH:HH:HH:HH:HH", the camera's identity
    std::string model;
    std::string serial;  // at most 11 characters, as the tool keeps it
    std::string softVersion;

    bool dhcp = false;
    Ipv4 ipAddress{};
    Ipv4 subnetMask{};
    Ipv4 gateway{};
    bool dnsAuto = false;
    std::array<Ipv4, 4> dns{};
    int webPort = 80;

    std::vector<std::string> bandElements;  // "0.0" stands for unlimited
    std::string currentBand;

    // The camera's clock runs this many seconds ahead of the host's local wall clock.
    std::int64_t clockOffsetSeconds = 0;
    std::string timeZone;
    std::string dateTimeFormat;

    bool pppoeSupported = false;  // cameras without it send no PPPoE keys at all
    bool pppoeOn = false;
    Ipv4 pppoeIpAddress{};
    // The address the provider hands out while the dial-up is on.
    Ipv4 pppoeSessionAddress{};
    bool pppoeDnsAuto = true;
    Ipv4 pppoeDns1{};
    Ipv4 pppoeDns2{};
    std::string pppoeAccount;  // decoded "user:password"; a camera never reports it

    bool silentToSettings = false;  // never answers setting requests
    bool refusesSettings = false;   // refuses every setting request
    // Steady-clock milliseconds until which a rebooting camera answers nothing.
    std::int64_t rebootingUntilMs = 0;

    bool isRebooting(std::int64_t steadyMs) const { return steadyMs < rebootingUntilMs; }
};

}  // namespace pelmora::sim
