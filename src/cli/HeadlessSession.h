#pragma once
// The engine run without a window: a camera table, the discovery engine, a tick loop on the
// calling thread; a setting's outcome is kept for the command to print.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "changelog/ChangeJournal.h"
#include "engine/DiscoveryEngine.h"
#include "engine/TickLoop.h"
#include "model/CameraTable.h"

namespace pelmora {

// The outcome of a setting request as the person would have seen it.
struct SettingOutcome {
    bool accepted = false;
    std::string words;  // "Setting OK", "Setting NG", the camera's own text, or "No Response"
};

class HeadlessSession final : public TableNotifier, public EngineObserver {
  public:
    explicit HeadlessSession(SendTarget target);
    // The receive thread wakes the tick loop: it is stopped before the loop goes.
    ~HeadlessSession() override { engine_.stop(); }
    HeadlessSession(const HeadlessSession&) = delete;
    HeadlessSession& operator=(const HeadlessSession&) = delete;

    // Starts the engine; on a fatal error writes its line and returns its exit code.
    std::optional<int> start();
    // Runs the ticks for `duration` or until `done` is true.
    bool runFor(std::chrono::milliseconds duration, const std::function<bool()>& done = {});
    // Stops the engine; an exit code when that failed fatally, or when the receive thread had
    // failed before (the receive error's code).
    std::optional<int> stop();

    CameraTable& table() { return table_; }
    // Lines made on other threads are written by the tick loop, as answers' lines are.
    ChangeJournal& journal() { return journal_; }
    DiscoveryEngine& engine() { return engine_; }
    bool receiveHasFailed() const { return receiveFailed_; }
    // Sends (enquiries and requests) that went out, and that failed, since the start.
    int sendsSucceeded() const { return sendsSucceeded_; }
    int sendsFailed() const { return sendsFailed_; }
    // The first outcome of a setting request since the session started, if any.
    std::optional<SettingOutcome> outcome() const;
    // Forgets the outcome before another request, for commands that send one after another.
    void clearOutcome();

    // TableNotifier: outcomes are kept for outcome(); an unanswered request is not retried.
    void settingResult(ResultIcon icon, std::string_view words) override;
    void acknowledged() override {}
    RetryAnswer noResponse(std::string_view mac) override;
    // A reply changed what is known of a camera: a command waiting for it checks at once.
    void listChanged() override { loop_.wake(); }

    // EngineObserver; diagnostic lines go to standard error from the tick loop.
    void receiveFailed() override;
    void sendResult(bool ok) override;
    void diagnosticsWaiting() override { loop_.wake(); }

  private:
    // Before the table, which points to it: every setting request sent is recorded.
    ChangeJournal journal_;
    CameraTable table_;
    DiscoveryEngine engine_;
    TickLoop loop_;
    std::atomic<bool> receiveFailed_{false};
    std::atomic<int> sendsSucceeded_{0};
    std::atomic<int> sendsFailed_{0};
    mutable std::mutex mutex_;
    std::optional<SettingOutcome> outcome_;
};

}  // namespace pelmora
