#include "cli/RequestWords.h"

#include "listing/CameraListing.h"

namespace pelmora {

std::string dryRunLine(std::string_view mac, std::string_view request, const RequestNames& names) {
    return "Would send to " + printableText(mac) + ": " + describeRequest(request, names) + "\n";
}

}  // namespace pelmora
