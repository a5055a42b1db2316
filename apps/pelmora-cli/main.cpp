// pelmora-cli: the camera set-up tool without a window.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "cli/DiscoverCommand.h"
#include "model/CalendarTime.h"

int main(int argc, char** argv) {
    pelmora::pinLocalTimeZone();
    CLI::App app{
        "Pelmora command-line tool: finds network cameras on the LAN and changes their "
        "settings, without a window."};
    app.require_subcommand(1);

    pelmora::DiscoverOptions discover;
    double waitSeconds = 3.0;
    std::string target;
    auto* discoverCommand = app.add_subcommand(
        "discover",
        "Broadcast the discovery enquiry (at once and every 5 s), collect the replies for the "
        "given time, then print the cameras found, in table order.");
    discoverCommand->add_option("--wait", waitSeconds, "Seconds to listen (default 3)")
        ->check(CLI::Range(0.1, 3600.0));
    discoverCommand->add_flag("--json", discover.json,
                              "Print one JSON array, one object per camera");
    discoverCommand->add_option(
        "--target", target, "Send to HOST[:PORT] instead of broadcasting to 255.255.255.255:2380");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help prints and succeeds; any other parse error is a usage error.
        return app.exit(e) == 0 ? 0 : 2;
    }

    if (!target.empty()) {
        std::string error;
        const auto parsed = pelmora::parseTarget(target, &error);
        if (!parsed) {
            std::fprintf(stderr, "--target: %s\n", error.c_str());
            return 2;
        }
        discover.target = *parsed;
    }
    discover.wait = std::chrono::milliseconds(static_cast<long>(waitSeconds * 1000));
    return pelmora::runDiscover(discover, stdout);
}
