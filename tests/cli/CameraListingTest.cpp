#include "listing/CameraListing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

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
    EXPECT_EQ(json.size(), 31u);
}

// The record's keys keep their names and order; what the LAN diagnosis says comes after them.
TEST(CameraListing, jsonKeysAreTheRecordsThenTheDiagnosis) {
    const std::vector<std::string> expectedKeys = {"mac",
                                                   "model",
                                                   "serial",
                                                   "softVersion",
                                                   "ipAddress",
                                                   "pppoeIpAddress",
                                                   "dhcp",
                                                   "subnetMask",
                                                   "gateway",
                                                   "dnsAuto",
                                                   "dns1",
                                                   "dns2",
                                                   "dns3",
                                                   "dns4",
                                                   "webPort",
                                                   "bandElements",
                                                   "currentBand",
                                                   "clock",
                                                   "timeZone",
                                                   "dateTimeFormat",
                                                   "dateTimeMark",
                                                   "pppoeReported",
                                                   "pppoeOn",
                                                   "pppoeDnsAuto",
                                                   "pppoeDns1",
                                                   "pppoeDns2",
                                                   "age",
                                                   "interface",
                                                   "interfaceAddress",
                                                   "reachability",
                                                   "problems"};
    const std::vector<LocalInterface> interfaces = {
        {"lo", 1, {127, 0, 0, 1}, 8, true, std::nullopt},
        {"eth1", 3, {10, 1, 0, 1}, 24, false, std::nullopt},
        {"eth2", 4, {10, 2, 0, 1}, 24, false, std::nullopt},
    };
    struct Case {
        const char* name;
        CameraAddressing camera;
        const char* interface;
        const char* interfaceAddress;
        const char* reachability;
        std::vector<std::string> problems;
        const char* notes;
    };
    const Case cases[] = {
        {"same subnet, nothing wrong",
         {"02:50:4D:00:00:01", {10, 1, 0, 5}, {255, 255, 255, 0}, {10, 1, 0, 254}, false, 3},
         "eth1",
         "10.1.0.1/24",
         "same-subnet",
         {},
         ""},
        {"another subnet",
         {"02:50:4D:00:00:02", {192, 168, 0, 10}, {255, 255, 255, 0}, {}, false, 3},
         "eth1",
         "10.1.0.1/24",
         "other-subnet",
         {"other-subnet"},
         "On another subnet: this PC is 10.1.0.1/24 on eth1"},
        {"this PC's address and a gateway elsewhere",
         {"02:50:4D:00:00:03", {10, 2, 0, 1}, {255, 255, 255, 0}, {10, 9, 9, 9}, false, 4},
         "eth2",
         "10.2.0.1/24",
         "same-subnet",
         {"pc-address", "gateway-outside-subnet"},
         "Uses 10.2.0.1, an address of this PC; Gateway 10.9.9.9 is outside the subnet "
         "10.2.0.1/255.255.255.0"},
        {"over loopback",
         {"02:50:4D:00:00:04", {10, 3, 0, 9}, {255, 255, 255, 0}, {}, false, 1},
         "lo",
         "127.0.0.1/8",
         "unknown",
         {},
         ""},
        {"interface not known",
         {"02:50:4D:00:00:05", {}, {}, {}, true, 0},
         "",
         "",
         "no-address",
         {},
         ""},
    };
    std::vector<CameraAddressing> cameras;
    for (const auto& c : cases) {
        cameras.push_back(c.camera);
    }
    const auto notes = cameraNotes(cameras, interfaces);
    ASSERT_EQ(notes.size(), std::size(cases));
    std::vector<CameraRecord> records;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.name);
        records.push_back(camera(DatagramBuilder{}
                                     .field("MAC:", c.camera.mac)
                                     .field("MODEL:", "PM-C110")
                                     .field("IPADR:", formatIpv4(c.camera.ipAddress))
                                     .finish()));
        const auto json = cameraToJson(records.back(), notes[i]);
        std::vector<std::string> keys;
        for (const auto& [key, value] : json.items()) {
            keys.push_back(key);
        }
        EXPECT_EQ(keys, expectedKeys);
        EXPECT_EQ(json["interface"], c.interface);
        EXPECT_EQ(json["interfaceAddress"], c.interfaceAddress);
        EXPECT_EQ(json["reachability"], c.reachability);
        EXPECT_EQ(json["problems"], nlohmann::ordered_json(c.problems));
    }
    // The table's last column says the same in sentences.
    const auto table = formatCameraTable(records, notes);
    std::vector<std::string> lines;
    for (std::size_t at = 0, next = 0; (next = table.find('\n', at)) != std::string::npos;
         at = next + 1) {
        lines.push_back(table.substr(at, next - at));
    }
    ASSERT_EQ(lines.size(), std::size(cases) + 2);
    const auto notesColumn = lines[0].find("Notes");
    ASSERT_NE(notesColumn, std::string::npos);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        const auto& row = lines[i + 1];
        EXPECT_EQ(row.size() > notesColumn ? row.substr(notesColumn) : "", cases[i].notes);
    }
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
              "MAC address        IP address   Model    Serial No.  Version No.   Port  Notes\n"
              "02:50:4D:00:00:01  192.168.0.2  PM-C110  S1          1.10 or less  80\n"
              "02:50:4D:00:00:02  DHCP         Cam\xC3\xA9ra   "
              "            1.10 or less  80\n"
              "2 cameras\n");
}

// Notes quote other cameras' MACs, which are camera text like any other.
TEST(CameraListing, notesAreMadeSafeForTheTerminal) {
    const std::vector<LocalInterface> interfaces = {
        {"eth1", 3, {10, 1, 0, 1}, 24, false, std::nullopt}};
    const std::vector<CameraAddressing> cameras = {
        {"02:50:4D:00:00:01", {10, 1, 0, 7}, {255, 255, 255, 0}, {}, false, 3},
        {"\x1B[2J\x9B", {10, 1, 0, 7}, {255, 255, 255, 0}, {}, false, 3},
    };
    const auto table = formatCameraTable(
        {camera(
            DatagramBuilder{}.field("MAC:", "02:50:4D:00:00:01").field("MODEL:", "x").finish())},
        cameraNotes(cameras, interfaces));
    EXPECT_NE(table.find("Shares 10.1.0.7 with ?[2J?\n"), std::string::npos) << table;
}

// The first rows stay where they are and keep their notes; the healthy row goes.
TEST(CameraListing, onlyTheProblemRowsAreKeptEachWithItsNotes) {
    const std::vector<LocalInterface> interfaces = {{"eth1", 3, {10, 1, 0, 1}, 24, false, {}}};
    const std::vector<CameraAddressing> addressing = {
        {"1", {10, 1, 0, 7}, {255, 255, 255, 0}, {}, false, 3},
        {"2", {10, 1, 0, 7}, {255, 255, 255, 0}, {}, false, 3},
        {"3", {10, 1, 0, 8}, {255, 255, 255, 0}, {}, false, 3}};
    std::vector<CameraRecord> records(3);
    auto notes = cameraNotes(addressing, interfaces);
    keepCamerasWithProblems(records, notes);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].sentences, std::vector<std::string>{"Shares 10.1.0.7 with 2"});
    EXPECT_EQ(notes[1].sentences, std::vector<std::string>{"Shares 10.1.0.7 with 1"});
}

}  // namespace
}  // namespace pelmora
