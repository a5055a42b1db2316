#pragma once
// Applying the keys of one information reply to a camera's record.

#include <string_view>

#include "model/CameraRecord.h"

namespace pelmora {

// Rewrites every field that the reply's keys govern (MAC excepted: the table chose the record
// by it), including the defaults for absent keys. Does not touch `age` or `dateTimeMark`.
void applyInfoReply(CameraRecord& record, std::string_view text);

}  // namespace pelmora
