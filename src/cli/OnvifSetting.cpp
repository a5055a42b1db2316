#include "cli/OnvifSetting.h"

#include <algorithm>

#include "changelog/ChangeJournal.h"
#include "changelog/OnvifRecording.h"
#include "changelog/StateDirectory.h"
#include "cli/OnvifSearch.h"
#include "cli/StandardStreams.h"
#include "listing/OnvifListing.h"
#include "onvif/AddressVerification.h"
#include "onvif/OnvifSetter.h"
#include "onvif/ProbeTargets.h"
#include "onvif/XmlText.h"

namespace pelmora {

std::string utf8FromLatin1(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

CLI::Validator probeListValidator() {
    return CLI::Validator(
        [](const std::string& list) {
            std::string error;
            return onvif::parseProbeTargets(list, &error) ? std::string{} : error;
        },
        "");
}

void addOnvifCommandOptions(CLI::App* command, OnvifCommandOptions& values,
                            const std::string& help) {
    command->add_flag("--onvif", values.onvif, help);
    auto* probe = command
                      ->add_option("--onvif-probe", values.probeList,
                                   "Also probe these IPv4 addresses and CIDR ranges for the "
                                   "ONVIF camera (cameras on routed subnets): comma-separated, "
                                   "at most 4096 addresses. Implies --onvif")
                      ->type_name("LIST")
                      ->check(probeListValidator());
    auto* port = command
                     ->add_option("--onvif-port", values.port,
                                  "UDP port the ONVIF probes go to (default 3702). Implies --onvif")
                     ->check(CLI::Range(1, 65535))
                     ->type_name("PORT");
    for (auto* option : {probe, port}) {
        option->each([&values](const std::string&) { values.onvif = true; });
    }
}

OnvifSettingOptions onvifSettingOptions(const OnvifCommandOptions& values,
                                        const CommandLine& line) {
    OnvifSettingOptions options;
    options.discovery.port = static_cast<std::uint16_t>(values.port);
    if (!values.probeList.empty()) {
        std::string error;
        options.discovery.directed = onvif::parseProbeTargets(values.probeList, &error).value();
    }
    options.credentials = {utf8FromLatin1(line.user()), utf8FromLatin1(line.password())};
    options.dryRun = line.dryRun();
    return options;
}

namespace {

// What one camera's exchange came to, in the words of the command that asked.
void say(std::FILE* out, OnvifLineStyle style, const MacAddress& mac, const std::string& words) {
    if (style == OnvifLineStyle::Setting) {
        writeOutput(out, words + "\n");
        return;
    }
    // set-time's words: "OK", "NG", "No Response", "Not Sent", after the MAC; a camera's own
    // refusal text goes to standard error.
    std::string shortWords = words;
    if (words == "Setting OK") {
        shortWords = "OK";
    } else if (words != "No Response" && words != "Not Sent") {
        if (words != "Setting NG") {
            std::fprintf(stderr, "Warning: %s: %s\n", mac.text().c_str(), words.c_str());
        }
        shortWords = "NG";
    }
    writeOutput(out, mac.text() + " " + shortWords + "\n");
}

}  // namespace

std::vector<onvif::OnvifCamera> findOnvifCameras(const OnvifSettingOptions& options) {
    OnvifSearchOptions search;
    search.discovery = options.discovery;
    search.credentials = options.credentials;
    return OnvifSearch(search, options.wait).finish();
}

int settleOnvifCamera(const OnvifSettingOptions& options,
                      const std::vector<onvif::OnvifCamera>& cameras, const MacAddress& mac,
                      const OnvifRequestBuilder& build, std::FILE* out, OnvifLineStyle style) {
    const auto camera = std::find_if(cameras.begin(), cameras.end(),
                                     [&](const onvif::OnvifCamera& c) { return c.mac == mac; });
    if (camera == cameras.end()) {
        // A camera that refused the credentials keeps its MAC to itself: it may be this one.
        const auto refused = std::count_if(cameras.begin(), cameras.end(), [](const auto& c) {
            return c.access == onvif::Access::CredentialsRefused;
        });
        std::fprintf(stderr, "Warning: no ONVIF camera with MAC %s was found and read%s\n",
                     mac.text().c_str(),
                     refused == 0
                         ? ""
                         : (" (" + std::to_string(refused) +
                            (refused == 1 ? " camera" : " cameras") + " refused the credentials)")
                               .c_str());
        say(out, style, mac, "No Response");
        return 1;
    }
    std::string error;
    const auto requests = build(*camera, cameras, &error);
    if (!requests) {
        writeOutput(out, error + "\n");
        return 1;
    }
    if (options.dryRun) {
        std::string line = "Would send to " + mac.text() + " (ONVIF, " +
                           onvif::printableUtf8(camera->serviceAddress) + "):";
        for (const auto& request : *requests) {
            line += " " + std::string(onvif::operationName(request.operation));
        }
        writeOutput(out, line + (requests->empty() ? " nothing, it has these settings\n" : "\n"));
        return 0;
    }
    onvif::OnvifSetter setter(camera->serviceAddress, options.credentials);
    if (camera->clockOffset) {
        setter.setClockOffset(*camera->clockOffset);
    }
    const auto confirmed = setter.confirmDevice(mac);
    if (confirmed.outcome == onvif::SettingOutcome::WrongDevice) {
        std::fprintf(stderr, "Warning: %s\n", confirmed.words.c_str());
        say(out, style, mac, "Not Sent");
        return 1;
    }
    if (confirmed.outcome != onvif::SettingOutcome::Accepted) {
        say(out, style, mac, confirmed.words);
        return 1;
    }
    ChangeJournal journal(
        "pelmora-cli", ChangeLogFile(stateDirectory()), [](const std::string& reason) {
            std::fprintf(stderr, "pelmora-cli: change log not written: %s\n", reason.c_str());
        });
    const auto result =
        sendRecorded(setter, &journal, *camera, options.action, options.settings, *requests);
    say(out, style, mac, result.words);
    if (result.outcome != onvif::SettingOutcome::Accepted) {
        return 1;
    }
    if (result.rebootNeeded) {
        // Its new addressing takes effect only after a restart: nothing to look for yet.
        std::fprintf(stderr,
                     "Note: the camera must restart to use its new settings; reboot %s --onvif "
                     "restarts it\n",
                     mac.text().c_str());
        return 0;
    }
    const auto moved = options.movedTo ? options.movedTo(*camera) : std::nullopt;
    if (!moved) {
        return 0;
    }
    const bool verified = onvif::verifyAtAddress(*moved, mac, options.credentials,
                                                 options.discovery.port, options.verifyTimeout);
    writeOutput(out, verified ? "verified\n" : "not confirmed\n");
    return verified ? 0 : 1;
}

int runOnvifSetting(const OnvifSettingOptions& options, const MacAddress& mac,
                    const OnvifRequestBuilder& build, std::FILE* out) {
    return settleOnvifCamera(options, findOnvifCameras(options), mac, build, out,
                             OnvifLineStyle::Setting);
}

}  // namespace pelmora
