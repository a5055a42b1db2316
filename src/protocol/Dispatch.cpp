#include "protocol/Dispatch.h"

#include <cstring>

namespace pelmora {
namespace {

constexpr std::size_t kMacOffset = 5;
constexpr std::size_t kMacLength = 17;
constexpr std::size_t kMessageOffset = 23;
constexpr std::size_t kShortestWithMessage = 25;

ClassifiedDatagram settlementOf(DatagramKind kind, std::string_view text) {
    ClassifiedDatagram result;
    result.kind = kind;
    if (text.size() > kMacOffset) {
        result.mac = text.substr(kMacOffset, kMacLength);
    }
    if (text.size() >= kShortestWithMessage) {
        result.messageText = text.substr(kMessageOffset, text.size() - kShortestWithMessage);
    }
    return result;
}

}  // namespace

ClassifiedDatagram classifyDatagram(std::string_view text) {
    if (text.find("MODEL:") != std::string_view::npos) {
        return {DatagramKind::InfoReply, {}, std::nullopt};
    }
    if (text.find("ACK:") != std::string_view::npos) {
        return settlementOf(DatagramKind::Acknowledgement, text);
    }
    if (text.find("NAK:") != std::string_view::npos) {
        return settlementOf(DatagramKind::Refusal, text);
    }
    return {};
}

std::string_view datagramText(const char* bytes, std::size_t length) {
    const void* nul = std::memchr(bytes, '\0', length);
    return {bytes, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes) : length};
}

void dispatchDatagram(std::string_view text, ReplyHandler& handler, int interfaceIndex) {
    const auto classified = classifyDatagram(text);
    switch (classified.kind) {
        case DatagramKind::InfoReply:
            handler.infoReply(text, interfaceIndex);
            break;
        case DatagramKind::Acknowledgement:
            handler.settlement(ReplyKind::Acknowledgement, classified.mac, classified.messageText);
            break;
        case DatagramKind::Refusal:
            handler.settlement(ReplyKind::Refusal, classified.mac, classified.messageText);
            break;
        case DatagramKind::Other:
            break;
    }
}

}  // namespace pelmora
