// The one reading of a MAC: every form a person or a file may write, and the cameras' form it
// is written back in, whatever the locale.
#include "protocol/MacAddress.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace pelmora {
namespace {

TEST(MacAddress, readsEitherCaseAndSeparatorAndWritesTheCamerasForm) {
    const struct {
        const char* text;
        const char* mac;  // nullptr: refused
    } cases[] = {
        {"02:50:4D:00:00:01", "02:50:4D:00:00:01"},
        {"02:50:4d:0a:bc:ef", "02:50:4D:0A:BC:EF"},
        {"02-50-4d-00-00-01", "02:50:4D:00:00:01"},
        {"FF-FF-FF-FF-FF-FF", "FF:FF:FF:FF:FF:FF"},
        {"00:00:00:00:00:00", "00:00:00:00:00:00"},
        {"02:50-4D:00:00:01", nullptr},  // mixed separators
        {"02.50.4D.00.00.01", nullptr},
        {"02504D000001", nullptr},
        {"02:50:4D:00:00", nullptr},
        {"02:50:4D:00:00:01:02", nullptr},
        {"02:50:4G:00:00:01", nullptr},
        {"02:50:4D:0:000:01", nullptr},
        {" 02:50:4D:00:00:01", nullptr},
        {"02:50:4D:00:00:01 ", nullptr},
        {"", nullptr},
        {"\xEF\xBC\x90\xEF\xBC\x92:50:4D:00:00", nullptr},  // full-width digits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto mac = MacAddress::parse(c.text);
        ASSERT_EQ(mac.has_value(), c.mac != nullptr);
        if (mac) {
            EXPECT_EQ(mac->text(), c.mac);
            EXPECT_EQ(MacAddress::parse(mac->text()), mac);
        }
        EXPECT_EQ(macKey(c.text), c.mac != nullptr ? c.mac : c.text);
    }
    EXPECT_NE(MacAddress::parse("02:50:4D:00:00:01"), MacAddress::parse("02:50:4D:00:00:10"));
}

TEST(MacAddress, theLocaleChangesNothing) {
    // A locale with its own case rules for Latin letters, where one is installed.
    for (const char* name : {"tr_TR.UTF-8", "tr_TR.ISO-8859-9", "C.UTF-8"}) {
        if (std::setlocale(LC_ALL, name) == nullptr) {
            continue;
        }
        SCOPED_TRACE(name);
        EXPECT_EQ(MacAddress::parse("0a-bc-de-f0-12-9e")->text(), "0A:BC:DE:F0:12:9E");
        EXPECT_FALSE(MacAddress::parse("0i:bc:de:f0:12:9e"));
    }
    std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace pelmora
