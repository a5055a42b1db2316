// The Network list's copied row text, built from a camera's record.
#include "listing/CameraRowText.h"

#include <gtest/gtest.h>

#include <string>

#include "model/FixedText.h"
#include "protocol/KeyReader.h"

namespace pelmora {
namespace {

struct RowTextCase {
    const char* mac;
    int dhcp;
    const char* address;
    int port;
    const char* version;
    const char* expected;
};

TEST(CameraRowText, namesTheAddressModeAndAddressThenPortModelSerialAndVersion) {
    const RowTextCase cases[] = {
        {"02:50:4D:00:00:01", 0, "192.168.0.10", 8080, "2.10",
         "02:50:4D:00:00:01 FIXED 192.168.0.10 8080 PM-F300 F1 2.10\r\n"},
        // A DHCP camera gives its current lease, which its grid cell does not show.
        {"02:50:4D:00:00:02", 1, "10.1.2.3", 80, "",
         "02:50:4D:00:00:02 DHCP 10.1.2.3 80 PM-F300 F1 \r\n"},
        // Blanks around the MAC are not copied.
        {" 02:50:4D:00:03 ", 1, "0.0.0.0", 80, "1",
         "02:50:4D:00:03 DHCP 0.0.0.0 80 PM-F300 F1 1\r\n"},
        {"", 0, "192.168.0.10", 80, "1", ""},
    };
    for (const auto& c : cases) {
        CameraRecord record{};
        copyField(record.mac, c.mac);
        copyField(record.model, "PM-F300");
        copyField(record.serial, "F1");
        copyField(record.softVersion, c.version);
        record.dhcp = c.dhcp;
        record.ipAddress = readDottedAddress(c.address);
        record.webPort = c.port;
        EXPECT_EQ(cameraRowText(record), c.expected) << c.mac;
    }
}

}  // namespace
}  // namespace pelmora
