#include "settings/datetime/DateTimeRequest.h"

#include <charconv>
#include <cstdio>
#include <thread>

#include "model/FixedText.h"
#include "protocol/SettingRequest.h"
#include "settings/datetime/DateTimeChoices.h"

namespace pelmora {
namespace {

constexpr std::chrono::milliseconds kPcClockPause{1};

// Format and zone are checked first by both buttons, format before zone.
std::string_view formatAndZoneMessage(int format, int zone) {
    if (!isSelected(format, static_cast<int>(kDateFormats.size()))) {
        return kDateTimeFormatError;
    }
    if (!isSelected(zone, static_cast<int>(kTimeZoneTexts.size()))) {
        return kTimeZoneError;
    }
    return {};
}

DateTimeValues valuesFor(int format, int zone, const std::tm& time) {
    return {std::string(kDateFormats[static_cast<std::size_t>(format)].code), timeZoneValue(zone),
            formatTimeValue(time)};
}

// The first of year to second that is not selected, in that order.
std::string_view missingDateTimePart(const DateTimeSelections& s) {
    const struct {
        int index;
        NumberList list;
        std::string_view message;
    } parts[] = {
        {s.year, kYearList, kYearError},       {s.month, kMonthList, kMonthError},
        {s.day, kDayList, kDayError},          {s.hour, kHourList, kHourError},
        {s.minute, kMinuteList, kMinuteError}, {s.second, kSecondList, kSecondError},
    };
    for (const auto& part : parts) {
        if (!isSelected(part.index, part.list.count)) {
            return part.message;
        }
    }
    return {};
}

}  // namespace

std::tm readLocalClock() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

DateTimeCheck checkManualDateTime(const DateTimeSelections& s) {
    if (const auto message = formatAndZoneMessage(s.format, s.zone); !message.empty()) {
        return {std::nullopt, message};
    }
    if (const auto message = missingDateTimePart(s); !message.empty()) {
        return {std::nullopt, message};
    }
    std::tm time{};
    time.tm_year = kYearListCentury + kYearList.first + s.year - 1900;
    time.tm_mon = kMonthList.first + s.month - 1;
    time.tm_mday = kDayList.first + s.day;
    time.tm_hour = s.hour;
    time.tm_min = s.minute;
    time.tm_sec = s.second;
    // Let the C library decide whether daylight saving applies, so that a summer date keeps
    // the hour picked; only an hour skipped by a daylight-saving change moves forward.
    time.tm_isdst = -1;
    // mktime rolls a day past the end of its month into the next month and fills in the
    // weekday; a changed month means the picked date does not exist (30 February, 31 April).
    const int selectedMonth = time.tm_mon;
    if (std::mktime(&time) == static_cast<std::time_t>(-1) || time.tm_mon != selectedMonth) {
        return {std::nullopt, kNoSuchDateError};
    }
    return {valuesFor(s.format, s.zone, time), {}};
}

DateTimeCheck readPcDateTime(int format, int zone, const LocalClock& now) {
    if (const auto message = formatAndZoneMessage(format, zone); !message.empty()) {
        return {std::nullopt, message};
    }
    return {valuesFor(format, zone, now()), {}};
}

std::string formatTimeValue(const std::tm& t) {
    // The year is written in full and its third and fourth characters kept.
    char year[16];
    std::snprintf(year, sizeof year, "%04d", t.tm_year + 1900);
    char rest[64];
    std::snprintf(rest, sizeof rest, "%02d%02d%02d%02d%02d%d", t.tm_mon + 1, t.tm_mday, t.tm_hour,
                  t.tm_min, t.tm_sec, t.tm_wday);
    return std::string(year + 2, 2) + rest;
}

std::string buildDateTimeRequest(std::string_view mac, const DateTimeValues& values) {
    return SettingRequest(mac)
        .field("TIME:", values.time)
        .field("TIMEZONE:", values.zone)
        .field("DTFORMAT:", values.format)
        .finish();
}

std::vector<std::string> markedCameraMacs(const CameraTable& table,
                                          std::span<const DateTimeGridRow> rows) {
    return table.read([rows](const TableData& data) {
        std::vector<std::string> macs;
        const auto listed = data.count < 1 ? 0 : static_cast<std::size_t>(data.count);
        for (std::size_t row = 0; row < rows.size() && row < listed; ++row) {
            const auto& [mark, indexText] = rows[row];
            if (mark != kChosenMark) {
                continue;
            }
            int index = -1;
            const auto* end = indexText.data() + indexText.size();
            const auto [stop, error] = std::from_chars(indexText.data(), end, index);
            if (error != std::errc{} || stop != end || !isSelected(index, kTableSize)) {
                continue;
            }
            // The mark lives in the record. A camera that left the table since the grid was
            // written moves the later records down, so the index may now name a camera nobody
            // marked: only a record that carries the mark itself is sent to.
            const auto& record = data.records[index];
            if (!record.isFree() && fieldText(record.dateTimeMark) == kChosenMark) {
                macs.emplace_back(fieldText(record.mac));
            }
        }
        return macs;
    });
}

void sleepFor(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

std::vector<int> sendDateTimeRequests(CameraTable& table, const DatagramSender& send,
                                      std::span<const std::string> macs,
                                      const DateTimeValues& values, DateTimeButton button,
                                      const Pause& pause) {
    std::vector<int> slots;
    slots.reserve(macs.size());
    for (const auto& mac : macs) {
        const auto request = buildDateTimeRequest(mac, values);
        // Registered just before the send, as every setting request is; the slot is kept so
        // that a caller can follow this request's answer.
        slots.push_back(table.registerPending(mac, request));
        if (!send || send(request) != 0) {
            table.reportNotSent(slots.back());
        }
        if (button == DateTimeButton::PcClock && pause) {
            pause(kPcClockPause);
        }
    }
    return slots;
}

}  // namespace pelmora
