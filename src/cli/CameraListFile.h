#pragma once
// A list of cameras saved earlier (discover --json or --csv, or the window's export), read from
// its file; what went wrong goes to standard error.

#include <optional>
#include <string>

#include "diff/CameraListDiff.h"

namespace pelmora {

std::optional<CameraList> readListFile(const std::string& path);

}  // namespace pelmora
