// pelmora-cli: the camera set-up tool without a window.
#include <CLI/CLI.hpp>

#include "cli/CommandLine.h"
#include "model/CalendarTime.h"

int main(int argc, char** argv) {
    pelmora::pinLocalTimeZone();
    CLI::App app{
        "Pelmora command-line tool: finds network cameras on the LAN and changes their "
        "settings, without a window."};
    app.require_subcommand(1);
    pelmora::CommandLine line(app);
    pelmora::addDiscoverCommand(line);
    pelmora::addSetBandwidthCommand(line);
    pelmora::addSetNetworkCommand(line);
    pelmora::addSetPppoeCommand(line);
    pelmora::addRebootCommand(line);
    pelmora::addSetTimeCommand(line);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help prints and succeeds; any other parse error is a usage error.
        return app.exit(e) == 0 ? 0 : 2;
    }
    return line.run();
}
