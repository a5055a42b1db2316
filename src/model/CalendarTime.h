#pragma once
// Normalising a camera clock as the PC's local calendar time (out-of-range fields carry over;
// weekday and day of the year are recomputed).

#include "model/CameraRecord.h"

namespace pelmora {

// `daylightSaving` of the input is passed to mktime as the hint; −1 lets the C library decide.
void normaliseLocal(CameraClock& clock);

// With TZ unset, the C library re-examines /etc/localtime on every mktime call, which makes
// each information reply several times dearer. Naming that file in TZ once (when TZ is unset)
// keeps the same zone and reads it once. Call at the start of main, before any thread exists.
void pinLocalTimeZone();

}  // namespace pelmora
