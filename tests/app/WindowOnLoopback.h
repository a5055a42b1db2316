#pragma once
// What the window tests share: a settings file no earlier window wrote, so every window opens as
// on its first start, and the loopback address of the peer socket that stands in for the LAN.

#include <arpa/inet.h>

#include <QString>
#include <QTemporaryDir>

#include "engine/SendTarget.h"

namespace pelmora::test {

inline QString freshSettings() {
    static QTemporaryDir dir;
    static int made = 0;
    return dir.filePath(QString("pelmora-%1.conf").arg(++made));
}

inline SendTarget loopbackTarget(std::uint16_t port) {
    SendTarget target;
    target.address.s_addr = htonl(INADDR_LOOPBACK);
    target.port = port;
    return target;
}

}  // namespace pelmora::test
