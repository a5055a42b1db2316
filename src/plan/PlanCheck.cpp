#include "plan/PlanCheck.h"

#include <cstdint>
#include <map>
#include <set>
#include <string_view>

#include "model/FixedText.h"
#include "plan/PlanSettings.h"
#include "protocol/MacAddress.h"
#include "settings/network/NetworkChecks.h"

namespace pelmora {
namespace {

bool isZero(const Ipv4& a) {
    return a == Ipv4{};
}

std::uint32_t maskOf(int prefixLength) {
    return prefixLength <= 0 ? 0 : ~std::uint32_t{0} << (32 - prefixLength);
}

}  // namespace

PlanCheck checkPlan(const std::vector<PlanRow>& rows, std::span<const CameraRecord> listed,
                    std::span<const LocalInterface> interfaces, std::span<const OtherHolder> others,
                    std::span<const onvif::OnvifCamera> onvifCameras) {
    PlanCheck check;
    std::map<std::string, const CameraRecord*> byMac;
    for (const auto& record : listed) {
        if (const auto mac = MacAddress::parse(fieldText(record.mac))) {
            byMac.emplace(mac->text(), &record);
        }
    }
    // An ONVIF camera read through its own protocol, in a record as ours are read; a camera that
    // answers both protocols is planned as ours.
    std::map<std::string, const onvif::OnvifCamera*> onvifByMac;
    for (const auto& camera : onvifCameras) {
        if (camera.mac && !byMac.contains(camera.mac->text())) {
            onvifByMac.emplace(camera.mac->text(), &camera);
        }
    }
    std::vector<CameraRecord> onvifRecords;
    onvifRecords.reserve(rows.size());
    std::map<std::string, std::size_t> rowOf;
    for (const auto& row : rows) {
        if (!rowOf.emplace(row.mac, check.cameras.size()).second) {
            check.refusals.push_back(row.mac + ": listed more than once in the plan");
            continue;
        }
        const CameraRecord* found = nullptr;
        const onvif::OnvifCamera* onvifCamera = nullptr;
        if (const auto ours = byMac.find(row.mac); ours != byMac.end()) {
            found = ours->second;
        } else if (const auto other = onvifByMac.find(row.mac); other != onvifByMac.end()) {
            onvifCamera = other->second;
            if (!plannable(*onvifCamera)) {
                check.refusals.push_back(row.mac +
                                         ": an ONVIF camera whose addressing could not be read");
                rowOf.erase(row.mac);
                continue;
            }
            onvifRecords.push_back(planRecordOf(*onvifCamera));
            found = &onvifRecords.back();
        }
        if (found == nullptr) {
            check.refusals.push_back(row.mac + ": not among the cameras found");
            rowOf.erase(row.mac);
            continue;
        }
        PlannedCamera camera;
        camera.mac = fieldText(found->mac);
        camera.current = currentSettings(*found);
        camera.planned = plannedSettings(*found, row);
        camera.unchanged = sameSettings(camera.current, camera.planned);
        if (const auto refusal = refusalFor(checkNetworkSettings(camera.planned))) {
            check.refusals.push_back(row.mac + ": " + std::string(refusal->message));
            camera.refused = true;
        }
        if (onvifCamera != nullptr && !camera.refused) {
            auto target = std::make_shared<OnvifPlanTarget>();
            target->camera = *onvifCamera;
            target->change = onvifPlanChange(camera.current, camera.planned);
            std::string error;
            if (auto requests = onvif::networkRequests(*onvifCamera, target->change, &error)) {
                target->requests = std::move(*requests);
                // What the camera reports may differ from the form in ways the requests do not
                // carry (a fourth name server, say): nothing to send is nothing changed.
                camera.unchanged = camera.unchanged || target->requests.empty();
            } else {
                check.refusals.push_back(row.mac + ": " + error);
                camera.refused = true;
            }
            camera.onvif = std::move(target);
        }
        // A DHCP request carries no address and no mask: an edited one would be dropped. The
        // camera's own (as discover --csv writes them) is no edit.
        const auto& record = *found;
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
        for (const auto& other : others) {
            // A camera of the plan, or one of ours, holds its own address in this check already
            // (the order, or the listing). Any other address it answers from is one it may keep.
            const auto key = macKey(other.name);
            const auto row = rowOf.find(key);
            const auto listedCamera = byMac.find(key);
            const bool accountedFor =
                key == macKey(c.mac) ||
                (row != rowOf.end() && row->second < check.cameras.size() &&
                 check.cameras[row->second].current.ipAddress == other.address) ||
                (listedCamera != byMac.end() && listedCamera->second->ipAddress == other.address);
            if (ipv4ToNumber(other.address) == planned && !accountedFor) {
                const bool inPlan = row != rowOf.end() || listedCamera != byMac.end();
                check.refusals.push_back(
                    at + " is used by " + other.name + " (an ONVIF camera)" +
                    (inPlan ? ", which answers from it as well" : ", which is not in the plan"));
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

}  // namespace pelmora
