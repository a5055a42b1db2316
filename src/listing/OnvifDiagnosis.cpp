#include "listing/OnvifDiagnosis.h"

namespace pelmora {
namespace {

// The endpoint reference names a camera whose MAC is unknown. It is camera text, and goes into
// sentences that both the Latin-1 and the UTF-8 renderers print: printable ASCII only.
std::string endpointName(std::string_view endpoint) {
    std::string name;
    for (const char c : endpoint) {
        name += c >= 0x20 && c < 0x7F ? c : '?';
    }
    return name;
}

}  // namespace

OtherCamera onvifAsOtherCamera(const onvif::OnvifCamera& camera) {
    OtherCamera other;
    other.addressing.mac = camera.mac ? camera.mac->text() : std::string{};
    other.name = camera.mac ? other.addressing.mac : endpointName(camera.endpoint);
    other.answeredFrom = camera.answeredFrom;
    other.clockOffset = camera.clockOffset;
    if (camera.ipAddress) {
        other.addressingRead = true;
        other.addressing.ipAddress = *camera.ipAddress;
        other.addressing.subnetMask = maskOfPrefix(camera.prefixLength.value_or(0));
        other.addressing.gateway = camera.gateway.value_or(Ipv4{});
        other.addressing.dhcp = camera.dhcp.value_or(false);
    }
    return other;
}

std::vector<Ipv4> onvifCameraAddresses(std::span<const onvif::OnvifCamera> cameras) {
    std::vector<Ipv4> addresses;
    for (const auto& c : cameras) {
        if (c.ipAddress) {
            addresses.push_back(*c.ipAddress);
        }
        if (c.answeredFrom != Ipv4{}) {
            addresses.push_back(c.answeredFrom);
        }
    }
    return addresses;
}

AllCameraNotes diagnoseAllCameras(std::span<const CameraAddressing> ours,
                                  std::span<const onvif::OnvifCamera> onvif,
                                  std::span<const LocalInterface> interfaces) {
    std::vector<OtherCamera> others;
    others.reserve(onvif.size());
    for (const auto& camera : onvif) {
        others.push_back(onvifAsOtherCamera(camera));
    }
    const auto diagnoses = diagnoseLan(ours, others, interfaces);
    AllCameraNotes notes;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        notes.ours.push_back(notesOf(ours[i], diagnoses.ours[i], interfaces));
    }
    for (std::size_t i = 0; i < others.size(); ++i) {
        notes.onvif.push_back(notesOf(others[i].addressing, diagnoses.others[i], interfaces));
    }
    return notes;
}

}  // namespace pelmora
