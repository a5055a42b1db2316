#include "cli/DiscoverCommand.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "cli/CameraListing.h"
#include "cli/HeadlessSession.h"
#include "cli/StandardStreams.h"

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
    auto cameras = session.table().liveRecords();
    std::erase_if(cameras, [](const CameraRecord& r) { return !isListed(r); });
    const auto text = options.json ? formatCameraJson(cameras) : formatCameraTable(cameras);
    writeOutput(out, text);
    return 0;
}

}  // namespace pelmora
