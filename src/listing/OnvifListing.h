#pragma once
// ONVIF cameras in the tool's listings, after our own cameras: JSON objects with "protocol":
// "onvif", the keys our cameras' objects have where they mean the same, then what only ONVIF
// cameras say; CSV with one header for both kinds; a line each in the table. Their text is
// UTF-8, as the cameras send it, made safe like ours. Our own cameras' output is unchanged.

#include <span>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "engine/LocalInterfaces.h"
#include "listing/CameraListing.h"
#include "model/CameraRecord.h"
#include "onvif/OnvifCamera.h"

namespace pelmora {

// The camera's IPv4 address: the one it reports, else the one its discovery answer came from.
std::optional<Ipv4> onvifCameraAddress(const onvif::OnvifCamera& camera);

// Keeps only the cameras whose notes name a problem, as keepCamerasWithProblems does for ours.
void keepOnvifCamerasWithProblems(std::vector<onvif::OnvifCamera>& cameras,
                                  std::vector<CameraNotes>& notes);

// Ordered by address, then endpoint reference; cameras without an address last.
void sortOnvifCameras(std::vector<onvif::OnvifCamera>& cameras);

// "protocol", "mac", ... "problems", then "manufacturer", "hardwareId", "name", "location",
// "serviceAddress", "clockOffset" and "access". What the camera did not say is null; an unknown
// MAC is "".
nlohmann::ordered_json onvifCameraToJson(const onvif::OnvifCamera& camera,
                                         const CameraNotes& notes);

// Our cameras, then the ONVIF cameras, each list with one notes entry per camera.
struct ListedCameras {
    std::vector<CameraRecord> records;
    std::vector<CameraNotes> notes;
    std::vector<onvif::OnvifCamera> onvif;
    std::vector<CameraNotes> onvifNotes;
};

// Ours, then the ONVIF cameras, one object each.
nlohmann::ordered_json allCamerasToJson(const ListedCameras& cameras);
std::string formatAllCamerasJson(const ListedCameras& cameras);
// The header: "protocol", our cameras' keys, then the keys only ONVIF cameras have; a key an
// object lacks is an empty field (our cameras' "protocol" among them).
std::string formatAllCamerasCsv(const ListedCameras& cameras);
// One line per camera; an ONVIF camera's notes say "ONVIF", how far reading it got, then what
// the LAN diagnosis found, as our cameras' notes do. The
// count line says how many of all are ONVIF: "5 cameras · 2 ONVIF", a camera that answers both
// protocols counted once.
std::string formatAllCamerasTable(const ListedCameras& cameras);
// The table's cells and its count line, apart.
std::vector<std::vector<std::string>> allCameraTableRows(const ListedCameras& cameras);
std::string allCamerasCountText(const ListedCameras& cameras);

}  // namespace pelmora
