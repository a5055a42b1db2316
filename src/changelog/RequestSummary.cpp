#include "changelog/RequestSummary.h"

#include <array>
#include <charconv>
#include <utility>

#include "listing/CameraListing.h"
#include "protocol/Base64.h"
#include "protocol/Wire.h"

namespace pelmora {
namespace {

using Json = nlohmann::ordered_json;

// Fields whose value is recorded under a record's JSON key; on/off fields become 1 and 0, as
// the record's flags are written.
struct KnownField {
    std::string_view key;
    std::string_view jsonKey;
    bool onOff;
};

constexpr std::array kFields{
    KnownField{"DHCP:", "dhcp", true},
    KnownField{"IPADR:", "ipAddress", false},
    KnownField{"MASK:", "subnetMask", false},
    KnownField{"GATEWAY:", "gateway", false},
    KnownField{"DNSAUTO:", "dnsAuto", true},
    KnownField{"DNS1:", "dns1", false},
    KnownField{"DNS2:", "dns2", false},
    KnownField{"DNS3:", "dns3", false},
    KnownField{"DNS4:", "dns4", false},
    KnownField{"SETBAND:", "currentBand", false},
    KnownField{"TIMEZONE:", "timeZone", false},
    KnownField{"DTFORMAT:", "dateTimeFormat", false},
    KnownField{"PPPOEFUNC:", "pppoeOn", true},
    KnownField{"PPPOEDNSAUTO:", "pppoeDnsAuto", true},
    KnownField{"PPPOEDNS1:", "pppoeDns1", false},
    KnownField{"PPPOEDNS2:", "pppoeDns2", false},
};

Json onOffValue(std::string_view value) {
    if (value == "ON") {
        return 1;
    }
    if (value == "OFF") {
        return 0;
    }
    return latin1ToUtf8(value);
}

Json portValue(std::string_view value) {
    int port = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), port);
    if (ec == std::errc{} && end == value.data() + value.size() && !value.empty()) {
        return port;
    }
    return latin1ToUtf8(value);
}

// YYMMDDhhmmss and a weekday digit, written as the record's clock is.
Json clockValue(std::string_view value) {
    if (value.size() < 12) {
        return latin1ToUtf8(value);
    }
    const auto part = [&](std::size_t at) { return std::string(value.substr(at, 2)); };
    return latin1ToUtf8("20" + part(0) + "-" + part(2) + "-" + part(4) + " " + part(6) + ":" +
                        part(8) + ":" + part(10));
}

// The user ID of "user:password" in Base64; nothing when it cannot be read, since what is
// unreadable cannot be told apart from the password.
void addPppoeUserId(Json& settings, std::string_view value) {
    const auto account = base64Decode(value);
    if (!account) {
        return;
    }
    const auto colon = account->find(':');
    if (colon == std::string::npos) {
        return;
    }
    settings["pppoeUserId"] = latin1ToUtf8(std::string_view(*account).substr(0, colon));
}

std::string actionOf(const Json& settings, bool reboot, bool time) {
    if (reboot) {
        return "reboot";
    }
    if (settings.contains("dhcp") || settings.contains("ipAddress")) {
        return "network";
    }
    if (settings.contains("currentBand")) {
        return "bandwidth";
    }
    if (time || settings.contains("timeZone") || settings.contains("dateTimeFormat")) {
        return "datetime";
    }
    if (settings.contains("pppoeOn")) {
        return "pppoe";
    }
    return "other";
}

}  // namespace

RequestSummary summariseRequest(std::string_view request) {
    if (request.starts_with(kStx)) {
        request.remove_prefix(1);
    }
    if (request.ends_with(kEtx)) {
        request.remove_suffix(1);
    }
    RequestSummary summary;
    auto& settings = summary.settings;
    bool reboot = false;
    bool time = false;
    while (!request.empty()) {
        const auto end = request.find(fieldTerminator);
        const auto field = request.substr(0, end);
        request.remove_prefix(end == std::string_view::npos ? request.size() : end + 1);
        const auto colon = field.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        const auto key = field.substr(0, colon + 1);
        const auto value = field.substr(colon + 1);
        // "SETMAC:" names the camera, recorded apart; "IDPASS:" holds the administrator's
        // name and password and is never recorded. Unknown fields are left out too.
        if (key == "WEBPORT:") {
            settings["webPort"] = portValue(value);
        } else if (key == "REBOOT:") {
            reboot = true;
            settings["reboot"] = onOffValue(value);
        } else if (key == "TIME:") {
            time = true;
            settings["clock"] = clockValue(value);
        } else if (key == "PPPOEIDPASS:") {
            addPppoeUserId(settings, value);
        } else {
            for (const auto& known : kFields) {
                if (known.key == key) {
                    settings[std::string(known.jsonKey)] =
                        known.onOff ? onOffValue(value) : Json(latin1ToUtf8(value));
                    break;
                }
            }
        }
    }
    summary.action = actionOf(settings, reboot, time);
    return summary;
}

}  // namespace pelmora
