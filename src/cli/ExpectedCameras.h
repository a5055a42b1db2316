#pragma once
// discover --expect: the cameras found marked against a list saved on an earlier visit ("new",
// "changed" among their problems, the old value in the notes), and the expected cameras that did
// not answer listed after them as "missing".

#include <string>

#include "diff/ExpectedCameras.h"
#include "listing/OnvifListing.h"

namespace pelmora {

// Marks each camera's notes (ours, then the ONVIF ones) and returns the comparison.
ExpectedComparison markExpected(ListedCameras& cameras, const CameraList& expected);

enum class ListingFormat { Table, Json, Csv };

// `listing`, as discover printed it, with a row for each missing camera after the others: its
// MAC, model and address as the saved list had them, "missing" its problem.
std::string withMissingCameras(const std::string& listing, const ListedCameras& cameras,
                               const ExpectedComparison& comparison, ListingFormat format,
                               bool onvif);

}  // namespace pelmora
