#pragma once
// The change log's writer: every setting request the camera table registers is recorded as one
// line when it is sent and one when its outcome is known, the two sharing an "id". Writing never
// stands in a request's way: a line that cannot be written is dropped, and the first failure is
// handed to `onFailure` so that the person is told once.

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>

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

    // `program`: "pelmora" or "pelmora-cli". `onFailure` may be called from either thread.
    ChangeJournal(
        std::string program, ChangeLogFile file, FailureReport onFailure = {},
        Clock clock = [] { return std::time(nullptr); });

    void requestSent(int slot, std::string_view mac, std::string_view request,
                     const CameraRecord* listed) override;
    void requestSettled(int slot, RequestOutcome outcome, std::string_view text) override;

    const ChangeLogFile& file() const { return file_; }

  private:
    std::string nextId();
    void write(const std::string& line);

    std::string program_;
    ChangeLogFile file_;
    FailureReport onFailure_;
    Clock clock_;
    std::string idPrefix_;
    std::mutex mutex_;
    std::uint64_t sequence_ = 0;
    // The id of the request each pending slot tracks, empty when none is awaited.
    std::array<std::string, kTableSize> awaited_;
    bool failureReported_ = false;
};

}  // namespace pelmora
