#pragma once
// The command line of the simulated standards-based cameras (--onvif and its companions): how
// many, how they misbehave, and what they report, checked against the own cameras' options.

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "simulator/OnvifCameraFactory.h"
#include "simulator/OnvifService.h"

namespace pelmora::sim {

struct OnvifCommandLine {
    OnvifFleetOptions fleet;
    OnvifServiceOptions service;
    int slowMs = 2000;
    // As typed, turned into the fleet's options by finish().
    std::vector<std::string> clockOffsets;
    std::vector<std::string> addresses;
};

void addOnvifOptions(CLI::App& app, OnvifCommandLine& line);

// Checks what only the whole command line can tell, and completes the options; throws
// CLI::ValidationError. `ownCameras` and `macPrefix` are the own cameras' options.
void finishOnvifOptions(OnvifCommandLine& line, int ownCameras, const std::string& macPrefix);

}  // namespace pelmora::sim
