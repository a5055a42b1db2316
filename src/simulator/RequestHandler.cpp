#include "simulator/RequestHandler.h"

#include <algorithm>

#include "protocol/Base64.h"
#include "simulator/ReplyBuilder.h"
#include "simulator/SettingApplier.h"

namespace pelmora::sim {
namespace {

enum class Access { Granted, Denied };

Access checkCredentials(const RequestFields& fields, const SettingPolicy& policy,
                        bool onlyDateTime) {
    const auto encoded = fields.value("IDPASS:");
    if (!encoded) {
        return onlyDateTime ? Access::Granted : Access::Denied;
    }
    const auto plain = base64Decode(*encoded);
    const std::string expected = policy.adminName + ':' + policy.adminPassword;
    return plain && *plain == expected ? Access::Granted : Access::Denied;
}

}  // namespace

std::optional<std::string> handleSettingRequest(SimCamera& camera, const RequestFields& fields,
                                                const SettingPolicy& policy, const SimTime& now) {
    if (camera.silentToSettings || camera.isRebooting(now.steadyMs)) {
        return std::nullopt;
    }
    const auto refuse = [&] { return buildSettlement(false, camera.mac, policy.refuseMessage); };
    if (camera.refusesSettings) {
        return refuse();
    }

    // Work on a copy so that a refused request leaves the camera exactly as it was.
    SimCamera updated = camera;
    const ApplyResult network = applyNetworkSettings(updated, fields);
    const ApplyResult bandwidth = applyBandwidth(updated, fields);
    const ApplyResult pppoe = applyPppoe(updated, fields);
    const ApplyResult dateTime = applyDateTime(updated, fields, now.localSeconds);
    const ApplyResult all[] = {network, bandwidth, pppoe, dateTime};
    const auto has = [&](ApplyResult wanted) {
        return std::find(std::begin(all), std::end(all), wanted) != std::end(all);
    };
    if (has(ApplyResult::Invalid)) {
        return refuse();
    }
    const auto reboot = fields.value("REBOOT:");
    const bool onlyDateTime = dateTime == ApplyResult::Applied && !reboot &&
                              network == ApplyResult::Absent && bandwidth == ApplyResult::Absent &&
                              pppoe == ApplyResult::Absent;
    if (checkCredentials(fields, policy, onlyDateTime) == Access::Denied) {
        return refuse();
    }
    if (reboot && *reboot != "ON") {
        return refuse();
    }
    if (!has(ApplyResult::Applied) && !reboot) {
        return refuse();
    }
    if (reboot) {
        updated.rebootingUntilMs = now.steadyMs + policy.rebootMs;
    }
    if (network == ApplyResult::Applied && policy.networkSilenceMs > 0) {
        updated.rebootingUntilMs =
            std::max(updated.rebootingUntilMs, now.steadyMs + policy.networkSilenceMs);
    }
    camera = std::move(updated);
    return buildSettlement(true, camera.mac, std::nullopt);
}

}  // namespace pelmora::sim
