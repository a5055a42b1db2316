#include "cli/HeadlessSession.h"

#include <string>

#include "cli/CameraListing.h"

namespace pelmora {

HeadlessSession::HeadlessSession(SendTarget target)
    : engine_(table_, this, EngineOptions{target, stderr}), loop_(engine_) {
    table_.setNotifier(this);
}

std::optional<int> HeadlessSession::start() {
    if (const auto error = engine_.start()) {
        reportFatal(*error, stderr);
        return exitCodeOf(*error);
    }
    return std::nullopt;
}

bool HeadlessSession::runFor(std::chrono::milliseconds duration,
                             const std::function<bool()>& done) {
    return loop_.runUntil(TickLoop::Clock::now() + duration,
                          [&] { return receiveFailed_ || (done && done()); });
}

std::optional<int> HeadlessSession::stop() {
    if (const auto error = engine_.stop()) {
        reportFatal(*error, stderr);
        return exitCodeOf(*error);
    }
    return std::nullopt;
}

void HeadlessSession::settingResult(ResultIcon, std::string_view words) {
    const auto line = printableText(words) + "\n";
    std::fputs(line.c_str(), stderr);
}

RetryAnswer HeadlessSession::noResponse(std::string_view) {
    return RetryAnswer::Cancel;
}

void HeadlessSession::receiveFailed() {
    std::fputs("Network NG\n", stderr);
    receiveFailed_ = true;
    loop_.wake();
}

}  // namespace pelmora
