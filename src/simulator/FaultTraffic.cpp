#include "simulator/FaultTraffic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "simulator/ReplyBuilder.h"

namespace pelmora::sim {
namespace {

constexpr std::string_view kMacKey = "MAC:";
constexpr std::size_t kMacLength = 17;
const char* const kStrayTexts[] = {"PM busy", "Request rejected: not pending", "OK"};

}  // namespace

FaultTraffic::FaultTraffic(const FaultOptions& options)
    : options_(options),
      durationMs_(static_cast<std::int64_t>(std::llround(options.durationSeconds * 1000))),
      random_(options.seed) {
    replyTemplate_ = buildInfoReply(makeCamera(0, options_.macPrefix), 0);
    macOffset_ = replyTemplate_.find(kMacKey) + kMacKey.size();
    std::uniform_int_distribution<int> byte(0, 255);
    for (auto& c : noise_) {
        c = static_cast<char>(byte(random_));
    }
}

bool FaultTraffic::enabled() const {
    return options_.garbageRate > 0 || options_.floodRate > 0 || options_.strayAckRate > 0;
}

void FaultTraffic::start(std::int64_t nowMs) {
    if (startMs_ < 0) {
        startMs_ = nowMs;
    }
}

bool FaultTraffic::finished(std::int64_t nowMs) const {
    return started() && nowMs - startMs_ >= durationMs_ &&
           sent_.garbage == dueBy(options_.garbageRate, nowMs) &&
           sent_.flood == dueBy(options_.floodRate, nowMs) &&
           sent_.strayAcks == dueBy(options_.strayAckRate, nowMs);
}

std::uint64_t FaultTraffic::dueBy(int rate, std::int64_t nowMs) const {
    if (!started()) {
        return 0;
    }
    const std::int64_t elapsed = std::clamp<std::int64_t>(nowMs - startMs_, 0, durationMs_);
    return static_cast<std::uint64_t>(rate) * static_cast<std::uint64_t>(elapsed) / 1000;
}

std::size_t FaultTraffic::take(std::int64_t nowMs, std::string* out, std::size_t limit) {
    std::size_t filled = 0;
    const std::uint64_t garbageDue = dueBy(options_.garbageRate, nowMs);
    const std::uint64_t floodDue = dueBy(options_.floodRate, nowMs);
    const std::uint64_t acksDue = dueBy(options_.strayAckRate, nowMs);
    while (filled < limit) {
        const std::size_t before = filled;
        if (filled < limit && sent_.garbage < garbageDue) {
            makeGarbage(out[filled++]);
            ++sent_.garbage;
        }
        if (filled < limit && sent_.flood < floodDue) {
            makeFlood(out[filled++]);
            ++sent_.flood;
        }
        if (filled < limit && sent_.strayAcks < acksDue) {
            makeStrayAck(out[filled++]);
            ++sent_.strayAcks;
        }
        if (filled == before) {
            break;
        }
    }
    return filled;
}

std::string FaultTraffic::floodMac(std::string_view prefix, int index) {
    const unsigned number = 0x800000u + static_cast<unsigned>(index);
    char text[32];
    std::snprintf(text, sizeof text, "%.*s:%02X:%02X:%02X", static_cast<int>(prefix.size()),
                  prefix.data(), number >> 16 & 0xFF, number >> 8 & 0xFF, number & 0xFF);
    return text;
}

// Random bytes of random length; one in four begins with the start of a real reply, so that
// it is taken for one and read key by key.
void FaultTraffic::makeGarbage(std::string& out) {
    const std::size_t length = std::uniform_int_distribution<std::size_t>(1, kMaxGarbage)(random_);
    std::size_t realStart = 0;
    if (std::uniform_int_distribution<int>(0, 3)(random_) == 0) {
        realStart = std::min(
            length, std::uniform_int_distribution<std::size_t>(1, replyTemplate_.size())(random_));
    }
    const std::size_t offset =
        std::uniform_int_distribution<std::size_t>(0, noise_.size() - kMaxGarbage)(random_);
    out.assign(replyTemplate_, 0, realStart);
    out.append(noise_.data() + offset, length - realStart);
}

void FaultTraffic::makeFlood(std::string& out) {
    const int index = std::uniform_int_distribution<int>(0, options_.floodMacs - 1)(random_);
    out = replyTemplate_;
    out.replace(macOffset_, kMacLength, floodMac(options_.macPrefix, index));
}

// For flood MACs, which never have a request outstanding: an acknowledgement or a refusal,
// with a message text or without.
void FaultTraffic::makeStrayAck(std::string& out) {
    const int index = std::uniform_int_distribution<int>(0, options_.floodMacs - 1)(random_);
    const int shape = std::uniform_int_distribution<int>(0, 3)(random_);
    const bool withText = shape >= 2;
    out = buildSettlement(
        shape % 2 == 0, floodMac(options_.macPrefix, index),
        withText ? std::optional<std::string_view>(kStrayTexts[index % 3]) : std::nullopt);
}

}  // namespace pelmora::sim
