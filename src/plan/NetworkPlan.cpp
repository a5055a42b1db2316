#include "plan/NetworkPlan.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>

#include "csv/Csv.h"
#include "model/FixedText.h"
#include "pages/network/NetworkChecks.h"
#include "pages/network/NetworkRequest.h"

namespace pelmora {
namespace {

constexpr const char* kDnsKeys[kDnsServers] = {"dns1", "dns2", "dns3", "dns4"};

// Six hex pairs with ":" or "-" between them, written back upper case with ":".
std::optional<std::string> normalMac(std::string_view text) {
    if (text.size() != 17) {
        return std::nullopt;
    }
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (i % 3 == 2) {
            if (c != ':' && c != '-') {
                return std::nullopt;
            }
            out += ':';
        } else if (std::isxdigit(static_cast<unsigned char>(c))) {
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        } else {
            return std::nullopt;
        }
    }
    return out;
}

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
    std::map<std::string, std::size_t> columns;
    for (std::size_t i = 0; i < parsed.rows[0].size(); ++i) {
        columns.emplace(trimmed(parsed.rows[0][i]), i);
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
        const auto mac = normalMac(cell("mac").value_or(""));
        if (!mac) {
            read.errors.push_back(where + "\"" + cell("mac").value_or("") + "\" is not a MAC");
            continue;
        }
        row.mac = *mac;
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
    const auto text = [](const std::optional<Ipv4>& a) {
        return a && !isZero(*a) ? formatIpv4(*a) : std::string();
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
            cells.push_back(text(r.ipAddress));
        }
        if (dhcp) {
            cells.push_back(bit(r.dhcp));
        }
        if (mask) {
            cells.push_back(text(r.subnetMask));
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
    for (std::size_t n = 0; n < kDnsServers; ++n) {
        if (row.dns[n]) {
            s.dns[n] = {*row.dns[n], isZero(*row.dns[n])};
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
        if (const auto mac = normalMac(fieldText(record.mac))) {
            byMac.emplace(*mac, &record);
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
        const auto planned = ipv4ToNumber(c.planned.ipAddress);
        for (const auto& record : listed) {
            const auto mac = normalMac(fieldText(record.mac)).value_or("");
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
            if (!other.unchanged) {
                after[holder->second].push_back(i);
                ++waitsFor[i];
            } else if (other.planned.dhcp) {
                // A fixed address planned twice is refused above; a lease kept is caught here.
                check.refusals.push_back(c.mac + ": " + formatIpv4(c.planned.ipAddress) +
                                         " is used by " + other.mac + ", which keeps it");
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

AddressPlan makeAddressPlan(const std::vector<std::string>& macs, Ipv4 start, unsigned step,
                            Ipv4 mask, std::optional<Ipv4> gateway,
                            const std::array<std::optional<Ipv4>, kDnsServers>& dns,
                            std::optional<std::string> port) {
    AddressPlan plan;
    const std::uint32_t m = ipv4ToNumber(mask);
    const std::uint32_t network = ipv4ToNumber(start) & m;
    if (step == 0) {
        plan.error = "the step must be at least 1";
        return plan;
    }
    std::uint64_t next = ipv4ToNumber(start);
    for (const auto& mac : macs) {
        // Past the subnet's own address and its broadcast address, and past any address ending
        // in .0 (which the page refuses) or .255 (which reads as a broadcast).
        const auto skipped = [m](std::uint64_t a) {
            return (a & ~m) == 0 || (a & ~m) == (~m & 0xFFFFFFFFu) || (a & 0xFF) == 0 ||
                   (a & 0xFF) == 0xFF;
        };
        while (next <= 0xFFFFFFFFu && skipped(next)) {
            next += step;
        }
        if (next > 0xFFFFFFFFu || (static_cast<std::uint32_t>(next) & m) != network) {
            plan.error = "the subnet of " + formatIpv4(start) + " has no room for " +
                         std::to_string(macs.size()) + " cameras " + std::to_string(step) +
                         " apart";
            plan.rows.clear();
            return plan;
        }
        PlanRow row;
        row.mac = normalMac(mac).value_or(mac);
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
