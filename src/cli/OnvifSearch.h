#pragma once
// discover --onvif: ONVIF cameras found while the engine's enquiry runs (on a thread of its
// own, the engine's tick loop having the calling thread), then each one read.

#include <chrono>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "onvif/OnvifCamera.h"
#include "onvif/OnvifDiscovery.h"
#include "onvif/SoapTransfer.h"

namespace pelmora {

struct OnvifSearchOptions {
    onvif::OnvifDiscoveryOptions discovery;
    std::optional<onvif::HttpDigest> credentials;
};

class OnvifSearch {
  public:
    // Probes at once; listens for at least `wait`, and for the probe window after the last
    // directed probe. Lines for the person go to standard error.
    OnvifSearch(OnvifSearchOptions options, std::chrono::milliseconds wait);
    // A search left unfinished (the command failed) is stopped, not waited for.
    ~OnvifSearch();
    OnvifSearch(const OnvifSearch&) = delete;
    OnvifSearch& operator=(const OnvifSearch&) = delete;

    // Waits for discovery to end, then reads every camera found: in address order.
    std::vector<onvif::OnvifCamera> finish();

  private:
    OnvifSearchOptions options_;
    std::unique_ptr<onvif::OnvifDiscovery> discovery_;
    std::thread thread_;
};

}  // namespace pelmora
