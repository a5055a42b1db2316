#include "cli/ExpectedCameras.h"

#include "csv/Csv.h"
#include "listing/CameraListing.h"
#include "onvif/XmlText.h"

namespace pelmora {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kMissing = "missing";

void mark(CameraNotes& notes, const std::string& mark) {
    if (!mark.empty()) {
        notes.problems.push_back(markWord(mark));
        notes.sentences.push_back(markSentence(mark));
    }
}

Json missingToJson(const ListedCamera& camera) {
    const auto value = [&](std::string_view key) {
        const auto text = camera.field(key);
        return text.empty() ? Json(nullptr) : Json(text);
    };
    Json object;
    if (!camera.field("protocol").empty()) {
        object["protocol"] = camera.field("protocol");
    }
    object["mac"] = camera.mac;
    object["model"] = value("model");
    object["ipAddress"] = value("ipAddress");
    object["problems"] = Json::array({kMissing});
    return object;
}

}  // namespace

ExpectedComparison markExpected(ListedCameras& cameras, const CameraList& expected) {
    std::vector<AnsweringCamera> answering;
    for (const auto& record : cameras.records) {
        answering.push_back(answeringCameraOf(record));
    }
    for (const auto& camera : cameras.onvif) {
        const auto object = onvifCameraToJson(camera, {});
        const auto text = [&](const char* key) {
            return object[key].is_string() ? object[key].get<std::string>() : std::string{};
        };
        answering.push_back({text("mac"), text("ipAddress"), text("model")});
    }
    auto comparison = compareWithExpected(expected, answering);
    cameras.notes.resize(cameras.records.size());
    cameras.onvifNotes.resize(cameras.onvif.size());
    for (std::size_t i = 0; i < comparison.marks.size(); ++i) {
        auto& notes = i < cameras.records.size() ? cameras.notes[i]
                                                 : cameras.onvifNotes[i - cameras.records.size()];
        mark(notes, comparison.marks[i]);
    }
    return comparison;
}

std::string withMissingCameras(const std::string& listing, const ListedCameras& cameras,
                               const ExpectedComparison& comparison, ListingFormat format,
                               bool onvif) {
    if (comparison.missing.empty()) {
        return listing;
    }
    if (format == ListingFormat::Json) {
        auto list =
            onvif ? allCamerasToJson(cameras) : camerasToJson(cameras.records, cameras.notes);
        for (const auto* camera : comparison.missing) {
            list.push_back(missingToJson(*camera));
        }
        return jsonListText(list);
    }
    if (format == ListingFormat::Csv) {
        // The header as the listing wrote it: plain keys, one line.
        const auto header = listing.substr(0, listing.find_first_of("\r\n"));
        CsvRow keys;
        for (std::size_t at = 0; at <= header.size();) {
            const auto comma = std::min(header.find(',', at), header.size());
            keys.push_back(header.substr(at, comma - at));
            at = comma + 1;
        }
        std::string out = listing;
        for (const auto* camera : comparison.missing) {
            const auto object = missingToJson(*camera);
            CsvRow row;
            for (const auto& key : keys) {
                row.push_back(object.contains(key) ? csvField(object[key]) : std::string{});
            }
            out += formatCsvRow(row);
        }
        return out;
    }
    auto rows =
        onvif ? allCameraTableRows(cameras) : cameraTableRows(cameras.records, cameras.notes);
    for (const auto* camera : comparison.missing) {
        // The saved list is UTF-8, as the tool wrote it.
        rows.push_back({onvif::printableUtf8(camera->mac),
                        onvif::printableUtf8(camera->field("ipAddress")),
                        onvif::printableUtf8(camera->field("model")), "", "", "",
                        onvif::printableUtf8(missingSentence(*camera))});
    }
    const auto count =
        onvif ? allCamerasCountText(cameras) : cameraCountText(cameras.records.size());
    return renderCameraTable(
        rows, count + " \xC2\xB7 " + std::to_string(comparison.missing.size()) + " missing");
}

}  // namespace pelmora
