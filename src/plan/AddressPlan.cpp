#include "plan/AddressPlan.h"

#include <cstdint>
#include <map>
#include <set>

#include "protocol/MacAddress.h"

namespace pelmora {

AddressPlan makeAddressPlan(const std::vector<std::string>& macs, Ipv4 start, unsigned step,
                            Ipv4 mask, std::optional<Ipv4> gateway,
                            const std::array<std::optional<Ipv4>, kDnsServers>& dns,
                            std::optional<std::string> port,
                            std::span<const LocalInterface> interfaces) {
    AddressPlan plan;
    const std::uint32_t m = ipv4ToNumber(mask);
    const std::uint32_t network = ipv4ToNumber(start) & m;
    if (step == 0) {
        plan.error = "the step must be at least 1";
        return plan;
    }
    // Addresses in use, with why: skipped while numbering, where checkPlan would refuse them.
    std::map<std::uint32_t, std::string> inUse;
    std::set<std::string> numbered;
    for (const auto& mac : macs) {
        numbered.insert(macKey(mac));
    }
    for (const auto& local : interfaces) {
        inUse.emplace(ipv4ToNumber(local.address), "this PC's address on " + local.name);
        if (local.defaultGateway) {
            inUse.emplace(ipv4ToNumber(*local.defaultGateway),
                          "this PC's default gateway on " + local.name);
        }
        // A camera being numbered leaves its address; any other device keeps its own.
        for (const auto& neighbour : local.neighbours) {
            if (!numbered.contains(macKey(neighbour.mac))) {
                inUse.emplace(ipv4ToNumber(neighbour.address),
                              "used by " + neighbour.mac + " (in this PC's neighbour table on " +
                                  local.name + ")");
            }
        }
    }
    if (gateway) {
        // No camera may be its own gateway. Said first: a router is why the address is taken.
        inUse.insert_or_assign(ipv4ToNumber(*gateway), std::string("the gateway"));
    }
    std::uint64_t next = ipv4ToNumber(start);
    // Past the subnet's own address and its broadcast address, and past any address ending in
    // .0 (which the page refuses) or .255 (which reads as a broadcast).
    const auto skipped = [m](std::uint64_t a) {
        return (a & ~m) == 0 || (a & ~m) == (~m & 0xFFFFFFFFu) || (a & 0xFF) == 0 ||
               (a & 0xFF) == 0xFF;
    };
    const auto inSubnet = [m, network](std::uint64_t a) {
        return a <= 0xFFFFFFFFu && (static_cast<std::uint32_t>(a) & m) == network;
    };
    for (const auto& mac : macs) {
        // Within the subnet only: a mask of all ones would otherwise be walked to the end of
        // the address space.
        while (inSubnet(next)) {
            if (skipped(next)) {
                next += step;
            } else if (const auto used = inUse.find(static_cast<std::uint32_t>(next));
                       used != inUse.end()) {
                plan.skipped.push_back(formatIpv4(ipv4FromNumber(used->first)) + ": " +
                                       used->second);
                next += step;
            } else {
                break;
            }
        }
        if (!inSubnet(next)) {
            plan.error = "the subnet of " + formatIpv4(start) + " has no room for " +
                         std::to_string(macs.size()) + " cameras " + std::to_string(step) +
                         " apart";
            plan.rows.clear();
            plan.skipped.clear();
            return plan;
        }
        PlanRow row;
        row.mac = macKey(mac);
        row.dhcp = false;
        row.ipAddress = ipv4FromNumber(static_cast<std::uint32_t>(next));
        row.subnetMask = mask;
        row.gateway = gateway;
        row.dnsAuto = false;
        row.dns = dns;
        row.webPort = port;
        plan.rows.push_back(std::move(row));
        next += step;
    }
    return plan;
}

}  // namespace pelmora
