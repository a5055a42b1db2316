// The --onvif-probe list: what each entry expands to, and what is refused before anything is
// sent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "onvif/ProbeTargets.h"

namespace pelmora::onvif {
namespace {

TEST(ProbeTargets, rangesExpandToTheirHostsEachAddressOnce) {
    const struct {
        const char* list;
        std::size_t count;
        const char* first;
        const char* last;
    } cases[] = {
        {"10.3.0.7", 1, "10.3.0.7", "10.3.0.7"},
        {"10.2.0.0/24", 254, "10.2.0.1", "10.2.0.254"},
        {"10.2.0.9/24", 254, "10.2.0.1", "10.2.0.254"},  // host bits ignored
        {" 10.3.0.7 , 10.2.0.0/30", 3, "10.3.0.7", "10.2.0.2"},
        {"10.2.0.4/31", 2, "10.2.0.4", "10.2.0.5"},
        {"10.2.0.5,10.2.0.4/30,10.2.0.6", 2, "10.2.0.5", "10.2.0.6"},  // repeats once
        {"10.0.0.0/20", 4094, "10.0.0.1", "10.0.15.254"},
        {"10.0.0.0/20,10.0.0.1,10.1.0.1,10.1.0.2", 4096, "10.0.0.1", "10.1.0.2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        std::string error;
        const auto targets = parseProbeTargets(c.list, &error);
        ASSERT_TRUE(targets) << error;
        ASSERT_EQ(targets->size(), c.count);
        EXPECT_EQ(formatIpv4(targets->front()), c.first);
        EXPECT_EQ(formatIpv4(targets->back()), c.last);
    }
}

TEST(ProbeTargets, refusesWhatCannotBeProbedOrIsTooMuch) {
    const struct {
        const char* list;
        const char* error;
    } cases[] = {
        {"", "an empty entry"},
        {"10.3.0.7,", "an empty entry"},
        {"10.3.0", "\"10.3.0\" is not an IPv4 address or range"},
        {"10.2.0.0/33", "\"10.2.0.0/33\": the prefix length must be 0 to 32"},
        {"10.2.0.0/", "the prefix length must be 0 to 32"},
        {"239.255.255.250", "is an address that cannot be probed"},
        {"0.0.0.0", "is an address that cannot be probed"},
        {"239.255.255.0/24", "covers addresses that cannot be probed"},
        {"10.0.0.0/19", "more than 4096 addresses"},
        {"10.0.0.0/20,10.1.0.0/29", "more than 4096 addresses"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        std::string error;
        EXPECT_FALSE(parseProbeTargets(c.list, &error));
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace pelmora::onvif
