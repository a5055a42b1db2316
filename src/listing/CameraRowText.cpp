#include "listing/CameraRowText.h"

#include <string_view>

#include "model/FixedText.h"

namespace pelmora {

namespace {

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n\f\v";
    const auto first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

}  // namespace

std::string cameraRowText(const CameraRecord& record) {
    const std::string_view mac = trimmed(fieldText(record.mac));
    if (mac.empty()) {
        return {};
    }
    std::string line(mac);
    line += record.dhcp == 1 ? " DHCP " : " FIXED ";
    line += formatIpv4(record.ipAddress);
    line += ' ';
    line += std::to_string(record.webPort);
    for (const std::string_view field :
         {fieldText(record.model), fieldText(record.serial), fieldText(record.softVersion)}) {
        line += ' ';
        line += field;
    }
    line += "\r\n";
    return line;
}

}  // namespace pelmora
