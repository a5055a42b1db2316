#pragma once
// Normalising a camera clock as the PC's local calendar time (out-of-range fields carry over;
// weekday and day of the year are recomputed).

#include "model/CameraRecord.h"

namespace pelmora {

// `daylightSaving` of the input is passed to mktime as the hint; −1 lets the C library decide.
void normaliseLocal(CameraClock& clock);

}  // namespace pelmora
