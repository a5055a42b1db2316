#include "cli/DiscoverCommand.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "cli/HeadlessSession.h"
#include "cli/StandardStreams.h"
#include "engine/LocalInterfaces.h"
#include "listing/CameraListing.h"

namespace pelmora {

int runDiscover(const DiscoverOptions& options, std::FILE* out) {
    HeadlessSession session(options.target);
    if (const auto code = session.start()) {
        return *code;
    }
    session.runFor(options.wait);
    const bool failed = session.receiveHasFailed();
    if (const auto code = session.stop()) {
        return *code;
    }
    if (failed) {
        return exitCodeOf(FatalSocketError::Receive);
    }
    // Not one enquiry left the machine (no route): an empty list would claim there is no
    // camera.
    if (session.sendsSucceeded() == 0) {
        std::fprintf(stderr, "Error : no discovery enquiry could be sent to %s\n",
                     options.target.text().c_str());
        return 1;
    }
    // The records and their addressing from one read, so that they line up.
    std::vector<CameraRecord> cameras;
    std::vector<CameraAddressing> addressing;
    session.table().read([&](const TableData& d) {
        for (int i = 0; i < d.count; ++i) {
            if (isListed(d.records[i])) {
                cameras.push_back(d.records[i]);
                addressing.push_back(addressingOf(d.records[i], d.receivedOn[i]));
            }
        }
        return 0;
    });
    auto notes = cameraNotes(addressing, session.engine().localInterfaces());
    if (options.problemsOnly) {
        keepCamerasWithProblems(cameras, notes);
    }
    const auto text = options.json  ? formatCameraJson(cameras, notes)
                      : options.csv ? formatCameraCsv(cameras, notes)
                                    : formatCameraTable(cameras, notes);
    writeOutput(out, text);
    // Said once, after the list: a full list is not all the cameras that answered.
    if (const auto dropped = session.table().overflow().dropped; dropped > 0) {
        std::fprintf(stderr,
                     "Warning: the camera table is full (%d); %llu %s from other cameras %s "
                     "dropped\n",
                     kTableSize, static_cast<unsigned long long>(dropped),
                     dropped == 1 ? "reply" : "replies", dropped == 1 ? "was" : "were");
    }
    return options.problemsOnly && !cameras.empty() ? 1 : 0;
}

}  // namespace pelmora
