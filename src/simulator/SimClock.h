#pragma once
// Camera clocks run as an offset from the host's local wall clock. Wall time is counted as plain
// seconds of a calendar without time zones or daylight saving ("local time read as if it were
// UTC"), so setting and reading a camera clock never meets a DST gap.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelmora::sim {

// The two clocks a camera needs: the wall clock for its own date and time, the steady clock for
// how long a reboot keeps it silent. Injected everywhere so tests can pin both.
struct SimTime {
    std::int64_t localSeconds = 0;
    std::int64_t steadyMs = 0;
};

SimTime currentSimTime();

// Wall seconds of a calendar date and time; the fields must already be in range.
std::int64_t wallSeconds(int year, int month, int day, int hour, int minute, int second);

// "YYMMDDhhmmss", the form of "TIME:" in an information reply.
std::string formatReplyTime(std::int64_t wallSeconds);

// A "TIME:" value of a setting request, "YYMMDDhhmmssW" (W the weekday, 0 = Sunday), as wall
// seconds. Nullopt unless it is 13 digits naming a date and time that exists.
std::optional<std::int64_t> parseSetTime(std::string_view value);

}  // namespace pelmora::sim
