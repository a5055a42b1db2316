#include "lan/LanDiagnosis.h"

#include <algorithm>
#include <chrono>
#include <unordered_map>
#include <unordered_set>

namespace pelmora {
namespace {

std::uint32_t maskBits(int prefixLength) {
    return prefixLength <= 0 ? 0u : ~std::uint32_t{0} << (32 - std::min(prefixLength, 32));
}

// Ones then zeros.
bool isContiguous(std::uint32_t mask) {
    return (mask | (mask - 1)) == ~std::uint32_t{0} || mask == 0;
}

int interfaceByIndex(std::span<const LocalInterface> interfaces, int index) {
    if (index == 0) {
        return -1;
    }
    for (std::size_t i = 0; i < interfaces.size(); ++i) {
        if (interfaces[i].index == index) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::uint32_t checkAddressing(const CameraAddressing& camera) {
    std::uint32_t problems = 0;
    const std::uint32_t ip = ipv4ToNumber(camera.ipAddress);
    const std::uint32_t mask = ipv4ToNumber(camera.subnetMask);
    const bool contiguous = isContiguous(mask);
    if (!contiguous || (!camera.dhcp && (mask == 0 || mask == ~std::uint32_t{0}))) {
        problems |= kProblemBadMask;
    }
    // A /31 or /32 has no network or broadcast address of its own; a bad mask says nothing.
    const bool hasHostPart = contiguous && mask != 0 && (~mask) > 1;
    if (ip != 0 && hasHostPart && ((ip & ~mask) == 0 || (ip & ~mask) == ~mask)) {
        problems |= kProblemNetworkOrBroadcast;
    }
    const std::uint32_t gateway = ipv4ToNumber(camera.gateway);
    if (ip != 0 && gateway != 0 && contiguous && mask != 0 && (gateway & mask) != (ip & mask)) {
        problems |= kProblemGatewayOutsideSubnet;
    }
    return problems;
}

// The interface whose subnet holds `address`, for a camera whose answer says nothing of the
// interface it came in on. Loopback holds no camera of the LAN.
int interfaceHolding(std::span<const LocalInterface> interfaces, const Ipv4& address) {
    const std::uint32_t ip = ipv4ToNumber(address);
    for (std::size_t i = 0; ip != 0 && i < interfaces.size(); ++i) {
        const std::uint32_t mask = maskBits(interfaces[i].prefixLength);
        if (!interfaces[i].loopback &&
            (ip & mask) == (ipv4ToNumber(interfaces[i].address) & mask)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

Reachability reachabilityOf(const Ipv4& address, int interface,
                            std::span<const LocalInterface> interfaces) {
    const std::uint32_t ip = ipv4ToNumber(address);
    if (ip == 0) {
        return Reachability::NoAddress;
    }
    if (interface < 0 || interfaces[interface].loopback) {
        // A simulator on this PC answers over loopback: subnets say nothing there.
        return Reachability::Unknown;
    }
    const auto& on = interfaces[interface];
    const std::uint32_t mask = maskBits(on.prefixLength);
    return (ip & mask) == (ipv4ToNumber(on.address) & mask) ? Reachability::SameSubnet
                                                            : Reachability::OtherSubnet;
}

// Everything but a shared address, which needs the other cameras.
void judgeAddressing(const CameraAddressing& camera,
                     const std::unordered_set<std::uint32_t>& pcAddresses, CameraDiagnosis& d) {
    if (d.reachability == Reachability::OtherSubnet) {
        d.problems |= kProblemOtherSubnet;
    }
    const std::uint32_t ip = ipv4ToNumber(camera.ipAddress);
    if (ip != 0 && pcAddresses.contains(ip)) {
        d.problems |= kProblemPcAddress;
    }
    d.problems |= checkAddressing(camera);
}

// A camera that answers both protocols is listed twice with one MAC.
bool sameDevice(const std::string* a, const std::string* b) {
    return a == b || (!a->empty() && *a == *b);
}

}  // namespace

Ipv4 maskOfPrefix(int prefixLength) {
    return ipv4FromNumber(maskBits(prefixLength));
}

std::string clockOffsetWords(std::chrono::seconds offset) {
    const long long minutes = (std::chrono::abs(offset).count() + 30) / 60;
    if (minutes == 0) {
        return "in step";
    }
    std::string amount = std::to_string(minutes % 60) + " min";
    if (minutes >= 60) {
        amount = std::to_string(minutes / 60) + " h" + (minutes % 60 != 0 ? " " + amount : "");
    }
    return amount + (offset < std::chrono::seconds{0} ? " behind" : " ahead");
}

std::string clockOffsetSentence(std::chrono::seconds offset) {
    return "Clock " + clockOffsetWords(offset) +
           (offset < std::chrono::seconds{0} ? " this PC" : " of this PC");
}

std::string interfaceAddressText(const LocalInterface& interface) {
    return formatIpv4(interface.address) + "/" + std::to_string(interface.prefixLength);
}

std::vector<CameraDiagnosis> diagnoseCameras(std::span<const CameraAddressing> cameras,
                                             std::span<const LocalInterface> interfaces) {
    return diagnoseLan(cameras, {}, interfaces).ours;
}

LanDiagnoses diagnoseLan(std::span<const CameraAddressing> ours,
                         std::span<const OtherCamera> others,
                         std::span<const LocalInterface> interfaces) {
    std::unordered_set<std::uint32_t> pcAddresses;
    for (const auto& i : interfaces) {
        pcAddresses.insert(ipv4ToNumber(i.address));
    }
    LanDiagnoses result;
    result.ours.resize(ours.size());
    result.others.resize(others.size());

    // Every camera whose address is judged, ours first, with the diagnosis it goes to.
    struct Holder {
        const std::string* mac;
        const std::string* name;
        CameraDiagnosis* diagnosis;
    };
    std::vector<Holder> holders;
    holders.reserve(ours.size() + others.size());
    std::unordered_map<std::uint32_t, std::vector<std::size_t>> byAddress;
    byAddress.reserve(ours.size() + others.size());
    const auto hold = [&](const CameraAddressing& camera, const std::string& name,
                          CameraDiagnosis& diagnosis) {
        const std::uint32_t ip = ipv4ToNumber(camera.ipAddress);
        if (ip == 0) {
            return;
        }
        byAddress[ip].push_back(holders.size());
        holders.push_back({&camera.mac, &name, &diagnosis});
    };

    for (std::size_t c = 0; c < ours.size(); ++c) {
        const auto& camera = ours[c];
        auto& d = result.ours[c];
        d.interface = interfaceByIndex(interfaces, camera.interfaceIndex);
        d.reachability = reachabilityOf(camera.ipAddress, d.interface, interfaces);
        judgeAddressing(camera, pcAddresses, d);
        hold(camera, camera.mac, d);
    }
    for (std::size_t c = 0; c < others.size(); ++c) {
        const auto& camera = others[c];
        auto& d = result.others[c];
        d.interface = camera.addressing.interfaceIndex != 0
                          ? interfaceByIndex(interfaces, camera.addressing.interfaceIndex)
                          : interfaceHolding(interfaces, camera.answeredFrom != Ipv4{}
                                                             ? camera.answeredFrom
                                                             : camera.addressing.ipAddress);
        if (camera.addressingRead) {
            d.reachability = reachabilityOf(camera.addressing.ipAddress, d.interface, interfaces);
            judgeAddressing(camera.addressing, pcAddresses, d);
            hold(camera.addressing, camera.name, d);
        } else if (camera.answeredFrom != Ipv4{}) {
            d.reachability = reachabilityOf(camera.answeredFrom, d.interface, interfaces);
        }
        if (camera.clockOffset && std::chrono::abs(*camera.clockOffset) > kLargestClockOffset) {
            d.problems |= kProblemClockOff;
            d.clockOffset = *camera.clockOffset;
        }
    }

    // A duplicate names the first other device on its address; the first names the second.
    for (const auto& [ip, onAddress] : byAddress) {
        for (const std::size_t h : onAddress) {
            const auto& self = holders[h];
            const auto other = std::find_if(onAddress.begin(), onAddress.end(), [&](std::size_t o) {
                return !sameDevice(self.mac, holders[o].mac) && o != h;
            });
            if (other != onAddress.end()) {
                self.diagnosis->problems |= kProblemDuplicateIp;
                self.diagnosis->sharesWith = *holders[*other].name;
            }
        }
    }
    return result;
}

std::string_view reachabilityWord(Reachability reachability) {
    switch (reachability) {
        case Reachability::SameSubnet:
            return "same-subnet";
        case Reachability::OtherSubnet:
            return "other-subnet";
        case Reachability::NoAddress:
            return "no-address";
        case Reachability::Unknown:
            break;
    }
    return "unknown";
}

std::vector<std::string_view> problemWords(std::uint32_t problems) {
    static constexpr std::string_view kWords[kProblemKinds] = {
        "other-subnet", "duplicate-ip",           "pc-address", "network-or-broadcast",
        "bad-mask",     "gateway-outside-subnet", "clock-off"};
    std::vector<std::string_view> words;
    for (int k = 0; k < kProblemKinds; ++k) {
        if (problems & (1u << k)) {
            words.push_back(kWords[k]);
        }
    }
    return words;
}

std::vector<std::string> problemSentences(const CameraAddressing& camera,
                                          const CameraDiagnosis& diagnosis,
                                          std::span<const LocalInterface> interfaces) {
    const std::string ip = formatIpv4(camera.ipAddress);
    std::vector<std::string> sentences;
    const auto has = [&](Problem p) { return (diagnosis.problems & p) != 0; };
    if (has(kProblemOtherSubnet) && diagnosis.interface >= 0) {
        const auto& on = interfaces[diagnosis.interface];
        sentences.push_back("On another subnet: this PC is " + interfaceAddressText(on) + " on " +
                            on.name);
    }
    if (has(kProblemDuplicateIp)) {
        sentences.push_back("Shares " + ip + " with " + diagnosis.sharesWith);
    }
    if (has(kProblemPcAddress)) {
        sentences.push_back("Uses " + ip + ", an address of this PC");
    }
    if (has(kProblemNetworkOrBroadcast)) {
        sentences.push_back(ip + " is the network or broadcast address of its subnet mask " +
                            formatIpv4(camera.subnetMask));
    }
    if (has(kProblemBadMask)) {
        sentences.push_back("Subnet mask " + formatIpv4(camera.subnetMask) + " is not usable");
    }
    if (has(kProblemGatewayOutsideSubnet)) {
        sentences.push_back("Gateway " + formatIpv4(camera.gateway) + " is outside the subnet " +
                            ip + "/" + formatIpv4(camera.subnetMask));
    }
    if (has(kProblemClockOff)) {
        sentences.push_back(clockOffsetSentence(diagnosis.clockOffset));
    }
    return sentences;
}

std::optional<SuggestedAddressing> suggestFreeAddress(const LocalInterface& interface,
                                                      std::span<const CameraAddressing> cameras,
                                                      std::span<const LocalInterface> interfaces,
                                                      std::span<const Ipv4> otherAddresses) {
    if (interface.prefixLength < 1 || interface.prefixLength > 30) {
        return std::nullopt;
    }
    const std::uint32_t mask = maskBits(interface.prefixLength);
    const std::uint32_t own = ipv4ToNumber(interface.address);
    const std::uint32_t network = own & mask;
    const std::uint32_t broadcast = network | ~mask;
    std::unordered_set<std::uint32_t> used;
    for (const auto& i : interfaces) {
        used.insert(ipv4ToNumber(i.address));
    }
    for (const auto& c : cameras) {
        used.insert(ipv4ToNumber(c.ipAddress));
    }
    for (const auto& a : otherAddresses) {
        used.insert(ipv4ToNumber(a));
    }
    // The router: a camera on its address would take the LAN's way out. It is also the gateway
    // suggested, and no camera may be its own gateway. A device in the neighbour table answered
    // this PC lately, whether or not it is a camera.
    const Ipv4 gateway = interface.defaultGateway.value_or(Ipv4{});
    used.insert(ipv4ToNumber(gateway));
    for (const auto& n : interface.neighbours) {
        used.insert(ipv4ToNumber(n.address));
    }
    // Hosts run from network + 1 to broadcast − 1; start above this PC and wrap round. At most
    // as many steps as there are used addresses, plus one.
    const std::uint32_t hosts = broadcast - network - 1;
    std::uint32_t candidate = own;
    for (std::uint32_t step = 0; step < hosts; ++step) {
        candidate = candidate + 1 >= broadcast ? network + 1 : candidate + 1;
        // In a network wider than /24 an address ending in .0 or .255 is a host, but the
        // Network page refuses .0 and people read either as a network's own address.
        const std::uint32_t lastOctet = candidate & 0xFF;
        if (lastOctet != 0 && lastOctet != 255 && !used.contains(candidate)) {
            return SuggestedAddressing{ipv4FromNumber(candidate), ipv4FromNumber(mask), gateway};
        }
    }
    return std::nullopt;
}

}  // namespace pelmora
