#pragma once
// Applying the fields of one kind of setting request to a camera, so that its next information
// reply shows them. Each function looks only at its own keys and reports whether the request
// carried any of them and whether their values were acceptable; on Invalid the camera may be
// half changed, so callers apply to a copy and keep it only when nothing was invalid.

#include <cstdint>

#include "simulator/RequestFields.h"
#include "simulator/SimCamera.h"

namespace pelmora::sim {

enum class ApplyResult { Absent, Applied, Invalid };

// "DHCP:", "IPADR:", "MASK:", "GATEWAY:", "DNSAUTO:", "DNS1:" to "DNS4:", "WEBPORT:".
ApplyResult applyNetworkSettings(SimCamera& camera, const RequestFields& fields);
// "SETBAND:", which must name one of the camera's own bandwidth values ("0.0" = unlimited).
ApplyResult applyBandwidth(SimCamera& camera, const RequestFields& fields);
// "TIME:" (YYMMDDhhmmssW), "TIMEZONE:", "DTFORMAT:". `localSeconds` is the host's wall clock
// now, against which the camera keeps its clock as an offset.
ApplyResult applyDateTime(SimCamera& camera, const RequestFields& fields,
                          std::int64_t localSeconds);
// "PPPOEFUNC:", "PPPOEIDPASS:", "PPPOEDNSAUTO:", "PPPOEDNS1:", "PPPOEDNS2:". A camera without
// PPPoE refuses them.
ApplyResult applyPppoe(SimCamera& camera, const RequestFields& fields);

}  // namespace pelmora::sim
