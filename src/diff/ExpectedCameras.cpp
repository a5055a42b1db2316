#include "diff/ExpectedCameras.h"

#include <algorithm>
#include <unordered_map>

#include "listing/CameraListing.h"
#include "model/FixedText.h"
#include "protocol/MacAddress.h"

namespace pelmora {
namespace {

// The one spelling both sides are compared in.
std::string macKeyOf(const std::string& mac) {
    const auto parsed = MacAddress::parse(mac);
    return parsed ? parsed->text() : mac;
}

}  // namespace

// The texts as the lists write them (the window's rewrite runs this for every camera, so no
// whole JSON object is built for it).
AnsweringCamera answeringCameraOf(const CameraRecord& record) {
    return {latin1ToUtf8(fieldText(record.mac)), formatIpv4(record.ipAddress),
            latin1ToUtf8(fieldText(record.model))};
}

bool ExpectedComparison::allAsExpected() const {
    return missing.empty() &&
           std::all_of(marks.begin(), marks.end(), [](const std::string& m) { return m.empty(); });
}

ExpectedComparison compareWithExpected(const CameraList& expected,
                                       std::span<const AnsweringCamera> answering) {
    std::unordered_map<std::string, const ListedCamera*> saved;
    saved.reserve(expected.cameras.size());
    for (const auto& camera : expected.cameras) {
        saved.emplace(macKeyOf(camera.mac), &camera);
    }
    ExpectedComparison comparison;
    comparison.marks.reserve(answering.size());
    std::unordered_map<std::string, bool> answered;
    answered.reserve(answering.size());
    for (const auto& camera : answering) {
        const auto key = macKeyOf(camera.mac);
        answered.emplace(key, true);
        const auto found = saved.find(key);
        if (found == saved.end()) {
            comparison.marks.emplace_back("new");
            continue;
        }
        std::string changes;
        const auto was = [&](const char* what, const std::string& before, const std::string& now) {
            if (before != now) {
                changes += (changes.empty() ? "changed: " : ", ") + std::string(what) + " was " +
                           (before.empty() ? std::string("none") : before);
            }
        };
        was("address", found->second->field("ipAddress"), camera.ipAddress);
        was("model", found->second->field("model"), camera.model);
        comparison.marks.push_back(std::move(changes));
    }
    for (const auto& camera : expected.cameras) {
        if (!answered.contains(macKeyOf(camera.mac))) {
            comparison.missing.push_back(&camera);
        }
    }
    return comparison;
}

std::string_view markWord(const std::string& mark) {
    if (mark == "new") {
        return "new";
    }
    return mark.empty() ? std::string_view{} : std::string_view{"changed"};
}

std::string markSentence(const std::string& mark) {
    return mark == "new" ? "new: not on the saved list" : mark;
}

std::string missingSentence(const ListedCamera& camera) {
    const auto address = camera.field("ipAddress");
    return "missing: last seen at " + (address.empty() ? std::string("no address") : address);
}

}  // namespace pelmora
