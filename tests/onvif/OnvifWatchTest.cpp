// The watch that keeps a window's ONVIF list: simulated cameras in this process, on loopback,
// reached by a directed probe.
#include "onvif/OnvifWatch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "simulator/OnvifCameraFactory.h"
#include "simulator/OnvifService.h"

namespace pelmora::onvif {
namespace {

using namespace std::chrono_literals;

template <class F>
bool eventually(F condition, std::chrono::milliseconds timeout = 8s) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

bool allAre(const std::vector<OnvifCamera>& cameras, std::size_t count, Access access) {
    return cameras.size() == count &&
           std::all_of(cameras.begin(), cameras.end(), [&](auto& c) { return c.access == access; });
}

// Found and read without credentials, read again in full once they come, a refused password
// told apart, and every camera forgotten once none answers: the life of the window's list.
TEST(OnvifWatch, findsReadsRereadsAndForgetsCameras) {
    sim::OnvifFleetOptions fleet;
    fleet.count = 3;
    fleet.refusing = 1;
    sim::OnvifServiceOptions serviceOptions;
    serviceOptions.bindAddress = "127.0.0.1";
    serviceOptions.discoveryPort = 0;
    auto service =
        std::make_unique<sim::OnvifService>(sim::makeOnvifCameras(fleet, {}), serviceOptions);
    ASSERT_EQ(service->open(), "");
    service->start();

    OnvifWatchOptions options;
    options.discovery.multicast = false;
    options.discovery.port = service->discoveryPort();
    options.probePeriod = 200ms;
    options.forgetAfter = 1s;
    std::atomic<int> changes{0};
    OnvifWatch watch(
        options, [&] { ++changes; }, [](const std::string&) {});
    watch.start();
    watch.probeAddresses({Ipv4{127, 0, 0, 1}});

    ASSERT_TRUE(eventually([&] { return allAre(watch.cameras(), 3, Access::CredentialsNeeded); }));
    EXPECT_GT(changes.load(), 0);
    for (const auto& camera : watch.cameras()) {
        EXPECT_TRUE(camera.clockOffset.has_value());
        EXPECT_FALSE(camera.mac.has_value());
    }

    watch.setCredentials(HttpDigest{"admin", "password"});
    ASSERT_TRUE(eventually([&] {
        const auto cameras = watch.cameras();
        return std::count_if(cameras.begin(), cameras.end(),
                             [](auto& c) { return c.access == Access::Read && c.mac; }) == 2 &&
               std::count_if(cameras.begin(), cameras.end(),
                             [](auto& c) { return c.access == Access::CredentialsRefused; }) == 1;
    }));
    EXPECT_LE(watch.mostInFlight(), kMaxRequestsInFlight);

    // Probes go on every period; with the cameras gone, nothing answers them.
    service->stop();
    service.reset();
    ASSERT_TRUE(eventually([&] { return watch.cameras().empty(); }));
    watch.stop();
}

}  // namespace
}  // namespace pelmora::onvif
