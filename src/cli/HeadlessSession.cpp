#include "cli/HeadlessSession.h"

#include <cstdio>
#include <string>

#include "changelog/StateDirectory.h"

namespace pelmora {

HeadlessSession::HeadlessSession(SendTarget target)
    : journal_("pelmora-cli", ChangeLogFile(stateDirectory()),
               // Either thread, once: the request goes out all the same.
               [](const std::string& reason) {
                   std::fprintf(stderr, "pelmora-cli: change log not written: %s\n",
                                reason.c_str());
               }),
      engine_(table_, this, EngineOptions{target, STDERR_FILENO}),
      loop_(engine_) {
    table_.setNotifier(this);
    // An answer's log line is written from the tick loop, not on the receive thread.
    journal_.setWake([this] { loop_.wake(); });
    table_.setJournal(&journal_);
}

std::optional<int> HeadlessSession::start() {
    if (const auto error = engine_.start()) {
        engine_.reportFatal(*error);
        return exitCodeOf(*error);
    }
    return std::nullopt;
}

bool HeadlessSession::runFor(std::chrono::milliseconds duration,
                             const std::function<bool()>& done) {
    return loop_.runUntil(TickLoop::Clock::now() + duration, [&] {
        journal_.flush();
        return receiveFailed_ || (done && done());
    });
}

std::optional<int> HeadlessSession::stop() {
    // Read before the receive thread ends: a failure it had is the command's failure too, since
    // a reply may be missing from what the command saw.
    const bool receiveFailed = receiveFailed_;
    const auto error = engine_.stop();
    // The receive thread has ended: the last answers' lines are written now.
    journal_.flush();
    if (error) {
        engine_.reportFatal(*error);
        return exitCodeOf(*error);
    }
    if (receiveFailed) {
        return exitCodeOf(FatalSocketError::Receive);
    }
    return std::nullopt;
}

std::optional<SettingOutcome> HeadlessSession::outcome() const {
    std::lock_guard lock(mutex_);
    return outcome_;
}

void HeadlessSession::clearOutcome() {
    std::lock_guard lock(mutex_);
    outcome_.reset();
}

void HeadlessSession::settingResult(ResultIcon icon, std::string_view words) {
    {
        std::lock_guard lock(mutex_);
        if (!outcome_) {
            outcome_ = SettingOutcome{icon == ResultIcon::Information, std::string(words)};
        }
    }
    loop_.wake();
}

RetryAnswer HeadlessSession::noResponse(std::string_view) {
    std::lock_guard lock(mutex_);
    if (!outcome_) {
        outcome_ = SettingOutcome{false, "No Response"};
    }
    return RetryAnswer::Cancel;
}

void HeadlessSession::sendResult(bool ok) {
    ++(ok ? sendsSucceeded_ : sendsFailed_);
}

void HeadlessSession::receiveFailed() {
    // Queued behind "Error : recvfrom"; this thread must not wait on standard error.
    engine_.diagnostics().post(DiagnosticKind::ReceiveFailed, "Network NG");
    receiveFailed_ = true;
    loop_.wake();
}

}  // namespace pelmora
