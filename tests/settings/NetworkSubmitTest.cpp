#include "settings/network/NetworkSubmit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NetworkTestSupport.h"
#include "model/FixedText.h"
#include "protocol/WireText.h"
#include "settings/network/NetworkRequest.h"

namespace pelmora {
namespace {

using test::fixedAddress;

constexpr const char* kMac = "02:50:4D:00:00:07";

// The Network page's OK and Reboot against a table with one fixed-address camera, with a sender
// that records what goes out and what was pending at that moment.
class NetworkSubmit : public ::testing::Test {
  protected:
    void SetUp() override {
        table_.parseInfoReply(test::datagram({{"MAC:", kMac},
                                              {"MODEL:", "M"},
                                              {"DHCP:", "OFF"},
                                              {"IPADR:", "172.16.5.5"},
                                              {"MASK:", "255.255.0.0"},
                                              {"WEBPORT:", "8000"}}));
    }

    DatagramSender sender() {
        return [this](std::string_view datagram) {
            sent_.emplace_back(datagram);
            pendingAtSend_.push_back(pendingRequests());
            return sendResult_;
        };
    }

    std::vector<std::string> pendingRequests() const {
        return table_.read([](const TableData& data) {
            std::vector<std::string> requests;
            for (const auto& slot : data.pending) {
                if (slot.state != PendingRequest::kFree) {
                    requests.emplace_back(fieldText(slot.request));
                }
            }
            return requests;
        });
    }

    CameraRecord camera() const { return table_.findByMac(kMac).value(); }

    SubmitResult ok(const NetworkSettings& settings, std::string_view mac = kMac) {
        return submitNetworkSettings(table_, sender(), mac, "admin", "password", settings);
    }

    CameraTable table_;
    std::vector<std::string> sent_;
    std::vector<std::vector<std::string>> pendingAtSend_;
    int sendResult_ = 0;
};

NetworkSettings validFixedAddress() {
    return fixedAddress("192.168.0.10", "255.255.255.0", "192.168.0.1");
}

TEST_F(NetworkSubmit, refusedCheckSendsNothingAndNamesTheFieldToFocus) {
    auto badIp = validFixedAddress();
    badIp.ipAddress = test::address("127.0.0.1");
    auto badMask = validFixedAddress();
    badMask.subnetMask = test::address("255.255.255.255");
    auto badGateway = validFixedAddress();
    badGateway.gateway = test::address("10.0.0.1");
    auto badPort = validFixedAddress();
    badPort.webPort80 = false;
    badPort.webPortText = "1023";
    auto badAddressAndPort = badMask;
    badAddressAndPort.webPort80 = false;

    struct Case {
        const char* name;
        NetworkSettings settings;
        const char* message;
        NetworkField focus;
    };
    const Case cases[] = {
        {"IP address", badIp, "IP address Error", NetworkField::IpAddress},
        {"mask", badMask, "Subnetmask Error", NetworkField::SubnetMask},
        {"gateway", badGateway, "Gateway address Error", NetworkField::Gateway},
        {"port", badPort, "HTTP port No. Error", NetworkField::Unchanged},
        {"address before port", badAddressAndPort, "Subnetmask Error", NetworkField::SubnetMask},
    };
    for (const auto& c : cases) {
        const auto result = ok(c.settings);
        EXPECT_EQ(result.status, SubmitStatus::Refused) << c.name;
        ASSERT_TRUE(result.refusal) << c.name;
        EXPECT_EQ(result.refusal->message, c.message) << c.name;
        EXPECT_EQ(result.refusal->focus, c.focus) << c.name;
    }
    EXPECT_TRUE(sent_.empty());
    EXPECT_TRUE(pendingRequests().empty());
    EXPECT_EQ(formatIpv4(camera().ipAddress), "172.16.5.5");
}

TEST_F(NetworkSubmit, acceptedSettingsAreRegisteredThenSentThenShownInTheRecord) {
    auto settings = validFixedAddress();
    settings.webPort80 = false;
    settings.webPortText = "08080";

    const auto result = ok(settings);

    EXPECT_EQ(result.status, SubmitStatus::Sent);
    EXPECT_FALSE(result.refusal);
    const auto expected = buildNetworkRequest(kMac, "admin", "password", settings);
    EXPECT_EQ(sent_, std::vector<std::string>{expected});
    ASSERT_EQ(pendingAtSend_.size(), 1u);
    EXPECT_EQ(pendingAtSend_[0], std::vector<std::string>{expected}) << "registered before send";
    EXPECT_EQ(formatIpv4(camera().ipAddress), "192.168.0.10");
    EXPECT_EQ(camera().webPort, 8080);
}

TEST_F(NetworkSubmit, failedSendStaysPendingAndLeavesTheRecordAlone) {
    sendResult_ = -1;
    const auto result = ok(validFixedAddress());
    EXPECT_EQ(result.status, SubmitStatus::SendFailed);
    EXPECT_EQ(sent_.size(), 1u);
    EXPECT_EQ(pendingRequests().size(), 1u);
    EXPECT_EQ(formatIpv4(camera().ipAddress), "172.16.5.5");
    EXPECT_EQ(camera().webPort, 8000);
}

TEST_F(NetworkSubmit, cameraThatLeftTheTableIsNotAddressed) {
    auto badPort = validFixedAddress();
    badPort.webPort80 = false;
    const char* gone[] = {"02:50:4D:00:00:08", "02:50:4D:00:00:0", ""};
    for (const char* mac : gone) {
        EXPECT_EQ(ok(validFixedAddress(), mac).status, SubmitStatus::CameraGone) << mac;
        // The camera is looked up before the port is checked.
        EXPECT_EQ(ok(badPort, mac).status, SubmitStatus::CameraGone) << mac;
        EXPECT_EQ(submitReboot(table_, sender(), mac, "admin", "password"),
                  SubmitStatus::CameraGone)
            << mac;
    }
    EXPECT_TRUE(sent_.empty());
    EXPECT_TRUE(pendingRequests().empty());
}

TEST_F(NetworkSubmit, rebootIsRegisteredThenSentWithoutChangingTheRecord) {
    EXPECT_EQ(submitReboot(table_, sender(), kMac, "admin", "password"), SubmitStatus::Sent);
    sendResult_ = -1;
    EXPECT_EQ(submitReboot(table_, sender(), kMac, "admin", "password"), SubmitStatus::SendFailed);

    const auto expected = buildRebootRequest(kMac, "admin", "password");
    EXPECT_EQ(sent_, (std::vector<std::string>{expected, expected}));
    ASSERT_EQ(pendingAtSend_.size(), 2u);
    EXPECT_EQ(pendingAtSend_[0], std::vector<std::string>{expected}) << "registered before send";
    EXPECT_EQ(pendingRequests().size(), 2u);
    EXPECT_EQ(camera().dhcp, 0);
    EXPECT_EQ(formatIpv4(camera().ipAddress), "172.16.5.5");
}

}  // namespace
}  // namespace pelmora
