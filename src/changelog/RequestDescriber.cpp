#include "changelog/RequestDescriber.h"

#include <array>
#include <charconv>
#include <optional>
#include <vector>

#include "listing/CameraListing.h"
#include "protocol/Base64.h"
#include "protocol/Wire.h"

namespace pelmora {
namespace {

using Json = nlohmann::ordered_json;

// How a field's value is read and said.
enum class Kind {
    Text,     // "IP address 10.1.0.4"
    Flag,     // ON or OFF: the words for each
    Port,     // a number in the record
    Reboot,   // "reboot", whatever the value
    Band,     // "0.0" is no limit
    Zone,     // hours from GMT, signed
    Clock,    // YYMMDDhhmmss and a weekday digit on the wire, "2026-12-08 09:30:00" recorded
    Account,  // the PPPoE "user:password" in Base64: only the user ID is ever shown
};

struct Field {
    std::string_view wireKey;
    std::string_view jsonKey;
    Kind kind;
    std::string_view words;  // a flag's words when on
    std::string_view offWords = {};
};

constexpr std::array kFields{
    Field{"DHCP:", "dhcp", Kind::Flag, "DHCP on", "DHCP off"},
    Field{"IPADR:", "ipAddress", Kind::Text, "IP address"},
    Field{"MASK:", "subnetMask", Kind::Text, "subnet mask"},
    Field{"GATEWAY:", "gateway", Kind::Text, "gateway"},
    Field{"DNSAUTO:", "dnsAuto", Kind::Flag, "DNS automatic", "DNS manual"},
    Field{"DNS1:", "dns1", Kind::Text, "DNS server 1"},
    Field{"DNS2:", "dns2", Kind::Text, "DNS server 2"},
    Field{"DNS3:", "dns3", Kind::Text, "DNS server 3"},
    Field{"DNS4:", "dns4", Kind::Text, "DNS server 4"},
    Field{"WEBPORT:", "webPort", Kind::Port, "HTTP port"},
    Field{"REBOOT:", "reboot", Kind::Reboot, "reboot"},
    Field{"SETBAND:", "currentBand", Kind::Band, "bandwidth limit"},
    Field{"TIME:", "clock", Kind::Clock, "clock"},
    Field{"TIMEZONE:", "timeZone", Kind::Zone, "time zone GMT"},
    Field{"DTFORMAT:", "dateTimeFormat", Kind::Text, "date format"},
    Field{"PPPOEFUNC:", "pppoeOn", Kind::Flag, "PPPoE on", "PPPoE off"},
    Field{"PPPOEIDPASS:", "pppoeUserId", Kind::Account, "PPPoE user ID"},
    Field{"PPPOEDNSAUTO:", "pppoeDnsAuto", Kind::Flag, "PPPoE DNS automatic", "PPPoE DNS manual"},
    Field{"PPPOEDNS1:", "pppoeDns1", Kind::Text, "PPPoE DNS server 1"},
    Field{"PPPOEDNS2:", "pppoeDns2", Kind::Text, "PPPoE DNS server 2"},
};

// The camera named by "SETMAC:" is recorded and shown apart; "IDPASS:" holds the
// administrator's name and password.
constexpr std::string_view kMacKey = "SETMAC:";
constexpr std::string_view kCredentialsKey = "IDPASS:";

const Field* fieldOnWire(std::string_view key) {
    for (const auto& field : kFields) {
        if (field.wireKey == key) {
            return &field;
        }
    }
    return nullptr;
}

const Field* fieldInRecord(std::string_view key) {
    for (const auto& field : kFields) {
        if (field.jsonKey == key) {
            return &field;
        }
    }
    return nullptr;
}

// A field in words; `on` is a flag's state when it is ON or OFF, `text` its value as shown.
std::string fieldWords(const Field& field, std::optional<bool> on, const std::string& text) {
    const std::string words(field.words);
    switch (field.kind) {
        case Kind::Flag:
            return on ? std::string(*on ? field.words : field.offWords) : text;
        case Kind::Reboot:
            return words;
        case Kind::Band:
            return words + " " + (text == "0.0" ? std::string("unlimited") : text);
        case Kind::Zone:
            return words + (text.starts_with('-') ? text : "+" + text);
        default:
            return words + " " + text;
    }
}

std::optional<bool> onOff(std::string_view value) {
    if (value == "ON") {
        return true;
    }
    if (value == "OFF") {
        return false;
    }
    return std::nullopt;
}

// The wire's clock as the record writes it; a value too short to be one is kept as it is.
std::string clockText(std::string_view value) {
    if (value.size() < 12) {
        return std::string(value);
    }
    const auto part = [&](std::size_t at) { return std::string(value.substr(at, 2)); };
    return "20" + part(0) + "-" + part(2) + "-" + part(4) + " " + part(6) + ":" + part(8) + ":" +
           part(10);
}

// The request's fields in order, each split at its first ":" (kept with the key); a field
// without one is all key.
template <typename Visit>
void forEachField(std::string_view request, Visit visit) {
    if (request.starts_with(kStx)) {
        request.remove_prefix(1);
    }
    if (request.ends_with(kEtx)) {
        request.remove_suffix(1);
    }
    while (!request.empty()) {
        const auto end = request.find(fieldTerminator);
        const auto field = request.substr(0, end);
        request.remove_prefix(end == std::string_view::npos ? request.size() : end + 1);
        const auto colon = field.find(':');
        const auto key =
            field.substr(0, colon == std::string_view::npos ? field.size() : colon + 1);
        visit(key, field.substr(key.size()), colon != std::string_view::npos);
    }
}

Json onOffValue(std::string_view value) {
    if (const auto on = onOff(value)) {
        return *on ? 1 : 0;
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

// The user ID of "user:password" in Base64; nothing when it cannot be read, since what is
// unreadable cannot be told apart from the password.
std::optional<std::string> pppoeUserId(std::string_view value) {
    const auto account = base64Decode(value);
    if (!account) {
        return std::nullopt;
    }
    const auto colon = account->find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    return latin1ToUtf8(std::string_view(*account).substr(0, colon));
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

std::string valueText(const Json& value) {
    return value.is_string() ? value.get<std::string>() : value.dump();
}

}  // namespace

std::string describeRequest(std::string_view request, const RequestNames& names) {
    std::vector<std::string> words;
    bool credentials = false;
    forEachField(request, [&](std::string_view key, std::string_view value, bool) {
        if (key == kMacKey) {
            return;  // named before the description
        }
        if (key == kCredentialsKey) {
            credentials = true;  // named last, whatever its place on the wire
            return;
        }
        const auto* field = fieldOnWire(key);
        if (field == nullptr) {
            words.push_back(printableText(key) + printableText(value));
        } else if (field->kind == Kind::Account) {
            words.push_back(fieldWords(*field, std::nullopt, printableText(names.pppoeUser)));
        } else if (field->kind == Kind::Clock) {
            words.push_back(fieldWords(*field, std::nullopt, printableText(clockText(value))));
        } else {
            words.push_back(fieldWords(*field, onOff(value), printableText(value)));
        }
    });
    std::string out;
    for (const auto& w : words) {
        out += (out.empty() ? "" : ", ") + w;
    }
    if (credentials) {
        out += (out.empty() ? "" : "; ") + ("administrator " + printableText(names.administrator));
    }
    return out;
}

RequestSummary summariseRequest(std::string_view request) {
    RequestSummary summary;
    auto& settings = summary.settings;
    bool reboot = false;
    bool time = false;
    forEachField(request, [&](std::string_view key, std::string_view value, bool hasValue) {
        // Unknown fields, and those without a value, are left out.
        const auto* field = hasValue ? fieldOnWire(key) : nullptr;
        if (field == nullptr) {
            return;
        }
        const std::string jsonKey(field->jsonKey);
        switch (field->kind) {
            case Kind::Flag:
                settings[jsonKey] = onOffValue(value);
                break;
            case Kind::Port:
                settings[jsonKey] = portValue(value);
                break;
            case Kind::Reboot:
                reboot = true;
                settings[jsonKey] = onOffValue(value);
                break;
            case Kind::Clock:
                time = true;
                settings[jsonKey] = latin1ToUtf8(clockText(value));
                break;
            case Kind::Account:
                if (const auto user = pppoeUserId(value)) {
                    settings[jsonKey] = *user;
                }
                break;
            default:
                settings[jsonKey] = latin1ToUtf8(value);
        }
    });
    summary.action = actionOf(settings, reboot, time);
    return summary;
}

std::string settingsWords(const Json& settings) {
    std::string out;
    if (!settings.is_object()) {
        return out;
    }
    for (const auto& item : settings.items()) {
        const auto& value = item.value();
        const auto text = valueText(value);
        const auto* field = fieldInRecord(item.key());
        std::optional<bool> on;
        if (value == 1) {
            on = true;
        } else if (value == 0) {
            on = false;
        }
        out += (out.empty() ? "" : ", ") +
               (field != nullptr ? fieldWords(*field, on, text) : item.key() + " " + text);
    }
    return out;
}

}  // namespace pelmora
