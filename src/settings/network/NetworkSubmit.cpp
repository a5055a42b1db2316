#include "settings/network/NetworkSubmit.h"

#include "model/FixedText.h"
#include "settings/SettingSender.h"
#include "settings/network/NetworkRequest.h"
#include "settings/network/SentSettings.h"

namespace pelmora {
namespace {

SubmitResult refused(NetworkVerdict verdict) {
    return {SubmitStatus::Refused, refusalFor(verdict)};
}

}  // namespace

SubmitResult submitNetworkSettings(CameraTable& table, const DatagramSender& send,
                                   std::string_view selectedMac, std::string_view name,
                                   std::string_view password, const NetworkSettings& settings) {
    if (const auto verdict = checkNetworkAddresses(settings); verdict != NetworkVerdict::Valid) {
        return refused(verdict);
    }
    const auto record = selectedMac.empty() ? std::nullopt : table.findByMac(selectedMac);
    if (!record) {
        return {SubmitStatus::CameraGone, std::nullopt};
    }
    if (const auto verdict = checkWebPort(settings); verdict != NetworkVerdict::Valid) {
        return refused(verdict);
    }
    const auto mac = fieldText(record->mac);
    const auto request = buildNetworkRequest(mac, name, password, settings);
    if (sendSettingRequest(table, send, mac, request) != 0) {
        return {SubmitStatus::SendFailed, std::nullopt};
    }
    applySentSettings(table, mac, settings);
    return {SubmitStatus::Sent, std::nullopt};
}

SubmitStatus submitReboot(CameraTable& table, const DatagramSender& send,
                          std::string_view selectedMac, std::string_view name,
                          std::string_view password) {
    const auto record = selectedMac.empty() ? std::nullopt : table.findByMac(selectedMac);
    if (!record) {
        return SubmitStatus::CameraGone;
    }
    const auto mac = fieldText(record->mac);
    const auto request = buildRebootRequest(mac, name, password);
    return sendSettingRequest(table, send, mac, request) == 0 ? SubmitStatus::Sent
                                                              : SubmitStatus::SendFailed;
}

}  // namespace pelmora
