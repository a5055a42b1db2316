// Framing, the enquiry, the setting request envelope and classifying received datagrams.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "protocol/DatagramBuilder.h"
#include "protocol/Dispatch.h"
#include "protocol/SettingRequest.h"
#include "protocol/WireText.h"

namespace pelmora {
namespace {

using test::wire;

constexpr std::string_view kMac = "02:50:4D:12:34:56";

TEST(Datagram, enquiryIsExactlyTheFourteenBytes) {
    const unsigned char expected[] = {0x02, 0x45, 0x4E, 0x51, 0x3A, 0x61, 0x6C,
                                      0x6C, 0x69, 0x6E, 0x66, 0x6F, 0xFF, 0x03};
    EXPECT_EQ(buildEnquiry(), std::string(reinterpret_cast<const char*>(expected), 14));
}

TEST(Datagram, builderTerminatesEveryFieldIncludingTheLast) {
    EXPECT_EQ(DatagramBuilder{}.field("A:", "1").field("B:", "").finish(), wire("<A:1|B:|>"));
    EXPECT_EQ(DatagramBuilder{}.finish(), wire("<>"));
}

TEST(Datagram, settingRequestFieldOrders) {
    const auto request = [] { return SettingRequest(kMac); };
    const struct {
        const char* name;
        std::string built;
        const char* expected;
    } cases[] = {
        {"network: SETMAC, IDPASS, then the page's fields",
         request()
             .credentials("admin", "12345")
             .field("DHCP:", "OFF")
             .field("WEBPORT:", "80")
             .finish(),
         "<SETMAC:02:50:4D:12:34:56|IDPASS:YWRtaW46MTIzNDU=|DHCP:OFF|WEBPORT:80|>"},
        {"reboot: SETMAC, REBOOT:ON, IDPASS",
         request().field("REBOOT:", "ON").credentials("admin", "12345").finish(),
         "<SETMAC:02:50:4D:12:34:56|REBOOT:ON|IDPASS:YWRtaW46MTIzNDU=|>"},
        {"bandwidth: SETMAC, IDPASS, SETBAND",
         request().credentials("admin", "12345").field("SETBAND:", "0.0").finish(),
         "<SETMAC:02:50:4D:12:34:56|IDPASS:YWRtaW46MTIzNDU=|SETBAND:0.0|>"},
        {"date and time: no IDPASS",
         request()
             .field("TIME:", "250101120000")
             .field("TIMEZONE:", "13")
             .field("DTFORMAT:", "2")
             .finish(),
         "<SETMAC:02:50:4D:12:34:56|TIME:250101120000|TIMEZONE:13|DTFORMAT:2|>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.built, wire(c.expected)) << c.name;
    }
}

TEST(Datagram, classificationTestsModelThenAckThenNak) {
    const struct {
        const char* name;
        const char* text;
        DatagramKind kind;
    } cases[] = {
        {"info reply", "<MODEL:PM|MAC:x|>", DatagramKind::InfoReply},
        {"MODEL wins over ACK", "<ACK:02:50:4D:12:34:56|MODEL:PM|>", DatagramKind::InfoReply},
        {"MODEL anywhere, no framing", "xxMODEL:", DatagramKind::InfoReply},
        {"acknowledgement", "<ACK:02:50:4D:12:34:56|>", DatagramKind::Acknowledgement},
        {"ACK wins over NAK", "<NAK:02:50:4D:12:34:56|ACK:|>", DatagramKind::Acknowledgement},
        {"refusal", "<NAK:02:50:4D:12:34:56|>", DatagramKind::Refusal},
        {"keys are case-sensitive", "<ack:02:50:4D:12:34:56|model:|>", DatagramKind::Other},
        {"enquiry echoed back", "<ENQ:allinfo|>", DatagramKind::Other},
        {"empty", "", DatagramKind::Other},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(classifyDatagram(wire(c.text)).kind, c.kind) << c.name;
    }
}

TEST(Datagram, settlementMacAndMessageTextComeFromFixedPositions) {
    const struct {
        const char* name;
        const char* text;
        std::string_view mac;
        std::optional<std::string_view> message;
    } cases[] = {
        {"24 bytes: no message text", "<ACK:02:50:4D:12:34:56|>", kMac, std::nullopt},
        {"25 bytes: empty message text", "<ACK:02:50:4D:12:34:56||>", kMac, ""},
        {"30 bytes: the 5 bytes from position 23", "<NAK:02:50:4D:12:34:56|Hello|>", kMac, "Hello"},
        {"length − 25 bytes whatever they are", "<ACK:02:50:4D:12:34:56|ABCDEFG", kMac, "ABCDE"},
        {"MAC from positions 5 to 21 wherever the key stands", "<----0123456789ABCDEFGACK:>",
         "0123456789ABCDEFG", "CK"},
        {"shorter than a MAC", "<ACK:00:80", "00:80", std::nullopt},
        {"key only", "<NAK:", "", std::nullopt},
        {"key without STX", "ACK:", "", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto text = wire(c.text);  // the views below point into it
        const auto classified = classifyDatagram(text);
        EXPECT_EQ(classified.mac, c.mac) << c.name;
        EXPECT_EQ(classified.messageText, c.message) << c.name;
    }
}

TEST(Datagram, textEndsAtTheFirstNulOrTheLength) {
    const char bytes[] = {'\x02', 'A', 'C', 'K', ':', '\0', 'x', '\x03'};
    EXPECT_EQ(datagramText(bytes, sizeof bytes), wire("<ACK:"));
    EXPECT_EQ(datagramText(bytes, 3), wire("<AC"));
    EXPECT_EQ(datagramText(bytes + 5, 3), "");
    EXPECT_EQ(datagramText(bytes, 0), "");
}

}  // namespace
}  // namespace pelmora
