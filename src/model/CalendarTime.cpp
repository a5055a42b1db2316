#include "model/CalendarTime.h"

#include <cstdlib>
#include <ctime>

namespace pelmora {

void normaliseLocal(CameraClock& clock) {
    std::tm tm{};
    tm.tm_sec = clock.second;
    tm.tm_min = clock.minute;
    tm.tm_hour = clock.hour;
    tm.tm_mday = clock.dayOfMonth;
    tm.tm_mon = clock.month;
    tm.tm_year = clock.yearsSince1900;
    tm.tm_isdst = clock.daylightSaving;
    std::mktime(&tm);
    clock = CameraClock{tm.tm_sec,  tm.tm_min,  tm.tm_hour, tm.tm_mday, tm.tm_mon,
                        tm.tm_year, tm.tm_wday, tm.tm_yday, tm.tm_isdst};
}

void pinLocalTimeZone() {
    if (std::getenv("TZ") == nullptr) {
        setenv("TZ", ":/etc/localtime", 0);
    }
    tzset();
}

}  // namespace pelmora
