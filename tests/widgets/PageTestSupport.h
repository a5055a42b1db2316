#pragma once
// Cameras for the window tests, put straight into a table as their replies would.

#include <QCoreApplication>
#include <cstdio>
#include <string>

#include "model/CameraTable.h"
#include "protocol/DatagramBuilder.h"

namespace pelmora::test {

inline std::string macOf(int i) {
    char mac[18];
    std::snprintf(mac, sizeof mac, "02:50:4D:00:%02X:%02X", (i >> 8) & 0xFF, i & 0xFF);
    return mac;
}

inline void addCamera(CameraTable& table, int i, std::string_view model = "PM-C110",
                      std::string_view bands = "0.0,1.0,2.0", std::string_view port = "80") {
    table.parseInfoReply(DatagramBuilder{}
                             .field("MAC:", macOf(i))
                             .field("MODEL:", model)
                             .field("SERIAL:", "S" + std::to_string(i))
                             .field("DHCP:", "OFF")
                             .field("IPADR:", "192.168.0." + std::to_string(100 - i))
                             .field("WEBPORT:", port)
                             .field("BANDELM:", bands)
                             .field("CURBAND:", "1.0")
                             .finish());
}

inline void setAge(CameraTable& table, std::string_view mac, int age) {
    table.modify([&](TableData& d) {
        for (int i = 0; i < d.count; ++i) {
            if (std::string_view(d.records[i].mac) == mac) {
                d.records[i].age = age;
            }
        }
    });
}

}  // namespace pelmora::test
