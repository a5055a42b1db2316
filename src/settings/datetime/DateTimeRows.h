#pragma once
// The Date time grid without its window: one row per listed camera, keyed by the record's index
// in the table (column 4), showing the camera's own clock year first.

#include <string>
#include <vector>

#include "model/CameraRecord.h"

namespace pelmora {

// Columns: the row mark, the address (" (DHCP)" after a DHCP camera's), model, the camera's
// clock as "20YY-M-D  h:MM:SS", the table index.
std::vector<std::string> dateTimeRowCells(const CameraRecord& record, int index);

}  // namespace pelmora
