// Arbitrary datagrams through classification into a camera table, as the receive thread would
// hand them over, with an ageing tick and a sort now and then so removals and moves are hit too.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/CameraTable.h"
#include "protocol/Dispatch.h"
#include "protocol/Wire.h"

namespace {

class SilentNotifier final : public pelmora::TableNotifier {
  public:
    void settingResult(pelmora::ResultIcon, std::string_view words) override {
        total += words.size();
    }
    void acknowledged() override {}
    pelmora::RetryAnswer noResponse(std::string_view) override {
        return pelmora::RetryAnswer::Retry;
    }
    std::size_t total = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static pelmora::CameraTable table;
    static SilentNotifier notifier;
    static bool ready = [] {
        table.setNotifier(&notifier);
        table.setSender([](std::string_view) { return 0; });
        return true;
    }();
    (void)ready;
    if (size > pelmora::kMaxDatagram) {
        return 0;
    }
    const auto text = pelmora::datagramText(reinterpret_cast<const char*>(data), size);
    pelmora::dispatchDatagram(text, table);
    if (size > 0 && data[0] == 'T') {
        table.agingTick();
    } else if (size > 1 && data[0] == 'S') {
        table.sortByColumn(data[1] % 13);
    } else if (size > 0 && data[0] == 'R') {
        table.registerPending(text.substr(1, 17), text);
    }
    return 0;
}
