#include "engine/DiscoveryEngine.h"

#include "protocol/DatagramBuilder.h"

namespace pelmora {

DiscoveryEngine::DiscoveryEngine(CameraTable& table, EngineObserver* observer,
                                 EngineOptions options)
    : table_(table),
      observer_(observer),
      socket_(options.target, options.diagnostics, options.receiveBuffer),
      receiver_(socket_, table, observer, options.diagnostics) {
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
    if (observer_ != nullptr) {
        observer_->sendResult(result == 0);
    }
    return result;
}

void DiscoveryEngine::enquiryTick() {
    if (table_.discoveryEnabled == 1) {
        static const std::string enquiry = buildEnquiry();
        receiver_.expectReplies();
        sendDatagram(enquiry);
    }
}

std::optional<FatalSocketError> DiscoveryEngine::stop() {
    if (!running_) {
        return std::nullopt;
    }
    running_ = false;
    if (!receiver_.stop()) {
        return FatalSocketError::CloseSocket;
    }
    return std::nullopt;
}

}  // namespace pelmora
