#include "settings/datetime/DateTimeRows.h"

#include <cstdio>

#include "model/FixedText.h"

namespace pelmora {

std::vector<std::string> dateTimeRowCells(const CameraRecord& r, int index) {
    std::string address = formatIpv4(r.ipAddress);
    if (r.dhcp == 1) {
        address += " (DHCP)";
    }
    const auto& c = r.clock;
    char clock[64];
    std::snprintf(clock, sizeof clock, "20%02d-%d-%d  %d:%02d:%02d", c.yearsSince1900 % 100,
                  c.month + 1, c.dayOfMonth, c.hour, c.minute, c.second);
    return {std::string(fieldText(r.dateTimeMark)), std::move(address),
            std::string(fieldText(r.model)), clock, std::to_string(index)};
}

}  // namespace pelmora
