#pragma once
// Finding ONVIF cameras: a WS-Discovery probe multicast on every interface that has multicast,
// directed probes to addresses multicast cannot reach, and the Hello and Bye cameras announce.
// Every answer goes into one DiscoveryCollector, so a camera heard several ways is one camera.
// Runs on the thread that calls runUntil; cameras() and stop() may be called from any thread.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "onvif/DiscoveryCollector.h"
#include "onvif/DiscoveryProbe.h"
#include "onvif/OnvifCamera.h"
#include "protocol/Ipv4.h"

namespace pelmora::onvif {

inline constexpr std::uint16_t kDiscoveryPort = 3702;
// Directed probes are paced: a sweep of a few thousand addresses must not flood a router.
inline constexpr int kDirectedProbesPerSecond = 200;
// Cameras answer a probe after a random delay of up to a few seconds; answers later still
// count, but a caller waiting for "all of them" waits this long after the last probe.
inline constexpr std::chrono::milliseconds kProbeWindow{2000};

struct OnvifDiscoveryOptions {
    bool multicast = true;
    std::vector<Ipv4> directed;
    // Where probes go, and where Hello and Bye are heard; another port only for tests, whose
    // fake cameras cannot all have 3702.
    std::uint16_t port = kDiscoveryPort;
    bool hearAnnouncements = true;
    DiscoveryVersion version = DiscoveryVersion::Draft2005;
    int directedPerSecond = kDirectedProbesPerSecond;
};

class OnvifDiscovery {
  public:
    using Clock = std::chrono::steady_clock;
    // `warn` gets each line meant for the person (standard error in the command-line tool).
    OnvifDiscovery(OnvifDiscoveryOptions options, std::function<void(const std::string&)> warn);
    ~OnvifDiscovery();
    OnvifDiscovery(const OnvifDiscovery&) = delete;
    OnvifDiscovery& operator=(const OnvifDiscovery&) = delete;

    // Opens the sockets and multicasts the first probe; directed probes follow in runUntil.
    void start();
    // The multicast probe again, on every interface: the periodic probe, or one asked for.
    void probeAll();
    // Sends the directed probes that fall due and takes answers until `deadline` or stop().
    void runUntil(Clock::time_point deadline);
    // At least `duration`, and until the window after the last directed probe has passed.
    void runFor(std::chrono::milliseconds duration);
    void stop();
    // From any thread: runUntil returns soon, and later calls run as before.
    void wake();
    // On the thread that runs it: directed probes to these addresses from now on, paced as at
    // the start (the list replaces any earlier one, whose probes not yet sent are dropped).
    void probeAddresses(std::vector<Ipv4> addresses);
    // Grows whenever a camera is added, changed or removed: a caller polling cameras() copies
    // them only when this moved.
    std::uint64_t changes() const { return changes_; }

    // The cameras heard so far, in the order first heard; what reading them will fill is empty.
    std::vector<OnvifCamera> cameras() const;
    // Probes that went out, and that the kernel refused.
    int probesSent() const { return probesSent_; }
    int probesFailed() const { return probesFailed_; }

  private:
    struct Socket {
        int fd = -1;
        std::string interfaceName;  // "" for the directed and the announcement sockets
    };

    void openProbeSockets();
    void openAnnouncementSocket();
    void openDirectedSocket();
    void send(int fd, std::uint32_t address, const std::string& probe);
    void sendDueDirectedProbes(Clock::time_point now);
    Clock::time_point nextDirectedProbe() const;
    void receive(int fd);
    void take(const DiscoveryMessage& message, const Ipv4& source);

    OnvifDiscoveryOptions options_;
    std::function<void(const std::string&)> warn_;
    std::vector<Socket> probeSockets_;  // one per multicast interface
    int directedSocket_ = -1;
    int announcementSocket_ = -1;
    int wakeFd_ = -1;  // an eventfd stop() writes to
    std::atomic<bool> stopped_{false};

    std::size_t directedSent_ = 0;
    Clock::time_point directedStart_{};
    Clock::time_point lastProbe_{};
    std::atomic<int> probesSent_{0};
    std::atomic<int> probesFailed_{0};
    std::atomic<std::uint64_t> changes_{0};

    mutable std::mutex mutex_;
    DiscoveryCollector collector_;
    // The source address of the answer that last told something new of each device, and when
    // it was last heard, by endpointKey.
    struct Heard {
        Ipv4 from;
        Clock::time_point at;
    };
    std::unordered_map<std::string, Heard> heard_;
};

}  // namespace pelmora::onvif
