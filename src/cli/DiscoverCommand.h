#pragma once
// "discover": run the engine for a while, then print the listed cameras.

#include <chrono>
#include <cstdio>

#include "engine/SendTarget.h"

namespace pelmora {

struct DiscoverOptions {
    std::chrono::milliseconds wait{3000};
    bool json = false;
    bool csv = false;  // RFC 4180 with the JSON keys as the header
    // Only the cameras with an addressing problem; the exit code then says whether any has one.
    bool problemsOnly = false;
    SendTarget target = SendTarget::broadcast();
};

// Returns the process exit code: 0; with `problemsOnly`, 1 when a camera has a problem; 1 when
// no enquiry could be sent; 1 to 5 for a fatal socket error.
int runDiscover(const DiscoverOptions& options, std::FILE* out);

}  // namespace pelmora
