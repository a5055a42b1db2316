// Any answer a device service may give, through every reader of the device service: each
// gives a value, a fault or a reason, never two of them, and never more than its caps.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "onvif/DeviceReplies.h"
#include "onvif/NetworkInterfaces.h"

namespace {

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

template <typename T>
void checkReply(const pelmora::onvif::DeviceReply<T>& reply) {
    const int outcomes =
        (reply.value ? 1 : 0) + (reply.fault ? 1 : 0) + (reply.problem.empty() ? 0 : 1);
    check(outcomes == 1);
    if (reply.fault) {
        check(reply.fault->subcodes.size() <= pelmora::onvif::kMaxSubcodes);
        check(reply.fault->reason.size() <= pelmora::onvif::kMaxTextBytes);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pelmora::onvif;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const auto clock = readSystemDateAndTime(bytes);
    checkReply(clock);
    const auto information = readDeviceInformation(bytes);
    checkReply(information);
    if (information.value && information.value->model) {
        check(information.value->model->size() <= kMaxTextBytes);
    }
    const auto interfaces = readNetworkInterfaces(bytes);
    checkReply(interfaces);
    if (interfaces.value) {
        check(interfaces.value->size() <= kMaxInterfaces);
        for (const auto& interface : *interfaces.value) {
            const auto address = currentIpv4(interface);
            check(!address || !address->prefixLength ||
                  (*address->prefixLength >= 0 && *address->prefixLength <= 32));
        }
    }
    checkReply(readNetworkDefaultGateway(bytes));
    checkReply(readDns(bytes));
    const auto protocols = readNetworkProtocols(bytes);
    checkReply(protocols);
    if (protocols.value) {
        for (const auto& protocol : *protocols.value) {
            for (const auto port : protocol.ports) {
                check(port != 0);
            }
        }
    }
    checkReply(readScopes(bytes));
    return 0;
}
