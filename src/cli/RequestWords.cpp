#include "cli/RequestWords.h"

#include <vector>

#include "listing/CameraListing.h"
#include "protocol/Wire.h"

namespace pelmora {
namespace {

std::string onOff(std::string_view value, std::string_view on, std::string_view off) {
    return std::string(value == "ON" ? on : value == "OFF" ? off : value);
}

// YYMMDDhhmmss and a weekday digit, as the date and time request carries them.
std::string clockWords(std::string_view value) {
    if (value.size() < 12) {
        return printableText(value);
    }
    const auto part = [&](std::size_t at) { return std::string(value.substr(at, 2)); };
    return "20" + part(0) + "-" + part(2) + "-" + part(4) + " " + part(6) + ":" + part(8) + ":" +
           part(10);
}

std::string fieldWords(std::string_view key, std::string_view value, const RequestNames& names) {
    const std::string text = printableText(value);
    if (key == "DHCP:") {
        return onOff(value, "DHCP on", "DHCP off");
    }
    if (key == "IPADR:") {
        return "IP address " + text;
    }
    if (key == "MASK:") {
        return "subnet mask " + text;
    }
    if (key == "GATEWAY:") {
        return "gateway " + text;
    }
    if (key == "DNSAUTO:") {
        return onOff(value, "DNS automatic", "DNS manual");
    }
    if (key.size() == 5 && key.starts_with("DNS") && key[4] == ':') {
        return "DNS server " + std::string(1, key[3]) + " " + text;
    }
    if (key == "WEBPORT:") {
        return "HTTP port " + text;
    }
    if (key == "REBOOT:") {
        return "reboot";
    }
    if (key == "SETBAND:") {
        return "bandwidth limit " + (value == "0.0" ? std::string("unlimited") : text);
    }
    if (key == "TIME:") {
        return "clock " + clockWords(value);
    }
    if (key == "TIMEZONE:") {
        return "time zone GMT" + (value.starts_with('-') ? text : "+" + text);
    }
    if (key == "DTFORMAT:") {
        return "date format " + text;
    }
    if (key == "PPPOEFUNC:") {
        return onOff(value, "PPPoE on", "PPPoE off");
    }
    if (key == "PPPOEIDPASS:") {
        return "PPPoE user ID " + printableText(names.pppoeUser);
    }
    if (key == "PPPOEDNSAUTO:") {
        return onOff(value, "PPPoE DNS automatic", "PPPoE DNS manual");
    }
    if (key == "PPPOEDNS1:" || key == "PPPOEDNS2:") {
        return "PPPoE DNS server " + std::string(1, key[8]) + " " + text;
    }
    return printableText(key) + text;
}

}  // namespace

std::string describeRequest(std::string_view request, const RequestNames& names) {
    if (request.starts_with(kStx)) {
        request.remove_prefix(1);
    }
    if (request.ends_with(kEtx)) {
        request.remove_suffix(1);
    }
    std::vector<std::string> words;
    bool credentials = false;
    while (!request.empty()) {
        const auto end = request.find(fieldTerminator);
        const auto field = request.substr(0, end);
        request.remove_prefix(end == std::string_view::npos ? request.size() : end + 1);
        const auto colon = field.find(':');
        const auto key =
            field.substr(0, colon == std::string_view::npos ? field.size() : colon + 1);
        const auto value = field.substr(key.size());
        if (key == "SETMAC:") {
            continue;  // named before the description
        }
        if (key == "IDPASS:") {
            credentials = true;  // named last, whatever its place on the wire
            continue;
        }
        words.push_back(fieldWords(key, value, names));
    }
    std::string out;
    for (const auto& w : words) {
        out += (out.empty() ? "" : ", ") + w;
    }
    if (credentials) {
        out += (out.empty() ? "" : "; ") + ("administrator " + printableText(names.administrator));
    }
    return out;
}

std::string dryRunLine(std::string_view mac, std::string_view request, const RequestNames& names) {
    return "Would send to " + printableText(mac) + ": " + describeRequest(request, names) + "\n";
}

}  // namespace pelmora
