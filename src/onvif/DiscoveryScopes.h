#pragma once
// What a discovery answer says about the device: whether it is an ONVIF camera at all (other
// WS-Discovery responders on a LAN, PCs, NAS boxes and printers, are not), and the name,
// hardware and location it announces in its scopes.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "onvif/XmlDocument.h"

namespace pelmora::onvif {

// NetworkVideoTransmitter in the network namespace, or the device service's Device type.
bool isOnvifCamera(std::span<const QualifiedName> types);

// The values of the scopes onvif://www.onvif.org/CATEGORY/VALUE, in order, percent-decoded;
// the category ("name", "hardware", "location") in any case.
std::vector<std::string> scopeValues(std::span<const std::string> scopes,
                                     std::string_view category);
// The first of them.
std::optional<std::string> scopeValue(std::span<const std::string> scopes,
                                      std::string_view category);

// "%20" as a space, and so on; a "%" not followed by two hex digits stays as it is. The result
// is made valid UTF-8.
std::string percentDecode(std::string_view text);

}  // namespace pelmora::onvif
