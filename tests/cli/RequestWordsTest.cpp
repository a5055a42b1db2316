// --dry-run's words for every kind of setting request, built by the pages' own code.
#include "cli/RequestWords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "protocol/SettingRequest.h"
#include "settings/bandwidth/BandwidthForm.h"
#include "settings/datetime/DateTimeRequest.h"
#include "settings/network/NetworkRequest.h"
#include "settings/pppoe/PppoeRequest.h"

namespace pelmora {
namespace {

constexpr const char* kMac = "02:50:4D:00:00:01";
constexpr const char* kPassword = "pass\xE9word";
constexpr const char* kPppoePassword = "s3cret-dial";

NetworkSettings fixedAddress() {
    NetworkSettings s;
    s.dhcp = false;
    s.ipAddress = {10, 1, 0, 4};
    s.subnetMask = {255, 255, 255, 0};
    s.gateway = {10, 1, 0, 254};
    s.gatewayBlank = false;
    s.dnsAuto = false;
    s.dns[0] = {{10, 1, 0, 254}, false};
    s.dns[2] = {{8, 8, 8, 8}, false};
    s.webPort80 = false;
    s.webPortText = "08080";
    return s;
}

PppoeSettings pppoeOn() {
    PppoeSettings s;
    s.on = true;
    s.userId = "isp-user";
    s.password = kPppoePassword;
    s.dnsAuto = false;
    s.primaryDns = {1, 2, 3, 4};
    return s;
}

TEST(RequestWords, eachRequestIsDescribedFieldByFieldWithoutItsSecrets) {
    const RequestNames names{"admin", "isp-user"};
    const struct {
        const char* name;
        std::string request;
        const char* words;
    } cases[] = {
        {"fixed address", buildNetworkRequest(kMac, "admin", kPassword, fixedAddress()),
         "DHCP off, IP address 10.1.0.4, subnet mask 255.255.255.0, gateway 10.1.0.254, DNS "
         "manual, DNS server 1 10.1.0.254, DNS server 3 8.8.8.8, HTTP port 08080; administrator "
         "admin"},
        {"DHCP", buildNetworkRequest(kMac, "admin", kPassword, NetworkSettings{}),
         "DHCP on, DNS automatic, HTTP port 80; administrator admin"},
        {"reboot", buildRebootRequest(kMac, "admin", kPassword), "reboot; administrator admin"},
        {"bandwidth", buildBandwidthRequest(kMac, "admin", kPassword, "2.0"),
         "bandwidth limit 2.0; administrator admin"},
        {"no bandwidth limit", buildBandwidthRequest(kMac, "admin", kPassword, "unlimited"),
         "bandwidth limit unlimited; administrator admin"},
        {"PPPoE on", buildPppoeRequest(kMac, "admin", kPassword, pppoeOn()),
         "PPPoE on, PPPoE user ID isp-user, PPPoE DNS manual, PPPoE DNS server 1 1.2.3.4, PPPoE "
         "DNS server 2 0.0.0.0; administrator admin"},
        {"PPPoE off", buildPppoeRequest(kMac, "admin", kPassword, PppoeSettings{}),
         "PPPoE off; administrator admin"},
        {"date and time", buildDateTimeRequest(kMac, {"dmy", "-5", "2612080930002"}),
         "clock 2026-12-08 09:30:00, time zone GMT-5, date format dmy"},
        {"date and time east of GMT", buildDateTimeRequest(kMac, {"ymd", "9", "2501010000003"}),
         "clock 2025-01-01 00:00:00, time zone GMT+9, date format ymd"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto words = describeRequest(c.request, names);
        EXPECT_EQ(words, c.words);
        EXPECT_EQ(words.find("pass"), std::string::npos);
        EXPECT_EQ(words.find(encodeCredentials("admin", kPassword)), std::string::npos);
        EXPECT_EQ(words.find(kPppoePassword), std::string::npos);
        EXPECT_EQ(words.find(encodeCredentials("isp-user", kPppoePassword)), std::string::npos);
    }
}

TEST(RequestWords, aDryRunLineNamesTheCameraAndKeepsTheTerminalSafe) {
    EXPECT_EQ(dryRunLine(kMac, buildRebootRequest(kMac, "ad\x1Bmin", kPassword), {"ad\x1Bmin", {}}),
              "Would send to 02:50:4D:00:00:01: reboot; administrator ad?min\n");
}

// The change log's summary read back by history says what --dry-run says, field for field: the
// three readings of a request share one table.
TEST(RequestWords, historySaysOfTheLoggedSummaryWhatTheDryRunSays) {
    const std::string requests[] = {
        buildNetworkRequest(kMac, "admin", kPassword, NetworkSettings{}),
        buildRebootRequest(kMac, "admin", kPassword),
        buildBandwidthRequest(kMac, "admin", kPassword, "unlimited"),
        buildPppoeRequest(kMac, "admin", kPassword, pppoeOn()),
        buildDateTimeRequest(kMac, {"dmy", "-5", "2612080930002"}),
    };
    for (const auto& request : requests) {
        auto words = describeRequest(request, {"admin", "isp-user"});
        words.resize(std::min(words.size(), words.find("; administrator")));
        EXPECT_EQ(settingsWords(summariseRequest(request).settings), words);
    }
}

}  // namespace
}  // namespace pelmora
