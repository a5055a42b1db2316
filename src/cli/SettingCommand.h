#pragma once
// The contract of every setting command: build the request with the page's own code, register
// and send it, wait for the camera's answer (about ten seconds at most, as the window would
// before asking "No Response"), print one line, and succeed only on an acknowledgement. A
// request that could not be sent at all (no route to the target) prints "Not Sent" at once. A
// dry run prints the request in words instead and sends nothing.

#include <cstdio>
#include <string>

#include "cli/RequestWords.h"
#include "engine/SendTarget.h"

namespace pelmora {

class HeadlessSession;

struct SettingCommand {
    SendTarget target = SendTarget::broadcast();
    std::string mac;
    std::string request;  // the whole datagram
    bool dryRun = false;
    RequestNames names;  // what a dry run shows for the credential fields
};

// Returns the process exit code: 0 on an acknowledgement, 1 otherwise (refusal, camera text
// with a refusal, no response, not sent), or the code of a fatal socket error. A dry run prints
// "Would send to MAC: ..." and returns 0.
int runSettingCommand(const SettingCommand& command, std::FILE* out);

// The same on a session already started (one that has found the camera first), which is
// stopped here. A dry run sends nothing more on it.
int runSettingCommand(HeadlessSession& session, const SettingCommand& command, std::FILE* out);

}  // namespace pelmora
