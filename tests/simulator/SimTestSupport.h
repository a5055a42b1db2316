#pragma once
// Shared helpers of the simulator tests: requests built with the tool's own request builder, and
// replies read back with the tool's own reply parser, so a test sees what the tool would see.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "model/CameraRecord.h"
#include "model/InfoReply.h"
#include "protocol/DatagramBuilder.h"
#include "protocol/KeyReader.h"
#include "protocol/SettingRequest.h"
#include "simulator/CameraFleet.h"

namespace pelmora::sim::test {

using Fields = std::initializer_list<std::pair<std::string_view, std::string_view>>;

struct Admin {
    std::string_view name;
    std::string_view password;
};
inline constexpr Admin kDefaultAdmin{"admin", "password"};

// A fixed moment: host wall clock 2025-01-01 12:00:00, steady clock at 1000 s.
inline constexpr SimTime kNow{1735732800, 1'000'000};

inline std::string settingRequest(std::string_view mac, std::optional<Admin> admin, Fields fields) {
    SettingRequest request(mac);
    if (admin) {
        request.credentials(admin->name, admin->password);
    }
    for (const auto& [key, value] : fields) {
        request.field(key, value);
    }
    return request.finish();
}

// The information reply the fleet sends now for `mac`, or empty when that camera is silent.
inline std::string replyOf(CameraFleet& fleet, std::string_view mac, SimTime now = kNow) {
    for (auto& reply : fleet.respond(buildEnquiry(), now).datagrams) {
        if (readKey(reply, "MAC:") == mac) {
            return reply;
        }
    }
    return {};
}

inline CameraRecord readAsTool(std::string_view reply) {
    CameraRecord record{};
    applyInfoReply(record, reply);
    return record;
}

}  // namespace pelmora::sim::test
