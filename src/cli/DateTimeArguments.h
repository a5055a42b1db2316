#pragma once
// The set-time command's arguments as the Date time page's list selections, so that the page's
// own checks judge them: a value that no list offers is read as nothing selected.

#include <string_view>

#include "settings/datetime/DateTimeRequest.h"

namespace pelmora {

// "ymd", "mdy" or "dmy": the index in the date format list; −1 for anything else.
int dateFormatIndex(std::string_view code);

// Whole hours from GMT, "-12" to "13" (a "+" allowed): the index in the time zone list; −1 for
// anything else.
int timeZoneIndex(std::string_view hours);

// "YYYY-MM-DD hh:mm:ss" (one- or two-digit fields after the year) as the year to second
// selections. Reading stops at the first part that is missing or malformed: it and every part
// after it are left unselected, so the page's checks name the first one. A value outside its
// list (the year 2000, the month 13) is unselected too.
DateTimeSelections dateTimeSelections(int format, int zone, std::string_view dateTime);

}  // namespace pelmora
