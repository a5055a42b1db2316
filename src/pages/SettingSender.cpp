#include "pages/SettingSender.h"

namespace pelmora {

int sendSettingRequest(CameraTable& table, const DatagramSender& send, std::string_view mac,
                       std::string_view request) {
    table.registerPending(mac, request);
    return send ? send(request) : -1;
}

}  // namespace pelmora
