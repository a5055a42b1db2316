// Reading cameras' device services over real HTTP on 127.0.0.1: what each kind of camera is
// listed as, with and without credentials, and that one that hangs holds up no other.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "FakeDeviceService.h"
#include "onvif/CameraReadings.h"
#include "onvif/OnvifReader.h"

namespace pelmora::onvif {
namespace {

using namespace std::chrono;

constexpr auto kThreeHoursBehind = -hours(3);

struct Case {
    const char* name;
    FakeCamera camera;
    const char* password;  // nullptr: no credentials
    Access access;
    const char* note;  // "" or a part of it
};

TEST(OnvifReader, eachKindOfCameraEndsAsItsAnswersSay) {
    const Case cases[] = {
        {"no credentials",
         {FakeKind::Token, kThreeHoursBehind},
         nullptr,
         Access::CredentialsNeeded,
         ""},
        {"token, clock 3 h behind",
         {FakeKind::Token, kThreeHoursBehind},
         FakeDeviceService::kPassword,
         Access::Read,
         ""},
        {"401, then Digest", {FakeKind::Digest}, FakeDeviceService::kPassword, Access::Read, ""},
        {"token refused", {FakeKind::Token}, "wrong", Access::CredentialsRefused, ""},
        {"Digest refused", {FakeKind::Digest}, "wrong", Access::CredentialsRefused, ""},
        {"hangs",
         {FakeKind::Hang},
         FakeDeviceService::kPassword,
         Access::Unreachable,
         "GetSystemDateAndTime: no answer within 2 s"},
        {"answers 2 MiB",
         {FakeKind::Oversize},
         FakeDeviceService::kPassword,
         Access::Unreachable,
         "GetSystemDateAndTime: answer over 1024 KiB"},
        {"not SOAP",
         {FakeKind::Garbage},
         nullptr,
         Access::Unreachable,
         "GetSystemDateAndTime: not well-formed XML"},
    };
    std::vector<FakeCamera> cameras;
    for (const auto& c : cases) {
        cameras.push_back(c.camera);
    }
    FakeDeviceService service(cameras);
    // One reader per password, each reading its cameras together.
    for (const char* password : {static_cast<const char*>(nullptr), FakeDeviceService::kPassword,
                                 static_cast<const char*>("wrong")}) {
        OnvifReaderOptions options;
        options.limits.connect = seconds(1);
        options.limits.total = seconds(2);
        if (password != nullptr) {
            options.credentials = HttpDigest{FakeDeviceService::kUser, password};
        }
        OnvifReader reader(options);
        std::vector<const Case*> read;
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            if (cases[i].password == password) {
                OnvifCamera camera;
                camera.xaddrs = {service.url(i)};
                reader.add(camera);
                read.push_back(&cases[i]);
            }
        }
        std::vector<steady_clock::duration> took(read.size());
        const auto start = steady_clock::now();
        reader.setFinished([&](std::size_t i) { took[i] = steady_clock::now() - start; });
        reader.run();
        for (std::size_t i = 0; i < read.size(); ++i) {
            const auto& c = *read[i];
            const auto& camera = reader.cameras()[i];
            SCOPED_TRACE(c.name);
            EXPECT_EQ(accessText(camera.access), accessText(c.access));
            EXPECT_NE(camera.note.find(c.note), std::string::npos) << camera.note;
            // Only the camera that hangs waits for the time-out.
            if (c.camera.kind != FakeKind::Hang) {
                EXPECT_LT(took[i], seconds(1));
            }
            if (c.access == Access::Read || c.access == Access::CredentialsNeeded) {
                ASSERT_TRUE(camera.clockOffset);
                EXPECT_LE(abs(*camera.clockOffset - c.camera.clockOffset), seconds(2));
            }
            if (c.access != Access::Read) {
                EXPECT_FALSE(camera.mac);
                continue;
            }
            EXPECT_EQ(camera.information.manufacturer, "Nordvik & S\xC3\xB8nner");
            EXPECT_EQ(camera.mac, MacAddress::parse("00:40:8C:1A:2B:3C"));
            EXPECT_EQ(camera.dhcp, false);
            EXPECT_EQ(camera.ipAddress, (Ipv4{192, 168, 0, 64}));
            EXPECT_EQ(camera.prefixLength, 24);
            EXPECT_EQ(camera.gateway, (Ipv4{192, 168, 0, 1}));
            EXPECT_EQ(camera.dnsAuto, false);
            EXPECT_EQ(camera.dns, (std::vector<Ipv4>{{192, 168, 0, 1}, {9, 9, 9, 9}}));
            EXPECT_EQ(camera.webPort, 80);
        }
    }
}

TEST(CameraReadings, theServiceAddressIsOnTheAnsweringAddressOnly) {
    const struct {
        std::vector<std::string> xaddrs;
        const char* chosen;
    } cases[] = {
        {{"http://10.0.0.9/onvif/device_service", "http://192.168.0.64/onvif/device_service"},
         "http://192.168.0.64/onvif/device_service"},
        {{"HTTPS://192.168.0.64:8443/onvif", "http://192.168.0.64/onvif"},
         "HTTPS://192.168.0.64:8443/onvif"},
        // Another host, a name or an address this PC cannot check: the credentials stay here.
        {{"http://[fe80::1]/onvif", "http://cam.local/onvif", "HTTPS://10.0.0.9:8443/onvif"}, ""},
        {{"http://evil@192.168.0.64.example/", "http://192.168.0.640/"}, ""},
        {{"ftp://192.168.0.64/", "file:///etc/passwd"}, ""},
        {{}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(chooseServiceAddress(c.xaddrs, {192, 168, 0, 64}), c.chosen);
    }
}

}  // namespace
}  // namespace pelmora::onvif
