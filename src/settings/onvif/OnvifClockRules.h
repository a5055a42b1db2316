#pragma once
// Setting an ONVIF camera's clock from set-time's values: the standard takes the time in UTC and
// the zone as a POSIX TZ string, where our own cameras take local time and whole hours from GMT.

#include <chrono>
#include <string>
#include <string_view>

#include "settings/datetime/DateTimeRequest.h"

namespace pelmora {

// "UTC-9" for 9 hours east of GMT, "UTC+5" for 5 hours west, "UTC0": POSIX counts west as
// positive.
std::string posixZoneOfHours(int hoursEast);

// This PC's time zone as a POSIX TZ string: `tz` (the TZ variable) when it holds one, else the
// rule at the end of the TZif file `localtime` (version 2 and later end with it); empty when
// neither gives one, so the camera keeps its own zone.
std::string pcPosixZone(const char* tz, const std::string& localtime = "/etc/localtime");

// The UTC time of checked values (local time "YYMMDDhhmmss…" in the zone of whole hours).
std::chrono::sys_seconds utcOfValues(const DateTimeValues& values);

}  // namespace pelmora
