#include "simulator/SettingApplier.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "protocol/Base64.h"
#include "protocol/KeyReader.h"
#include "simulator/SimClock.h"

namespace pelmora::sim {
namespace {

bool anyPresent(const RequestFields& fields, std::initializer_list<std::string_view> keys) {
    return std::any_of(keys.begin(), keys.end(), [&](auto key) { return fields.has(key); });
}

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "ON" or "OFF" exactly, as the tool sends flags; anything else is refused.
std::optional<bool> readFlag(std::optional<std::string_view> value) {
    if (value == "ON") {
        return true;
    }
    if (value == "OFF") {
        return false;
    }
    return std::nullopt;
}

// Four decimal parts of at most three digits, each 0 to 255. The tool writes every address as
// "%d.%d.%d.%d"; anything looser would be a fault on its side, so the camera refuses it.
std::optional<Ipv4> readAddress(std::string_view value) {
    std::size_t parts = 0;
    std::size_t start = 0;
    while (true) {
        const auto dot = value.find('.', start);
        const auto part =
            value.substr(start, dot == std::string_view::npos ? value.npos : dot - start);
        if (part.size() > 3 || !allDigits(part) || leadingDecimal(part) > 255) {
            return std::nullopt;
        }
        ++parts;
        if (dot == std::string_view::npos) {
            break;
        }
        start = dot + 1;
    }
    if (parts != 4) {
        return std::nullopt;
    }
    return readDottedAddress(value);
}

// An address field that may be left out: absent gives `otherwise`.
bool readOptionalAddress(const RequestFields& fields, std::string_view key, Ipv4 otherwise,
                         Ipv4& out) {
    const auto value = fields.value(key);
    if (!value) {
        out = otherwise;
        return true;
    }
    const auto address = readAddress(*value);
    if (!address) {
        return false;
    }
    out = *address;
    return true;
}

}  // namespace

ApplyResult applyNetworkSettings(SimCamera& camera, const RequestFields& fields) {
    if (!anyPresent(fields, {"DHCP:", "IPADR:", "MASK:", "GATEWAY:", "DNSAUTO:", "DNS1:", "DNS2:",
                             "DNS3:", "DNS4:", "WEBPORT:"})) {
        return ApplyResult::Absent;
    }
    if (const auto dhcp = fields.value("DHCP:")) {
        const auto on = readFlag(dhcp);
        if (!on) {
            return ApplyResult::Invalid;
        }
        // A fixed address needs both the address and the mask.
        if (!*on && !(fields.has("IPADR:") && fields.has("MASK:"))) {
            return ApplyResult::Invalid;
        }
        camera.dhcp = *on;
    }
    if (!readOptionalAddress(fields, "IPADR:", camera.ipAddress, camera.ipAddress) ||
        !readOptionalAddress(fields, "MASK:", camera.subnetMask, camera.subnetMask)) {
        return ApplyResult::Invalid;
    }
    // The tool leaves a blank gateway out: with a fixed address that means no gateway, while a
    // DHCP camera keeps the one its server gave it.
    const Ipv4 gatewayIfAbsent = camera.dhcp ? camera.gateway : Ipv4{};
    if (!readOptionalAddress(fields, "GATEWAY:", gatewayIfAbsent, camera.gateway)) {
        return ApplyResult::Invalid;
    }
    if (const auto dnsAutoValue = fields.value("DNSAUTO:")) {
        const auto dnsAuto = readFlag(dnsAutoValue);
        if (!dnsAuto) {
            return ApplyResult::Invalid;
        }
        camera.dnsAuto = *dnsAuto;
    }
    // Manual DNS: each server the request leaves out is blank. Automatic DNS keeps what the
    // camera learnt.
    static constexpr std::string_view kDnsKeys[] = {"DNS1:", "DNS2:", "DNS3:", "DNS4:"};
    for (std::size_t n = 0; n < camera.dns.size(); ++n) {
        const Ipv4 ifAbsent = camera.dnsAuto ? camera.dns[n] : Ipv4{};
        if (!readOptionalAddress(fields, kDnsKeys[n], ifAbsent, camera.dns[n])) {
            return ApplyResult::Invalid;
        }
    }
    if (const auto port = fields.value("WEBPORT:")) {
        // Leading zeros are allowed ("08080" is 8080).
        const auto number = port->size() <= 5 && allDigits(*port) ? leadingDecimal(*port) : 0;
        if (number < 1 || number > 65535) {
            return ApplyResult::Invalid;
        }
        camera.webPort = number;
    }
    return ApplyResult::Applied;
}

ApplyResult applyBandwidth(SimCamera& camera, const RequestFields& fields) {
    const auto band = fields.value("SETBAND:");
    if (!band) {
        return ApplyResult::Absent;
    }
    const auto& list = camera.bandElements;
    if (std::find(list.begin(), list.end(), *band) == list.end()) {
        return ApplyResult::Invalid;
    }
    camera.currentBand = std::string(*band);
    return ApplyResult::Applied;
}

ApplyResult applyDateTime(SimCamera& camera, const RequestFields& fields,
                          std::int64_t localSeconds) {
    const auto time = fields.value("TIME:");
    const auto zone = fields.value("TIMEZONE:");
    const auto format = fields.value("DTFORMAT:");
    if (!time && !zone && !format) {
        return ApplyResult::Absent;
    }
    if (time) {
        const auto wall = parseSetTime(*time);
        if (!wall) {
            return ApplyResult::Invalid;
        }
        camera.clockOffsetSeconds = *wall - localSeconds;
    }
    if (zone) {
        // -12 to 13, written without a plus sign or leading zeros.
        const auto digits = zone->starts_with('-') ? zone->substr(1) : *zone;
        const auto hours = leadingDecimal(*zone);
        if (digits.size() > 2 || !allDigits(digits) || hours < -12 || hours > 13) {
            return ApplyResult::Invalid;
        }
        camera.timeZone = std::to_string(hours);
    }
    if (format) {
        // The tool sends the format as "ymd", "mdy" or "dmy"; cameras also know the
        // numeric codes 0 to 2 they report out of the box.
        static constexpr std::string_view kFormats[] = {"ymd", "mdy", "dmy", "0", "1", "2"};
        if (std::find(std::begin(kFormats), std::end(kFormats), *format) == std::end(kFormats)) {
            return ApplyResult::Invalid;
        }
        camera.dateTimeFormat = std::string(*format);
    }
    return ApplyResult::Applied;
}

ApplyResult applyPppoe(SimCamera& camera, const RequestFields& fields) {
    if (!anyPresent(fields,
                    {"PPPOEFUNC:", "PPPOEIDPASS:", "PPPOEDNSAUTO:", "PPPOEDNS1:", "PPPOEDNS2:"})) {
        return ApplyResult::Absent;
    }
    const auto on = readFlag(fields.value("PPPOEFUNC:"));
    if (!camera.pppoeSupported || !on) {
        return ApplyResult::Invalid;
    }
    camera.pppoeOn = *on;
    if (!*on) {
        // Switching off ignores the account and DNS fields, as the tool does not send them.
        camera.pppoeIpAddress = {};
        return ApplyResult::Applied;
    }
    const auto encoded = fields.value("PPPOEIDPASS:");
    const auto account = encoded ? base64Decode(*encoded) : std::nullopt;
    // "user:password" with a user ID; the password may itself contain colons.
    if (!account || account->find(':') == std::string::npos || account->front() == ':') {
        return ApplyResult::Invalid;
    }
    camera.pppoeAccount = *account;
    camera.pppoeIpAddress = camera.pppoeSessionAddress;
    if (const auto dnsAutoValue = fields.value("PPPOEDNSAUTO:")) {
        const auto dnsAuto = readFlag(dnsAutoValue);
        if (!dnsAuto) {
            return ApplyResult::Invalid;
        }
        camera.pppoeDnsAuto = *dnsAuto;
    }
    if (!camera.pppoeDnsAuto) {
        if (!readOptionalAddress(fields, "PPPOEDNS1:", {}, camera.pppoeDns1) ||
            !readOptionalAddress(fields, "PPPOEDNS2:", {}, camera.pppoeDns2)) {
            return ApplyResult::Invalid;
        }
    }
    return ApplyResult::Applied;
}

}  // namespace pelmora::sim
