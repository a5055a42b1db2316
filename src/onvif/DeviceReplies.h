#pragma once
// The device service's answers about the device itself: its clock, what it is, its scopes, and
// how it is reached (gateway, name servers, protocols). Each field a device left out, or wrote
// as something it cannot mean, is unknown (nothing), never a guess.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "onvif/DeviceReply.h"
#include "protocol/Ipv4.h"

namespace pelmora::onvif {

inline constexpr std::size_t kMaxAddresses = 8;
inline constexpr std::size_t kMaxProtocols = 8;
inline constexpr std::size_t kMaxPorts = 8;

struct DeviceClock {
    // The camera's clock in UTC: set against this PC's clock it gives the offset that corrects
    // the time of a password digest.
    std::optional<std::chrono::sys_seconds> utc;
    std::optional<std::string> dateTimeType;  // "Manual" or "NTP"
    std::optional<std::string> timeZone;      // a POSIX TZ string, as the camera keeps it
};

struct DeviceInformation {
    std::optional<std::string> manufacturer;
    std::optional<std::string> model;
    std::optional<std::string> firmwareVersion;
    std::optional<std::string> serialNumber;
    std::optional<std::string> hardwareId;
};

struct DefaultGateway {
    std::vector<Ipv4> ipv4;
};

struct DnsInformation {
    std::optional<bool> fromDhcp;
    std::vector<Ipv4> manual;
    std::vector<Ipv4> dhcp;
};

struct NetworkProtocol {
    std::string name;  // "HTTP", "HTTPS", "RTSP"
    std::optional<bool> enabled;
    std::vector<std::uint16_t> ports;
};

DeviceReply<DeviceClock> readSystemDateAndTime(std::string_view bytes);
DeviceReply<DeviceInformation> readDeviceInformation(std::string_view bytes);
DeviceReply<DefaultGateway> readNetworkDefaultGateway(std::string_view bytes);
DeviceReply<DnsInformation> readDns(std::string_view bytes);
DeviceReply<std::vector<NetworkProtocol>> readNetworkProtocols(std::string_view bytes);
// The scope URIs, fixed and configurable alike, as a ProbeMatch lists them.
DeviceReply<std::vector<std::string>> readScopes(std::string_view bytes);

}  // namespace pelmora::onvif
