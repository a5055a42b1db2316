#include "lan/LanSnapshot.h"

#include <algorithm>
#include <cctype>

namespace pelmora {
namespace {

bool containsIgnoringCase(std::string_view haystack, std::string_view needle) {
    const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != haystack.end();
}

}  // namespace

LanSnapshot::LanSnapshot(std::vector<CameraAddressing> cameras,
                         std::vector<LocalInterface> interfaces)
    : cameras_(std::move(cameras)), interfaces_(std::move(interfaces)) {
    diagnoses_ = diagnoseCameras(cameras_, interfaces_);
    byMac_.reserve(cameras_.size());
    for (std::size_t i = 0; i < cameras_.size(); ++i) {
        byMac_.try_emplace(cameras_[i].mac, i);
    }
}

const CameraDiagnosis* LanSnapshot::find(std::string_view mac) const {
    const auto it = byMac_.find(mac);
    return it == byMac_.end() ? nullptr : &diagnoses_[it->second];
}

const CameraAddressing* LanSnapshot::addressingOf(std::string_view mac) const {
    const auto it = byMac_.find(mac);
    return it == byMac_.end() ? nullptr : &cameras_[it->second];
}

std::string LanSnapshot::problemText(std::string_view mac) const {
    const auto it = byMac_.find(mac);
    if (it == byMac_.end() || diagnoses_[it->second].problems == 0) {
        return {};
    }
    std::string text;
    for (const auto& sentence :
         problemSentences(cameras_[it->second], diagnoses_[it->second], interfaces_)) {
        text += (text.empty() ? "" : "\n") + sentence;
    }
    return text;
}

int LanSnapshot::camerasWith(Problem problem) const {
    return static_cast<int>(
        std::count_if(diagnoses_.begin(), diagnoses_.end(),
                      [problem](const auto& d) { return d.problems & problem; }));
}

bool CameraFilter::admits(std::string_view mac, std::string_view address, std::string_view model,
                          std::string_view serial, const CameraDiagnosis* diagnosis) const {
    if (problemsOnly && (diagnosis == nullptr || diagnosis->problems == 0)) {
        return false;
    }
    if (text.empty()) {
        return true;
    }
    return containsIgnoringCase(mac, text) || containsIgnoringCase(address, text) ||
           containsIgnoringCase(model, text) || containsIgnoringCase(serial, text);
}

}  // namespace pelmora
