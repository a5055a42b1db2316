#pragma once
// What the settings pages share, without any window: which cameras a grid lists and with what
// texts, the credential rule for OK, a camera's web address.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/CameraRecord.h"

namespace pelmora {

// Administrator name and password fields hold at most this many characters.
inline constexpr int kMaxCredentialLength = 16;
// Most pages enable OK from 4 characters in each credential field; the PPPoE page from 5.
inline constexpr std::size_t kMinCredentialLength = 4;
inline constexpr std::size_t kMinPppoeCredentialLength = 5;

// OK may be pressed: a camera is selected and both fields hold at least `minimum` characters.
bool credentialsAllowOk(bool cameraSelected, std::string_view name, std::string_view password,
                        std::size_t minimum);

// Column 1 of a MAC-keyed grid: the camera's address, or its PPPoE address on the PPPoE page.
enum class AddressColumn { IpAddress, PppoeIpAddress };

// The cell texts of one listed camera on a MAC-keyed page, columns 0 to 4: MAC, address
// ("DHCP" for a DHCP camera on the address column), model, serial number, software version.
// Texts are the camera's bytes, unconverted.
std::vector<std::string> cameraRowCells(const CameraRecord& record, AddressColumn column);

// "http://a.b.c.d/" on port 80, "http://a.b.c.d:port/" otherwise; nothing for 0.0.0.0.
std::optional<std::string> cameraPageUrl(const CameraRecord& record);

}  // namespace pelmora
