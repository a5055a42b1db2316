#include "cli/AddressSuggestion.h"

#include <algorithm>
#include <chrono>

#include "cli/HeadlessSession.h"
#include "engine/LocalInterfaces.h"
#include "listing/CameraListing.h"
#include "model/FixedText.h"

namespace pelmora {
namespace {

using namespace std::chrono_literals;

// As long as discover listens by default; the first enquiry goes out at the start.
constexpr std::chrono::milliseconds kLongestWait = 3s;
// Replies to one enquiry come within this of each other, so the other cameras of the LAN are
// listed too by then.
constexpr std::chrono::milliseconds kShortestWait = 1s;

}  // namespace

AddressSuggestion suggestAddressFor(std::string_view mac, std::span<const CameraAddressing> cameras,
                                    std::span<const LocalInterface> interfaces) {
    const std::string shown = printableText(mac);
    const auto camera = std::find_if(cameras.begin(), cameras.end(),
                                     [&](const CameraAddressing& c) { return c.mac == mac; });
    if (camera == cameras.end()) {
        return {std::nullopt, shown + " did not answer: no address to suggest"};
    }
    const auto interface =
        std::find_if(interfaces.begin(), interfaces.end(), [&](const LocalInterface& i) {
            return camera->interfaceIndex != 0 && i.index == camera->interfaceIndex;
        });
    if (interface == interfaces.end()) {
        return {std::nullopt,
                "The interface " + shown + " answered on is not known: no address to suggest"};
    }
    if (interface->loopback) {
        return {std::nullopt, shown + " answered over loopback (" + printableText(interface->name) +
                                  "): no LAN to suggest an address on"};
    }
    const auto suggested = suggestFreeAddress(*interface, cameras, interfaces);
    if (!suggested) {
        return {std::nullopt, "No free address in " + interfaceAddressText(*interface) + " on " +
                                  printableText(interface->name)};
    }
    return {suggested, {}};
}

AddressSuggestion findCameraAndSuggest(HeadlessSession& session, std::string_view mac) {
    const auto start = std::chrono::steady_clock::now();
    session.runFor(kLongestWait, [&] {
        return std::chrono::steady_clock::now() - start >= kShortestWait &&
               session.table().findByMac(mac).has_value();
    });
    return suggestAddressFor(mac, listedAddressing(session.table()),
                             session.engine().localInterfaces());
}

}  // namespace pelmora
