#include "listing/ListExport.h"

#include "listing/CameraListing.h"
#include "model/FixedText.h"

namespace pelmora {

std::string formatCameraList(const std::vector<CameraRecord>& records, const LanSnapshot* lan,
                             ListFormat format) {
    std::vector<CameraNotes> notes;
    if (lan != nullptr) {
        const auto all = cameraNotes(lan->cameras(), lan->interfaces());
        notes.resize(records.size());
        for (std::size_t r = 0; r < records.size(); ++r) {
            const auto mac = fieldText(records[r].mac);
            for (std::size_t c = 0; c < lan->cameras().size(); ++c) {
                if (lan->cameras()[c].mac == mac) {
                    notes[r] = all[c];
                    break;
                }
            }
        }
    }
    return format == ListFormat::Json ? formatCameraJson(records, notes)
                                      : formatCameraCsv(records, notes);
}

}  // namespace pelmora
