#include "settings/PageRules.h"

#include <gtest/gtest.h>

#include "model/CameraTable.h"
#include "protocol/DatagramBuilder.h"
#include "settings/SettingSender.h"

namespace pelmora {
namespace {

CameraRecord cameraFrom(std::string_view ip, std::string_view port, std::string_view dhcp) {
    CameraTable table;
    auto reply = DatagramBuilder{}.field("MAC:", "02:50:4D:00:00:01").field("MODEL:", "M");
    reply.field("IPADR:", ip).field("DHCP:", dhcp).field("PPPOEIPADR:", "10.9.8.7");
    if (!port.empty()) {
        reply.field("WEBPORT:", port);
    }
    table.parseInfoReply(reply.finish());
    return table.liveRecords().at(0);
}

TEST(PageRules, okNeedsASelectedCameraAndBothCredentialsLongEnough) {
    struct Case {
        const char* name;
        bool selected;
        const char* user;
        const char* password;
        std::size_t minimum;
        bool allowed;
    };
    const Case cases[] = {
        {"both at minimum", true, "abcd", "wxyz", 4, true},
        {"name one short", true, "abc", "wxyz", 4, false},
        {"password one short", true, "abcd", "wxy", 4, false},
        {"no camera selected", false, "abcd", "wxyz", 4, false},
        {"PPPoE needs five", true, "abcd", "vwxyz", 5, false},
        {"PPPoE at five", true, "abcde", "vwxyz", 5, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(credentialsAllowOk(c.selected, c.user, c.password, c.minimum), c.allowed)
            << c.name;
    }
}

TEST(PageRules, webAddressCarriesThePortOnlyWhenItIsNot80) {
    EXPECT_EQ(cameraPageUrl(cameraFrom("192.168.0.10", "", "OFF")), "http://192.168.0.10/");
    EXPECT_EQ(cameraPageUrl(cameraFrom("192.168.0.10", "8080", "OFF")),
              "http://192.168.0.10:8080/");
    EXPECT_EQ(cameraPageUrl(cameraFrom("0.0.0.0", "80", "OFF")), std::nullopt);
}

TEST(PageRules, rowCellsShowDhcpOrTheAddressOrThePppoeAddress) {
    const auto fixed = cameraFrom("192.168.0.10", "", "OFF");
    const auto dhcp = cameraFrom("192.168.0.11", "", "ON");
    EXPECT_EQ(
        cameraRowCells(fixed, AddressColumn::IpAddress),
        (std::vector<std::string>{"02:50:4D:00:00:01", "192.168.0.10", "M", "", "1.10 or less"}));
    EXPECT_EQ(cameraRowCells(dhcp, AddressColumn::IpAddress)[1], "DHCP");
    EXPECT_EQ(cameraRowCells(dhcp, AddressColumn::PppoeIpAddress)[1], "10.9.8.7");
}

TEST(PageRules, aRequestIsSentEvenWhenNoPendingSlotIsFree) {
    CameraTable table;
    for (int i = 0; i < kTableSize; ++i) {
        ASSERT_GE(table.registerPending("other", "x"), 0);
    }
    std::vector<std::string> sent;
    const DatagramSender send = [&](std::string_view text) {
        sent.emplace_back(text);
        return 0;
    };
    EXPECT_EQ(sendSettingRequest(table, send, "02:50:4D:00:00:01", "request"), 0);
    EXPECT_EQ(sent, std::vector<std::string>{"request"});
}

}  // namespace
}  // namespace pelmora
