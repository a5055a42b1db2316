#pragma once
// apply-plan's run, apart from its options: read the plan, listen for the cameras, check the
// whole plan, then apply it one camera at a time, printing each row's result as it is known.

#include <string>

#include "cli/CommandLine.h"
#include "cli/OnvifSetting.h"

namespace pelmora {

struct ApplyOptions {
    std::string file;
    double verifyTimeout = 60;
    double waitSeconds = 10;
    bool dryRun = false;
    // --onvif: ONVIF cameras are looked for too, and an address one of them holds is not free.
    OnvifCommandOptions onvif;
};

// Returns the process exit code: 0 when every row is verified or unchanged (or, with
// `dryRun`, when the plan is not refused), 1 otherwise, or the code of a fatal socket error.
int applyPlan(const CommandLine& line, const ApplyOptions& options);

}  // namespace pelmora
