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
                         std::vector<LocalInterface> interfaces, std::vector<OtherCamera> others)
    : cameras_(std::move(cameras)), interfaces_(std::move(interfaces)), others_(std::move(others)) {
    auto diagnoses = diagnoseLan(cameras_, others_, interfaces_);
    diagnoses_ = std::move(diagnoses.ours);
    otherDiagnoses_ = std::move(diagnoses.others);
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

namespace {

std::string sentencesOf(const CameraAddressing& camera, const CameraDiagnosis& diagnosis,
                        std::span<const LocalInterface> interfaces) {
    std::string text;
    if (diagnosis.problems != 0) {
        for (const auto& sentence : problemSentences(camera, diagnosis, interfaces)) {
            text += (text.empty() ? "" : "\n") + sentence;
        }
    }
    return text;
}

}  // namespace

std::string LanSnapshot::problemText(std::string_view mac) const {
    const auto it = byMac_.find(mac);
    return it == byMac_.end()
               ? std::string{}
               : sentencesOf(cameras_[it->second], diagnoses_[it->second], interfaces_);
}

std::string LanSnapshot::otherProblemText(std::size_t index) const {
    return sentencesOf(others_.at(index).addressing, otherDiagnoses_.at(index), interfaces_);
}

std::vector<Ipv4> LanSnapshot::otherAddresses() const {
    std::vector<Ipv4> addresses;
    for (const auto& other : others_) {
        for (const Ipv4& address : {other.addressing.ipAddress, other.answeredFrom}) {
            if (address != Ipv4{}) {
                addresses.push_back(address);
            }
        }
    }
    return addresses;
}

int LanSnapshot::camerasWith(Problem problem) const {
    auto count = std::count_if(diagnoses_.begin(), diagnoses_.end(),
                               [problem](const auto& d) { return d.problems & problem; });
    // A camera that answers both protocols is one camera, counted once.
    for (std::size_t i = 0; i < others_.size(); ++i) {
        const CameraDiagnosis* ours = find(others_[i].addressing.mac);
        count += (otherDiagnoses_[i].problems & problem) != 0 &&
                 (ours == nullptr || (ours->problems & problem) == 0);
    }
    return static_cast<int>(count);
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

bool CameraFilter::admitsTexts(std::span<const std::string> texts, bool hasProblem) const {
    if (problemsOnly && !hasProblem) {
        return false;
    }
    return text.empty() || std::any_of(texts.begin(), texts.end(), [this](const auto& t) {
               return containsIgnoringCase(t, text);
           });
}

}  // namespace pelmora
