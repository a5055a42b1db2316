#pragma once
// --dry-run's line: the camera, then the request in the words of the one describer the change
// log and history use too.

#include <string>
#include <string_view>

#include "changelog/RequestDescriber.h"

namespace pelmora {

// "Would send to MAC: " and the description, one line.
std::string dryRunLine(std::string_view mac, std::string_view request, const RequestNames& names);

}  // namespace pelmora
