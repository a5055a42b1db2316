#pragma once
// Keeping the ONVIF cameras on the LAN in view for as long as a window is open: a probe at
// start and every 30 s, the Hello and Bye cameras announce, directed probes when asked, and each
// camera read as soon as it is heard (again when its announcement changes, when new credentials
// are given or when a refresh is asked for). Discovery and reading run on two threads of their
// own; every call here returns at once, so the thread that shows the cameras never waits on the
// network. Cameras no longer heard for a while leave the list, as do those that say Bye.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "onvif/OnvifCamera.h"
#include "onvif/OnvifDiscovery.h"
#include "onvif/OnvifReader.h"

namespace pelmora::onvif {

inline constexpr std::chrono::seconds kOnvifProbePeriod{30};

struct OnvifWatchOptions {
    OnvifDiscoveryOptions discovery;
    std::chrono::milliseconds probePeriod = kOnvifProbePeriod;
    // A camera that answered none of the last three probes has gone.
    std::chrono::milliseconds forgetAfter = 3 * kOnvifProbePeriod + kProbeWindow;
    std::size_t maxInFlight = kMaxRequestsInFlight;
    TransferLimits limits;
};

class OnvifWatch {
  public:
    // `changed` is called, on either of the watch's threads, whenever cameras() changed; `warn`
    // with each line meant for the person.
    OnvifWatch(OnvifWatchOptions options, std::function<void()> changed,
               std::function<void(const std::string&)> warn);
    // Stops both threads; a request in flight is abandoned.
    ~OnvifWatch();
    OnvifWatch(const OnvifWatch&) = delete;
    OnvifWatch& operator=(const OnvifWatch&) = delete;

    // Opens the sockets and probes at once; the threads run until stop().
    void start();
    void stop();

    // Probes again now, and reads every listed camera again.
    void refresh();
    // Reads every listed camera again with these credentials; nothing: the public reading only.
    void setCredentials(std::optional<HttpDigest> credentials);
    // Directed probes to these addresses (paced), replacing the earlier list.
    void probeAddresses(std::vector<Ipv4> addresses);

    // The cameras heard lately, in the order first heard, each as far as it is read so far.
    std::vector<OnvifCamera> cameras() const;
    // The most reading requests in flight at once so far.
    std::size_t mostInFlight() const { return mostInFlight_; }

  private:
    struct Entry {
        OnvifCamera camera;
        // Raised each time the camera is queued for reading: only the newest reading is kept.
        std::uint64_t generation = 0;
    };
    struct ReadJob {
        OnvifCamera camera;
        std::string key;
        std::uint64_t generation = 0;
    };

    void discoveryLoop();
    void readingLoop();
    // Runs one reader until its cameras are read, taking in cameras queued meanwhile.
    void readBatch(std::unique_lock<std::mutex>& lock);
    void runCommands();
    // Takes what discovery heard: new cameras, changed announcements, cameras gone.
    bool takeDiscovered(std::vector<OnvifCamera> heard, OnvifDiscovery::Clock::time_point now);
    void queueReading(const std::string& key, Entry& entry);
    void applyReading(const ReadJob& job, const OnvifCamera& read);
    void reindex();
    void notify();

    OnvifWatchOptions options_;
    std::function<void()> changed_;
    std::function<void(const std::string&)> warn_;
    std::unique_ptr<OnvifDiscovery> discovery_;
    // The directed probes' addresses, repeated with every periodic probe (discovery thread).
    std::vector<Ipv4> directed_;
    std::thread discoveryThread_;
    std::thread readingThread_;
    std::atomic<bool> stopping_{false};
    std::atomic<std::size_t> mostInFlight_{0};

    mutable std::mutex mutex_;
    std::condition_variable readingWanted_;
    std::vector<Entry> entries_;
    std::unordered_map<std::string, std::size_t> byKey_;
    // The keys of the cameras waiting for a reading, each once.
    std::deque<std::string> toRead_;
    std::unordered_set<std::string> queued_;
    std::optional<HttpDigest> credentials_;
    // Raised with each new set of credentials: a reader started with older ones is abandoned.
    std::uint64_t credentialsGeneration_ = 0;
    std::uint64_t nextGeneration_ = 0;
    bool readingApplied_ = false;    // since the reading thread last told of a change
    OnvifReader* reader_ = nullptr;  // the running batch, for stop() and new credentials
    bool refreshAsked_ = false;
    std::optional<std::vector<Ipv4>> directedAsked_;
};

}  // namespace pelmora::onvif
