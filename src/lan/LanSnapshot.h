#pragma once
// The LAN as the window last diagnosed it: this PC's interfaces, the listed cameras' addressing
// and each one's diagnosis, found by MAC, and the cameras of other kinds (ONVIF) diagnosed with
// them. Rebuilt by the main window as the list changes and read by every page's grid rewrite.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lan/LanDiagnosis.h"

namespace pelmora {

class LanSnapshot {
  public:
    LanSnapshot() = default;
    LanSnapshot(std::vector<CameraAddressing> cameras, std::vector<LocalInterface> interfaces,
                std::vector<OtherCamera> others = {});
    // The MAC index points into the snapshot's own strings: it moves, it is not copied.
    LanSnapshot(const LanSnapshot&) = delete;
    LanSnapshot& operator=(const LanSnapshot&) = delete;
    LanSnapshot(LanSnapshot&&) = default;
    LanSnapshot& operator=(LanSnapshot&&) = default;

    // The camera's diagnosis, or null when it was not listed at the last diagnosis.
    const CameraDiagnosis* find(std::string_view mac) const;
    const CameraAddressing* addressingOf(std::string_view mac) const;
    // What is wrong with the camera in words, one sentence a line; empty when nothing is.
    std::string problemText(std::string_view mac) const;

    // Listed cameras with each problem, for the status bar: a camera of another kind too,
    // unless it is one of ours answering both protocols and counted already.
    int camerasWith(Problem problem) const;

    const std::vector<LocalInterface>& interfaces() const { return interfaces_; }
    const std::vector<CameraAddressing>& cameras() const { return cameras_; }

    // The cameras of other kinds, in the order given, and the diagnosis of each.
    const std::vector<OtherCamera>& others() const { return others_; }
    const CameraDiagnosis& otherDiagnosis(std::size_t index) const {
        return otherDiagnoses_.at(index);
    }
    std::string otherProblemText(std::size_t index) const;
    // Every address another kind of camera reported or answered from: none of them is free.
    std::vector<Ipv4> otherAddresses() const;

  private:
    std::vector<CameraAddressing> cameras_;
    std::vector<LocalInterface> interfaces_;
    std::vector<CameraDiagnosis> diagnoses_;
    std::vector<OtherCamera> others_;
    std::vector<CameraDiagnosis> otherDiagnoses_;
    std::unordered_map<std::string_view, std::size_t> byMac_;
};

// The filter above the grids: text found in a camera's MAC, address, model or serial (without
// regard to case), and whether only cameras with a problem are listed.
struct CameraFilter {
    std::string text;
    bool problemsOnly = false;

    bool isEmpty() const { return text.empty() && !problemsOnly; }
    // `address` is the address column's text ("DHCP" or the dotted address).
    bool admits(std::string_view mac, std::string_view address, std::string_view model,
                std::string_view serial, const CameraDiagnosis* diagnosis) const;
    // The same over any texts: one that holds the filter's text lets the camera in.
    bool admitsTexts(std::span<const std::string> texts, bool hasProblem) const;
};

}  // namespace pelmora
