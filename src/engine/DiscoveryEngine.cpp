#include "engine/DiscoveryEngine.h"

#include "protocol/DatagramBuilder.h"

namespace pelmora {

DiscoveryEngine::DiscoveryEngine(CameraTable& table, EngineObserver* observer,
                                 EngineOptions options)
    : table_(table),
      observer_(observer),
      diagnosticsFd_(options.diagnostics),
      diagnostics_([observer] {
          if (observer != nullptr) {
              observer->diagnosticsWaiting();
          }
      }),
      socket_(options.target, diagnostics_, options.receiveBuffer),
      receiver_(socket_, table, observer, diagnostics_) {
    table_.setSender([this](std::string_view text) { return sendDatagram(text); });
}

DiscoveryEngine::~DiscoveryEngine() {
    stop();
    table_.setSender({});
}

std::optional<FatalSocketError> DiscoveryEngine::start() {
    if (const auto error = socket_.open()) {
        return error;
    }
    // The wake-up descriptor stands in for the receive time-out of the socket.
    if (!receiver_.start()) {
        socket_.close();
        return FatalSocketError::SetSocketOption;
    }
    running_ = true;
    table_.discoveryEnabled = 1;
    enquiryTick();
    return std::nullopt;
}

int DiscoveryEngine::sendDatagram(std::string_view text) {
    const int result = socket_.sendDatagram(text);
    if (result != 0) {
        drainDiagnostics();
    }
    if (observer_ != nullptr) {
        observer_->sendResult(result == 0);
    }
    return result;
}

void DiscoveryEngine::enquiryTick() {
    localInterfaces_ = readLocalInterfaces();
    if (table_.discoveryEnabled == 1) {
        static const std::string enquiry = buildEnquiry();
        receiver_.expectReplies();
        sendDatagram(enquiry);
    }
}

void DiscoveryEngine::agingTick() {
    // Before the table's tick, which may hold the thread in a "No Response" prompt.
    drainDiagnostics();
    table_.agingTick();
}

std::optional<FatalSocketError> DiscoveryEngine::stop() {
    if (!running_) {
        return std::nullopt;
    }
    running_ = false;
    // The receive thread never writes, so it ends at once whatever the output's state.
    const bool closed = receiver_.stop();
    // Nothing more will be posted: the counts the rate limit still holds are written now.
    diagnostics_.drainTo(diagnosticsFd_, true);
    if (!closed) {
        return FatalSocketError::CloseSocket;
    }
    return std::nullopt;
}

void DiscoveryEngine::drainDiagnostics() {
    // Once stopped, nothing more is held back: any count still held goes out with the lines.
    diagnostics_.drainTo(diagnosticsFd_, !running_);
}

void DiscoveryEngine::reportFatal(FatalSocketError error) {
    diagnostics_.post(DiagnosticKind::Fatal, messageOf(error));
    drainDiagnostics();
}

}  // namespace pelmora
