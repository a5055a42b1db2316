#pragma once
// What the LAN diagnosis is given: this PC's IPv4 interfaces as the kernel reports them now,
// and the listed cameras' addressing with the interface each one's reply came in on.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/CameraTable.h"
#include "protocol/Ipv4.h"

namespace pelmora {

// A device this PC has lately exchanged packets with on a link: a complete (or permanent) entry
// of its neighbour (ARP) table. Its address is in use even when no camera reports it.
struct Neighbour {
    Ipv4 address{};
    std::string mac;  // as the table prints it, upper case: "AA:BB:CC:00:00:01"
};

// One IPv4 address of one of this PC's interfaces.
struct LocalInterface {
    std::string name;  // "eth1"
    int index = 0;     // the kernel's interface index, as a received datagram reports it
    Ipv4 address{};
    int prefixLength = 0;
    bool loopback = false;
    // The default route's gateway when it goes out through this interface.
    std::optional<Ipv4> defaultGateway;
    // The neighbour table's entries on this interface.
    std::vector<Neighbour> neighbours = {};
};

// A listed camera's addressing as it reports it, with the interface its reply came in on.
struct CameraAddressing {
    std::string mac;
    Ipv4 ipAddress{};
    Ipv4 subnetMask{};
    Ipv4 gateway{};
    bool dhcp = false;
    int interfaceIndex = 0;  // 0: not known
};

// Every IPv4 address of every interface (getifaddrs), with its prefix, the interface's index
// and loopback flag, the default route's gateway where the default route leaves by that
// interface (/proc/net/route) and its neighbour table entries (/proc/net/arp). Empty when the
// kernel cannot be asked.
std::vector<LocalInterface> readLocalInterfaces();

// The default routes of a /proc/net/route text: interface name and gateway, lowest metric
// first. Routes without a gateway (a default route straight onto a link) are left out.
std::vector<std::pair<std::string, Ipv4>> parseDefaultGateways(std::string_view routeTable);

// The entries of a /proc/net/arp text that hold an address in use: interface name and
// neighbour, for each complete entry (reachable or stale) and each permanent one. An entry
// still being resolved, or one that failed, is left out.
std::vector<std::pair<std::string, Neighbour>> parseNeighbourTable(std::string_view arpTable);

// Each interface's default gateway and neighbours, from the two tables' texts.
void addRoutesAndNeighbours(std::vector<LocalInterface>& interfaces, std::string_view routeTable,
                            std::string_view arpTable);

// One camera's addressing as its record reports it, with the interface its reply came in on.
CameraAddressing addressingOf(const CameraRecord& record, int interfaceIndex);

// The listed cameras (isListed), in table order, with the interface each one's last reply came
// in on: one consistent read of the table.
std::vector<CameraAddressing> listedAddressing(const CameraTable& table);

}  // namespace pelmora
