#pragma once
// The simulator's one UDP socket and its single-threaded loop: receive a datagram, let the fleet
// answer it, send the answers to the datagram's sender (at once, after a random delay, or as one
// sendmmsg burst). It never sends to any other address: fault traffic, when switched on, goes to
// the sender of the latest discovery enquiry, from the first one on.

#include <signal.h>

#include <csignal>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "protocol/Wire.h"
#include "simulator/CameraFleet.h"
#include "simulator/FaultTraffic.h"
#include "simulator/TimerQueue.h"

namespace pelmora::sim {

struct ServerOptions {
    std::string bindAddress = "0.0.0.0";
    std::uint16_t port = kSetupPort;  // 0 lets the system choose
    int jitterMs = 0;                 // each reply to an enquiry waits a random 0 to jitterMs ms
    bool burst = false;  // replies to an enquiry go out back to back, in sendmmsg batches
    std::uint32_t seed = 1;
    FaultOptions faults;
};

class SimServer {
  public:
    SimServer(CameraFleet& fleet, ServerOptions options);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Creates and binds the socket (SO_REUSEADDR, SO_BROADCAST). Returns an error text, or
    // empty on success.
    std::string open();
    // The port actually bound, once open() succeeded.
    std::uint16_t boundPort() const { return boundPort_; }

    // Serves until `stop` becomes non-zero; `waitMask` is the signal mask during the wait (see
    // ShutdownSignals). Returns an error text, or empty after a requested stop.
    std::string run(const volatile std::sig_atomic_t& stop, const sigset_t* waitMask);

  private:
    void receivePending();
    void answer(const char* bytes, std::size_t length, const sockaddr_in& from);
    void sendOne(const std::string& bytes, const sockaddr_in& to);
    void sendBurst(const std::string* datagrams, std::size_t count, const sockaddr_in& to);
    void sendDue();
    void sendFaults(std::int64_t nowMs);
    void reportFaultsOver();

    CameraFleet& fleet_;
    ServerOptions options_;
    int socket_ = -1;
    std::uint16_t boundPort_ = 0;
    TimerQueue delayed_;
    std::mt19937 random_;
    FaultTraffic faults_;
    sockaddr_in faultTarget_{};
    bool faultsReported_ = false;
    std::vector<std::string> faultBatch_;
};

}  // namespace pelmora::sim
