#include "changelog/OnvifRecording.h"

#include "listing/OnvifListing.h"

namespace pelmora {

RequestOutcome loggedOutcome(const onvif::SettingResult& result) {
    switch (result.outcome) {
        case onvif::SettingOutcome::Accepted:
            return RequestOutcome::Accepted;
        case onvif::SettingOutcome::Refused:
            return result.words == "Setting NG" ? RequestOutcome::Refused : RequestOutcome::Message;
        case onvif::SettingOutcome::WrongDevice:
            return RequestOutcome::NotSent;
        case onvif::SettingOutcome::NoResponse:
            break;
    }
    return RequestOutcome::NoResponse;
}

onvif::SettingResult sendRecorded(onvif::OnvifSetter& setter, ChangeJournal* journal,
                                  const onvif::OnvifCamera& camera, std::string_view action,
                                  const nlohmann::ordered_json& settings,
                                  const std::vector<onvif::SettingRequest>& requests) {
    std::string id;
    if (journal != nullptr) {
        const auto address = onvifCameraAddress(camera);
        id = journal->onvifRequestSent(camera.mac ? camera.mac->text() : std::string{},
                                       address ? formatIpv4(*address) : std::string{},
                                       camera.information.model.value_or(""), action, settings);
    }
    auto result = setter.send(requests);
    if (journal != nullptr) {
        journal->onvifRequestSettled(id, loggedOutcome(result), result.words);
    }
    return result;
}

}  // namespace pelmora
