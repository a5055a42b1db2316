#pragma once
// What a setting request asks, read back from the datagram as sent: its kind and its settings
// under the JSON key names of a camera's record where one exists. The administrator
// credentials are left out, and of the PPPoE account only the user ID is kept, so nothing
// secret is ever part of a summary.

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace pelmora {

struct RequestSummary {
    // "network", "reboot", "bandwidth", "datetime", "pppoe", or "other" for none of these.
    std::string action;
    nlohmann::ordered_json settings = nlohmann::ordered_json::object();
};

RequestSummary summariseRequest(std::string_view request);

}  // namespace pelmora
