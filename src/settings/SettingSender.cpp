#include "settings/SettingSender.h"

namespace pelmora {

int sendSettingRequest(CameraTable& table, const DatagramSender& send, std::string_view mac,
                       std::string_view request) {
    const int slot = table.registerPending(mac, request);
    const int result = send ? send(request) : -1;
    if (result != 0) {
        table.reportNotSent(slot);
    }
    return result;
}

}  // namespace pelmora
