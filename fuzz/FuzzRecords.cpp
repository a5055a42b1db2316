// Arbitrary text through the readers of the site's record: as a change log (read, filtered,
// shown as lines and as JSON), as a list of cameras (read, compared with itself, which must show
// no difference), and as a setting request summarised for the log.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "changelog/ChangeHistory.h"
#include "changelog/RequestDescriber.h"
#include "diff/CameraListDiff.h"

namespace {

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pelmora;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    auto history = parseHistory(text);
    std::size_t shown = 0;
    for (const auto& entry : history.entries) {
        shown += historyLine(entry).size();
    }
    shown += historyJsonText(history.entries).size();
    if (!history.entries.empty()) {
        filterHistory(history, history.entries.front().mac, 1);
        check(history.entries.size() == 1);
    }

    const auto list = readCameraList(text, "fuzz");
    check(list.list.has_value() == list.error.empty());
    if (list.list) {
        const auto same = diffCameraLists(*list.list, *list.list);
        check(same.empty());
        shown += formatDiff(same).size() + diffJson(same).dump().size();
    }

    const auto summary = summariseRequest(text);
    check(!summary.action.empty() && summary.settings.is_object());
    shown += summary.settings.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                 .size();
    return shown > 0 ? 0 : 0;
}
