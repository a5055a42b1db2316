#pragma once
// How a camera judges the WS-Security UsernameToken in a request: the right user, a password
// digest made with the right password, and a Created time near the camera's own clock, which
// may be hours off the host's. A client that did not correct Created by that offset is refused,
// as real cameras refuse it.

#include <chrono>
#include <optional>
#include <string_view>

#include "onvif/XmlDocument.h"

namespace pelmora::sim {

inline constexpr std::chrono::seconds kCreatedTolerance{5 * 60};

enum class TokenCheck { Absent, Accepted, Refused };

// `header` is the SOAP header, if the request had one. A token with a plain-text password, no
// nonce or no Created time is refused: cameras that take a digest take nothing less.
TokenCheck checkUsernameToken(const std::optional<onvif::XmlElement>& header, std::string_view user,
                              std::string_view password, std::chrono::sys_seconds cameraNow);

// "2026-07-01T09:30:05Z", with or without fractions of a second, "Z" or no zone for UTC.
std::optional<std::chrono::sys_seconds> parseCreated(std::string_view text);

}  // namespace pelmora::sim
