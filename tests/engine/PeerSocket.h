#pragma once
// A UDP socket on 127.0.0.1 that plays a camera (or any other host) towards the engine.

#include <netinet/in.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelmora::test {

class PeerSocket {
  public:
    PeerSocket();
    ~PeerSocket();
    PeerSocket(const PeerSocket&) = delete;
    PeerSocket& operator=(const PeerSocket&) = delete;

    std::uint16_t port() const;
    void sendTo(std::uint16_t port, std::string_view bytes);
    // The next datagram, or nullopt after `timeout`.
    std::optional<std::string> receive(std::chrono::milliseconds timeout);

  private:
    int fd_ = -1;
};

// Polls `condition` until it holds or `timeout` passes; the test's safety net, not a measurement.
template <class F>
bool eventually(F condition, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        struct timespec pause {
            0, 1'000'000
        };
        nanosleep(&pause, nullptr);
    }
    return true;
}

}  // namespace pelmora::test
