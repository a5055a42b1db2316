#include "engine/LocalInterfaces.h"

#include <net/if.h>
#include <net/route.h>
#include <netinet/in.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "engine/InterfaceAddresses.h"
#include "model/FixedText.h"
#include "protocol/MacAddress.h"

namespace pelmora {
namespace {

Ipv4 ipv4Of(in_addr address) {
    Ipv4 out;
    std::memcpy(out.data(), &address.s_addr, out.size());
    return out;
}

// A hex field of /proc/net/route: the kernel prints each address's 32 bits, in network order in
// memory, as one host-order number.
bool readHex(std::string_view text, std::uint32_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return ec == std::errc{} && end == text.data() + text.size();
}

}  // namespace

std::vector<std::pair<std::string, Ipv4>> parseDefaultGateways(std::string_view routeTable) {
    struct Route {
        std::string name;
        Ipv4 gateway;
        std::uint32_t metric;
    };
    std::vector<Route> routes;
    std::istringstream lines{std::string(routeTable)};
    std::string line;
    std::getline(lines, line);  // the column titles
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name, destination, gateway, flags, refCount, use, metric, mask;
        if (!(fields >> name >> destination >> gateway >> flags >> refCount >> use >> metric >>
              mask)) {
            continue;
        }
        std::uint32_t destinationBits = 0, gatewayBits = 0, flagBits = 0, maskBits = 0;
        std::uint32_t metricValue = 0;
        const auto [end, ec] =
            std::from_chars(metric.data(), metric.data() + metric.size(), metricValue);
        if (!readHex(destination, destinationBits) || !readHex(gateway, gatewayBits) ||
            !readHex(flags, flagBits) || !readHex(mask, maskBits) || ec != std::errc{}) {
            continue;
        }
        const bool isDefault = destinationBits == 0 && maskBits == 0;
        const bool viaGateway = (flagBits & RTF_UP) != 0 && (flagBits & RTF_GATEWAY) != 0;
        if (!isDefault || !viaGateway || gatewayBits == 0) {
            continue;
        }
        routes.push_back({name, ipv4Of(in_addr{gatewayBits}), metricValue});
    }
    std::stable_sort(routes.begin(), routes.end(),
                     [](const Route& a, const Route& b) { return a.metric < b.metric; });
    std::vector<std::pair<std::string, Ipv4>> out;
    for (auto& r : routes) {
        out.emplace_back(std::move(r.name), r.gateway);
    }
    return out;
}

std::vector<std::pair<std::string, Neighbour>> parseNeighbourTable(std::string_view arpTable) {
    // The kernel's flags: ATF_COM, the entry is complete; ATF_PERM, it was set by hand.
    constexpr std::uint32_t kComplete = 0x2;
    constexpr std::uint32_t kPermanent = 0x4;
    std::vector<std::pair<std::string, Neighbour>> found;
    std::istringstream lines{std::string(arpTable)};
    std::string line;
    std::getline(lines, line);  // the column titles
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string address, type, flags, hardware, mask, device;
        if (!(fields >> address >> type >> flags >> hardware >> mask >> device)) {
            continue;
        }
        std::uint32_t flagBits = 0;
        const auto ip = parseIpv4(address);
        if (!ip || !flags.starts_with("0x") ||
            !readHex(std::string_view(flags).substr(2), flagBits) ||
            (flagBits & (kComplete | kPermanent)) == 0) {
            continue;
        }
        // In the cameras' form, so that a camera's entry is found by its MAC. Another link
        // type's longer address is no camera's: only its letters are raised, as ASCII.
        if (const auto mac = MacAddress::parse(hardware)) {
            hardware = mac->text();
        } else {
            for (auto& c : hardware) {
                c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
            }
        }
        found.emplace_back(std::move(device), Neighbour{*ip, std::move(hardware)});
    }
    return found;
}

void addRoutesAndNeighbours(std::vector<LocalInterface>& interfaces, std::string_view routeTable,
                            std::string_view arpTable) {
    // Lowest metric first: the first default route through an interface is the one it uses.
    for (const auto& [name, gateway] : parseDefaultGateways(routeTable)) {
        for (auto& interface : interfaces) {
            if (interface.name == name && !interface.defaultGateway) {
                interface.defaultGateway = gateway;
            }
        }
    }
    for (const auto& [name, neighbour] : parseNeighbourTable(arpTable)) {
        for (auto& interface : interfaces) {
            if (interface.name == name) {
                interface.neighbours.push_back(neighbour);
            }
        }
    }
}

std::vector<LocalInterface> readLocalInterfaces() {
    std::vector<LocalInterface> found;
    for (const auto& entry : interfaceAddresses()) {
        LocalInterface interface;
        interface.name = entry.name;
        interface.index = static_cast<int>(entry.index);
        interface.address = ipv4Of(entry.address);
        if (entry.netmask) {
            interface.prefixLength = std::popcount(entry.netmask->s_addr);
        }
        interface.loopback = (entry.flags & IFF_LOOPBACK) != 0;
        found.push_back(std::move(interface));
    }

    std::ifstream routeFile("/proc/net/route");
    const std::string routes{std::istreambuf_iterator<char>(routeFile), {}};
    std::ifstream arpFile("/proc/net/arp");
    const std::string neighbours{std::istreambuf_iterator<char>(arpFile), {}};
    addRoutesAndNeighbours(found, routes, neighbours);
    return found;
}

CameraAddressing addressingOf(const CameraRecord& record, int interfaceIndex) {
    CameraAddressing camera;
    camera.mac = std::string(fieldText(record.mac));
    camera.ipAddress = record.ipAddress;
    camera.subnetMask = record.subnetMask;
    camera.gateway = record.gateway;
    camera.dhcp = record.dhcp == 1;
    camera.interfaceIndex = interfaceIndex;
    return camera;
}

std::vector<CameraAddressing> listedAddressing(const CameraTable& table) {
    return table.read([](const TableData& d) {
        std::vector<CameraAddressing> cameras;
        cameras.reserve(static_cast<std::size_t>(d.count));
        for (int i = 0; i < d.count; ++i) {
            if (isListed(d.records[i])) {
                cameras.push_back(addressingOf(d.records[i], d.receivedOn[i]));
            }
        }
        return cameras;
    });
}

}  // namespace pelmora
