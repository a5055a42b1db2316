#pragma once
// Keeps a flood on the network from becoming a flood on the output. Per kind of diagnostic line
// the first line is written at once; after it, at most one line per kind every 10 s, which says
// how many were held back since the last: "Warning: sendto (412 more in 10 s)". A kind that stays
// quiet for a whole period starts afresh, its next line written at once again.
//
// Used by the one thread that writes the lines out, with the time it writes them; the clock is
// the caller's, so tests can drive it.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/DiagnosticKind.h"

namespace pelmora {

class DiagnosticRateLimit {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kPeriod{10};
    // Room for a line's text, as in the queue's slots.
    static constexpr std::size_t kTextBytes = 128;

    // The lines that come once and end the program (a failed receive, a fatal error) are
    // always written; the kinds a network can repeat at will are limited.
    static bool limits(DiagnosticKind kind);

    // `count` lines of `kind`, all reading `text`, reach the output at `now`. True when the
    // first of them is to be written now; every other one is held back and counted.
    bool admit(DiagnosticKind kind, std::string_view text, std::uint64_t count,
               Clock::time_point now);

    // The next summary due at `now` (a kind whose period has ended with lines held back),
    // written into `out` without a newline; its length, or 0 when none is due. `closing`: the
    // output ends now, so every count still held is due, over the part of the period that
    // has passed.
    std::size_t takeSummary(Clock::time_point now, bool closing, char* out, std::size_t size);

    // True while lines of `kind` are being held back: posting them need not wake the writer.
    bool holding(DiagnosticKind kind) const;

  private:
    struct KindState {
        bool open = false;  // a line was written and its period has not ended quietly
        Clock::time_point periodStart{};
        std::uint64_t held = 0;
        char text[kTextBytes] = {};
        std::size_t length = 0;
    };

    std::array<KindState, kDiagnosticKinds> kinds_{};
};

}  // namespace pelmora
