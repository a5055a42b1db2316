#pragma once
// One request to a simulated camera's device service, judged and answered without a socket:
// the public clock reading for anyone, everything else only with a valid WS-Security token or
// HTTP Digest, in the order the camera standard lays down (the HTTP credentials first, then
// the token; neither: a Digest challenge). HTTP Digest itself is checked by the HTTP server,
// which says here how it went.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "simulator/OnvifSimCamera.h"

namespace pelmora::sim {

// A device-service request is a few kilobytes; a larger body is refused unread.
inline constexpr std::size_t kMaxDeviceRequestBytes = 64 * 1024;
inline constexpr std::string_view kDeviceServicePath = "/onvif/device_service";

struct OnvifCredentials {
    std::string user = "admin";
    std::string password = "password";
};

enum class HttpDigest {
    Absent,   // no Authorization: Digest header
    Valid,    // the right user and password
    Invalid,  // wrong ones
    Stale,    // right ones on a nonce that expired: the client should simply ask again
};

struct DeviceServiceRequest {
    std::string_view method;
    std::string_view path;
    std::string_view body;
    bool bodyTooLarge = false;
    HttpDigest digest = HttpDigest::Absent;
    // The Host header: where the client reached the camera, and so where its services are.
    std::string_view host{};
};

enum class Challenge { None, Fresh, Stale };

struct DeviceServiceAnswer {
    int status = 200;
    std::string body;  // a SOAP envelope, or empty
    // With status 401: the HTTP server adds a WWW-Authenticate Digest challenge.
    Challenge challenge = Challenge::None;
};

// `hostNow` is the host's UTC; the camera's clock is that plus its offset.
DeviceServiceAnswer answerDeviceRequest(OnvifSimCamera& camera,
                                        const OnvifCredentials& credentials,
                                        const DeviceServiceRequest& request,
                                        std::chrono::sys_seconds hostNow);

}  // namespace pelmora::sim
