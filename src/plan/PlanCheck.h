#pragma once
// Checking a whole plan before anything is sent: every row against the cameras found and this
// PC's interfaces, and the changing cameras put in an order in which no two of them ever hold
// one address at once.

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "lan/LanDiagnosis.h"
#include "model/CameraRecord.h"
#include "onvif/OnvifCamera.h"
#include "plan/OnvifPlanCamera.h"
#include "plan/PlanRow.h"
#include "settings/network/NetworkSettings.h"

namespace pelmora {

// One camera of a checked plan.
struct PlannedCamera {
    std::string mac;
    NetworkSettings current;
    NetworkSettings planned;
    bool unchanged = false;
    bool refused = false;  // the page's checks refuse its planned settings
    // An ONVIF camera's row: what it is sent instead of our request. Null for our cameras.
    std::shared_ptr<const OnvifPlanTarget> onvif;
};

struct PlanCheck {
    std::vector<PlannedCamera> cameras;  // in file order
    std::vector<std::size_t> order;      // the changing cameras, as indices, in sending order
    std::vector<std::string> refusals;   // every reason the plan is refused; empty when it is not
};

// `listed`: every camera found (the plan's and the others); `interfaces`: this PC's, with their
// default gateways and neighbour tables. An address a camera keeps under DHCP (planned DHCP,
// whether or not it changes) is not free for another row; no fixed address may be its own
// gateway, a default gateway of this PC or a neighbour's that is not a listed camera.
// A device of another kind (an ONVIF camera) on an address: `name` is its MAC when known.
struct OtherHolder {
    Ipv4 address{};
    std::string name;
};

// `others`: devices of other kinds and their addresses. An address one of them holds is not free
// for a row either, unless it is a camera of the plan answering both protocols (same MAC).
// `onvifCameras`: ONVIF cameras a row may name. A MAC among `listed` is planned as our camera;
// an ONVIF camera's row gets the same checks and its place in the same order, and is refused when
// its addressing was not read or the standard's requests cannot carry the row.
PlanCheck checkPlan(const std::vector<PlanRow>& rows, std::span<const CameraRecord> listed,
                    std::span<const LocalInterface> interfaces,
                    std::span<const OtherHolder> others = {},
                    std::span<const onvif::OnvifCamera> onvifCameras = {});

// The same checks before any camera is heard, as a plan is written: each row against a camera
// that reports no address, gateway or DNS server and port 80, so that what the row sets is
// checked now and what it leaves to the camera is checked when the plan is applied.
PlanCheck checkPlanBeforeListing(const std::vector<PlanRow>& rows,
                                 std::span<const LocalInterface> interfaces);

}  // namespace pelmora
