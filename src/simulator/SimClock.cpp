#include "simulator/SimClock.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace pelmora::sim {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

int twoDigits(std::string_view text, std::size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

}  // namespace

SimTime currentSimTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const auto steady = std::chrono::steady_clock::now().time_since_epoch();
    return {wallSeconds(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, local.tm_sec),
            std::chrono::duration_cast<std::chrono::milliseconds>(steady).count()};
}

std::int64_t wallSeconds(int year, int month, int day, int hour, int minute, int second) {
    using namespace std::chrono;
    const sys_days date =
        std::chrono::year{year} / static_cast<unsigned>(month) / static_cast<unsigned>(day);
    return static_cast<std::int64_t>(date.time_since_epoch().count()) * kSecondsPerDay +
           hour * 3600 + minute * 60 + second;
}

std::string formatReplyTime(std::int64_t seconds) {
    using namespace std::chrono;
    std::int64_t days = seconds / kSecondsPerDay;
    std::int64_t rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    const year_month_day date{sys_days{std::chrono::days{days}}};
    const int yy = (static_cast<int>(date.year()) % 100 + 100) % 100;
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02u%02u%02d%02d%02d", yy,
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                  static_cast<int>(rest % 60));
    return text;
}

std::optional<std::int64_t> parseSetTime(std::string_view value) {
    if (value.size() != 13) {
        return std::nullopt;
    }
    for (const char c : value) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    const int year = 2000 + twoDigits(value, 0);
    const int month = twoDigits(value, 2);
    const int day = twoDigits(value, 4);
    const int hour = twoDigits(value, 6);
    const int minute = twoDigits(value, 8);
    const int second = twoDigits(value, 10);
    const int weekday = value[12] - '0';
    const std::chrono::year_month_day date{std::chrono::year{year},
                                           std::chrono::month{static_cast<unsigned>(month)},
                                           std::chrono::day{static_cast<unsigned>(day)}};
    // The weekday is the sender's to compute; it is checked for range only.
    if (!date.ok() || hour > 23 || minute > 59 || second > 59 || weekday > 6) {
        return std::nullopt;
    }
    return wallSeconds(year, month, day, hour, minute, second);
}

}  // namespace pelmora::sim
