#include "plan/NetworkPlan.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <set>

#include "csv/Csv.h"
#include "model/FixedText.h"
#include "settings/network/NetworkChecks.h"
#include "settings/network/NetworkRequest.h"
#include "protocol/MacAddress.h"

namespace pelmora {
namespace {

constexpr const char* kDnsKeys[kDnsServers] = {"dns1", "dns2", "dns3", "dns4"};

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

bool isZero(const Ipv4& a) {
    return a == Ipv4{};
}

// A carriage return not followed by a line feed.
bool hasCrAlone(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) {
            return true;
        }
    }
    return false;
}

// The columns readPlan reads.
bool isPlanKey(std::string_view name) {
    static constexpr std::string_view kKeys[] = {"mac",     "dhcp",    "ipAddress", "subnetMask",
                                                 "gateway", "dnsAuto", "dns1",      "dns2",
                                                 "dns3",    "dns4",    "webPort"};
    return std::find(std::begin(kKeys), std::end(kKeys), name) != std::end(kKeys);
}

std::uint32_t maskOf(int prefixLength) {
    return prefixLength <= 0 ? 0 : ~std::uint32_t{0} << (32 - prefixLength);
}

}  // namespace

PlanRead readPlan(std::string_view csvText) {
    PlanRead read;
    const auto parsed = parseCsv(csvText);
    if (!parsed.error.empty()) {
        read.errors.push_back(parsed.error);
        return read;
    }
    if (parsed.rows.empty()) {
        read.errors.push_back("the plan is empty");
        return read;
    }
    if (parsed.rows.size() == 1) {
        // Carriage returns alone end no line here (nor in the other CSV readers): such a file
        // reads as one long header. Nothing would be sent, and an exit status of 0 would say
        // the plan was applied.
        read.errors.push_back(hasCrAlone(csvText)
                                  ? "the plan has no rows (its lines end in a carriage "
                                    "return alone: save it with LF or CRLF line ends)"
                                  : "the plan has no rows");
        return read;
    }
    std::map<std::string, std::size_t> columns;
    for (std::size_t i = 0; i < parsed.rows[0].size(); ++i) {
        const auto name = trimmed(parsed.rows[0][i]);
        // Only the first of two like-named columns would be read: an edit in the other would be
        // dropped without a word. Columns the plan does not read may repeat (blank titles do).
        if (!columns.emplace(name, i).second && isPlanKey(name)) {
            read.errors.push_back("row 1: the column \"" + name + "\" is named twice");
        }
    }
    if (!read.errors.empty()) {
        return read;
    }
    if (!columns.contains("mac")) {
        read.errors.push_back("the plan has no \"mac\" column");
        return read;
    }
    for (std::size_t r = 1; r < parsed.rows.size(); ++r) {
        const auto& cells = parsed.rows[r];
        const std::string where = "row " + std::to_string(r + 1) + ": ";
        // A column the row is too short for is left out of that row.
        const auto cell = [&](const char* key) -> std::optional<std::string> {
            const auto found = columns.find(key);
            if (found == columns.end() || found->second >= cells.size()) {
                return std::nullopt;
            }
            return trimmed(unguardFormula(cells[found->second]));
        };
        PlanRow row;
        row.rowNumber = r + 1;
        const auto mac = MacAddress::parse(cell("mac").value_or(""));
        if (!mac) {
            read.errors.push_back(where + "\"" + cell("mac").value_or("") + "\" is not a MAC");
            continue;
        }
        row.mac = mac->text();
        bool ok = true;
        const auto flag = [&](const char* key, std::optional<bool>& out) {
            const auto text = cell(key);
            if (!text || text->empty()) {
                return;
            }
            if (*text == "0" || *text == "1") {
                out = *text == "1";
            } else {
                read.errors.push_back(where + key + " must be 0 or 1, not \"" + *text + "\"");
                ok = false;
            }
        };
        // `blankAllowed`: an empty cell is the blank address; otherwise it is "as now".
        const auto address = [&](const char* key, std::optional<Ipv4>& out, bool blankAllowed) {
            const auto text = cell(key);
            if (!text || (text->empty() && !blankAllowed)) {
                return;
            }
            if (text->empty()) {
                out = Ipv4{};
            } else if (const auto a = parseIpv4(*text)) {
                out = *a;
            } else {
                read.errors.push_back(where + key + " is not an address: \"" + *text + "\"");
                ok = false;
            }
        };
        flag("dhcp", row.dhcp);
        address("ipAddress", row.ipAddress, false);
        address("subnetMask", row.subnetMask, false);
        address("gateway", row.gateway, true);
        flag("dnsAuto", row.dnsAuto);
        for (std::size_t n = 0; n < kDnsServers; ++n) {
            address(kDnsKeys[n], row.dns[n], true);
        }
        if (const auto port = cell("webPort"); port && !port->empty()) {
            if (port->size() <= kMaxWebPortText &&
                port->find_first_not_of("0123456789") == std::string::npos) {
                row.webPort = *port;
            } else {
                read.errors.push_back(where + "webPort must be digits only, at most 5: \"" + *port +
                                      "\"");
                ok = false;
            }
        }
        if (ok) {
            read.rows.push_back(std::move(row));
        }
    }
    return read;
}

std::string formatPlan(const std::vector<PlanRow>& rows) {
    const auto any = [&](auto has) { return std::any_of(rows.begin(), rows.end(), has); };
    const bool dhcp = any([](const PlanRow& r) { return r.dhcp.has_value(); });
    const bool ip = any([](const PlanRow& r) { return r.ipAddress.has_value(); });
    const bool mask = any([](const PlanRow& r) { return r.subnetMask.has_value(); });
    const bool gateway = any([](const PlanRow& r) { return r.gateway.has_value(); });
    const bool dnsAuto = any([](const PlanRow& r) { return r.dnsAuto.has_value(); });
    std::array<bool, kDnsServers> dns{};
    for (std::size_t n = 0; n < kDnsServers; ++n) {
        dns[n] = any([n](const PlanRow& r) { return r.dns[n].has_value(); });
    }
    const bool port = any([](const PlanRow& r) { return r.webPort.has_value(); });
    // An empty gateway or DNS cell is the blank address, 0.0.0.0; an empty address or mask cell
    // is "as now", so 0.0.0.0 there is written out.
    const auto text = [](const std::optional<Ipv4>& a) {
        return a && !isZero(*a) ? formatIpv4(*a) : std::string();
    };
    const auto kept = [](const std::optional<Ipv4>& a) {
        return a ? formatIpv4(*a) : std::string();
    };
    const auto bit = [](const std::optional<bool>& b) {
        return b ? std::string(*b ? "1" : "0") : std::string();
    };
    CsvRow header = {"mac"};
    const auto column = [&](bool present, const char* key) {
        if (present) {
            header.push_back(key);
        }
    };
    column(ip, "ipAddress");
    column(dhcp, "dhcp");
    column(mask, "subnetMask");
    column(gateway, "gateway");
    column(dnsAuto, "dnsAuto");
    for (std::size_t n = 0; n < kDnsServers; ++n) {
        column(dns[n], kDnsKeys[n]);
    }
    column(port, "webPort");
    std::string out = formatCsvRow(header);
    for (const auto& r : rows) {
        CsvRow cells = {r.mac};
        if (ip) {
            cells.push_back(kept(r.ipAddress));
        }
        if (dhcp) {
            cells.push_back(bit(r.dhcp));
        }
        if (mask) {
            cells.push_back(kept(r.subnetMask));
        }
        if (gateway) {
            cells.push_back(text(r.gateway));
        }
        if (dnsAuto) {
            cells.push_back(bit(r.dnsAuto));
        }
        for (std::size_t n = 0; n < kDnsServers; ++n) {
            if (dns[n]) {
                cells.push_back(text(r.dns[n]));
            }
        }
        if (port) {
            cells.push_back(r.webPort.value_or(""));
        }
        out += formatCsvRow(cells);
    }
    return out;
}

NetworkSettings currentSettings(const CameraRecord& record) {
    NetworkSettings s;
    s.dhcp = record.dhcp == 1;
    s.ipAddress = record.ipAddress;
    s.subnetMask = record.subnetMask;
    s.gateway = record.gateway;
    s.gatewayBlank = isZero(record.gateway);
    // Automatic DNS reported with a fixed address is shown as manual DNS.
    s.dnsAuto = record.dnsAuto == 1 && s.dhcp;
    if (!s.dnsAuto) {
        const Ipv4* servers[] = {&record.dns1, &record.dns2, &record.dns3, &record.dns4};
        for (std::size_t n = 0; n < kDnsServers; ++n) {
            s.dns[n] = {*servers[n], isZero(*servers[n])};
        }
    }
    s.webPort80 = record.webPort == 80;
    s.webPortText = s.webPort80 ? std::string() : std::to_string(record.webPort);
    return s;
}

NetworkSettings plannedSettings(const CameraRecord& record, const PlanRow& row) {
    NetworkSettings s = currentSettings(record);
    if (row.dhcp) {
        s.dhcp = *row.dhcp;
    }
    if (row.ipAddress) {
        s.ipAddress = *row.ipAddress;
    }
    if (row.subnetMask) {
        s.subnetMask = *row.subnetMask;
    }
    if (row.gateway) {
        s.gateway = *row.gateway;
        s.gatewayBlank = isZero(*row.gateway);
    }
    if (row.dnsAuto) {
        s.dnsAuto = *row.dnsAuto;
    }
    s.dnsAuto = s.dnsAuto && s.dhcp;
    // A camera obtaining its DNS servers automatically reports them too, but the current
    // settings leave them out (the page greys them). Turned to manual DNS, it keeps them.
    const Ipv4* reported[] = {&record.dns1, &record.dns2, &record.dns3, &record.dns4};
    for (std::size_t n = 0; n < kDnsServers; ++n) {
        if (row.dns[n]) {
            s.dns[n] = {*row.dns[n], isZero(*row.dns[n])};
        } else if (!s.dnsAuto) {
            s.dns[n] = {*reported[n], isZero(*reported[n])};
        }
    }
    if (s.dnsAuto) {
        s.dns = {};
    }
    if (row.webPort) {
        s.webPort80 = *row.webPort == "80";
        s.webPortText = s.webPort80 ? std::string() : *row.webPort;
    }
    return s;
}

bool sameSettings(const NetworkSettings& a, const NetworkSettings& b) {
    // The port as the camera reports it back: a number, so "08080" and "8080" are one port.
    const auto port = [](const NetworkSettings& s) {
        return s.webPort80 ? 80 : webPortNumber(s.webPortText);
    };
    if (port(a) != port(b)) {
        return false;
    }
    NetworkSettings x = a;
    NetworkSettings y = b;
    x.webPort80 = y.webPort80 = true;
    x.webPortText.clear();
    y.webPortText.clear();
    return buildNetworkRequest("", "", "", x) == buildNetworkRequest("", "", "", y);
}

bool reportsPlanned(const NetworkSettings& reported, const NetworkSettings& planned) {
    NetworkSettings expected = planned;
    if (planned.dhcp) {
        expected.gateway = reported.gateway;
        expected.gatewayBlank = reported.gatewayBlank;
    }
    return sameSettings(reported, expected);
}

PlanCheck checkPlan(const std::vector<PlanRow>& rows, std::span<const CameraRecord> listed,
                    std::span<const LocalInterface> interfaces) {
    PlanCheck check;
    std::map<std::string, const CameraRecord*> byMac;
    for (const auto& record : listed) {
        if (const auto mac = MacAddress::parse(fieldText(record.mac))) {
            byMac.emplace(mac->text(), &record);
        }
    }
    std::map<std::string, std::size_t> rowOf;
    for (const auto& row : rows) {
        if (!rowOf.emplace(row.mac, check.cameras.size()).second) {
            check.refusals.push_back(row.mac + ": listed more than once in the plan");
            continue;
        }
        const auto found = byMac.find(row.mac);
        if (found == byMac.end()) {
            check.refusals.push_back(row.mac + ": not among the cameras found");
            rowOf.erase(row.mac);
            continue;
        }
        PlannedCamera camera;
        camera.mac = fieldText(found->second->mac);
        camera.current = currentSettings(*found->second);
        camera.planned = plannedSettings(*found->second, row);
        camera.unchanged = sameSettings(camera.current, camera.planned);
        if (const auto refusal = refusalFor(checkNetworkSettings(camera.planned))) {
            check.refusals.push_back(row.mac + ": " + std::string(refusal->message));
            camera.refused = true;
        }
        // A DHCP request carries no address and no mask: an edited one would be dropped. The
        // camera's own (as discover --csv writes them) is no edit.
        const auto& record = *found->second;
        const bool editedAddress = row.ipAddress && *row.ipAddress != record.ipAddress;
        if (camera.planned.dhcp &&
            (editedAddress || (row.subnetMask && *row.subnetMask != record.subnetMask))) {
            const std::string edited = editedAddress ? formatIpv4(*row.ipAddress)
                                                     : "subnet mask " + formatIpv4(*row.subnetMask);
            check.refusals.push_back(
                (row.rowNumber != 0 ? "row " + std::to_string(row.rowNumber) + ": " : "") +
                "an address on a DHCP row (" + row.mac + ": " + edited + " is not sent with DHCP)");
            camera.refused = true;
        }
        check.cameras.push_back(std::move(camera));
    }
    // Who holds each address now: the plan's cameras by index, and every listed camera by MAC.
    std::map<std::uint32_t, std::vector<std::size_t>> plannedAt;
    // Two cameras may hold one address now (a conflict on the LAN the plan may be resolving).
    std::multimap<std::uint32_t, std::size_t> planHolder;
    for (std::size_t i = 0; i < check.cameras.size(); ++i) {
        const auto& c = check.cameras[i];
        if (!c.planned.dhcp) {
            plannedAt[ipv4ToNumber(c.planned.ipAddress)].push_back(i);
        }
        planHolder.emplace(ipv4ToNumber(c.current.ipAddress), i);
    }
    for (const auto& [address, holders] : plannedAt) {
        if (holders.size() > 1) {
            std::string macs;
            for (const auto i : holders) {
                macs += (macs.empty() ? "" : ", ") + check.cameras[i].mac;
            }
            check.refusals.push_back(macs + ": all planned at " +
                                     formatIpv4(ipv4FromNumber(address)));
        }
    }
    for (const auto& c : check.cameras) {
        if (c.unchanged || c.refused || c.planned.dhcp) {
            continue;
        }
        // One interface may have several addresses, each listed with its gateway and neighbours.
        std::set<std::string_view> interfacesSeen;
        const auto planned = ipv4ToNumber(c.planned.ipAddress);
        const std::string at = c.mac + ": " + formatIpv4(c.planned.ipAddress);
        if (!c.planned.gatewayBlank && c.planned.gateway == c.planned.ipAddress) {
            check.refusals.push_back(at + " is also its gateway");
        }
        for (const auto& record : listed) {
            const auto mac = macKey(fieldText(record.mac));
            if (!rowOf.contains(mac) && !isZero(record.ipAddress) &&
                ipv4ToNumber(record.ipAddress) == planned) {
                check.refusals.push_back(c.mac + ": " + formatIpv4(c.planned.ipAddress) +
                                         " is used by " + std::string(fieldText(record.mac)) +
                                         ", which is not in the plan");
            }
        }
        for (const auto& local : interfaces) {
            if (ipv4ToNumber(local.address) == planned) {
                check.refusals.push_back(c.mac + ": " + formatIpv4(c.planned.ipAddress) +
                                         " is this PC's address on " + local.name);
            }
            // The subnet's own and broadcast addresses by the planned mask are refused by the
            // page's checks; by this PC's own prefix on the same subnet too.
            const auto m = maskOf(local.prefixLength);
            if (!local.loopback && local.prefixLength > 0 && local.prefixLength < 31 &&
                (ipv4ToNumber(local.address) & m) == (planned & m) &&
                ((planned & ~m) == 0 || (planned & ~m) == ~m)) {
                check.refusals.push_back(c.mac + ": " + formatIpv4(c.planned.ipAddress) +
                                         " is the network or broadcast address of " + local.name +
                                         "'s subnet");
            }
            if (!interfacesSeen.insert(local.name).second) {
                continue;
            }
            if (local.defaultGateway && ipv4ToNumber(*local.defaultGateway) == planned) {
                check.refusals.push_back(at + " is this PC's default gateway on " + local.name);
            }
            // A camera's entry says only where it was: the listing says where it is now.
            for (const auto& neighbour : local.neighbours) {
                const auto mac = macKey(neighbour.mac);
                if (ipv4ToNumber(neighbour.address) == planned && !byMac.contains(mac) &&
                    !rowOf.contains(mac)) {
                    check.refusals.push_back(at + " is used by " + neighbour.mac +
                                             " (in this PC's neighbour table on " + local.name +
                                             "), which is not in the plan");
                }
            }
        }
    }
    // A camera moving onto an address another camera of the plan holds now goes after it.
    const std::size_t n = check.cameras.size();
    std::vector<std::vector<std::size_t>> after(n);  // after[h]: those waiting for h to move
    std::vector<std::size_t> waitsFor(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const auto& c = check.cameras[i];
        if (c.unchanged || c.planned.dhcp) {
            continue;
        }
        const auto [first, last] = planHolder.equal_range(ipv4ToNumber(c.planned.ipAddress));
        for (auto holder = first; holder != last; ++holder) {
            if (holder->second == i) {
                continue;
            }
            const auto& other = check.cameras[holder->second];
            if (other.planned.dhcp) {
                // A fixed address planned twice is refused above; a lease kept is caught here.
                // A camera switched to DHCP does not give its address up: its server may well
                // lease it the same one.
                check.refusals.push_back(
                    c.mac + ": " + formatIpv4(c.planned.ipAddress) + " is used by " + other.mac +
                    (other.current.dhcp ? ", which keeps it"
                                        : ", which is switched to DHCP and may keep it"));
            } else if (!other.unchanged) {
                after[holder->second].push_back(i);
                ++waitsFor[i];
            }
        }
    }
    std::vector<bool> placed(n, false);
    for (bool progress = true; progress;) {
        progress = false;
        // The first camera in file order that waits for nobody, each time.
        for (std::size_t i = 0; i < n; ++i) {
            if (!placed[i] && !check.cameras[i].unchanged && waitsFor[i] == 0) {
                placed[i] = true;
                check.order.push_back(i);
                for (const auto j : after[i]) {
                    --waitsFor[j];
                }
                progress = true;
                break;
            }
        }
    }
    std::string cycle;
    for (std::size_t i = 0; i < n; ++i) {
        if (!placed[i] && !check.cameras[i].unchanged) {
            cycle += (cycle.empty() ? "" : ", ") + check.cameras[i].mac;
        }
    }
    if (!cycle.empty()) {
        check.refusals.push_back(
            cycle + ": their moves form a cycle (each wants an address another of them holds)");
    }
    return check;
}

PlanCheck checkPlanBeforeListing(const std::vector<PlanRow>& rows,
                                 std::span<const LocalInterface> interfaces) {
    std::vector<CameraRecord> cameras;
    cameras.reserve(rows.size());
    for (const auto& row : rows) {
        CameraRecord record{};
        copyField(record.mac, row.mac);
        record.webPort = 80;
        cameras.push_back(record);
    }
    return checkPlan(rows, cameras, interfaces);
}

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
