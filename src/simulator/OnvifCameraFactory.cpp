#include "simulator/OnvifCameraFactory.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace pelmora::sim {
namespace {

struct Maker {
    const char* manufacturer;
    const char* model;
    const char* firmware;
    const char* serialLetters;
    const char* hardwareId;
};

// One maker writes markup characters and non-ASCII letters in its name: a client must show
// camera texts as plain text, and as UTF-8.
const Maker kMakers[] = {
    {"Sample Optics", "SO-210", "5.1.2", "SO", "HW-210A"},
    {"Ex\xC3\xA4mple & S\xC3\xB6hne <Imaging>", "EX 4K", "2.0.7 build 118", "EX", "1A"},
    {"Testbed Vision", "TV-8M", "V1.3.0", "TV", "TV8M-R2"},
};

const char* const kLocations[] = {"Lobby", "Car-park", "Warehouse", "Roof"};
const char* const kTimeZones[] = {"UTC0", "EST5", "JST-9", "CET-1"};

std::uint8_t octet(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

std::string percentEncode(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            out += escaped;
        }
    }
    return out;
}

std::string endpointOf(std::string_view mac) {
    std::string hex;
    for (const char c : mac) {
        if (c != ':') {
            hex += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return "urn:uuid:4f4e5649-0000-4000-8000-" + hex;
}

bool named(const std::vector<int>& indexes, int index) {
    return std::find(indexes.begin(), indexes.end(), index) != indexes.end();
}

OnvifSimCamera makeOne(int index) {
    const Maker& maker = kMakers[index % std::size(kMakers)];
    const int number = index + 1;
    // 250 cameras per /24 from 192.168.100.0 on, hosts from .2, the gateway at .1: apart from
    // the own cameras' 192.168.0.0 to 192.168.4.0.
    const int subnet = 100 + index / 250;
    const int host = index % 250 + 2;

    OnvifSimCamera camera;
    camera.index = index;
    char text[64];
    std::snprintf(text, sizeof text, "%s:%02X:%02X:%02X", std::string(kOnvifMacPrefix).c_str(),
                  number >> 16 & 0xFF, number >> 8 & 0xFF, number & 0xFF);
    camera.mac = text;
    camera.manufacturer = maker.manufacturer;
    camera.model = maker.model;
    camera.firmwareVersion = maker.firmware;
    std::snprintf(text, sizeof text, "%s%08d", maker.serialLetters, number);
    camera.serialNumber = text;
    camera.hardwareId = maker.hardwareId;
    camera.name = "ONVIF Sim " + std::to_string(number);
    camera.location = kLocations[index % std::size(kLocations)];

    camera.dhcp = index % 4 == 3;
    camera.ipAddress = {192, 168, octet(subnet), octet(host)};
    camera.prefixLength = 24;
    camera.gateway = {192, 168, octet(subnet), 1};
    camera.dns = {camera.gateway};
    camera.timeZone = kTimeZones[index % std::size(kTimeZones)];
    camera.clockOffset = std::chrono::seconds((index % 5 - 2) * 30);
    return camera;
}

void takeAddressing(OnvifSimCamera& camera, const FixedAddressing& addressing) {
    camera.dhcp = false;
    camera.ipAddress = addressing.ipAddress;
    camera.prefixLength = prefixLengthOf(addressing.subnetMask);
    camera.gateway = addressing.gateway;
    camera.dns.clear();
    if (addressing.gateway != Ipv4{}) {
        camera.dns.push_back(addressing.gateway);
    }
}

}  // namespace

int prefixLengthOf(const Ipv4& mask) {
    const std::uint32_t bits = ipv4ToNumber(mask);
    int length = 0;
    while (length < 32 && (bits & (std::uint32_t{1} << (31 - length))) != 0) {
        ++length;
    }
    return length;
}

std::vector<OnvifSimCamera> makeOnvifCameras(const OnvifFleetOptions& options,
                                             const std::vector<SimCamera>& own) {
    std::vector<OnvifSimCamera> cameras;
    cameras.reserve(static_cast<std::size_t>(options.count));
    const int refusingFrom = options.count - options.refusing;
    const int faultyFrom = refusingFrom - options.faulty;
    const int slowFrom = faultyFrom - options.slow;
    for (int index = 0; index < options.count; ++index) {
        auto camera = makeOne(index);
        const auto at = static_cast<std::size_t>(index);
        if (at < options.addresses.size()) {
            takeAddressing(camera, options.addresses[at]);
        }
        if (named(options.addressOfOwn, index) && at < own.size()) {
            takeAddressing(camera, {own[at].ipAddress, own[at].subnetMask, own[at].gateway});
            camera.dhcp = own[at].dhcp;
        }
        if (named(options.macOfOwn, index) && at < own.size()) {
            camera.mac = own[at].mac;
        }
        camera.endpoint = endpointOf(camera.mac);
        if (const auto offset = options.clockOffsets.find(index);
            offset != options.clockOffsets.end()) {
            camera.clockOffset = offset->second;
        }
        camera.restartsToReaddress = named(options.restartToReaddress, index);
        camera.ignoresMulticast = index < options.ignoreMulticast;
        camera.slow = index >= slowFrom && index < faultyFrom;
        camera.faulty = index >= faultyFrom && index < refusingFrom;
        camera.refusesCredentials = index >= refusingFrom;
        cameras.push_back(std::move(camera));
    }
    return cameras;
}

std::vector<OnvifScope> onvifScopes(const OnvifSimCamera& camera) {
    const std::string base = "onvif://www.onvif.org/";
    return {
        {base + "type/video_encoder", true},
        {base + "Profile/Streaming", true},
        {base + "hardware/" + percentEncode(camera.model), true},
        {base + "name/" + percentEncode(camera.name), false},
        {base + "location/" + percentEncode(camera.location), false},
    };
}

}  // namespace pelmora::sim
