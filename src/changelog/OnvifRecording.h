#pragma once
// Sending an ONVIF camera its requests with the change log told: one line before they go, one
// with how it went (the camera's refusal text as its message). Shared by the command line and
// the window, so both record alike.

#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "changelog/ChangeJournal.h"
#include "onvif/OnvifSetter.h"

namespace pelmora {

// How the change log words a setting's result.
RequestOutcome loggedOutcome(const onvif::SettingResult& result);

// `journal` null: sent unrecorded. `action` and `settings` as the log line has them.
onvif::SettingResult sendRecorded(onvif::OnvifSetter& setter, ChangeJournal* journal,
                                  const onvif::OnvifCamera& camera, std::string_view action,
                                  const nlohmann::ordered_json& settings,
                                  const std::vector<onvif::SettingRequest>& requests);

}  // namespace pelmora
