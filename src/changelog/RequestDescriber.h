#pragma once
// What a setting request asks, from one table of the fields a request can carry: each field's
// key on the wire, its key in a camera's JSON record (and so in the change log) and its words.
// The table is read three ways: a request in words (--dry-run), a request summarised for the
// change log, and a logged summary in words (history), so that the three always agree.
//
// The administrator credentials are never described from the request: the request holds them
// only Base64-encoded and they are not decoded here; the caller names them. A summary leaves
// them out, and of the PPPoE account keeps only the user ID, so nothing secret is ever logged.

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace pelmora {

struct RequestNames {
    std::string_view administrator;  // "IDPASS:" is shown as "administrator NAME"
    std::string_view pppoeUser;      // "PPPOEIDPASS:" as "PPPoE user ID NAME"
};

// "DHCP off, IP address 10.1.0.4, subnet mask 255.255.255.0, DNS manual, HTTP port 80;
// administrator admin": each field in its order, the administrator last. Camera-bound text is
// made safe for a terminal.
std::string describeRequest(std::string_view request, const RequestNames& names);

struct RequestSummary {
    // "network", "reboot", "bandwidth", "datetime", "pppoe", or "other" for none of these.
    std::string action;
    // The settings under the JSON key names of a camera's record; on/off fields as 1 and 0, as
    // the record's flags are written. Unknown fields are left out.
    nlohmann::ordered_json settings = nlohmann::ordered_json::object();
};

RequestSummary summariseRequest(std::string_view request);

// A summary's settings in words: "DHCP off, IP address 10.1.0.4, HTTP port 8080".
std::string settingsWords(const nlohmann::ordered_json& settings);

}  // namespace pelmora
