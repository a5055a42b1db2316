#pragma once
// A list of cameras as the window exports it: the same bytes that `discover --json` or `--csv`
// prints for those cameras (written with writeFileAtomically).

#include <string>
#include <string_view>
#include <vector>

#include "lan/LanSnapshot.h"
#include "model/CameraRecord.h"

namespace pelmora {

enum class ListFormat { Json, Csv };

// The cameras with what `lan` says of each (diagnosed among all the cameras it lists, as
// discover does); no notes for a camera it does not know, or without `lan`.
std::string formatCameraList(const std::vector<CameraRecord>& records, const LanSnapshot* lan,
                             ListFormat format);

}  // namespace pelmora
