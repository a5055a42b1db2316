#include "settings/onvif/OnvifClockRules.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace pelmora {
namespace {

// A TZif file is small; anything longer is not one.
constexpr std::size_t kMaxTzifBytes = 1 << 20;

// Letters, digits and the signs, commas, slashes, dots, colons and angle brackets of a POSIX
// rule, and a name of at least three letters first: "CET-1CEST,M3.5.0,M10.5.0/3", "<+03>-3".
bool looksLikePosixRule(std::string_view text) {
    if (text.size() < 4 || text.size() > 128 || text.front() == ':' || text.front() == '/') {
        return false;
    }
    for (const char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0 &&
            std::string_view("+-,./:<>").find(c) == std::string_view::npos) {
            return false;
        }
    }
    return std::isdigit(static_cast<unsigned char>(text.back())) != 0 || text.back() == '>';
}

int field(const std::string& time, std::size_t at) {
    return (time[at] - '0') * 10 + (time[at + 1] - '0');
}

}  // namespace

std::string posixZoneOfHours(int hoursEast) {
    if (hoursEast == 0) {
        return "UTC0";
    }
    return std::string("UTC") + (hoursEast > 0 ? "-" : "+") + std::to_string(std::abs(hoursEast));
}

std::string pcPosixZone(const char* tz, const std::string& localtime) {
    if (tz != nullptr && looksLikePosixRule(tz)) {
        return tz;
    }
    std::ifstream file(localtime, std::ios::binary);
    std::string bytes;
    bytes.reserve(4096);
    for (std::istreambuf_iterator<char> it(file), end; it != end && bytes.size() < kMaxTzifBytes;
         ++it) {
        bytes += *it;
    }
    // The footer: "\nRULE\n" at the very end.
    if (bytes.size() < 8 || bytes.compare(0, 4, "TZif") != 0 || bytes.back() != '\n') {
        return {};
    }
    const auto start = bytes.rfind('\n', bytes.size() - 2);
    if (start == std::string::npos) {
        return {};
    }
    const auto rule = bytes.substr(start + 1, bytes.size() - start - 2);
    return looksLikePosixRule(rule) ? rule : std::string{};
}

std::chrono::sys_seconds utcOfValues(const DateTimeValues& values) {
    using namespace std::chrono;
    const auto& t = values.time;
    const year_month_day day{year(2000 + field(t, 0)), month(unsigned(field(t, 2))),
                             std::chrono::day(unsigned(field(t, 4)))};
    const auto local =
        sys_days(day) + hours(field(t, 6)) + minutes(field(t, 8)) + seconds(field(t, 10));
    return local - hours(std::atoi(values.zone.c_str()));
}

}  // namespace pelmora
