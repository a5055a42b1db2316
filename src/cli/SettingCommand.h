#pragma once
// The contract of every setting command: build the request with the page's own code, register
// and send it, wait for the camera's answer (about ten seconds at most, as the window would
// before asking "No Response"), print one line, and succeed only on an acknowledgement. A
// request that could not be sent at all (no route to the target) prints "Not Sent" at once.

#include <cstdio>
#include <string>

#include "engine/SendTarget.h"

namespace pelmora {

struct SettingCommand {
    SendTarget target = SendTarget::broadcast();
    std::string mac;
    std::string request;  // the whole datagram
};

// Returns the process exit code: 0 on an acknowledgement, 1 otherwise (refusal, camera text
// with a refusal, no response, not sent), or the code of a fatal socket error.
int runSettingCommand(const SettingCommand& command, std::FILE* out);

}  // namespace pelmora
