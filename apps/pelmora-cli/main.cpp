// pelmora-cli: the camera set-up tool without a window.
#include <CLI/CLI.hpp>
#include <clocale>
#include <cstdio>
#include <sstream>
#include <string>

#include "cli/CommandLine.h"
#include "cli/StandardStreams.h"
#include "model/CalendarTime.h"

namespace {

int parseAndRun(CLI::App& app, pelmora::CommandLine& line, int argc, char** argv) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        // Through writeOutput, which keeps the reason should standard output fail.
        std::ostringstream help;
        const int code = app.exit(e, help);
        pelmora::writeOutput(stdout, help.str());
        return code;
    } catch (const CLI::ParseError& e) {
        // A word where the command belongs that names none (an unknown option is left to
        // CLI11's message).
        const auto left = app.remaining();
        if (app.get_subcommands().empty() && !left.empty() && left.front().rfind('-', 0) != 0) {
            std::fprintf(stderr, "unknown command %s\nRun with --help for more information.\n",
                         left.front().c_str());
            return 2;
        }
        // CLI11 would list the arguments themselves, and a mistyped option's value may be a
        // password: only the unknown options are named.
        if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
            std::fprintf(stderr, "%s\nRun with --help for more information.\n",
                         pelmora::unexpectedArgumentsMessage(app.remaining(true)).c_str());
            return 2;
        }
        // Any other parse error is a usage error.
        return app.exit(e) == 0 ? 0 : 2;
    }
    return line.run();
}

}  // namespace

int main(int argc, char** argv) {
    pelmora::reserveStandardStreams();
    // Text arguments are read in the locale's encoding (LC_CTYPE) and sent as 8-bit text.
    std::setlocale(LC_CTYPE, "");
    pelmora::pinLocalTimeZone();
    CLI::App app{
        "Pelmora command-line tool: finds network cameras on the LAN and changes their "
        "settings, without a window."};
    app.footer(
        "A MAC is six two-digit hex pairs, 02:50:4D:00:00:01 as cameras report it; lower case "
        "and \"-\" separators are read as the same MAC. Text that goes to a camera (--user, "
        "--password, the PPPoE account, a bandwidth value) is read in the locale's encoding "
        "(in the C or POSIX locale: UTF-8) and sent as 8-bit text, one byte per character, as "
        "the window sends it; lengths count characters, and a character past U+00FF is "
        "refused. A password on the command line can be read by other users of this machine, so "
        "each one may instead come from the first line of a file only its owner may read "
        "(--password-file FILE), one line of standard input (--password-stdin; the "
        "administrator password takes the first line, --pppoe-password-stdin the next) or the "
        "environment (PELMORA_PASSWORD, PELMORA_PPPOE_PASSWORD); two options for one password "
        "are a usage error, an option wins over the environment, and a password given as a "
        "value prints a warning. No password is ever printed. Every setting command takes "
        "--dry-run: the request in words, nothing sent. Exit "
        "status: 0 success; 1 a refusal, no answer or a failure (a failed write of standard output "
        "too), or with discover --problems a camera with a problem; 2 a usage error; 1 to 5 after "
        "an \"Error : \" line for a fatal socket error.");
    app.require_subcommand(1);
    app.set_version_flag("--version", "pelmora-cli " PELMORA_VERSION, "Print the version and exit");
    pelmora::CommandLine line(app);
    pelmora::addDiscoverCommand(line);
    pelmora::addSetBandwidthCommand(line);
    pelmora::addSetNetworkCommand(line);
    pelmora::addPlanCommand(line);
    pelmora::addApplyPlanCommand(line);
    pelmora::addSetPppoeCommand(line);
    pelmora::addRebootCommand(line);
    pelmora::addSetTimeCommand(line);
    pelmora::addHistoryCommand(line);
    pelmora::addDiffCommand(line);
    return pelmora::finishStandardOutput(parseAndRun(app, line, argc, argv));
}
