#pragma once
// The simulated cameras' WS-Discovery side: a UDP socket on the bind address for probes sent
// to them directly, and, when that address is not loopback, a second one joined to the
// discovery group on that address's interface for probes sent to everyone. Each camera the
// probe asks for answers with its own ProbeMatches, to the prober only, and sends it again a
// moment later as devices do over UDP. Nothing is ever sent unasked, nor to anyone but the
// sender of the probe being answered.

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simulator/OnvifSimCamera.h"
#include "simulator/TimerQueue.h"

namespace pelmora::sim {

inline constexpr std::uint16_t kDiscoveryPort = 3702;
inline constexpr const char* kDiscoveryGroup = "239.255.255.250";

class DiscoveryResponder {
  public:
    // `cameras` must outlive the responder; their HTTP ports go into the answers.
    DiscoveryResponder(const std::vector<OnvifSimCamera>& cameras, std::string bindAddress,
                       std::uint16_t port);
    ~DiscoveryResponder();
    DiscoveryResponder(const DiscoveryResponder&) = delete;
    DiscoveryResponder& operator=(const DiscoveryResponder&) = delete;

    // An error text, or empty.
    std::string open();
    std::uint16_t boundPort() const { return boundPort_; }
    // The sockets to wait on: the direct one, then the group's when there is one.
    std::vector<int> descriptors() const;

    // Reads and answers every probe waiting on `descriptor`.
    void receive(int descriptor, std::int64_t nowMs);
    std::optional<std::int64_t> nextDueMs() const { return repeats_.nextDue(); }
    void sendDue(std::int64_t nowMs);

  private:
    std::string joinGroup(const in_addr& interface);
    void answer(std::string_view bytes, const sockaddr_in& from, const in_addr& localAddress,
                bool multicast, std::int64_t nowMs);

    const std::vector<OnvifSimCamera>& cameras_;
    std::string bindAddress_;
    std::uint16_t port_;
    std::uint16_t boundPort_ = 0;
    int direct_ = -1;
    int group_ = -1;
    TimerQueue repeats_;
};

}  // namespace pelmora::sim
