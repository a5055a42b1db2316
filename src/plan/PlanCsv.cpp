#include "plan/PlanCsv.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "csv/Csv.h"
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

}  // namespace pelmora
