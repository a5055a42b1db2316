#include "cli/PlanRefusal.h"

#include "cli/StandardStreams.h"
#include "listing/CameraListing.h"

namespace pelmora {

int refusePlan(const std::vector<std::string>& reasons, std::FILE* stream) {
    std::string out = "Plan refused:\n";
    for (const auto& reason : reasons) {
        out += "  " + printableText(reason) + "\n";
    }
    writeOutput(stream, out);
    return 1;
}

}  // namespace pelmora
