#include "OnvifOptions.h"

#include <strings.h>

#include <charconv>
#include <limits>
#include <optional>

namespace pelmora::sim {
namespace {

// Ten years either way is more than any camera's clock is off.
constexpr long long kMaxClockOffset = 10LL * 366 * 24 * 3600;

struct ClockOffset {
    int camera = 0;
    long long seconds = 0;
};

std::optional<ClockOffset> parseClockOffset(std::string_view text) {
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    ClockOffset offset;
    const auto camera = text.substr(0, equals);
    auto seconds = text.substr(equals + 1);
    if (seconds.starts_with('+')) {
        seconds.remove_prefix(1);
    }
    const auto [cameraEnd, cameraError] =
        std::from_chars(camera.data(), camera.data() + camera.size(), offset.camera);
    const auto [secondsEnd, secondsError] =
        std::from_chars(seconds.data(), seconds.data() + seconds.size(), offset.seconds);
    if (camera.empty() || seconds.empty() || cameraError != std::errc{} ||
        cameraEnd != camera.data() + camera.size() || secondsError != std::errc{} ||
        secondsEnd != seconds.data() + seconds.size() || offset.camera < 0 ||
        offset.seconds < -kMaxClockOffset || offset.seconds > kMaxClockOffset) {
        return std::nullopt;
    }
    return offset;
}

std::string checkClockOffset(const std::string& text) {
    return parseClockOffset(text) ? std::string{}
                                  : "expected K=SECONDS, SECONDS at most ten years either way";
}

bool contiguous(const Ipv4& mask) {
    const int length = prefixLengthOf(mask);
    return length == 32 || (ipv4ToNumber(mask) & (0xFFFFFFFFu >> length)) == 0;
}

std::string checkAddressing(const std::string& text) {
    const auto addressing = parseFixedAddressing(text);
    if (!addressing) {
        return "expected IP/MASK or IP/MASK/GATEWAY";
    }
    return contiguous(addressing->subnetMask) ? std::string{}
                                              : "the mask must be a prefix (no gaps)";
}

void checkIndexes(const std::vector<int>& indexes, int limit, const char* option,
                  const char* what) {
    for (const int index : indexes) {
        if (index >= limit) {
            throw CLI::ValidationError(std::string(option) + " " + std::to_string(index) +
                                       ": there is no " + what + " " + std::to_string(index));
        }
    }
}

}  // namespace

void addOnvifOptions(CLI::App& app, OnvifCommandLine& line) {
    auto& fleet = line.fleet;
    auto& service = line.service;
    const auto count = CLI::Range(0, kMaxOnvifCameras).description("");
    app.add_option("--onvif", fleet.count,
                   "Number of simulated ONVIF cameras (0 to 1024), beside the own ones: a "
                   "WS-Discovery responder and a device service on a TCP port of each camera's "
                   "own, on the --bind address")
        ->type_name("N")
        ->check(count);
    app.add_option("--onvif-port", service.discoveryPort,
                   "UDP port of the WS-Discovery responder; 0 lets the system choose. Unless "
                   "--bind is loopback it also joins 239.255.255.250 on the interface of the "
                   "--bind address (on every multicast interface for 0.0.0.0)")
        ->type_name("PORT");
    app.add_option("--onvif-http-port", service.firstHttpPort,
                   "ONVIF camera i (from 0) serves its device service on PORT + i; 0 lets the "
                   "system choose each camera's port (the discovery answers name them)")
        ->type_name("PORT");
    app.add_option("--onvif-user", service.credentials.user,
                   "User name of every ONVIF camera (UTF-8; separate from --user)")
        ->type_name("NAME");
    app.add_option("--onvif-password", service.credentials.password,
                   "Password of every ONVIF camera, for the WS-Security password digest and "
                   "HTTP Digest alike (UTF-8; separate from --password)")
        ->type_name("TEXT");
    app.add_option("--onvif-clock-offset-of", line.clockOffsets,
                   "ONVIF camera K's clock runs SECONDS ahead of this host's UTC (behind when "
                   "negative); repeated for more cameras. The others are up to a minute off. A "
                   "password digest is accepted within 5 minutes of the camera's own clock")
        ->type_name("K=SECONDS")
        ->default_str("")
        ->check(CLI::Validator(checkClockOffset, ""));
    app.add_option("--onvif-ignore-multicast", fleet.ignoreMulticast,
                   "The first K ONVIF cameras answer only probes sent to them directly, not "
                   "those to the multicast group")
        ->type_name("K")
        ->check(count);
    app.add_option("--onvif-refuse", fleet.refusing,
                   "The last K ONVIF cameras refuse every user name and password")
        ->type_name("K")
        ->check(count);
    app.add_option("--onvif-fault", fleet.faulty,
                   "The K ONVIF cameras before the refusing ones answer every device-service "
                   "request with a SOAP fault (HTTP 500); they still answer probes")
        ->type_name("K")
        ->check(count);
    app.add_option("--onvif-slow", fleet.slow,
                   "The K ONVIF cameras before the faulting ones hold back every device-service "
                   "answer for --onvif-slow-ms; their discovery answers are not delayed")
        ->type_name("K")
        ->check(count);
    app.add_option("--onvif-slow-ms", line.slowMs,
                   "How long a slow ONVIF camera holds back each answer (at most 60000)")
        ->type_name("MS")
        ->check(CLI::Range(0, 60000).description(""));
    app.add_option("--onvif-move-silence-ms", line.service.moveSilenceMs,
                   "How long an ONVIF camera answers nothing after its address changes or it "
                   "restarts, as a real camera restarting its network (default 0, at most 60000)")
        ->type_name("MS")
        ->check(CLI::Range(0, 60000).description(""));
    app.add_option("--onvif-record-requests", line.service.recordDirectory,
                   "Write every device-service request body the ONVIF cameras receive into DIR, "
                   "one file each (NNNNNN-K.xml: its number in order received, the camera)")
        ->type_name("DIR")
        ->check(CLI::ExistingDirectory.description(""));
    app.add_option("--onvif-restart-to-readdress", fleet.restartToReaddress,
                   "ONVIF camera K answers a change of its addressing with RebootNeeded and takes "
                   "it only when restarted; repeated for more cameras")
        ->type_name("K")
        ->default_str("");
    app.add_option("--onvif-address", line.addresses,
                   "An ONVIF camera's reported fixed addressing, IP/MASK[/GATEWAY]; repeated, the "
                   "i-th is ONVIF camera i's. The others report 192.168.100.2 upwards, every "
                   "fourth by DHCP. Only reply text: the services stay on the --bind address")
        ->type_name("IP/MASK[/GATEWAY]")
        ->default_str("")
        ->check(CLI::Validator(checkAddressing, ""));
    app.add_option("--onvif-address-of-own", fleet.addressOfOwn,
                   "ONVIF camera K reports the addressing of own camera K (a duplicate address); "
                   "repeated for more cameras")
        ->type_name("K")
        ->default_str("");
    app.add_option("--onvif-mac-of-own", fleet.macOfOwn,
                   "ONVIF camera K has the MAC of own camera K (one camera speaking both "
                   "protocols); repeated for more cameras. The others' MACs begin 02:4F:4E")
        ->type_name("K")
        ->default_str("");
}

void finishOnvifOptions(OnvifCommandLine& line, int ownCameras, const std::string& macPrefix) {
    auto& fleet = line.fleet;
    if (fleet.ignoreMulticast > fleet.count) {
        throw CLI::ValidationError("--onvif-ignore-multicast exceeds --onvif");
    }
    if (fleet.slow + fleet.faulty + fleet.refusing > fleet.count) {
        throw CLI::ValidationError(
            "--onvif-slow, --onvif-fault and --onvif-refuse together exceed --onvif");
    }
    if (line.addresses.size() > static_cast<std::size_t>(fleet.count)) {
        throw CLI::ValidationError("--onvif-address given more often than there are --onvif");
    }
    checkIndexes(fleet.addressOfOwn, fleet.count, "--onvif-address-of-own", "ONVIF camera");
    checkIndexes(fleet.addressOfOwn, ownCameras, "--onvif-address-of-own", "own camera");
    checkIndexes(fleet.macOfOwn, fleet.count, "--onvif-mac-of-own", "ONVIF camera");
    checkIndexes(fleet.macOfOwn, ownCameras, "--onvif-mac-of-own", "own camera");
    checkIndexes(fleet.restartToReaddress, fleet.count, "--onvif-restart-to-readdress",
                 "ONVIF camera");
    for (const auto& text : line.clockOffsets) {
        const auto offset = *parseClockOffset(text);
        checkIndexes({offset.camera}, fleet.count, "--onvif-clock-offset-of", "ONVIF camera");
        fleet.clockOffsets[offset.camera] = std::chrono::seconds(offset.seconds);
    }
    if (line.service.firstHttpPort != 0 &&
        line.service.firstHttpPort + fleet.count - 1 > std::numeric_limits<std::uint16_t>::max()) {
        throw CLI::ValidationError("--onvif-http-port leaves too few ports for --onvif cameras");
    }
    if (fleet.count > 0 && ownCameras > 0 &&
        strcasecmp(macPrefix.c_str(), std::string(kOnvifMacPrefix).c_str()) == 0) {
        throw CLI::ValidationError("--mac-prefix " + macPrefix +
                                   " is the ONVIF cameras' own; choose another");
    }
    for (const auto& text : line.addresses) {
        fleet.addresses.push_back(*parseFixedAddressing(text));
    }
    line.service.slowMs = line.slowMs;
}

}  // namespace pelmora::sim
