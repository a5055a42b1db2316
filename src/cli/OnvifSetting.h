#pragma once
// The setting commands' --onvif: the camera is found among the ONVIF cameras that answer a
// probe (multicast, and directed to --onvif-probe's addresses), read with the credentials
// given, its requests built from what was read, the device at its service address confirmed by
// MAC, and the requests sent. One line as the other setting commands print: "Setting OK", the
// camera's fault text or "Setting NG", "No Response", or "Not Sent" when the device at the
// address is another (which standard error names).

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/CommandLine.h"
#include "onvif/DeviceSettings.h"
#include "onvif/OnvifDiscovery.h"
#include "onvif/SoapTransfer.h"
#include "protocol/MacAddress.h"

namespace pelmora {

struct OnvifSettingOptions {
    onvif::OnvifDiscoveryOptions discovery;
    onvif::HttpDigest credentials;
    std::chrono::milliseconds wait{2000};
    bool dryRun = false;
    // The fixed address the change moves the camera to, if any: once the camera took the change
    // it is looked for there, for at most `verifyTimeout`, and a second line says "verified" or
    // "not confirmed".
    std::function<std::optional<Ipv4>(const onvif::OnvifCamera&)> movedTo;
    std::chrono::milliseconds verifyTimeout{60000};
    // What the change log records of the change: "network", "reboot" or "datetime", and the
    // settings under a camera record's keys.
    std::string action;
    nlohmann::ordered_json settings = nlohmann::ordered_json::object();
};

// The requests for the camera as read (`found`: every ONVIF camera found with it); nothing,
// with the reason, when they cannot be built.
using OnvifRequestBuilder = std::function<std::optional<std::vector<onvif::SettingRequest>>(
    const onvif::OnvifCamera& camera, const std::vector<onvif::OnvifCamera>& found,
    std::string* error)>;

// The ONVIF cameras that answer, each read with the credentials.
std::vector<onvif::OnvifCamera> findOnvifCameras(const OnvifSettingOptions& options);

// How a camera's result is printed: the setting commands' one line ("Setting OK"), or set-time's
// "MAC OK" (the camera's own refusal text then on standard error).
enum class OnvifLineStyle { Setting, PerCamera };

// The camera `mac` among `cameras`: its requests built, the device confirmed, the requests sent,
// the result printed; the exit code as below.
int settleOnvifCamera(const OnvifSettingOptions& options,
                      const std::vector<onvif::OnvifCamera>& cameras, const MacAddress& mac,
                      const OnvifRequestBuilder& build, std::FILE* out, OnvifLineStyle style);

// Returns the exit code: 0 when the camera took every request (or a dry run) and, when it moved,
// was found at its new address; 1 otherwise.
int runOnvifSetting(const OnvifSettingOptions& options, const MacAddress& mac,
                    const OnvifRequestBuilder& build, std::FILE* out);

// A setting command's --onvif, --onvif-probe LIST and --onvif-port PORT (either of the last two
// implies --onvif).
struct OnvifCommandOptions {
    bool onvif = false;
    std::string probeList;
    int port = onvif::kDiscoveryPort;
};
// A list of addresses and CIDR ranges to probe, as parseProbeTargets reads it; its refusal in
// the parser's words.
CLI::Validator probeListValidator();

void addOnvifCommandOptions(CLI::App* command, OnvifCommandOptions& values,
                            const std::string& help);
// With the command line's credentials and --dry-run.
OnvifSettingOptions onvifSettingOptions(const OnvifCommandOptions& values, const CommandLine& line);

// The credentials as the setting commands read them (8-bit text) for an ONVIF camera, which
// takes them in UTF-8.
std::string utf8FromLatin1(std::string_view text);

}  // namespace pelmora
