#include "onvif/AddressVerification.h"

#include <algorithm>
#include <set>
#include <string>

#include "onvif/CameraReadings.h"
#include "onvif/OnvifDiscovery.h"
#include "onvif/OnvifSetter.h"

namespace pelmora::onvif {
namespace {

// One round: a probe, the answers of about a second, the interfaces of each device that
// answered from the address, asked as soon as it answers.
bool foundThere(const Ipv4& address, const MacAddress& mac, const HttpDigest& credentials,
                std::uint16_t port, std::chrono::milliseconds wait) {
    OnvifDiscoveryOptions options;
    options.multicast = false;
    options.hearAnnouncements = false;
    options.port = port;
    options.directed = {address};
    OnvifDiscovery discovery(options, [](const std::string&) {});
    discovery.start();
    const auto deadline = OnvifDiscovery::Clock::now() + wait;
    std::set<std::string> asked;
    while (OnvifDiscovery::Clock::now() < deadline) {
        discovery.runUntil(
            std::min(deadline, OnvifDiscovery::Clock::now() + std::chrono::milliseconds(50)));
        for (const auto& camera : discovery.cameras()) {
            const auto service = chooseServiceAddress(camera.xaddrs, address);
            if (camera.answeredFrom != address || service.empty() ||
                !asked.insert(camera.endpoint).second) {
                continue;
            }
            OnvifSetter setter(service, credentials);
            const auto interfaces = setter.networkInterfaces();
            for (const auto& interface : interfaces.value_or(std::vector<NetworkInterface>{})) {
                const auto current = currentIpv4(interface);
                if (interface.hardwareAddress == mac && current && current->address == address) {
                    return true;
                }
            }
        }
    }
    return false;
}

}  // namespace

bool verifyAtAddress(const Ipv4& address, const MacAddress& mac, const HttpDigest& credentials,
                     std::uint16_t discoveryPort, std::chrono::milliseconds timeout,
                     const std::atomic<bool>* cancel) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (cancel != nullptr && *cancel) {
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        if (left <= std::chrono::milliseconds{0}) {
            return false;
        }
        if (foundThere(address, mac, credentials, discoveryPort,
                       std::min(left, std::chrono::milliseconds(1000)))) {
            return true;
        }
    }
}

}  // namespace pelmora::onvif
