#pragma once
// What a plan's row means for one camera: the Network page's form as the camera fills it now and
// as the row would leave it, and whether two such forms ask for the same thing.

#include "model/CameraRecord.h"
#include "plan/PlanRow.h"
#include "settings/network/NetworkSettings.h"

namespace pelmora {

// The Network page's form as it would be filled from this record.
NetworkSettings currentSettings(const CameraRecord& record);
// The current settings with the row's columns put in their place. A fixed address always goes
// with manual DNS, as on the page; servers the row does not set are those the camera reports,
// even when it obtained them automatically.
NetworkSettings plannedSettings(const CameraRecord& record, const PlanRow& row);
// Whether a camera holding `a` would hold `b`: the same request would be sent for both.
bool sameSettings(const NetworkSettings& a, const NetworkSettings& b);
// Whether a camera reporting `reported` holds `planned`. With DHCP the lease decides the
// gateway, so the gateway is not compared.
bool reportsPlanned(const NetworkSettings& reported, const NetworkSettings& planned);

}  // namespace pelmora
