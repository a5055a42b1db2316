#pragma once
// How the command-line tool prints the listed cameras: a readable table, or JSON whose keys are
// the record's field names. Camera text is untrusted bytes, read as Latin-1.

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/CameraRecord.h"

namespace pelmora {

// Each byte as the character of the same code, in UTF-8.
std::string latin1ToUtf8(std::string_view bytes);

// Latin-1 text safe for a terminal: control characters (which could steer the terminal) become
// "?".
std::string printableText(std::string_view bytes);

nlohmann::ordered_json cameraToJson(const CameraRecord& record);
std::string formatCameraJson(const std::vector<CameraRecord>& records);
std::string formatCameraTable(const std::vector<CameraRecord>& records);

}  // namespace pelmora
