// Reading a key, leading-decimal conversion and dotted addresses.
#include "protocol/KeyReader.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

#include "protocol/WireText.h"

namespace pelmora {
namespace {

TEST(KeyReader, readKeyFollowsTheOneRule) {
    const struct {
        const char* name;
        const char* text;
        const char* key;
        std::optional<std::string_view> value;
    } cases[] = {
        {"value up to the terminator", "<MODEL:PM-1|MAC:x|>", "MODEL:", "PM-1"},
        {"absent key", "<MODEL:PM-1|>", "SERIAL:", std::nullopt},
        {"case-sensitive", "<model:PM-1|>", "MODEL:", std::nullopt},
        {"colon is part of the key", "<MODELX:1|>", "MODEL:", std::nullopt},
        {"empty value", "<MASK:|>", "MASK:", ""},
        {"missing terminator gives empty", "<MODEL:PM-1>", "MODEL:", ""},
        {"key at the very end", "<MODEL:", "MODEL:", ""},
        {"first occurrence wins", "<MODEL:A|MODEL:B|>", "MODEL:", "A"},
        {"DNS1 inside PPPOEDNS1", "<PPPOEDNS1:1.2.3.4|>", "DNS1:", "1.2.3.4"},
        {"IPADR inside PPPOEIPADR", "<PPPOEIPADR:5.6.7.8|>", "IPADR:", "5.6.7.8"},
        {"DNSAUTO inside PPPOEDNSAUTO", "<PPPOEDNSAUTO:on|>", "DNSAUTO:", "on"},
        {"own key earlier wins", "<DNS1:9.9.9.9|PPPOEDNS1:1.2.3.4|>", "DNS1:", "9.9.9.9"},
        {"longer key earlier wins", "<PPPOEDNS1:1.2.3.4|DNS1:9.9.9.9|>", "DNS1:", "1.2.3.4"},
        {"framing bytes are not checked", "X:a<b>|", "X:",
         "a\x02"
         "b\x03"},
    };
    for (const auto& c : cases) {
        const auto text = test::wire(c.text);
        EXPECT_EQ(readKey(text, c.key), c.value) << c.name;
    }
}

TEST(KeyReader, leadingDecimalConversion) {
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"80", 80},
        {"007", 7},
        {"", 0},
        {"abc", 0},
        {"12abc", 12},
        {"1.5", 1},
        {"   42", 42},
        {"\t\n\v\f\r9", 9},
        {"+5", 5},
        {"-5", -5},
        {"+", 0},
        {"- 5", 0},
        {"0x1F", 0},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"99999999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},
        {"-99999999999999999999999", INT_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(leadingDecimal(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(KeyReader, dottedAddressReadsFourLeadingDecimalsLowEightBits) {
    const struct {
        const char* text;
        Ipv4 address;
    } cases[] = {
        {"10.0.0.1", {10, 0, 0, 1}},  {"192.168.0.254", {192, 168, 0, 254}},
        {"10.0.0", {10, 0, 0, 0}},    {"1.23", {1, 23, 0, 0}},
        {"1.2", {1, 2, 0, 0}},        {"", {0, 0, 0, 0}},
        {"300.1.2.3", {44, 1, 2, 3}}, {"256.257.511.512", {0, 1, 255, 0}},
        {"-1.0.0.0", {255, 0, 0, 0}}, {" 1. 2.+3.4", {1, 2, 3, 4}},
        {"1..3.4", {1, 0, 3, 4}},     {"1.2.3.4.5", {1, 2, 3, 4}},
        {"a.b.c.d", {0, 0, 0, 0}},    {"1x.2y.3z.4", {1, 2, 3, 4}},
        {"1.2.3.", {1, 2, 3, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readDottedAddress(c.text), c.address) << '"' << c.text << '"';
    }
}

TEST(KeyReader, addressesAreWrittenAsFourDecimals) {
    EXPECT_EQ(formatIpv4({192, 168, 0, 1}), "192.168.0.1");
    EXPECT_EQ(formatIpv4({0, 0, 0, 0}), "0.0.0.0");
    EXPECT_EQ(formatIpv4({255, 255, 255, 255}), "255.255.255.255");
}

}  // namespace
}  // namespace pelmora
