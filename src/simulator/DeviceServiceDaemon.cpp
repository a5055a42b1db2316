#include "simulator/DeviceServiceDaemon.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <strings.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <tuple>

#include "onvif/Randomness.h"

namespace pelmora::sim {
namespace {

constexpr const char* kRealm = "ONVIF simulated camera";
constexpr const char* kOpaque = "4f4e5649";
// How long a Digest nonce stays good, in seconds.
constexpr unsigned kNonceSeconds = 300;
// Clients read a camera with a handful of connections; a few dozen more are an attack.
constexpr unsigned kConnectionLimit = 64;
constexpr unsigned kConnectionTimeoutSeconds = 10;

// What one connection has received of its request so far.
struct PendingRequest {
    std::string body;
    bool tooLarge = false;
    bool held = false;  // a slow camera's answer has waited its turn
};

HttpDigest digestOf(MHD_Connection* connection, const OnvifCredentials& credentials) {
    const char* header =
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_AUTHORIZATION);
    if (header == nullptr || strncasecmp(header, "Digest ", 7) != 0) {
        return HttpDigest::Absent;
    }
    const int result =
        MHD_digest_auth_check2(connection, kRealm, credentials.user.c_str(),
                               credentials.password.c_str(), kNonceSeconds, MHD_DIGEST_ALG_MD5);
    if (result == MHD_YES) {
        return HttpDigest::Valid;
    }
    return result == MHD_INVALID_NONCE ? HttpDigest::Stale : HttpDigest::Invalid;
}

MHD_Result queueAnswer(MHD_Connection* connection, const DeviceServiceAnswer& answer) {
    MHD_Response* response = MHD_create_response_from_buffer(
        answer.body.size(), const_cast<char*>(answer.body.data()), MHD_RESPMEM_MUST_COPY);
    if (response == nullptr) {
        return MHD_NO;
    }
    if (!answer.body.empty()) {
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE,
                                "application/soap+xml; charset=utf-8");
    }
    if (answer.status == MHD_HTTP_METHOD_NOT_ALLOWED) {
        MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, "POST");
    }
    MHD_Result queued;
    if (answer.challenge != Challenge::None) {
        queued = MHD_queue_auth_fail_response2(
            connection, kRealm, kOpaque, response,
            answer.challenge == Challenge::Stale ? MHD_YES : MHD_NO, MHD_DIGEST_ALG_MD5);
    } else {
        queued = MHD_queue_response(connection, static_cast<unsigned>(answer.status), response);
    }
    MHD_destroy_response(response);
    return queued;
}

}  // namespace

std::int64_t steadyNowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// libmicrohttpd's callbacks, with access to the daemon's insides.
struct DaemonCallbacks {
    static MHD_Result access(void* self, MHD_Connection* connection, const char* url,
                             const char* method, const char* /*version*/, const char* upload,
                             std::size_t* uploadSize, void** state) {
        auto& daemon = *static_cast<DeviceServiceDaemon*>(self);
        auto* request = static_cast<PendingRequest*>(*state);
        if (request == nullptr) {
            request = new PendingRequest;
            *state = request;
            const char* length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND,
                                                             MHD_HTTP_HEADER_CONTENT_LENGTH);
            request->tooLarge =
                length != nullptr && std::strtoull(length, nullptr, 10) > kMaxDeviceRequestBytes;
            return MHD_YES;
        }
        if (*uploadSize > 0) {
            // Bytes past the cap are read and dropped: the answer is 413 either way.
            if (request->body.size() + *uploadSize > kMaxDeviceRequestBytes) {
                request->tooLarge = true;
            } else if (!request->tooLarge) {
                request->body.append(upload, *uploadSize);
            }
            *uploadSize = 0;
            return MHD_YES;
        }
        if (daemon.camera_.slow && !request->held) {
            request->held = true;
            MHD_suspend_connection(connection);
            daemon.held_.push_back({steadyNowMs() + daemon.slowMs_, connection});
            return MHD_YES;
        }
        auto& camera = daemon.camera_;
        // Away while its network restarts: the connection is dropped unanswered.
        if (steadyNowMs() < camera.silentUntilMs) {
            return MHD_NO;
        }
        const char* host =
            MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_HOST);
        const DeviceServiceRequest received{method,
                                            url,
                                            request->body,
                                            request->tooLarge,
                                            digestOf(connection, daemon.credentials_),
                                            host != nullptr ? host : ""};
        if (!daemon.recordDirectory_.empty()) {
            daemon.record(request->body);
        }
        const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
        const auto before = std::tuple(camera.dhcp, camera.ipAddress, camera.restarts);
        const auto queued = queueAnswer(
            connection, answerDeviceRequest(camera, daemon.credentials_, received, now));
        // The answer still goes out; what comes after finds the camera away for a while.
        if (std::tuple(camera.dhcp, camera.ipAddress, camera.restarts) != before) {
            camera.silentUntilMs = steadyNowMs() + camera.moveSilenceMs;
        }
        return queued;
    }

    static void completed(void* /*self*/, MHD_Connection* /*connection*/, void** state,
                          MHD_RequestTerminationCode /*code*/) {
        delete static_cast<PendingRequest*>(*state);
        *state = nullptr;
    }
};

DeviceServiceDaemon::DeviceServiceDaemon(OnvifSimCamera& camera,
                                         const OnvifCredentials& credentials, std::int64_t slowMs)
    : camera_(camera), credentials_(credentials), slowMs_(slowMs) {}

void DeviceServiceDaemon::record(const std::string& body) const {
    // Every daemon runs on the service's one thread: a plain counter numbers them all.
    static int received = 0;
    char name[32];
    std::snprintf(name, sizeof name, "/%06d-%d.xml", ++received, camera_.index);
    std::ofstream(recordDirectory_ + name, std::ios::binary) << body;
}

DeviceServiceDaemon::~DeviceServiceDaemon() {
    if (daemon_ != nullptr) {
        // Suspended connections must be let go before the daemon can close them.
        for (const auto& held : held_) {
            MHD_resume_connection(held.connection);
        }
        MHD_stop_daemon(daemon_);
    }
}

std::string DeviceServiceDaemon::start(const std::string& bindAddress, std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (inet_pton(AF_INET, bindAddress.c_str(), &address.sin_addr) != 1) {
        return "not an IPv4 address: " + bindAddress;
    }
    // The seed of the Digest nonces, which must be unpredictable and live as long as the daemon.
    nonceSeed_ = onvif::randomBytes(32);
    daemon_ = MHD_start_daemon(
        MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME, port, nullptr, nullptr, &DaemonCallbacks::access,
        this, MHD_OPTION_SOCK_ADDR, &address, MHD_OPTION_NOTIFY_COMPLETED,
        &DaemonCallbacks::completed, this, MHD_OPTION_CONNECTION_LIMIT, kConnectionLimit,
        MHD_OPTION_CONNECTION_TIMEOUT, kConnectionTimeoutSeconds, MHD_OPTION_DIGEST_AUTH_RANDOM,
        nonceSeed_.size(), nonceSeed_.data(), MHD_OPTION_NONCE_NC_SIZE, 256U, MHD_OPTION_END);
    if (daemon_ == nullptr) {
        return "cannot serve camera " + std::to_string(camera_.index + 1) + " on " + bindAddress +
               ":" + std::to_string(port) + " (port taken?)";
    }
    camera_.httpPort = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT)->port;
    return {};
}

int DeviceServiceDaemon::waitDescriptor() const {
    return MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_EPOLL_FD)->epoll_fd;
}

void DeviceServiceDaemon::run() {
    MHD_run(daemon_);
}

std::optional<std::int64_t> DeviceServiceDaemon::nextDueMs(std::int64_t nowMs) const {
    std::optional<std::int64_t> due;
    MHD_UNSIGNED_LONG_LONG timeout = 0;
    if (MHD_get_timeout(daemon_, &timeout) == MHD_YES) {
        due = nowMs + static_cast<std::int64_t>(timeout);
    }
    if (!held_.empty() && (!due || held_.front().dueMs < *due)) {
        due = held_.front().dueMs;
    }
    return due;
}

void DeviceServiceDaemon::resumeDue(std::int64_t nowMs) {
    bool resumed = false;
    while (!held_.empty() && held_.front().dueMs <= nowMs) {
        MHD_resume_connection(held_.front().connection);
        held_.pop_front();
        resumed = true;
    }
    if (resumed) {
        run();
    }
}

}  // namespace pelmora::sim
