#include "settings/bandwidth/BandwidthForm.h"

#include "model/FixedText.h"
#include "protocol/SettingRequest.h"

namespace pelmora {

BandwidthForm bandwidthFormFor(const CameraRecord& r) {
    BandwidthForm form;
    form.currentBand = std::string(fieldText(r.currentBand));
    for (const auto& band : r.bandElements) {
        if (band[0] == '\0') {
            break;
        }
        form.choices.emplace_back(fieldText(band));
    }
    return form;
}

std::string bandwidthWireValue(std::string_view shown) {
    return shown == "unlimited" ? "0.0" : std::string(shown);
}

std::string buildBandwidthRequest(std::string_view mac, std::string_view name,
                                  std::string_view password, std::string_view shown) {
    return SettingRequest(mac)
        .credentials(name, password)
        .field("SETBAND:", bandwidthWireValue(shown))
        .finish();
}

}  // namespace pelmora
