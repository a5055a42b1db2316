#pragma once
// The change log's writer: every setting request the camera table registers is recorded as one
// line when it is sent and one when its outcome is known, the two sharing an "id". Writing never
// stands in a request's way: a line that cannot be written is dropped, and the first failure is
// handed to `onFailure` so that the person is told once. Lines are written only by `flush`, on
// the thread that owns the journal: an answer's line, made on the receive thread, waits in a
// queue (at most one per pending slot) so that that thread never waits on the disk.

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "changelog/ChangeLogFile.h"
#include "model/CameraTable.h"
#include "model/RequestJournal.h"

namespace pelmora {

// "2026-12-08T15:04:05+01:00": ISO 8601 local time with its offset.
std::string isoLocalTime(std::time_t when);

class ChangeJournal final : public RequestJournal {
  public:
    using Clock = std::function<std::time_t()>;
    using FailureReport = std::function<void(const std::string& reason)>;
    using Wake = std::function<void()>;

    // `program`: "pelmora" or "pelmora-cli". `onFailure` may be called from either thread.
    ChangeJournal(
        std::string program, ChangeLogFile file, FailureReport onFailure = {},
        Clock clock = [] { return std::time(nullptr); });

    void requestSent(int slot, std::string_view mac, std::string_view request,
                     const CameraRecord* listed) override;
    void requestSettled(int slot, RequestOutcome outcome, std::string_view text) override;

    // An ONVIF camera's request, which goes over HTTP and never through the table: its line when
    // sent carries "protocol": "onvif" and the settings under a camera record's keys (nothing
    // secret is ever passed in); the id it returns names it when it is settled. Written at once,
    // on the calling thread.
    std::string onvifRequestSent(std::string_view mac, std::string_view ipAddress,
                                 std::string_view model, std::string_view action,
                                 const nlohmann::ordered_json& settings);
    void onvifRequestSettled(const std::string& id, RequestOutcome outcome, std::string_view text);

    // Called, on any thread, when a line waits to be written: the owner calls `flush` soon. Set
    // before the table is used.
    void setWake(Wake wake) { wake_ = std::move(wake); }
    // Writes the waiting lines in the order they were made. The owner's thread; also when the
    // journal goes, by which time the receive thread has stopped.
    void flush();
    ~ChangeJournal() override;

    const ChangeLogFile& file() const { return file_; }

  private:
    std::string nextId();
    void write(const std::string& line);

    std::string program_;
    ChangeLogFile file_;
    FailureReport onFailure_;
    Clock clock_;
    std::string idPrefix_;
    Wake wake_;
    // Guards the ids and the queue; held only for moments, never while writing.
    std::mutex mutex_;
    std::vector<std::string> queued_;
    // Keeps flushes in order and guards the failure flag.
    std::mutex writeMutex_;
    std::uint64_t sequence_ = 0;
    // The id of the request each pending slot tracks, empty when none is awaited.
    std::array<std::string, kTableSize> awaited_;
    bool failureReported_ = false;
};

}  // namespace pelmora
