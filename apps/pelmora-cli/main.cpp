// pelmora-cli: the camera set-up tool without a window.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "cli/DiscoverCommand.h"
#include "cli/SettingCommand.h"
#include "model/CalendarTime.h"
#include "pages/PageRules.h"
#include "pages/bandwidth/BandwidthForm.h"

namespace {

// Text that goes into a datagram field: the framing bytes cannot be part of it.
std::string checkFieldText(const std::string& text) {
    for (const char c : text) {
        if (c == '\0' || c == '\x02' || c == '\x03' || c == '\xFF') {
            return "must not contain control bytes 0x00, 0x02, 0x03 or 0xFF";
        }
    }
    return {};
}

struct Credentials {
    std::string user;
    std::string password;
};

void addCredentialOptions(CLI::App* command, Credentials& credentials) {
    const auto length = CLI::Validator(
        [](const std::string& text) {
            return text.size() >= pelmora::kMinCredentialLength &&
                           text.size() <= static_cast<std::size_t>(pelmora::kMaxCredentialLength)
                       ? std::string{}
                       : std::string("must be 4 to 16 characters");
        },
        "4-16 CHARS");
    command->add_option("--user", credentials.user, "Administrator name of the camera")
        ->required()
        ->check(length)
        ->check(CLI::Validator(checkFieldText, ""));
    command->add_option("--password", credentials.password, "Administrator password")
        ->required()
        ->check(length)
        ->check(CLI::Validator(checkFieldText, ""));
}

void addTargetOption(CLI::App* command, std::string& target) {
    command->add_option("--target", target,
                        "Send to HOST[:PORT] instead of broadcasting to 255.255.255.255:2380");
}

}  // namespace

int main(int argc, char** argv) {
    pelmora::pinLocalTimeZone();
    CLI::App app{
        "Pelmora command-line tool: finds network cameras on the LAN and changes their "
        "settings, without a window."};
    app.require_subcommand(1);
    std::string target;

    pelmora::DiscoverOptions discover;
    double waitSeconds = 3.0;
    auto* discoverCommand = app.add_subcommand(
        "discover",
        "Broadcast the discovery enquiry (at once and every 5 s), collect the replies for the "
        "given time, then print the cameras found, in table order.");
    discoverCommand->add_option("--wait", waitSeconds, "Seconds to listen (default 3)")
        ->check(CLI::Range(0.1, 3600.0));
    discoverCommand->add_flag("--json", discover.json,
                              "Print one JSON array, one object per camera");
    addTargetOption(discoverCommand, target);

    std::string mac;
    std::string band;
    Credentials credentials;
    auto* bandwidthCommand = app.add_subcommand(
        "set-bandwidth",
        "Set one camera's bandwidth limit. Prints the camera's answer (\"Setting OK\", "
        "\"Setting NG\" or its own message) or \"No Response\" after about 10 s; exits 0 only "
        "when the camera accepted.");
    bandwidthCommand->add_option("MAC", mac, "The camera's MAC address, as discover prints it")
        ->required()
        ->check(CLI::Validator(checkFieldText, ""));
    bandwidthCommand
        ->add_option("VALUE", band,
                     "The limit as the camera lists it (discover --json, \"bandElements\"), "
                     "for example 2.0, or \"unlimited\"")
        ->required()
        ->check(CLI::Validator(checkFieldText, ""));
    addCredentialOptions(bandwidthCommand, credentials);
    addTargetOption(bandwidthCommand, target);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help prints and succeeds; any other parse error is a usage error.
        return app.exit(e) == 0 ? 0 : 2;
    }

    auto sendTarget = pelmora::SendTarget::broadcast();
    if (!target.empty()) {
        std::string error;
        const auto parsed = pelmora::parseTarget(target, &error);
        if (!parsed) {
            std::fprintf(stderr, "--target: %s\n", error.c_str());
            return 2;
        }
        sendTarget = *parsed;
    }
    if (discoverCommand->parsed()) {
        discover.target = sendTarget;
        discover.wait = std::chrono::milliseconds(static_cast<long>(waitSeconds * 1000));
        return pelmora::runDiscover(discover, stdout);
    }
    const auto request =
        pelmora::buildBandwidthRequest(mac, credentials.user, credentials.password, band);
    return pelmora::runSettingCommand({sendTarget, mac, request}, stdout);
}
