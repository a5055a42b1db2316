#pragma once
// One simulated camera's device service over HTTP: a libmicrohttpd daemon on the camera's own
// TCP port, run from the caller's loop (it hands out one descriptor to wait on), which checks
// HTTP Digest and passes each complete request to answerDeviceRequest. A slow camera's answers
// are held back without holding up anyone else: its connection is suspended until due.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>

#include "simulator/DeviceServiceHandler.h"
#include "simulator/OnvifSimCamera.h"

struct MHD_Daemon;
struct MHD_Connection;

namespace pelmora::sim {

class DeviceServiceDaemon {
  public:
    // `camera` and `credentials` must outlive the daemon; the camera's httpPort is set on start.
    DeviceServiceDaemon(OnvifSimCamera& camera, const OnvifCredentials& credentials,
                        std::int64_t slowMs);
    ~DeviceServiceDaemon();
    DeviceServiceDaemon(const DeviceServiceDaemon&) = delete;
    DeviceServiceDaemon& operator=(const DeviceServiceDaemon&) = delete;

    // Listens on `bindAddress`:`port` (0: a port the system chooses). An error text, or empty.
    std::string start(const std::string& bindAddress, std::uint16_t port);

    // Readable when the daemon has work; then call run().
    int waitDescriptor() const;
    void run();
    // Steady-clock milliseconds by which run() must be called again, if any.
    std::optional<std::int64_t> nextDueMs(std::int64_t nowMs) const;
    // Lets the held-back answers that are due go out.
    void resumeDue(std::int64_t nowMs);
    // Writes each request body received into `directory` ("" : nowhere), as
    // NNNNNN-CAMERA.xml, numbered across all cameras in the order received.
    void recordRequestsIn(std::string directory) { recordDirectory_ = std::move(directory); }

  private:
    struct Held {
        std::int64_t dueMs;
        MHD_Connection* connection;
    };
    friend struct DaemonCallbacks;
    void record(const std::string& body) const;

    OnvifSimCamera& camera_;
    const OnvifCredentials& credentials_;
    std::int64_t slowMs_;
    std::string nonceSeed_;
    std::string recordDirectory_;
    MHD_Daemon* daemon_ = nullptr;
    // In due order: every answer waits the same time.
    std::deque<Held> held_;
};

std::int64_t steadyNowMs();

}  // namespace pelmora::sim
