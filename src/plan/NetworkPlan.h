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
#include "settings/network/NetworkSettings.h"

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
    std::size_t rowNumber = 0;  // its row in the file, the header being row 1; 0 when made
};

struct PlanRead {
    std::vector<PlanRow> rows;
    std::vector<std::string> errors;  // one per unreadable line or cell; empty when all read
};

// The plan in a CSV text: `mac` is required, other columns are ignored. A leading "'" that
// guarded text against spreadsheet formulas is dropped. A column the plan reads named twice, and
// a header without rows, are errors.
PlanRead readPlan(std::string_view csvText);

// The plan as CSV with the columns it sets, in the order the JSON keys stand. An address or
// mask of 0.0.0.0 is written out, as an empty cell there means "as the camera reports".
std::string formatPlan(const std::vector<PlanRow>& rows);

// The Network page's form as it would be filled from this record.
NetworkSettings currentSettings(const CameraRecord& record);
// The current settings with the row's columns put in their place. A fixed address always goes
// with manual DNS, as on the page; servers the row does not set are those the camera reports,
// even when it obtained them automatically.
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

// `listed`: every camera found (the plan's and the others); `interfaces`: this PC's, with their
// default gateways and neighbour tables. An address a camera keeps under DHCP (planned DHCP,
// whether or not it changes) is not free for another row; no fixed address may be its own
// gateway, a default gateway of this PC or a neighbour's that is not a listed camera.
PlanCheck checkPlan(const std::vector<PlanRow>& rows, std::span<const CameraRecord> listed,
                    std::span<const LocalInterface> interfaces);

// The same checks before any camera is heard, as a plan is written: each row against a camera
// that reports no address, gateway or DNS server and port 80, so that what the row sets is
// checked now and what it leaves to the camera is checked when the plan is applied.
PlanCheck checkPlanBeforeListing(const std::vector<PlanRow>& rows,
                                 std::span<const LocalInterface> interfaces);

// Consecutive addresses from `start`, `step` apart, skipping the subnet's own and broadcast
// addresses and any ending in .0 or .255, one per MAC in the order given, all fixed with manual DNS
// and the mask. The gateway, the DNS servers and the port are set only when given. Addresses in
// use are skipped too, each said in `skipped`: the gateway given, this PC's addresses and default
// gateways on `interfaces`, and its neighbours' but for those of the MACs being numbered. An
// error when the start is not on a usable host address or the subnet has no room for them all.
struct AddressPlan {
    std::vector<PlanRow> rows;
    std::string error;
    std::vector<std::string> skipped;  // "10.1.0.254: the gateway", one per address in use
};
AddressPlan makeAddressPlan(const std::vector<std::string>& macs, Ipv4 start, unsigned step,
                            Ipv4 mask, std::optional<Ipv4> gateway,
                            const std::array<std::optional<Ipv4>, kDnsServers>& dns,
                            std::optional<std::string> port,
                            std::span<const LocalInterface> interfaces = {});

}  // namespace pelmora
