#pragma once
// The datagrams a camera sends: its information reply and the acknowledgement or refusal that
// settles a setting request.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "simulator/SimCamera.h"

namespace pelmora::sim {

// The camera as it is now; `localSeconds` is the host's wall clock (SimClock) and the reply's
// "TIME:" is that plus the camera's offset. The tool finds keys by substring search, so the
// plain network keys ("IPADR:", "DNSAUTO:", "DNS1:" ...) come before the PPPoE keys that end in
// the same text; otherwise the tool would read "PPPOEDNS1:" as "DNS1:".
std::string buildInfoReply(const SimCamera& camera, std::int64_t localSeconds);

// 02 "ACK:" (or "NAK:") MAC FF 03, 24 bytes for a 17-character MAC; with a message text,
// 02 "ACK:" MAC FF text FF 03. The text is cut so the datagram stays within the largest the tool
// accepts.
std::string buildSettlement(bool accepted, std::string_view mac,
                            std::optional<std::string_view> message);

}  // namespace pelmora::sim
