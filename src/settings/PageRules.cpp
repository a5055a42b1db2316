#include "settings/PageRules.h"

#include "model/FixedText.h"

namespace pelmora {

bool credentialsAllowOk(bool cameraSelected, std::string_view name, std::string_view password,
                        std::size_t minimum) {
    return cameraSelected && name.size() >= minimum && password.size() >= minimum;
}

std::vector<std::string> cameraRowCells(const CameraRecord& r, AddressColumn column) {
    std::string address;
    if (column == AddressColumn::PppoeIpAddress) {
        address = formatIpv4(r.pppoeIpAddress);
    } else {
        address = r.dhcp == 1 ? "DHCP" : formatIpv4(r.ipAddress);
    }
    return {std::string(fieldText(r.mac)), std::move(address), std::string(fieldText(r.model)),
            std::string(fieldText(r.serial)), std::string(fieldText(r.softVersion))};
}

std::optional<std::string> cameraPageUrl(const CameraRecord& r) {
    if (r.ipAddress == Ipv4{}) {
        return std::nullopt;
    }
    const auto address = formatIpv4(r.ipAddress);
    if (r.webPort == 80) {
        return "http://" + address + "/";
    }
    return "http://" + address + ":" + std::to_string(r.webPort) + "/";
}

}  // namespace pelmora
