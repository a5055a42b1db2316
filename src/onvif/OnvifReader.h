#pragma once
// Reading ONVIF cameras through their device service, many at once on one thread (libcurl's
// multi interface). Each camera: GetSystemDateAndTime without credentials first, which gives
// the offset of its clock; then, with credentials, the six readings, each signed with a
// UsernameToken dated by the camera's clock, and sent again with HTTP Digest when the camera
// answers 401. A bounded number of requests are in flight; a camera that does not answer holds
// one of them until its time-out and is then given up, so it never holds up the others long.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "onvif/DeviceRequests.h"
#include "onvif/OnvifCamera.h"
#include "onvif/SoapTransfer.h"

namespace pelmora::onvif {

inline constexpr std::size_t kMaxRequestsInFlight = 16;

struct OnvifReaderOptions {
    // Nothing: only the public reading, and each camera is "credentials needed".
    std::optional<HttpDigest> credentials;
    std::size_t maxInFlight = kMaxRequestsInFlight;
    TransferLimits limits;
};

class OnvifReader {
  public:
    using Clock = std::chrono::steady_clock;
    explicit OnvifReader(OnvifReaderOptions options);
    ~OnvifReader();
    OnvifReader(const OnvifReader&) = delete;
    OnvifReader& operator=(const OnvifReader&) = delete;

    // Queues the camera (as discovery found it) for reading; its index in cameras().
    std::size_t add(OnvifCamera camera);
    // Called with a camera's index as soon as it is read as far as it can be.
    void setFinished(std::function<void(std::size_t)> finished) { finished_ = std::move(finished); }

    // Runs the requests until every camera added is read, `deadline` passes or stop() is called.
    void runUntil(Clock::time_point deadline);
    // Until every camera added is read.
    void run() { runUntil(Clock::time_point::max()); }
    // From any thread: runUntil returns soon.
    void stop();

    bool done() const { return queue_.empty() && active_.empty(); }
    const std::vector<OnvifCamera>& cameras() const { return cameras_; }
    // The most requests that were in flight at once.
    std::size_t mostInFlight() const { return mostInFlight_; }

  private:
    struct Job {
        std::size_t camera = 0;
        DeviceOperation operation{};
        bool digest = false;
    };
    struct Active {
        std::unique_ptr<SoapTransfer> transfer;
        Job job;
        std::chrono::system_clock::time_point sentAt;
    };
    // How far each camera's reading got.
    struct Progress {
        std::optional<std::chrono::seconds> offset;
        bool digest = false;  // it asked for HTTP Digest: its later requests carry it at once
        int pending = 0;      // requests queued or in flight
        bool needed = false;
        bool refused = false;
        bool unreachable = false;
        int readings = 0;  // readings with credentials that gave a value
        // Why a reading failed: the operation ("" for the camera as a whole) and the words.
        std::vector<std::pair<std::string, std::string>> notes;
    };

    void dispatch();
    void collect();
    void complete(Active& active, int result);
    // What an answer that came said, taken into the camera and its progress.
    void takeAnswer(const Active& active, Progress& progress);
    void queueReadings(std::size_t camera);
    void finish(std::size_t camera);

    OnvifReaderOptions options_;
    void* multi_ = nullptr;
    std::vector<OnvifCamera> cameras_;
    std::vector<Progress> progress_;
    std::deque<Job> queue_;
    std::vector<Active> active_;
    std::size_t mostInFlight_ = 0;
    std::function<void(std::size_t)> finished_;
    std::atomic<bool> stopped_{false};
};

}  // namespace pelmora::onvif
