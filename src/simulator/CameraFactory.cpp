#include "simulator/CameraFactory.h"

#include <arpa/inet.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

namespace pelmora::sim {
namespace {

struct ModelProfile {
    const char* model;
    const char* softVersion;
    const char* serialLetters;
    std::string_view bands;  // as "BANDELM:" lists them
    bool pppoe;
};

const ModelProfile kModels[] = {
    {"PM-C110", "2.40", "CA", "0.0,0.5,1.0,2.0,4.0,8.0", true},
    {"PM-C220", "3.02", "CB", "0.0,0.064,0.128,0.256,0.512,1.0,2.0", false},
    {"PM-D310", "1.25", "DA", "0.0,1.0,2.0,4.0,6.0,8.0,10.0", true},
    {"PM-P420", "2.51", "PA", "0.0,0.5,1.0,1.5,2.0,3.0", false},
};

const char* const kTimeZones[] = {"9", "0", "-5", "1", "-8", "10", "3"};

std::uint8_t octet(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

std::vector<std::string> splitList(std::string_view list) {
    std::vector<std::string> items;
    for (auto comma = list.find(','); comma != std::string_view::npos; comma = list.find(',')) {
        items.emplace_back(list.substr(0, comma));
        list.remove_prefix(comma + 1);
    }
    items.emplace_back(list);
    return items;
}

}  // namespace

std::optional<FixedAddressing> parseFixedAddressing(std::string_view text) {
    FixedAddressing out;
    Ipv4* fields[] = {&out.ipAddress, &out.subnetMask, &out.gateway};
    std::size_t count = 0;
    for (;;) {
        const auto slash = text.find('/');
        const std::string part(text.substr(0, slash));
        in_addr address{};
        if (count == 3 || inet_pton(AF_INET, part.c_str(), &address) != 1) {
            return std::nullopt;
        }
        std::memcpy(fields[count++]->data(), &address.s_addr, 4);
        if (slash == std::string_view::npos) {
            break;
        }
        text.remove_prefix(slash + 1);
    }
    if (count < 2) {
        return std::nullopt;
    }
    return out;
}

bool isValidMacPrefix(std::string_view prefix) {
    if (prefix.size() != 8) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const bool colonPlace = i % 3 == 2;
        const unsigned char c = static_cast<unsigned char>(prefix[i]);
        if (colonPlace ? c != ':' : !std::isxdigit(c)) {
            return false;
        }
    }
    return true;
}

SimCamera makeCamera(int index, std::string_view macPrefix) {
    const ModelProfile& profile = kModels[index % std::size(kModels)];
    const int number = index + 1;
    // 250 cameras per /24, hosts from .2, the gateway at .1.
    const int subnet = index / 250;
    const int host = index % 250 + 2;

    SimCamera camera;
    char text[32];
    std::string prefix(macPrefix);
    for (auto& c : prefix) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    std::snprintf(text, sizeof text, "%s:%02X:%02X:%02X", prefix.c_str(), number >> 16 & 0xFF,
                  number >> 8 & 0xFF, number & 0xFF);
    camera.mac = text;
    camera.model = profile.model;
    std::snprintf(text, sizeof text, "%s%07d", profile.serialLetters, number % 10000000);
    camera.serial = text;
    camera.softVersion = profile.softVersion;

    camera.dhcp = index % 3 == 2;
    camera.ipAddress = {192, 168, octet(subnet), octet(host)};
    camera.subnetMask = {255, 255, 255, 0};
    camera.gateway = {192, 168, octet(subnet), 1};
    camera.dnsAuto = camera.dhcp;
    camera.dns[0] = camera.gateway;
    camera.webPort = index % 5 == 4 ? 8080 : 80;

    camera.bandElements = splitList(profile.bands);
    camera.currentBand = camera.bandElements[index % camera.bandElements.size()];

    camera.clockOffsetSeconds = (index % 7 - 3) * 45;
    camera.timeZone = kTimeZones[index % std::size(kTimeZones)];
    camera.dateTimeFormat = std::to_string(index % 3);

    camera.pppoeSupported = profile.pppoe;
    camera.pppoeSessionAddress = {100, 64, octet(subnet), octet(host)};
    if (profile.pppoe) {
        camera.pppoeOn = index / 4 % 2 == 1;
        camera.pppoeIpAddress = camera.pppoeOn ? camera.pppoeSessionAddress : Ipv4{};
        camera.pppoeDnsAuto = index / 4 % 3 != 2;
        if (!camera.pppoeDnsAuto) {
            camera.pppoeDns1 = {100, 64, 255, 1};
        }
    }
    return camera;
}

}  // namespace pelmora::sim
