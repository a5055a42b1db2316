#include "engine/DiagnosticRateLimit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace pelmora {

bool DiagnosticRateLimit::limits(DiagnosticKind kind) {
    return kind == DiagnosticKind::OversizeDatagram || kind == DiagnosticKind::SendFailed;
}

bool DiagnosticRateLimit::admit(DiagnosticKind kind, std::string_view text, std::uint64_t count,
                                Clock::time_point now) {
    if (!limits(kind) || count == 0) {
        return count > 0;
    }
    auto& state = kinds_[static_cast<std::size_t>(kind)];
    // The summary repeats the latest text of its kind.
    state.length = std::min(text.size(), kTextBytes);
    std::memcpy(state.text, text.data(), state.length);
    if (state.open) {
        state.held += count;
        return false;
    }
    state.open = true;
    state.periodStart = now;
    state.held = count - 1;
    return true;
}

std::size_t DiagnosticRateLimit::takeSummary(Clock::time_point now, bool closing, char* out,
                                             std::size_t size) {
    for (auto& state : kinds_) {
        if (!state.open) {
            continue;
        }
        const auto elapsed = now - state.periodStart;
        if (!closing && elapsed < kPeriod) {
            continue;
        }
        if (state.held == 0) {
            state.open = false;
            continue;
        }
        // A closing summary covers the part of the period that has passed, rounded up.
        long seconds = static_cast<long>(kPeriod.count());
        if (elapsed < kPeriod) {
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed);
            seconds = std::clamp<long>(static_cast<long>((ms.count() + 999) / 1000), 1,
                                       static_cast<long>(kPeriod.count()));
        }
        const int length =
            std::snprintf(out, size, "%.*s (%llu more in %ld s)", static_cast<int>(state.length),
                          state.text, static_cast<unsigned long long>(state.held), seconds);
        state.held = 0;
        state.periodStart = now;
        state.open = !closing;
        if (length <= 0) {
            return 0;
        }
        return std::min(static_cast<std::size_t>(length), size - 1);
    }
    return 0;
}

bool DiagnosticRateLimit::holding(DiagnosticKind kind) const {
    return limits(kind) && kinds_[static_cast<std::size_t>(kind)].open;
}

}  // namespace pelmora
