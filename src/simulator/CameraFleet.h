#pragma once
// All simulated cameras behind the one socket, and what they send back for a received datagram.
// No sockets here: the server feeds datagrams in and sends the answers to the sender.

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "simulator/CameraFactory.h"
#include "simulator/RequestHandler.h"
#include "simulator/SimCamera.h"
#include "simulator/SimClock.h"

namespace pelmora::sim {

struct FleetOptions {
    int cameraCount = 8;  // 0 to kMaxCameras (0: only fault traffic)
    std::string macPrefix{kDefaultMacPrefix};
    int silentCameras = 0;    // the first K cameras never answer setting requests
    int refusingCameras = 0;  // the last K cameras refuse every setting request
    // Camera i (from 0) reports the i-th of these, on a fixed address, instead of its own.
    std::vector<FixedAddressing> addresses;
    SettingPolicy policy;
};

struct FleetResponse {
    bool enquiry = false;  // the datagrams are information replies to a discovery enquiry
    std::vector<std::string> datagrams;
};

class CameraFleet {
  public:
    explicit CameraFleet(const FleetOptions& options);

    // The answers to one received datagram (its text up to the first NUL). A discovery enquiry
    // ("ENQ:allinfo") gets one information reply from every camera that is not rebooting; a
    // setting request ("SETMAC:" first) gets at most one answer, from the camera whose MAC is
    // exactly the one named; anything else gets nothing.
    FleetResponse respond(std::string_view text, const SimTime& now);

    const std::vector<SimCamera>& cameras() const { return cameras_; }

  private:
    std::vector<SimCamera> cameras_;
    std::map<std::string, std::size_t, std::less<>> byMac_;
    SettingPolicy policy_;
};

}  // namespace pelmora::sim
