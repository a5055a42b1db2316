// pelmora-sim: answers the setup protocol for N simulated cameras on one UDP socket, and, with
// --onvif, serves simulated standards-based cameras beside them.

#include <CLI/CLI.hpp>
#include <clocale>
#include <csignal>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "OnvifOptions.h"
#include "protocol/Latin1Text.h"
#include "protocol/Wire.h"
#include "simulator/CameraFactory.h"
#include "simulator/CameraFleet.h"
#include "simulator/OnvifService.h"
#include "simulator/ShutdownSignals.h"
#include "simulator/SimServer.h"

namespace {

constexpr int kUsageError = 2;

// A text argument is read in the locale's encoding and held as the cameras' 8-bit text, the
// bytes the tools send for the same characters and a camera's own text is written in.
CLI::Validator cameraText() {
    return CLI::Validator(
        [](std::string& text) {
            std::string error;
            const auto converted = pelmora::latin1FromLocale(text, &error);
            if (!converted) {
                return error;
            }
            text = *converted;
            return std::string();
        },
        "");
}

// A refusal's text must fit a datagram and must not contain the field terminator.
std::string checkRefuseMessage(const std::string& text) {
    if (text.find(pelmora::fieldTerminator) != std::string::npos) {
        return "the message text must not contain the byte 0xFF";
    }
    if (text.size() > pelmora::kMaxDatagram - 25) {
        return "the message text must be at most " + std::to_string(pelmora::kMaxDatagram - 25) +
               " bytes";
    }
    return {};
}

std::string checkAddressing(const std::string& text) {
    return pelmora::sim::parseFixedAddressing(text) ? std::string{}
                                                    : "expected IP/MASK or IP/MASK/GATEWAY";
}

std::string checkMacPrefix(const std::string& text) {
    return pelmora::sim::isValidMacPrefix(text) ? std::string{}
                                                : "expected three hex octets like 02:50:4D";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace pelmora::sim;
    // Text arguments are read in the locale's encoding (LC_CTYPE).
    std::setlocale(LC_CTYPE, "");
    FleetOptions fleetOptions;
    ServerOptions serverOptions;
    std::optional<std::string> refuseMessage;
    int rebootSeconds = 10;
    int networkSilenceSeconds = 0;
    std::vector<std::string> addresses;
    OnvifCommandLine onvif;

    CLI::App app{
        "Simulated network cameras for the Pelmora set-up tool. All cameras share one UDP socket; "
        "each answers the discovery enquiry with its information reply and answers setting "
        "requests addressed to its MAC. Replies go only to the sender of the datagram being "
        "answered. Once bound it prints one line, \"pelmora-sim ready on ADDRESS:PORT with N "
        "cameras\" (with --onvif followed by \" and M ONVIF cameras, WS-Discovery on "
        "ADDRESS:PORT\"), and it exits with status 0 on SIGINT or SIGTERM.",
        "pelmora-sim"};
    app.footer(
        "Setting requests: one that carries IDPASS: must hold Base64 of NAME:PASSWORD; one "
        "without it is accepted only when it sets nothing but the date and time. SETBAND: must "
        "be one of the camera's own bandwidth values. A refused request changes nothing.\n\n"
        "Text arguments (--user, --password, --refuse-message) are read in the locale's "
        "encoding (UTF-8 in the C locale) and held, and sent, as the cameras' 8-bit Latin-1 "
        "text; one with a character past U+00FF is refused.\n\n"
        "Fault modes (--garbage, --flood, --stray-acks) send to the sender of the latest "
        "discovery enquiry, never anywhere else, from the first enquiry on, paced at RATE "
        "datagrams a second each, for --duration seconds.\n\n"
        "ONVIF cameras (--onvif) answer WS-Discovery probes of either version, each with its own "
        "ProbeMatches sent twice, to the prober only. Their device services answer "
        "GetSystemDateAndTime, GetServices and GetCapabilities to anyone, and "
        "GetDeviceInformation, GetNetworkInterfaces, "
        "GetNetworkDefaultGateway, GetDNS, GetNetworkProtocols and GetScopes only with a "
        "WS-Security password digest (a wrong one: HTTP 400 and the fault ter:NotAuthorized) or "
        "HTTP Digest (none or a wrong one: HTTP 401 and a Digest challenge).");
    app.set_version_flag("--version", "pelmora-sim " PELMORA_VERSION, "Print the version and exit");
    app.option_defaults()->always_capture_default();
    app.add_option("--cameras", fleetOptions.cameraCount,
                   "Number of simulated cameras (1 to 1024; 0 with a fault mode or --onvif: only "
                   "those)")
        ->type_name("N")
        ->check(CLI::Range(0, kMaxCameras).description(""));
    app.add_option("--bind", serverOptions.bindAddress, "IPv4 address to bind the socket to")
        ->type_name("ADDRESS")
        ->check(CLI::ValidIPV4.description(""));
    app.add_option("--port", serverOptions.port, "UDP port to bind; 0 lets the system choose")
        ->type_name("PORT");
    app.add_option("--mac-prefix", fleetOptions.macPrefix,
                   "First three octets of every MAC; camera i (from 0) ends in i + 1 as three "
                   "octets, so the first is PREFIX:00:00:01")
        ->type_name("HH:HH:HH")
        ->check(CLI::Validator(checkMacPrefix, ""));
    app.add_option("--user", fleetOptions.policy.adminName, "Administrator name of every camera")
        ->type_name("NAME")
        ->transform(cameraText());
    app.add_option("--password", fleetOptions.policy.adminPassword,
                   "Administrator password of every camera")
        ->type_name("TEXT")
        ->transform(cameraText());
    auto* jitter =
        app.add_option("--jitter-ms", serverOptions.jitterMs,
                       "Delay each camera's reply to an enquiry by a random 0 to J milliseconds "
                       "(at most 60000)")
            ->type_name("J")
            ->check(CLI::Range(0, 60000).description(""));
    app.add_flag("--burst", serverOptions.burst,
                 "Answer each enquiry with all replies back to back, sent with sendmmsg in "
                 "batches of 64, as fast as possible")
        ->excludes(jitter);
    app.add_option("--silent-settings", fleetOptions.silentCameras,
                   "The first K cameras (the K lowest MACs) never answer setting requests; they "
                   "still answer enquiries")
        ->type_name("K")
        ->check(CLI::Range(0, kMaxCameras).description(""));
    app.add_option("--refusing-cameras", fleetOptions.refusingCameras,
                   "The last K cameras (the K highest MACs) refuse every setting request, with "
                   "the --refuse-message text if one is given")
        ->type_name("K")
        ->check(CLI::Range(0, kMaxCameras).description(""));
    app.add_option("--refuse-message", refuseMessage,
                   "Message text carried by every refusal, also those for wrong credentials or "
                   "bad values (default: none, a bare 24-byte refusal)")
        ->type_name("TEXT")
        ->transform(cameraText())
        ->check(CLI::Validator(checkRefuseMessage, ""));
    app.add_option("--reboot-seconds", rebootSeconds,
                   "After acknowledging a reboot request a camera answers nothing at all for S "
                   "seconds (at most 3600)")
        ->type_name("S")
        ->check(CLI::Range(0, 3600).description(""));
    app.add_option("--network-silence-seconds", networkSilenceSeconds,
                   "After acknowledging a change of its network settings a camera answers "
                   "nothing at all for S seconds, as a real one restarts its network (at most "
                   "3600; default 0)")
        ->type_name("S")
        ->check(CLI::Range(0, 3600).description(""));
    app.add_option("--address", addresses,
                   "A camera's own fixed addressing, IP/MASK[/GATEWAY] (no gateway: 0.0.0.0); "
                   "repeated, the i-th is camera i's (from 0, the lowest MACs first), the others "
                   "keep theirs. Only reply text: the socket stays where --bind puts it")
        ->type_name("IP/MASK[/GATEWAY]")
        ->default_str("")
        ->check(CLI::Validator(checkAddressing, ""));
    app.add_option("--seed", serverOptions.seed,
                   "Seed of the random reply delays of --jitter-ms and of the fault traffic")
        ->type_name("N");

    addOnvifOptions(app, onvif);

    // Fault modes: what a hostile LAN sends unasked.
    auto& faults = serverOptions.faults;
    const auto rate = CLI::Range(0, kMaxFaultRate).description("");
    app.add_option("--garbage", faults.garbageRate,
                   "Fault mode: RATE random datagrams a second, 1 to 1500 bytes "
                   "long, one in four beginning like a real information reply")
        ->type_name("RATE")
        ->check(rate);
    app.add_option("--flood", faults.floodRate,
                   "Fault mode: RATE valid information replies a second, each from "
                   "a MAC drawn at random from --flood-macs distinct ones")
        ->type_name("RATE")
        ->check(rate);
    app.add_option("--flood-macs", faults.floodMacs,
                   "Distinct MACs of the flood and of the stray acknowledgements: the MAC prefix, "
                   "then 80:00:00 upwards (1 to 1000000)")
        ->type_name("N")
        ->check(CLI::Range(1, kMaxFloodMacs).description(""));
    app.add_option("--stray-acks", faults.strayAckRate,
                   "Fault mode: RATE acknowledgements and refusals a second for flood MACs, "
                   "which have no request outstanding, half of them with a message text")
        ->type_name("RATE")
        ->check(rate);
    app.add_option("--duration", faults.durationSeconds,
                   "Seconds the fault modes last, counted from the first discovery enquiry; they "
                   "then stop by themselves and one line, \"pelmora-sim faults over after S s: "
                   "...\", says what was sent (0.1 to 86400)")
        ->type_name("S")
        ->check(CLI::Range(0.1, 86400.0).description(""));

    try {
        app.parse(argc, argv);
        if (fleetOptions.silentCameras + fleetOptions.refusingCameras > fleetOptions.cameraCount) {
            throw CLI::ValidationError(
                "--silent-settings and --refusing-cameras together exceed --cameras");
        }
        if (fleetOptions.cameraCount == 0 && faults.garbageRate == 0 && faults.floodRate == 0 &&
            faults.strayAckRate == 0 && onvif.fleet.count == 0) {
            throw CLI::ValidationError("--cameras 0 needs a fault mode");
        }
        if (addresses.size() > static_cast<std::size_t>(fleetOptions.cameraCount)) {
            throw CLI::ValidationError("--address given more often than there are --cameras");
        }
        finishOnvifOptions(onvif, fleetOptions.cameraCount, fleetOptions.macPrefix);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? 0 : kUsageError;
    }
    faults.macPrefix = fleetOptions.macPrefix;
    faults.seed = serverOptions.seed;
    fleetOptions.policy.refuseMessage = refuseMessage;
    for (const auto& text : addresses) {
        fleetOptions.addresses.push_back(*parseFixedAddressing(text));
    }
    fleetOptions.policy.rebootMs = static_cast<std::int64_t>(rebootSeconds) * 1000;
    fleetOptions.policy.networkSilenceMs = static_cast<std::int64_t>(networkSilenceSeconds) * 1000;

    // Before the socket exists, so that a signal arriving at any point after the ready line
    // ends the loop.
    ShutdownSignals signals;
    std::signal(SIGPIPE, SIG_IGN);
    CameraFleet fleet(fleetOptions);
    SimServer server(fleet, serverOptions);
    if (const auto error = server.open(); !error.empty()) {
        std::cerr << "pelmora-sim: " << error << '\n';
        return 1;
    }
    onvif.service.bindAddress = serverOptions.bindAddress;
    OnvifService onvifService(makeOnvifCameras(onvif.fleet, fleet.cameras()), onvif.service);
    if (onvif.fleet.count > 0) {
        if (const auto error = onvifService.open(); !error.empty()) {
            std::cerr << "pelmora-sim: " << error << '\n';
            return 1;
        }
    }
    std::cout << "pelmora-sim ready on " << serverOptions.bindAddress << ':' << server.boundPort()
              << " with " << fleet.cameras().size() << " cameras";
    if (onvif.fleet.count > 0) {
        std::cout << " and " << onvif.fleet.count << " ONVIF cameras, WS-Discovery on "
                  << serverOptions.bindAddress << ':' << onvifService.discoveryPort();
        onvifService.start();
    }
    std::cout << std::endl;
    const auto error = server.run(signals.stopFlag(), signals.waitMask());
    onvifService.stop();
    if (!error.empty()) {
        std::cerr << "pelmora-sim: " << error << '\n';
        return 1;
    }
    return 0;
}
