#pragma once
// What the Network page's "OK" and "Reboot" buttons do, without the window: the checks, the
// camera looked up by the selected row's MAC, the request registered as pending and then sent,
// and, after a successful network-settings send only, the sent values written into the record.
// The window shows the refusal, moves the focus, and refreshes its grid after `Sent`.

#include <optional>
#include <string_view>

#include "model/CameraTable.h"
#include "settings/network/NetworkChecks.h"
#include "settings/network/NetworkSettings.h"

namespace pelmora {

enum class SubmitStatus {
    Refused,     // a check failed: nothing registered or sent
    CameraGone,  // no record carries the selected MAC any more: nothing registered or sent
    SendFailed,  // registered as pending, the send failed; the record is unchanged
    Sent,
};

struct SubmitResult {
    SubmitStatus status = SubmitStatus::Refused;
    std::optional<NetworkRefusal> refusal;  // set when Refused
};

// "OK": the address check, the camera lookup, the port check, then register and send. A camera
// that has left the table cannot be addressed (its record gives the MAC the request names), so
// nothing goes out; the window's next refresh drops its row.
SubmitResult submitNetworkSettings(CameraTable& table, const DatagramSender& send,
                                   std::string_view selectedMac, std::string_view name,
                                   std::string_view password, const NetworkSettings& settings);

// "Reboot": no check and no question; register and send, no record changes. The window does
// nothing with the result; it is reported for callers that want it.
SubmitStatus submitReboot(CameraTable& table, const DatagramSender& send,
                          std::string_view selectedMac, std::string_view name,
                          std::string_view password);

}  // namespace pelmora
