// How each key of an information reply rewrites a camera's record.
#include "model/InfoReply.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "model/FixedText.h"
#include "protocol/WireText.h"

namespace pelmora {
namespace {

using test::datagram;

const std::string kTypicalReply = test::wire(
    "<MODEL:PM-NP244|MAC:02:50:4D:12:34:56|SERIAL:A1B2C3D4E5|SOFTVERSION:2.31|DHCP:OFF|"
    "IPADR:192.168.0.10|MASK:255.255.255.0|GATEWAY:192.168.0.1|DNSAUTO:ON|DNS1:192.168.0.2|"
    "DNS2:192.168.0.3|DNS3:8.8.8.8|DNS4:8.8.4.4|WEBPORT:8080|BANDELM:0.0,0.5,1.0,2.0|"
    "CURBAND:2.0|TIME:250315123456|TIMEZONE:13|DTFORMAT:2|PPPOEFUNC:ON|PPPOEIPADR:10.1.2.3|"
    "PPPOEDNSAUTO:on|PPPOEDNS1:10.1.2.4|PPPOEDNS2:10.1.2.5|>");

// A record as the typical reply leaves it, so that "unchanged" is visible.
CameraRecord seeded() {
    CameraRecord r{};
    applyInfoReply(r, kTypicalReply);
    return r;
}

CameraRecord applied(std::initializer_list<test::Field> fields) {
    auto r = seeded();
    applyInfoReply(r, datagram(fields));
    return r;
}

std::string text(const char* field, std::size_t width) {
    return {field, strnlen(field, width)};
}

TEST(InfoReply, typicalReplySetsEveryField) {
    const auto r = seeded();
    EXPECT_STREQ(r.model, "PM-NP244");
    EXPECT_STREQ(r.serial, "A1B2C3D4E5");
    EXPECT_STREQ(r.softVersion, "2.31");
    EXPECT_EQ(r.mac[0], '\0') << "the table, not applyInfoReply, writes the MAC";
    EXPECT_EQ(r.ipAddress, (Ipv4{192, 168, 0, 10}));
    EXPECT_EQ(r.subnetMask, (Ipv4{255, 255, 255, 0}));
    EXPECT_EQ(r.gateway, (Ipv4{192, 168, 0, 1}));
    EXPECT_EQ(r.dns1, (Ipv4{192, 168, 0, 2}));
    EXPECT_EQ(r.dns2, (Ipv4{192, 168, 0, 3}));
    EXPECT_EQ(r.dns3, (Ipv4{8, 8, 8, 8}));
    EXPECT_EQ(r.dns4, (Ipv4{8, 8, 4, 4}));
    EXPECT_EQ(r.dhcp, 0);
    EXPECT_EQ(r.dnsAuto, 1);
    EXPECT_EQ(r.webPort, 8080);
    EXPECT_STREQ(r.bandElements[0], "unlimited");
    EXPECT_STREQ(r.bandElements[3], "2.0");
    EXPECT_STREQ(r.bandElements[4], "");
    EXPECT_STREQ(r.currentBand, "2.0");
    EXPECT_STREQ(r.timeZone, "13");
    EXPECT_STREQ(r.dateTimeFormat, "2");
    EXPECT_EQ(r.pppoeReported, 1);
    EXPECT_EQ(r.pppoeOn, 1);
    EXPECT_EQ(r.pppoeDnsAuto, 1);
    EXPECT_EQ(r.pppoeIpAddress, (Ipv4{10, 1, 2, 3}));
    EXPECT_EQ(r.pppoeDns1, (Ipv4{10, 1, 2, 4}));
    EXPECT_EQ(r.pppoeDns2, (Ipv4{10, 1, 2, 5}));
}

TEST(InfoReply, textKeysAreCopiedCutToFitAndKeptWhenAbsent) {
    const struct {
        const char* key;
        std::function<const char*(const CameraRecord&)> field;
        std::size_t width;
        const char* whenAbsent;
    } cases[] = {
        {"MODEL:", [](const CameraRecord& r) { return r.model; }, 32, "PM-NP244"},
        {"SERIAL:", [](const CameraRecord& r) { return r.serial; }, 12, "A1B2C3D4E5"},
        {"SOFTVERSION:", [](const CameraRecord& r) { return r.softVersion; }, 16, "1.10 or less"},
        {"CURBAND:", [](const CameraRecord& r) { return r.currentBand; }, 12, "2.0"},
        {"TIMEZONE:", [](const CameraRecord& r) { return r.timeZone; }, 4, "13"},
        {"DTFORMAT:", [](const CameraRecord& r) { return r.dateTimeFormat; }, 4, "2"},
    };
    const std::string longValue(40, 'x');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        auto r = applied({{c.key, "ab"}});
        EXPECT_EQ(text(c.field(r), c.width), "ab");
        r = applied({{c.key, ""}});
        EXPECT_EQ(text(c.field(r), c.width), "");
        r = applied({{"OTHER:", "1"}});
        EXPECT_EQ(text(c.field(r), c.width), c.whenAbsent);
        // Cut to width − 1 with its NUL; a shorter value afterwards zero-fills the rest.
        r = applied({{c.key, longValue}});
        EXPECT_EQ(text(c.field(r), c.width), longValue.substr(0, c.width - 1));
        applyInfoReply(r, datagram({{c.key, "a"}}));
        const char* f = c.field(r);
        EXPECT_TRUE(std::all_of(f + 1, f + c.width, [](char b) { return b == '\0'; }));
    }
}

TEST(InfoReply, flagKeys) {
    const struct {
        const char* name;
        const char* reply;
        std::function<std::int32_t(const CameraRecord&)> field;
        std::int32_t value;
    } cases[] = {
        {"DHCP ON", "<DHCP:ON|>", &CameraRecord::dhcp, 1},
        {"DHCP on is off", "<DHCP:on|>", &CameraRecord::dhcp, 0},
        {"DHCP ONE is off", "<DHCP:ONE|>", &CameraRecord::dhcp, 0},
        {"DNSAUTO OFF", "<DNSAUTO:OFF|>", &CameraRecord::dnsAuto, 0},
        {"DNSAUTO absent: unchanged", "<>", &CameraRecord::dnsAuto, 1},
        {"PPPOEFUNC OFF reported", "<PPPOEFUNC:OFF|>", &CameraRecord::pppoeReported, 1},
        {"PPPOEFUNC OFF is off", "<PPPOEFUNC:OFF|>", &CameraRecord::pppoeOn, 0},
        {"PPPOEFUNC absent: not reported", "<>", &CameraRecord::pppoeReported, 0},
        {"PPPOEFUNC absent: off", "<>", &CameraRecord::pppoeOn, 0},
        {"PPPOEDNSAUTO on", "<PPPOEDNSAUTO:on|>", &CameraRecord::pppoeDnsAuto, 1},
        {"PPPOEDNSAUTO ON is off", "<PPPOEDNSAUTO:ON|>", &CameraRecord::pppoeDnsAuto, 0},
        {"PPPOEDNSAUTO absent: off", "<>", &CameraRecord::pppoeDnsAuto, 0},
        {"DNSAUTO read inside PPPOEDNSAUTO", "<PPPOEDNSAUTO:OFF|>", &CameraRecord::dnsAuto, 0},
    };
    for (const auto& c : cases) {
        auto r = seeded();
        applyInfoReply(r, test::wire(c.reply));
        EXPECT_EQ(c.field(r), c.value) << c.name;
    }
}

TEST(InfoReply, addressKeys) {
    const struct {
        const char* name;
        const char* reply;
        Ipv4 CameraRecord::*field;
        Ipv4 value;
    } cases[] = {
        {"IPADR 10.0.0.1", "<IPADR:10.0.0.1|>", &CameraRecord::ipAddress, {10, 0, 0, 1}},
        {"IPADR 1.2: unchanged", "<IPADR:1.2|>", &CameraRecord::ipAddress, {192, 168, 0, 10}},
        {"IPADR 1.23", "<IPADR:1.23|>", &CameraRecord::ipAddress, {1, 23, 0, 0}},
        {"IPADR absent: unchanged", "<>", &CameraRecord::ipAddress, {192, 168, 0, 10}},
        {"MASK absent: unchanged", "<>", &CameraRecord::subnetMask, {255, 255, 255, 0}},
        {"MASK empty: unchanged", "<MASK:|>", &CameraRecord::subnetMask, {255, 255, 255, 0}},
        {"MASK 255.0.0", "<MASK:255.0.0|>", &CameraRecord::subnetMask, {255, 0, 0, 0}},
        {"GATEWAY absent: zero", "<>", &CameraRecord::gateway, {}},
        {"GATEWAY empty: zero", "<GATEWAY:|>", &CameraRecord::gateway, {}},
        {"DNS2 absent: zero", "<>", &CameraRecord::dns2, {}},
        {"DNS3 absent: zero", "<>", &CameraRecord::dns3, {}},
        {"DNS4 300.1.2.3", "<DNS4:300.1.2.3|>", &CameraRecord::dns4, {44, 1, 2, 3}},
        {"DNS1 read inside PPPOEDNS1", "<PPPOEDNS1:1.2.3.4|>", &CameraRecord::dns1, {1, 2, 3, 4}},
        {"PPPOEDNS1 as well", "<PPPOEDNS1:1.2.3.4|>", &CameraRecord::pppoeDns1, {1, 2, 3, 4}},
        {"IPADR inside PPPOEIPADR",
         "<PPPOEIPADR:7.7.7.7|>",
         &CameraRecord::ipAddress,
         {7, 7, 7, 7}},
        {"PPPOEIPADR absent: zero", "<>", &CameraRecord::pppoeIpAddress, {}},
        {"PPPOEDNS2 empty: zero", "<PPPOEDNS2:|>", &CameraRecord::pppoeDns2, {}},
    };
    for (const auto& c : cases) {
        auto r = seeded();
        applyInfoReply(r, test::wire(c.reply));
        EXPECT_EQ(r.*c.field, c.value) << c.name;
    }
}

TEST(InfoReply, webPortIs80WhenAbsentAndZeroWhenEmpty) {
    EXPECT_EQ(applied({}).webPort, 80);
    EXPECT_EQ(applied({{"WEBPORT:", ""}}).webPort, 0);
    EXPECT_EQ(applied({{"WEBPORT:", "8081"}}).webPort, 8081);
    EXPECT_EQ(applied({{"WEBPORT:", "http"}}).webPort, 0);
}

TEST(InfoReply, bandElementsFillFromTheFrontAndKeepTheRest) {
    auto r = seeded();
    for (int k = 0; k < kBandSlots; ++k) {
        copyField(r.bandElements[k], "old");
    }
    applyInfoReply(r, datagram({{"BANDELM:", "0.0,1.0,2.0"}}));
    EXPECT_STREQ(r.bandElements[0], "unlimited");
    EXPECT_STREQ(r.bandElements[1], "1.0");
    EXPECT_STREQ(r.bandElements[2], "2.0");
    for (int k = 3; k < kBandSlots; ++k) {
        EXPECT_STREQ(r.bandElements[k], "old") << k;
    }
    applyInfoReply(r, datagram({{"BANDELM:", ""}}));
    EXPECT_STREQ(r.bandElements[0], "");
    EXPECT_STREQ(r.bandElements[1], "1.0");
    applyInfoReply(r, datagram({{"BANDELM:", ",,0.00,123456789012345"}}));
    EXPECT_STREQ(r.bandElements[1], "");
    EXPECT_STREQ(r.bandElements[2], "0.00") << "only exactly 0.0 means unlimited";
    EXPECT_STREQ(r.bandElements[3], "12345678901");
}

TEST(InfoReply, bandElementsAfterTheThirtiethAreIgnored) {
    std::string list;
    for (int k = 0; k < 35; ++k) {
        list += (k ? "," : "") + std::to_string(k);
    }
    auto r = seeded();
    applyInfoReply(r, datagram({{"BANDELM:", list}}));
    EXPECT_STREQ(r.bandElements[0], "0");
    EXPECT_STREQ(r.bandElements[kBandSlots - 1], "29");
    EXPECT_STREQ(r.currentBand, "2.0") << "the record past bandElements is untouched";
    EXPECT_STREQ(applied({{"CURBAND:", "0.0"}}).currentBand, "unlimited");
}

struct ExpectedClock {
    int year, month, day, hour, minute, second, weekday, dayOfYear;
};

void expectClock(const CameraClock& c, const ExpectedClock& e) {
    EXPECT_EQ(c.yearsSince1900 + 1900, e.year);
    EXPECT_EQ(c.month + 1, e.month);
    EXPECT_EQ(c.dayOfMonth, e.day);
    EXPECT_EQ(c.hour, e.hour);
    EXPECT_EQ(c.minute, e.minute);
    EXPECT_EQ(c.second, e.second);
    EXPECT_EQ(c.weekday, e.weekday);
    EXPECT_EQ(c.dayOfYear, e.dayOfYear);
}

TEST(InfoReply, timeIsReadAsTwoDigitGroupsAndNormalised) {
    const struct {
        const char* value;
        ExpectedClock clock;
    } cases[] = {
        {"250101000000", {2025, 1, 1, 0, 0, 0, 3, 0}},
        {"250315123456", {2025, 3, 15, 12, 34, 56, 6, 73}},
        {"250132000000", {2025, 2, 1, 0, 0, 0, 6, 31}},  // day 32 carries into February
        {"251231235960", {2026, 1, 1, 0, 0, 0, 4, 0}},   // second 60 carries into 2026
        {"241301000000", {2025, 1, 1, 0, 0, 0, 3, 0}},   // month 13
        {"2503", {2025, 2, 28, 0, 0, 0, 5, 58}},         // missing groups read 0: day 0
        {"25 3 1 0 0 0", {2025, 3, 1, 0, 0, 0, 6, 59}},  // " 3": white space skipped
        {"", {1999, 11, 30, 0, 0, 0, 2, 333}},           // all 0: day 0 of month −1 of 2000
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        expectClock(applied({{"TIME:", c.value}}).clock, c.clock);
    }
    expectClock(applied({}).clock, {2025, 3, 15, 12, 34, 56, 6, 73});
}

TEST(InfoReply, lastFieldWithoutTerminatorReadsEmpty) {
    const auto rule = [](const char* key) {
        auto r = seeded();
        applyInfoReply(r, test::wire(std::string("<MODEL:PM|") + key + "1.2.3.4>"));
        return r;
    };
    EXPECT_STREQ(rule("BANDELM:").bandElements[0], "");
    EXPECT_STREQ(rule("BANDELM:").bandElements[1], "0.5");
    EXPECT_EQ(rule("DNSAUTO:").dnsAuto, 0);
    EXPECT_EQ(rule("IPADR:").ipAddress, (Ipv4{192, 168, 0, 10}));
    EXPECT_EQ(rule("MASK:").subnetMask, (Ipv4{255, 255, 255, 0}));
    EXPECT_EQ(rule("GATEWAY:").gateway, Ipv4{});
    EXPECT_EQ(rule("WEBPORT:").webPort, 0);
    EXPECT_STREQ(rule("SERIAL:").serial, "");
}

TEST(InfoReply, ageMacAndDateTimeMarkAreLeftAlone) {
    auto r = seeded();
    r.age = 42;
    copyField(r.mac, "02:50:4D:00:00:01");
    copyField(r.dateTimeMark, "*");
    applyInfoReply(r, kTypicalReply);
    EXPECT_EQ(r.age, 42);
    EXPECT_STREQ(r.mac, "02:50:4D:00:00:01");
    EXPECT_STREQ(r.dateTimeMark, "*");
}

}  // namespace
}  // namespace pelmora
