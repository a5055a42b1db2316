#include "listing/OnvifRowText.h"

#include "lan/LanDiagnosis.h"
#include "listing/OnvifListing.h"
#include "onvif/DiscoveryScopes.h"
#include "onvif/XmlText.h"

namespace pelmora {
namespace {

std::string shown(const std::optional<std::string>& text) {
    return text ? onvif::printableUtf8(*text) : std::string{};
}

std::string addressText(const onvif::OnvifCamera& camera) {
    const auto address = onvifCameraAddress(camera);
    return address ? formatIpv4(*address) : std::string{};
}

std::string notesText(const onvif::OnvifCamera& camera) {
    std::string notes = camera.access == onvif::Access::Unread ? "reading\xE2\x80\xA6"
                        : camera.access == onvif::Access::Read
                            ? ""
                            : std::string(onvif::accessText(camera.access));
    if (!camera.note.empty()) {
        notes += (notes.empty() ? "" : "; ") + onvif::printableUtf8(camera.note);
    }
    return notes;
}

}  // namespace

OnvifRowCells onvifRowCells(const onvif::OnvifCamera& camera) {
    OnvifRowCells cells;
    cells[kOnvifMacColumn] = camera.mac ? camera.mac->text() : std::string{};
    cells[kOnvifAddressColumn] = addressText(camera);
    cells[kOnvifManufacturerColumn] = shown(camera.information.manufacturer);
    cells[kOnvifModelColumn] = shown(camera.information.model);
    cells[kOnvifFirmwareColumn] = shown(camera.information.firmwareVersion);
    cells[kOnvifNameColumn] = shown(onvif::scopeValue(camera.scopes, "name"));
    cells[kOnvifClockColumn] = camera.clockOffset ? clockOffsetWords(*camera.clockOffset) : "";
    cells[kOnvifNotesColumn] = notesText(camera);
    return cells;
}

std::string onvifWebPageUrl(const onvif::OnvifCamera& camera) {
    const auto address = addressText(camera);
    if (address.empty()) {
        return {};
    }
    const int port = camera.webPort.value_or(80);
    return "http://" + address + (port == 80 ? "" : ":" + std::to_string(port)) + "/";
}

std::array<std::string, 6> onvifFilterFields(const onvif::OnvifCamera& camera) {
    const auto cells = onvifRowCells(camera);
    return {cells[kOnvifMacColumn],          cells[kOnvifAddressColumn],
            cells[kOnvifModelColumn],        shown(camera.information.serialNumber),
            cells[kOnvifManufacturerColumn], cells[kOnvifNameColumn]};
}

}  // namespace pelmora
