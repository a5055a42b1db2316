#pragma once
// A network plan: the addressing many cameras should have, one row per camera, read from CSV
// whose header names columns by the keys "discover --json" prints. A column left out means "as
// the camera reports it now". Before anything is sent the whole plan is checked, and the cameras
// that change are put in an order in which no two of them ever hold one address at once.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lan/LanDiagnosis.h"
#include "model/CameraRecord.h"
#include "pages/network/NetworkSettings.h"

namespace pelmora {

// One row as read: each setting is present only when its column is.
struct PlanRow {
    std::string mac;
    std::optional<bool> dhcp;
    std::optional<Ipv4> ipAddress;
    std::optional<Ipv4> subnetMask;
    std::optional<Ipv4> gateway;  // 0.0.0.0 or an empty cell: no gateway
    std::optional<bool> dnsAuto;
    std::array<std::optional<Ipv4>, kDnsServers> dns;  // 0.0.0.0 or empty: blank
    std::optional<std::string> webPort;                // digits as written
};

struct PlanRead {
    std::vector<PlanRow> rows;
    std::vector<std::string> errors;  // one per unreadable line or cell; empty when all read
};

// The plan in a CSV text: `mac` is required, other columns are ignored. A leading "'" that
// guarded text against spreadsheet formulas is dropped.
PlanRead readPlan(std::string_view csvText);

// The plan as CSV with the columns it sets, in the order the JSON keys stand.
std::string formatPlan(const std::vector<PlanRow>& rows);

// The Network page's form as it would be filled from this record.
NetworkSettings currentSettings(const CameraRecord& record);
// The current settings with the row's columns put in their place. A fixed address always goes
// with manual DNS, as on the page.
NetworkSettings plannedSettings(const CameraRecord& record, const PlanRow& row);
// Whether a camera holding `a` would hold `b`: the same request would be sent for both.
bool sameSettings(const NetworkSettings& a, const NetworkSettings& b);
// Whether a camera reporting `reported` holds `planned`. With DHCP the lease decides the
// gateway, so the gateway is not compared.
bool reportsPlanned(const NetworkSettings& reported, const NetworkSettings& planned);

// One camera of a checked plan.
struct PlannedCamera {
    std::string mac;
    NetworkSettings current;
    NetworkSettings planned;
    bool unchanged = false;
    bool refused = false;  // the page's checks refuse its planned settings
};

struct PlanCheck {
    std::vector<PlannedCamera> cameras;  // in file order
    std::vector<std::size_t> order;      // the changing cameras, as indices, in sending order
    std::vector<std::string> refusals;   // every reason the plan is refused; empty when it is not
};

// `listed`: every camera found (the plan's and the others); `interfaces`: this PC's.
PlanCheck checkPlan(const std::vector<PlanRow>& rows, std::span<const CameraRecord> listed,
                    std::span<const LocalInterface> interfaces);

// Consecutive addresses from `start`, `step` apart, skipping the subnet's own and broadcast
// addresses and any ending in .0 or .255, one per MAC in the order given, all fixed with manual DNS
// and the mask. The gateway, the DNS servers and the port are set only when given. An error when
// the start is not on a usable host address or the subnet has no room for them all.
struct AddressPlan {
    std::vector<PlanRow> rows;
    std::string error;
};
AddressPlan makeAddressPlan(const std::vector<std::string>& macs, Ipv4 start, unsigned step,
                            Ipv4 mask, std::optional<Ipv4> gateway,
                            const std::array<std::optional<Ipv4>, kDnsServers>& dns,
                            std::optional<std::string> port);

}  // namespace pelmora
