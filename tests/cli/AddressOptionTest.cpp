#include "cli/AddressOption.h"

#include <gtest/gtest.h>

#include <optional>

namespace pelmora {
namespace {

TEST(AddressOption, readsOnlyFourDecimalPartsOfAtMostThreeDigits) {
    const struct {
        const char* text;
        std::optional<Ipv4> address;
    } cases[] = {
        {"0.0.0.0", Ipv4{0, 0, 0, 0}},
        {"255.255.255.255", Ipv4{255, 255, 255, 255}},
        {"010.002.3.004", Ipv4{10, 2, 3, 4}},
        {"", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"1.2.3.4.", std::nullopt},
        {".1.2.3", std::nullopt},
        {"1..2.3", std::nullopt},
        {"256.0.0.1", std::nullopt},
        {"1.2.3.999", std::nullopt},
        {"0001.2.3.4", std::nullopt},
        {" 1.2.3.4", std::nullopt},
        {"1.2.3.4 ", std::nullopt},
        {"+1.2.3.4", std::nullopt},
        {"1.2.3.0x1", std::nullopt},
        {"1,2,3,4", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseAddress(c.text), c.address) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace pelmora
