#pragma once
// The simulated standards-based cameras at work: their discovery responder and one device
// service each, all served by one thread of their own beside the simulator's own UDP loop, so
// that neither kind of camera ever waits for the other.

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "simulator/DeviceServiceDaemon.h"
#include "simulator/DeviceServiceHandler.h"
#include "simulator/DiscoveryResponder.h"
#include "simulator/OnvifSimCamera.h"

namespace pelmora::sim {

struct OnvifServiceOptions {
    std::string bindAddress = "0.0.0.0";
    std::uint16_t discoveryPort = kDiscoveryPort;  // 0 lets the system choose
    // Camera i serves on this port + i; 0 lets the system choose each camera's.
    std::uint16_t firstHttpPort = 0;
    std::int64_t slowMs = 2000;  // how long a slow camera holds back each answer
    // How long a camera is away after its addressing changes or it restarts.
    std::int64_t moveSilenceMs = 0;
    // When set, every device-service request body received is written there, one file each,
    // for a test to read back exactly what a client sent.
    std::string recordDirectory;
    OnvifCredentials credentials;
};

class OnvifService {
  public:
    OnvifService(std::vector<OnvifSimCamera> cameras, OnvifServiceOptions options);
    ~OnvifService();
    OnvifService(const OnvifService&) = delete;
    OnvifService& operator=(const OnvifService&) = delete;

    // Binds every socket. An error text, or empty.
    std::string open();
    std::uint16_t discoveryPort() const { return responder_.boundPort(); }
    const std::vector<OnvifSimCamera>& cameras() const { return cameras_; }

    // Serves on a thread of its own until stop(). Signals stay blocked on that thread.
    void start();
    void stop();

  private:
    void serve();

    std::vector<OnvifSimCamera> cameras_;
    OnvifServiceOptions options_;
    DiscoveryResponder responder_;
    std::vector<std::unique_ptr<DeviceServiceDaemon>> daemons_;
    int wake_ = -1;  // an eventfd that stop() writes to
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace pelmora::sim
