// Arbitrary datagrams into the simulator's fleet, as its socket loop hands them over: the
// setting-request reader, the appliers behind it and the replies that come back.
//
// An input is a sequence of NUL-separated datagrams (at most 4096 bytes and 64 datagrams); each
// arrives one second after the one before, so a camera that reboots is silent for ten of them. The
// fleet of six cameras starts afresh for every input: the first never answers settings, the last
// refuses them all, the first, third and fifth speak PPPoE. After each datagram:
//   - every answer fits in a datagram; an answer to a setting request is one acknowledgement or
//     refusal naming the camera the request named;
//   - a request that is refused or not answered leaves every camera exactly as it was;
//   - an accepted request leaves the camera reporting, through the tool's own reply reader, the
//     settings it now holds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "model/CameraRecord.h"
#include "model/InfoReply.h"
#include "protocol/Dispatch.h"
#include "protocol/Wire.h"
#include "simulator/CameraFleet.h"
#include "simulator/ReplyBuilder.h"

namespace {

using namespace pelmora;
using namespace pelmora::sim;

constexpr std::size_t kMaxInput = 4096;
// Enough to outlast a reboot several times; more only slows the fuzzer down.
constexpr int kMaxDatagrams = 64;
// 2026-12-08 12:00:00 as wall seconds; any fixed date will do.
constexpr std::int64_t kLocalSeconds = 1'796'731'200;

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

FleetOptions fleetOptions() {
    FleetOptions options;
    options.cameraCount = 6;
    options.silentCameras = 1;
    options.refusingCameras = 1;
    options.policy.refuseMessage = "refused";
    options.policy.networkSilenceMs = 3'000;
    return options;
}

// Everything a camera reports or keeps, to tell whether a request changed it.
auto stateOf(const SimCamera& c) {
    return std::tie(c.mac, c.model, c.serial, c.softVersion, c.dhcp, c.ipAddress, c.subnetMask,
                    c.gateway, c.dnsAuto, c.dns, c.webPort, c.bandElements, c.currentBand,
                    c.clockOffsetSeconds, c.timeZone, c.dateTimeFormat, c.pppoeSupported, c.pppoeOn,
                    c.pppoeIpAddress, c.pppoeSessionAddress, c.pppoeDnsAuto, c.pppoeDns1,
                    c.pppoeDns2, c.pppoeAccount, c.silentToSettings, c.refusesSettings,
                    c.rebootingUntilMs);
}

// The tool's reading of the camera's reply against what the camera holds.
void checkReported(const SimCamera& camera, const SimTime& now) {
    const auto reply = buildInfoReply(camera, now.localSeconds);
    check(reply.size() <= kMaxDatagram);
    check(classifyDatagram(reply).kind == DatagramKind::InfoReply);
    CameraRecord r{};
    applyInfoReply(r, reply);
    check(r.dhcp == (camera.dhcp ? 1 : 0) && r.dnsAuto == (camera.dnsAuto ? 1 : 0));
    check(r.ipAddress == camera.ipAddress && r.subnetMask == camera.subnetMask &&
          r.gateway == camera.gateway);
    check(r.dns1 == camera.dns[0] && r.dns2 == camera.dns[1] && r.dns3 == camera.dns[2] &&
          r.dns4 == camera.dns[3]);
    check(r.webPort == camera.webPort);
    check(std::string_view(r.currentBand) ==
          (camera.currentBand == "0.0" ? "unlimited" : camera.currentBand));
    check(r.hasClock());
    if (camera.pppoeSupported) {
        check(r.pppoeOn == (camera.pppoeOn ? 1 : 0) && r.pppoeIpAddress == camera.pppoeIpAddress);
        check(r.pppoeDnsAuto == (camera.pppoeDnsAuto ? 1 : 0));
        check(r.pppoeDns1 == camera.pppoeDns1 && r.pppoeDns2 == camera.pppoeDns2);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxInput) {
        return 0;
    }
    static const FleetOptions options = fleetOptions();
    CameraFleet fleet(options);
    SimTime now{kLocalSeconds, 1'000'000};

    const auto* bytes = reinterpret_cast<const char*>(data);
    std::size_t pos = 0;
    int datagrams = 0;
    do {
        const auto text = datagramText(bytes + pos, size - pos);
        pos += text.size() + 1;
        now.localSeconds += 1;
        now.steadyMs += 1'000;

        const std::vector<SimCamera> before = fleet.cameras();
        const auto response = fleet.respond(text, now);
        for (const auto& datagram : response.datagrams) {
            check(datagram.size() <= kMaxDatagram);
        }
        if (response.enquiry) {
            for (const auto& datagram : response.datagrams) {
                check(classifyDatagram(datagram).kind == DatagramKind::InfoReply);
            }
            continue;
        }
        check(response.datagrams.size() <= 1);
        const auto answer = response.datagrams.empty()
                                ? ClassifiedDatagram{}
                                : classifyDatagram(response.datagrams.front());
        if (!response.datagrams.empty()) {
            check(answer.kind == DatagramKind::Acknowledgement ||
                  answer.kind == DatagramKind::Refusal);
        }
        const auto& cameras = fleet.cameras();
        for (std::size_t i = 0; i < cameras.size(); ++i) {
            const bool addressed = !response.datagrams.empty() && cameras[i].mac == answer.mac;
            if (addressed && answer.kind == DatagramKind::Acknowledgement) {
                checkReported(cameras[i], now);
            } else {
                check(stateOf(cameras[i]) == stateOf(before[i]));
            }
        }
    } while (pos < size && ++datagrams < kMaxDatagrams);
    return 0;
}
