#include "engine/SendTarget.h"

#include <gtest/gtest.h>

namespace pelmora {
namespace {

TEST(SendTarget, defaultIsTheLimitedBroadcastOnTheSetupPort) {
    const auto target = SendTarget::broadcast();
    EXPECT_TRUE(target.isLimitedBroadcast());
    EXPECT_EQ(target.text(), "255.255.255.255:2380");
}

TEST(SendTarget, parsesHostWithAndWithoutPort) {
    struct Case {
        const char* name;
        const char* text;
        const char* expected;  // nullptr: rejected
    };
    const Case cases[] = {
        {"address only", "127.0.0.1", "127.0.0.1:2380"},
        {"address and port", "127.0.0.1:40000", "127.0.0.1:40000"},
        {"name", "localhost:7", "127.0.0.1:7"},
        {"port zero", "127.0.0.1:0", nullptr},
        {"port too large", "127.0.0.1:65536", nullptr},
        {"port not a number", "127.0.0.1:x1", nullptr},
        {"empty host", ":2380", nullptr},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto parsed = parseTarget(c.text, &error);
        if (c.expected == nullptr) {
            EXPECT_FALSE(parsed) << c.name;
            EXPECT_FALSE(error.empty()) << c.name;
        } else {
            ASSERT_TRUE(parsed) << c.name << ": " << error;
            EXPECT_EQ(parsed->text(), c.expected) << c.name;
        }
    }
}

}  // namespace
}  // namespace pelmora
