#pragma once
// The cameras expected at a site, as a list saved on an earlier visit, against those that answer
// now: which expected ones are missing, which answering ones are new, and which changed their
// address or model since. Cameras are matched by MAC, in any case and either separator.

#include <span>
#include <string>
#include <vector>

#include "diff/CameraListDiff.h"
#include "model/CameraRecord.h"

namespace pelmora {

// One camera that answered, as the comparison needs it.
struct AnsweringCamera {
    std::string mac;
    std::string ipAddress;
    std::string model;
};

// One of our cameras as the saved lists have it (its model as UTF-8).
AnsweringCamera answeringCameraOf(const CameraRecord& record);

struct ExpectedComparison {
    // The saved list's cameras that did not answer, in its order; they point into that list.
    std::vector<const ListedCamera*> missing;
    // One per answering camera, in its order: "" when it is as expected, "new" when the saved
    // list lacks it, "changed: address was 192.168.0.12" (and/or "model was …") when it differs.
    std::vector<std::string> marks;

    bool allAsExpected() const;
};

ExpectedComparison compareWithExpected(const CameraList& expected,
                                       std::span<const AnsweringCamera> answering);

// The problem word of a mark: "new", "changed", or "" for none.
std::string_view markWord(const std::string& mark);
// What the person reads for a mark: "new: not on the saved list", or the change itself.
std::string markSentence(const std::string& mark);
// What the person reads for a missing camera: "missing: last seen at 192.168.0.12".
std::string missingSentence(const ListedCamera& camera);

}  // namespace pelmora
