// Setting simulated ONVIF cameras over HTTP on loopback: the request goes only to the camera
// whose MAC the device at the address reports, what it took is read back through the device
// service, and a refusal comes back in the camera's own words.
#include "onvif/OnvifSetter.h"

#include <gtest/gtest.h>

#include "onvif/OnvifReader.h"
#include "simulator/OnvifCameraFactory.h"
#include "simulator/OnvifService.h"

namespace pelmora::onvif {
namespace {

using namespace std::chrono_literals;

class OnvifSetterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::OnvifFleetOptions fleet;
        fleet.count = 3;
        fleet.faulty = 1;
        fleet.refusing = 1;  // camera 3 refuses, camera 2 faults, camera 1 behaves
        fleet.clockOffsets[0] = 3h;
        sim::OnvifServiceOptions options;
        options.bindAddress = "127.0.0.1";
        options.discoveryPort = 0;
        service = std::make_unique<sim::OnvifService>(sim::makeOnvifCameras(fleet, {}), options);
        ASSERT_EQ(service->open(), "");
        for (const auto& camera : service->cameras()) {
            urls.push_back("http://127.0.0.1:" + std::to_string(camera.httpPort) +
                           "/onvif/device_service");
            macs.push_back(*MacAddress::parse(camera.mac));
        }
        service->start();
    }
    void TearDown() override { service->stop(); }

    // Camera `index` as a fresh reading sees it.
    OnvifCamera readBack(std::size_t index) {
        OnvifReaderOptions options;
        options.credentials = HttpDigest{"admin", "password"};
        OnvifReader reader(options);
        OnvifCamera camera;
        camera.serviceAddress = urls[index];
        reader.add(camera);
        reader.run();
        return reader.cameras().front();
    }

    std::unique_ptr<sim::OnvifService> service;
    std::vector<std::string> urls;
    std::vector<MacAddress> macs;
};

// The installer's story on one camera whose clock is 3 h off: the device is confirmed by its
// MAC, the clock and addressing are set, and a fresh reading shows both.
TEST_F(OnvifSetterTest, confirmsTheCameraThenSetsWhatChangedAndItReadsBack) {
    OnvifSetter setter(urls[0], {"admin", "password"});
    ASSERT_EQ(setter.confirmDevice(macs[0]).outcome, SettingOutcome::Accepted);

    auto before = readBack(0);
    ASSERT_EQ(before.access, Access::Read) << before.note;
    NetworkChange change;
    change.ipAddress = Ipv4{10, 7, 0, 9};
    change.prefixLength = 16;
    change.httpPort = 8080;
    std::string error;
    auto requests = networkRequests(before, change, &error);
    ASSERT_TRUE(requests) << error;
    requests->push_back(clockRequest(
        std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()), "UTC0"));
    const auto result = setter.send(*requests);
    EXPECT_EQ(result.outcome, SettingOutcome::Accepted);
    EXPECT_EQ(result.words, "Setting OK");
    EXPECT_EQ(result.taken.size(), requests->size());
    EXPECT_FALSE(result.rebootNeeded);

    const auto after = readBack(0);
    EXPECT_EQ(after.ipAddress, (Ipv4{10, 7, 0, 9}));
    EXPECT_EQ(after.prefixLength, 16);
    EXPECT_EQ(after.webPort, 8080);
    ASSERT_TRUE(after.clockOffset);
    EXPECT_LE(std::chrono::abs(*after.clockOffset), 2s) << "the clock was set from this PC";

    const auto reboot = setter.send({rebootRequest()});
    EXPECT_EQ(reboot.rebootMessage, "Rebooting in 30 seconds") << reboot.words;
}

// Nothing reaches a camera other than the one chosen; refusals and faults in the camera's words.
TEST_F(OnvifSetterTest, anotherDeviceGetsNothingAndRefusalsAreTheCamerasWords) {
    OnvifSetter wrong(urls[0], {"admin", "password"});
    const auto mismatch = wrong.confirmDevice(macs[1]);
    EXPECT_EQ(mismatch.outcome, SettingOutcome::WrongDevice);
    EXPECT_NE(mismatch.words.find(macs[0].text()), std::string::npos) << mismatch.words;

    OnvifSetter faulty(urls[1], {"admin", "password"});
    const auto fault = faulty.confirmDevice(macs[1]);
    EXPECT_EQ(fault.outcome, SettingOutcome::Refused);
    EXPECT_EQ(fault.words, "Device <busy> & not answering") << "markup stays text";

    OnvifSetter refusing(urls[2], {"admin", "password"});
    EXPECT_EQ(refusing.confirmDevice(macs[2]).outcome, SettingOutcome::Refused);

    OnvifSetter nobody("http://127.0.0.1:9/onvif/device_service", {"admin", "password"},
                       {std::chrono::milliseconds(500), std::chrono::milliseconds(1000), 1 << 20});
    const auto silent = nobody.confirmDevice(macs[0]);
    EXPECT_EQ(silent.outcome, SettingOutcome::NoResponse);
    EXPECT_EQ(silent.words, "No Response");
}

}  // namespace
}  // namespace pelmora::onvif
