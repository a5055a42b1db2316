#pragma once
// What the Date time page's two OK buttons send, without a window: the checks of the lists'
// selections with their messages, the three values "DTFORMAT:", "TIMEZONE:" and "TIME:", and one
// request per marked camera. These requests carry no administrator credentials; their answers
// are settled silently into the pending slots (−1 accepted, −2 refused) for the page to show.

#include <chrono>
#include <ctime>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/CameraTable.h"

namespace pelmora {

// The messages of the checks, in the order the checks run (caption "caution").
inline constexpr std::string_view kDateTimeFormatError = "Date Time Format Error";
inline constexpr std::string_view kTimeZoneError = "Time Zone Setting Error";
inline constexpr std::string_view kYearError = "Manual Current Date Setting (Year) Error";
inline constexpr std::string_view kMonthError = "Manual Current Date Setting (Month) Error";
inline constexpr std::string_view kDayError = "Manual Current Date Setting (Day) Error";
inline constexpr std::string_view kHourError = "Manual Current Date Setting (Hour) Error";
inline constexpr std::string_view kMinuteError = "Manual Current Date Setting (min) Error";
inline constexpr std::string_view kSecondError = "Manual Current Date Setting (sec) Error";
inline constexpr std::string_view kNoSuchDateError = "Manual Current Date Setting Error";

// The selected index of each of the page's eight lists, −1 when nothing is selected.
struct DateTimeSelections {
    int format = -1;
    int zone = -1;
    int year = -1;
    int month = -1;
    int day = -1;
    int hour = -1;
    int minute = -1;
    int second = -1;
};

// The three values of one button press; every marked camera gets the same.
struct DateTimeValues {
    std::string format;  // "ymd", "mdy" or "dmy"
    std::string zone;    // "-12" to "13"
    std::string time;    // 13 digits: YYMMDDhhmmss and the weekday, 0 for Sunday

    bool operator==(const DateTimeValues&) const = default;
};

// Either the values, or the message of the first check that failed.
struct DateTimeCheck {
    std::optional<DateTimeValues> values;
    std::string_view message;
};

// The PC's local date and time; injected so that tests can fix "now".
using LocalClock = std::function<std::tm()>;
std::tm readLocalClock();

// The manual OK button: format, zone, then year to second must be selected, and the date must
// exist (a day past the end of its month is refused, not rolled over).
DateTimeCheck checkManualDateTime(const DateTimeSelections& selections);

// The PC-clock OK button: format and zone must be selected; the clock is read once. The date
// and time lists are not looked at.
DateTimeCheck readPcDateTime(int format, int zone, const LocalClock& now = readLocalClock);

// YYMMDDhhmmss and the weekday digit of a broken-down time, e.g. 0503050907006 for Saturday
// 5 March 2005, 09:07:00.
std::string formatTimeValue(const std::tm& time);

// "SETMAC:", "TIME:", "TIMEZONE:", "DTFORMAT:" in that order; no "IDPASS:".
std::string buildDateTimeRequest(std::string_view mac, const DateTimeValues& values);

// The grid's mark of a camera chosen for the next send.
inline constexpr std::string_view kChosenMark = ">>";

// One grid row as the page shows it: column 0 (the mark) and column 4 (the record's index in
// the table, in decimal).
struct DateTimeGridRow {
    std::string mark;
    std::string indexText;
};

// The MACs of the cameras to send to: of grid rows 1 to the table's count (`rows` starts at
// row 1), those marked ">>", each by the record its index column names. Nothing when the
// table is empty; rows naming no index, a free record or a record without the mark are skipped.
std::vector<std::string> markedCameraMacs(const CameraTable& table,
                                          std::span<const DateTimeGridRow> rows);

enum class DateTimeButton { Manual, PcClock };

// Waits; injected so that tests do not sleep.
using Pause = std::function<void(std::chrono::milliseconds)>;
void sleepFor(std::chrono::milliseconds duration);

// Registers and sends one request per MAC, in order. The PC-clock button pauses 1 ms after each
// request; the manual button sends them back to back. Returns the pending slot of each request,
// −1 where none was free (the request is sent untracked).
std::vector<int> sendDateTimeRequests(CameraTable& table, const DatagramSender& send,
                                      std::span<const std::string> macs,
                                      const DateTimeValues& values, DateTimeButton button,
                                      const Pause& pause = sleepFor);

}  // namespace pelmora
