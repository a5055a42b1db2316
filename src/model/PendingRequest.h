#pragma once
// One sent setting request awaiting its acknowledgement.

#include <cstdint>

namespace pelmora {

struct PendingRequest {
    // 0 free; 1 to 10 seconds spent waiting; date/time requests only: −1 accepted, −2 refused.
    static constexpr std::int32_t kFree = 0;
    static constexpr std::int32_t kDateTimeAccepted = -1;
    static constexpr std::int32_t kDateTimeRefused = -2;
    static constexpr std::int32_t kNoResponseAt = 10;

    char mac[18];
    char request[2050];  // the whole datagram as sent, framing included
    std::int32_t state;
};

}  // namespace pelmora
