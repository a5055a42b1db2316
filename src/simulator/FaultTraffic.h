#pragma once
// What a hostile LAN sends a set-up tool unasked, for soak runs: random datagrams ("garbage"),
// valid information replies from a large population of MACs ("flood") and acknowledgements or
// refusals that settle nothing ("stray acks"). Each kind is paced at its own rate from the
// moment the faults start, and all stop by themselves once the duration has passed. No sockets
// here: the server sends what this hands out.

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "simulator/CameraFactory.h"

namespace pelmora::sim {

struct FaultOptions {
    // Datagrams per second of each kind; 0 switches the kind off.
    int garbageRate = 0;
    int floodRate = 0;
    int strayAckRate = 0;
    // Distinct MACs the flood's replies come from (1 to kMaxFloodMacs).
    int floodMacs = 5000;
    double durationSeconds = 60;
    std::string macPrefix{kDefaultMacPrefix};
    std::uint32_t seed = 1;
};

inline constexpr int kMaxFaultRate = 1000000;
inline constexpr int kMaxFloodMacs = 1000000;
// Garbage is up to an Ethernet payload long, past the largest datagram the tool accepts.
inline constexpr std::size_t kMaxGarbage = 1500;

struct FaultCounts {
    std::uint64_t garbage = 0;
    std::uint64_t flood = 0;
    std::uint64_t strayAcks = 0;
};

class FaultTraffic {
  public:
    explicit FaultTraffic(const FaultOptions& options);

    bool enabled() const;
    // The faults' clock starts at `nowMs` (steady milliseconds); later calls change nothing.
    void start(std::int64_t nowMs);
    bool started() const { return startMs_ >= 0; }
    // Started, and the duration has passed with everything due sent.
    bool finished(std::int64_t nowMs) const;

    // Fills up to `limit` of `out` with datagrams due by `nowMs`, the kinds interleaved, and
    // returns how many. A sender that fell behind catches up, so each kind keeps its rate.
    std::size_t take(std::int64_t nowMs, std::string* out, std::size_t limit);

    const FaultCounts& sent() const { return sent_; }
    double durationSeconds() const { return options_.durationSeconds; }

    // Flood MAC `index` (0 to kMaxFloodMacs − 1): the prefix and 0x800000 + index as three
    // octets, clear of the simulated cameras' own MACs.
    static std::string floodMac(std::string_view prefix, int index);

  private:
    std::uint64_t dueBy(int rate, std::int64_t nowMs) const;
    void makeGarbage(std::string& out);
    void makeFlood(std::string& out);
    void makeStrayAck(std::string& out);

    FaultOptions options_;
    std::int64_t startMs_ = -1;
    std::int64_t durationMs_;
    FaultCounts sent_;
    std::mt19937 random_;
    // A real reply, rewritten with each flood MAC; garbage may begin like it.
    std::string replyTemplate_;
    std::size_t macOffset_ = 0;
    // Random bytes drawn once; garbage is a random window of them.
    std::array<char, 65536> noise_{};
};

}  // namespace pelmora::sim
