#pragma once
// Setting the clock, time zone and date format of several cameras at once, as the Date time
// page's OK buttons do: one request per camera, then one line per camera with its answer.

#include <cstdio>
#include <string>
#include <vector>

#include "engine/SendTarget.h"
#include "settings/datetime/DateTimeRequest.h"

namespace pelmora {

struct DateTimeCommand {
    SendTarget target = SendTarget::broadcast();
    std::vector<std::string> macs;  // distinct, in the order given
    DateTimeValues values;
    DateTimeButton button = DateTimeButton::Manual;
    bool dryRun = false;  // print each request in words instead, one line per camera
};

// Sends, waits until every camera has answered or the table has prompted "No Response" for
// it, and prints "MAC OK", "MAC NG" or "MAC No Response" per camera in the order given
// ("MAC Not Sent", without waiting, for a request that could not be sent).
// Returns the process exit code: 0 when every camera accepted, 1 otherwise, or the code of a
// fatal socket error. A dry run sends nothing and returns 0.
int runDateTimeCommand(const DateTimeCommand& command, std::FILE* out);

}  // namespace pelmora
