#include "cli/CameraListing.h"

#include <gtest/gtest.h>

#include <cstring>

#include "model/CameraTable.h"
#include "protocol/DatagramBuilder.h"

namespace pelmora {
namespace {

CameraRecord camera(std::string_view reply) {
    CameraTable table;
    table.parseInfoReply(reply);
    return table.liveRecords().at(0);
}

const std::string kReply = DatagramBuilder{}
                               .field("MAC:", "02:50:4D:00:00:01")
                               .field("MODEL:", "PM-C110")
                               .field("SERIAL:", "S1")
                               .field("DHCP:", "OFF")
                               .field("IPADR:", "192.168.0.2")
                               .field("BANDELM:", "0.0,1.0,2.0")
                               .field("TIME:", "250301093005")
                               .field("PPPOEFUNC:", "ON")
                               .finish();

TEST(CameraListing, textBytesAreReadAsLatin1) {
    EXPECT_EQ(latin1ToUtf8("Cam\xE9"), "Cam\xC3\xA9");
    EXPECT_EQ(latin1ToUtf8("\xFF"), "\xC3\xBF");
    EXPECT_EQ(latin1ToUtf8("plain"), "plain");
}

TEST(CameraListing, controlCharactersCannotReachTheTerminal) {
    EXPECT_EQ(printableText("a\x1B[2Jb\r\n\x7F"), "a?[2Jb???");
    // C1 controls are Latin-1 code points too, and some terminals obey them.
    EXPECT_EQ(printableText("x\x9B"
                            "31m"),
              "x?31m");
    EXPECT_EQ(printableText("\xE9t\xE9"), "\xC3\xA9t\xC3\xA9");
}

TEST(CameraListing, jsonHasTheRecordsFieldsWithTheirTypes) {
    const auto json = cameraToJson(camera(kReply));
    EXPECT_EQ(json["mac"], "02:50:4D:00:00:01");
    EXPECT_EQ(json["ipAddress"], "192.168.0.2");
    EXPECT_EQ(json["dhcp"], 0);
    EXPECT_EQ(json["webPort"], 80);
    EXPECT_EQ(json["bandElements"], nlohmann::ordered_json({"unlimited", "1.0", "2.0"}));
    EXPECT_EQ(json["clock"], "2025-03-01 09:30:05");
    EXPECT_EQ(json["pppoeReported"], 1);
    EXPECT_EQ(json["softVersion"], "1.10 or less");
    EXPECT_EQ(json.size(), 27u);
}

TEST(CameraListing, clockIsNullUntilACameraReportsItsTime) {
    const auto json =
        cameraToJson(camera(DatagramBuilder{}.field("MAC:", "m").field("MODEL:", "x").finish()));
    EXPECT_TRUE(json["clock"].is_null());
    EXPECT_TRUE(json["bandElements"].empty());
}

TEST(CameraListing, jsonEscapesUntrustedTextAndStaysValidUtf8) {
    const auto text = formatCameraJson(
        {camera(DatagramBuilder{}.field("MAC:", "m").field("MODEL:", "\"a\"\x01\xE9").finish())});
    EXPECT_NE(text.find(R"("model": "\"a\"\u0001é")"), std::string::npos) << text;
    EXPECT_TRUE(nlohmann::json::accept(text));
}

// JSON needs only the C0 controls escaped, but DEL and the C1 controls would reach the terminal
// that shows the output; the characters after them are left as they are.
TEST(CameraListing, jsonEscapesDelAndC1Controls) {
    struct Case {
        const char* name;
        const char* model;     // the camera's Latin-1 bytes
        const char* expected;  // the model's JSON string
    };
    const Case cases[] = {
        {"DEL",
         "a\x7F"
         "b",
         R"("a\u007fb")"},
        {"first C1", "\x80", R"("\u0080")"},
        {"CSI among text",
         "x\x9B"
         "31m",
         R"("x\u009b31m")"},
        {"last C1", "\x9F", R"("\u009f")"},
        {"no-break space is text", "\xA0\xE9", "\"\xC2\xA0\xC3\xA9\""},
        {"C0 as before", "\x1B", R"("\u001b")"},
    };
    for (const auto& c : cases) {
        const auto text = formatCameraJson(
            {camera(DatagramBuilder{}.field("MAC:", "m").field("MODEL:", c.model).finish())});
        EXPECT_NE(text.find(std::string(R"("model": )") + c.expected), std::string::npos)
            << c.name << ": " << text;
        EXPECT_TRUE(nlohmann::json::accept(text)) << c.name;
    }
}

TEST(CameraListing, tableShowsDhcpCamerasAsDhcpAndAlignsLatin1Text) {
    auto fixed = camera(kReply);
    auto dhcp = camera(DatagramBuilder{}
                           .field("MAC:", "02:50:4D:00:00:02")
                           .field("MODEL:", "Cam\xE9ra")
                           .field("DHCP:", "ON")
                           .field("IPADR:", "10.0.0.9")
                           .finish());
    const auto table = formatCameraTable({fixed, dhcp});
    EXPECT_EQ(table,
              "MAC address        IP address   Model    Serial No.  Version No.   Port\n"
              "02:50:4D:00:00:01  192.168.0.2  PM-C110  S1          1.10 or less  80\n"
              "02:50:4D:00:00:02  DHCP         Cam\xC3\xA9ra   "
              "            1.10 or less  80\n"
              "2 cameras\n");
}

}  // namespace
}  // namespace pelmora
