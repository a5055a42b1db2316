#include "listing/OnvifListing.h"

#include <algorithm>
#include <tuple>

#include "csv/Csv.h"
#include "lan/LanDiagnosis.h"
#include "model/FixedText.h"
#include "onvif/DiscoveryScopes.h"
#include "onvif/XmlText.h"

namespace pelmora {
namespace {

using Json = nlohmann::ordered_json;

// Camera text as JSON: valid UTF-8 whatever the camera sent, or null when it said nothing.
Json text(const std::optional<std::string>& value) {
    return value ? Json(onvif::validUtf8(*value)) : Json(nullptr);
}

Json address(const std::optional<Ipv4>& value) {
    return value ? Json(formatIpv4(*value)) : Json(nullptr);
}

template <typename T>
Json number(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

}  // namespace

std::optional<Ipv4> onvifCameraAddress(const onvif::OnvifCamera& camera) {
    if (camera.ipAddress) {
        return camera.ipAddress;
    }
    return camera.answeredFrom != Ipv4{} ? std::optional(camera.answeredFrom) : std::nullopt;
}

void keepOnvifCamerasWithProblems(std::vector<onvif::OnvifCamera>& cameras,
                                  std::vector<CameraNotes>& notes) {
    std::vector<onvif::OnvifCamera> keptCameras;
    std::vector<CameraNotes> keptNotes;
    for (std::size_t i = 0; i < cameras.size() && i < notes.size(); ++i) {
        if (!notes[i].problems.empty()) {
            keptCameras.push_back(std::move(cameras[i]));
            keptNotes.push_back(std::move(notes[i]));
        }
    }
    cameras = std::move(keptCameras);
    notes = std::move(keptNotes);
}

void sortOnvifCameras(std::vector<onvif::OnvifCamera>& cameras) {
    std::stable_sort(cameras.begin(), cameras.end(), [](const auto& a, const auto& b) {
        const auto key = [](const onvif::OnvifCamera& c) {
            const auto ip = onvifCameraAddress(c);
            return std::tuple(!ip, ip ? ipv4ToNumber(*ip) : 0, c.endpoint);
        };
        return key(a) < key(b);
    });
}

Json onvifCameraToJson(const onvif::OnvifCamera& c, const CameraNotes& notes) {
    const auto dns = [&](std::size_t i) {
        return i < c.dns.size() ? Json(formatIpv4(c.dns[i])) : Json(nullptr);
    };
    const auto& info = c.information;
    return Json{
        {"protocol", "onvif"},
        {"mac", c.mac ? c.mac->text() : std::string{}},
        {"model", text(info.model)},
        {"serial", text(info.serialNumber)},
        {"softVersion", text(info.firmwareVersion)},
        {"ipAddress", address(onvifCameraAddress(c))},
        {"dhcp", number(c.dhcp)},
        {"subnetMask",
         c.prefixLength ? Json(formatIpv4(maskOfPrefix(*c.prefixLength))) : Json(nullptr)},
        {"gateway", address(c.gateway)},
        {"dnsAuto", number(c.dnsAuto)},
        {"dns1", dns(0)},
        {"dns2", dns(1)},
        {"dns3", dns(2)},
        {"dns4", dns(3)},
        {"webPort", number(c.webPort)},
        {"interface", notes.interface.empty() ? Json(nullptr) : Json(notes.interface)},
        {"interfaceAddress",
         notes.interfaceAddress.empty() ? Json(nullptr) : Json(notes.interfaceAddress)},
        {"reachability", notes.reachability},
        {"problems", notes.problems},
        {"manufacturer", text(info.manufacturer)},
        {"hardwareId", text(info.hardwareId)},
        {"name", text(onvif::scopeValue(c.scopes, "name"))},
        {"location", text(onvif::scopeValue(c.scopes, "location"))},
        {"serviceAddress",
         c.serviceAddress.empty() ? Json(nullptr) : Json(onvif::validUtf8(c.serviceAddress))},
        {"clockOffset",
         c.clockOffset ? Json(static_cast<long long>(c.clockOffset->count())) : Json(nullptr)},
        {"access", onvif::accessText(c.access)},
    };
}

Json allCamerasToJson(const ListedCameras& cameras) {
    auto list = camerasToJson(cameras.records, cameras.notes);
    for (std::size_t i = 0; i < cameras.onvif.size(); ++i) {
        list.push_back(onvifCameraToJson(cameras.onvif[i], i < cameras.onvifNotes.size()
                                                               ? cameras.onvifNotes[i]
                                                               : CameraNotes{}));
    }
    return list;
}

std::string formatAllCamerasJson(const ListedCameras& cameras) {
    return jsonListText(allCamerasToJson(cameras));
}

std::string formatAllCamerasCsv(const ListedCameras& cameras) {
    CsvRow header;
    // Named: a temporary's items would not outlive the loop's first step.
    const auto ours = cameraToJson(CameraRecord{});
    const auto theirs = onvifCameraToJson(onvif::OnvifCamera{}, CameraNotes{});
    header.push_back(theirs.begin().key());  // "protocol"
    for (const auto* keys : {&ours, &theirs}) {
        for (const auto& item : keys->items()) {
            if (std::find(header.begin(), header.end(), item.key()) == header.end()) {
                header.push_back(item.key());
            }
        }
    }
    std::string out = formatCsvRow(header);
    for (const auto& object : allCamerasToJson(cameras)) {
        CsvRow row;
        for (const auto& key : header) {
            row.push_back(object.contains(key) ? csvField(object[key]) : std::string{});
        }
        out += formatCsvRow(row);
    }
    return out;
}

std::vector<std::vector<std::string>> allCameraTableRows(const ListedCameras& cameras) {
    auto rows = cameraTableRows(cameras.records, cameras.notes);
    for (std::size_t i = 0; i < cameras.onvif.size(); ++i) {
        const auto& c = cameras.onvif[i];
        std::string notes = "ONVIF";
        if (c.access != onvif::Access::Read) {
            notes += "; " + std::string(onvif::accessText(c.access));
        }
        if (!c.note.empty()) {
            notes += "; " + c.note;
        }
        if (i < cameras.onvifNotes.size()) {
            for (const auto& sentence : cameras.onvifNotes[i].sentences) {
                notes += "; " + sentence;
            }
        }
        const auto ip = onvifCameraAddress(c);
        rows.push_back({c.mac ? c.mac->text() : std::string{}, ip ? formatIpv4(*ip) : std::string{},
                        onvif::printableUtf8(c.information.model.value_or("")),
                        onvif::printableUtf8(c.information.serialNumber.value_or("")),
                        onvif::printableUtf8(c.information.firmwareVersion.value_or("")),
                        c.webPort ? std::to_string(*c.webPort) : std::string{},
                        onvif::printableUtf8(notes)});
    }
    return rows;
}

std::string allCamerasCountText(const ListedCameras& cameras) {
    // A camera that answers both protocols (one MAC) is one camera.
    auto total = cameras.records.size();
    for (const auto& c : cameras.onvif) {
        const bool ours = c.mac && std::any_of(cameras.records.begin(), cameras.records.end(),
                                               [&](const CameraRecord& r) {
                                                   return fieldText(r.mac) == c.mac->text();
                                               });
        total += ours ? 0 : 1;
    }
    return cameraCountText(total) + " \xC2\xB7 " + std::to_string(cameras.onvif.size()) + " ONVIF";
}

std::string formatAllCamerasTable(const ListedCameras& cameras) {
    return renderCameraTable(allCameraTableRows(cameras), allCamerasCountText(cameras));
}

}  // namespace pelmora
