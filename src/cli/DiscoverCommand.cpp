#include "cli/DiscoverCommand.h"

#include <algorithm>
#include <vector>

#include "cli/CameraListing.h"
#include "cli/HeadlessSession.h"

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
    auto cameras = session.table().liveRecords();
    std::erase_if(cameras, [](const CameraRecord& r) { return !isListed(r); });
    const auto text = options.json ? formatCameraJson(cameras) : formatCameraTable(cameras);
    std::fputs(text.c_str(), out);
    return 0;
}

}  // namespace pelmora
