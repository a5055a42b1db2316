#pragma once
// One camera as a line of text, as the Network list copies its rows to the clipboard.

#include <string>

#include "model/CameraRecord.h"

namespace pelmora {

// "MAC DHCP lease port model serial version\r\n" for a DHCP camera, "MAC FIXED address port
// model serial version\r\n" for one with a fixed address; empty for a record without a MAC.
// Texts are the camera's bytes, unconverted.
std::string cameraRowText(const CameraRecord& record);

}  // namespace pelmora
