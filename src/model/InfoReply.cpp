#include "model/InfoReply.h"

#include "model/CalendarTime.h"
#include "model/FixedText.h"
#include "protocol/KeyReader.h"

namespace pelmora {
namespace {

constexpr std::string_view kUnlimited = "unlimited";
constexpr std::string_view kLegacyVersion = "1.10 or less";

std::string_view bandText(std::string_view value) {
    return value == "0.0" ? kUnlimited : value;
}

std::int32_t flag(std::string_view value, std::string_view on) {
    return value == on ? 1 : 0;
}

// Absent or empty gives 0.0.0.0.
Ipv4 addressOrZero(std::string_view text, std::string_view key) {
    const auto value = readKey(text, key);
    return value ? readDottedAddress(*value) : Ipv4{};
}

void applyBandList(CameraRecord& r, std::string_view list) {
    std::size_t pos = 0;
    for (int k = 0; k < kBandSlots; ++k) {
        const auto comma = list.find(',', pos);
        const auto element = list.substr(pos, comma == list.npos ? list.npos : comma - pos);
        copyField(r.bandElements[k], bandText(element));
        if (comma == list.npos) {
            break;
        }
        pos = comma + 1;
    }
}

// "YYMMDDhhmmss": each two-digit group read on its own.
void applyTime(CameraRecord& r, std::string_view value) {
    const auto group = [value](std::size_t n) {
        const auto at = n * 2;
        return at < value.size() ? leadingDecimal(value.substr(at, 2)) : 0;
    };
    r.clock =
        CameraClock{group(5), group(4), group(3), group(2), group(1) - 1, 100 + group(0), 0, 0, -1};
    normaliseLocal(r.clock);
}

}  // namespace

void applyInfoReply(CameraRecord& r, std::string_view text) {
    if (const auto v = readKey(text, "MODEL:")) {
        copyField(r.model, *v);
    }
    if (const auto v = readKey(text, "SERIAL:")) {
        copyField(r.serial, *v);
    }
    if (const auto v = readKey(text, "DHCP:")) {
        r.dhcp = flag(*v, "ON");
    }
    if (const auto v = readKey(text, "DNSAUTO:")) {
        r.dnsAuto = flag(*v, "ON");
    }
    // Cameras send "IPADR:" with a short placeholder while they have no address.
    if (const auto v = readKey(text, "IPADR:"); v && v->size() > 3) {
        r.ipAddress = readDottedAddress(*v);
    }
    if (const auto v = readKey(text, "MASK:"); v && !v->empty()) {
        r.subnetMask = readDottedAddress(*v);
    }
    r.gateway = addressOrZero(text, "GATEWAY:");
    r.dns1 = addressOrZero(text, "DNS1:");
    r.dns2 = addressOrZero(text, "DNS2:");
    r.dns3 = addressOrZero(text, "DNS3:");
    r.dns4 = addressOrZero(text, "DNS4:");
    const auto port = readKey(text, "WEBPORT:");
    r.webPort = port ? leadingDecimal(*port) : 80;
    if (const auto v = readKey(text, "BANDELM:")) {
        applyBandList(r, *v);
    }
    if (const auto v = readKey(text, "CURBAND:")) {
        copyField(r.currentBand, bandText(*v));
    }
    if (const auto v = readKey(text, "TIME:")) {
        applyTime(r, *v);
    }
    if (const auto v = readKey(text, "TIMEZONE:")) {
        copyField(r.timeZone, *v);
    }
    if (const auto v = readKey(text, "DTFORMAT:")) {
        copyField(r.dateTimeFormat, *v);
    }
    copyField(r.softVersion, readKey(text, "SOFTVERSION:").value_or(kLegacyVersion));
    const auto pppoe = readKey(text, "PPPOEFUNC:");
    r.pppoeReported = pppoe ? 1 : 0;
    r.pppoeOn = pppoe ? flag(*pppoe, "ON") : 0;
    r.pppoeIpAddress = addressOrZero(text, "PPPOEIPADR:");
    // Cameras report this one in lower case; "ON" reads as off.
    const auto dnsAuto = readKey(text, "PPPOEDNSAUTO:");
    r.pppoeDnsAuto = dnsAuto ? flag(*dnsAuto, "on") : 0;
    r.pppoeDns1 = addressOrZero(text, "PPPOEDNS1:");
    r.pppoeDns2 = addressOrZero(text, "PPPOEDNS2:");
}

}  // namespace pelmora
