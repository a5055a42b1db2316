#pragma once
// What the LAN diagnosis is given: this PC's IPv4 interfaces as the kernel reports them now,
// and the listed cameras' addressing with the interface each one's reply came in on.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lan/LanDiagnosis.h"
#include "model/CameraTable.h"

namespace pelmora {

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
