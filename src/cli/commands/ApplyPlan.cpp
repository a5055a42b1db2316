// "apply-plan": its options; the run is in ApplyPlanRun.
#include <memory>

#include "cli/CommandLine.h"
#include "cli/NumberOption.h"
#include "cli/commands/ApplyPlanRun.h"

namespace pelmora {

void addApplyPlanCommand(CommandLine& line) {
    auto options = std::make_shared<ApplyOptions>();
    auto* apply = line.app().add_subcommand(
        "apply-plan",
        "Apply a plan: CSV whose header names columns by the keys of discover --json (mac, "
        "required; dhcp and dnsAuto 0 or 1, ipAddress, subnetMask, gateway, dns1 to dns4, "
        "webPort; other columns ignored, so an edited discover --csv is a plan). A column left "
        "out, or an empty address, mask, dhcp, dnsAuto or port cell, keeps what the camera "
        "reports; an empty gateway or DNS cell is blank. Listens for the cameras for 3 s (and up "
        "to --wait seconds while a camera of the plan has not answered), then checks the whole "
        "plan: the Network page's checks for each row, no address planned "
        "twice or held by a camera outside the plan or this PC, every MAC found, and moves "
        "between the plan's cameras in an order that never puts two on one address (a cycle, "
        "such as a swap, is refused). A refused plan prints \"Plan refused:\" and each reason, "
        "sends nothing and exits 1. Otherwise each changed camera in turn gets the request "
        "set-network would send it; once it accepts, its next reply must report the planned "
        "settings. Just before each camera is sent, its planned address is looked for again: "
        "while a camera of the plan whose own move was not verified, or any other camera now "
        "heard, holds it, the row is \"held back\" (nothing sent). Prints one line per row: MAC "
        "and \"verified\", \"unchanged\" (nothing sent), \"not confirmed\" (\"not confirmed: "
        "MAC reports the same address\" when another camera is heard at the confirmed address), "
        "\"NG\", \"No Response\", \"Not Sent\", \"held back\" or the camera's own text; after "
        "Ctrl-C, the camera under way is finished and the rest are \"stopped\" (nothing sent). "
        "Only one plan is applied at a time on this PC: while another runs (here or in the "
        "window), or when the lock file plan.lock in the state directory cannot be taken, "
        "apply-plan says so on stderr, sends nothing and exits 1 (--dry-run takes no lock). "
        "Exits 0 only when every row is verified or unchanged. With --onvif, a row may also "
        "name an ONVIF camera (one that does not answer our own protocol): it gets the same "
        "checks and its place in the same order, and is sent only the standard's requests for "
        "what its row changes, once the device at its service address reports its MAC (else "
        "\"Not Sent\"); a camera that must restart to take its new address is restarted; it is "
        "then looked for at its planned address (a directed probe, then its interfaces) until "
        "--verify-timeout.");
    apply->add_option("FILE", options->file, "The plan, CSV")->required();
    apply
        ->add_option("--verify-timeout", options->verifyTimeout,
                     "Seconds to wait for a camera to report its new settings after accepting "
                     "them (default 60)")
        ->check(numberValidator(1, 3600, "must be from 1 to 3600 seconds", "SECONDS"));
    apply
        ->add_option("--wait", options->waitSeconds,
                     "Longest time, 3 to 3600 s, to listen for the plan's cameras before the plan "
                     "is checked (default 10; listening ends once every one has answered, after "
                     "3 s)")
        ->check(numberValidator(3, 3600, "must be from 3 to 3600 seconds", "SECONDS"));
    line.addCredentialOptions(apply);
    addOnvifCommandOptions(
        apply, options->onvif,
        "Also look for ONVIF cameras (read with the same credentials, in UTF-8): a row may name "
        "one, and an address one outside the plan reports or answers from is not free for a "
        "row, as one our cameras hold");
    line.addTargetOption(apply);
    apply->add_flag(
        "--dry-run", options->dryRun,
        "Listen and check the plan, then print each camera's current and planned settings and "
        "the sending order; sends nothing but enquiries; exits 0 (1 when refused)");
    apply->callback([&line, options] {
        line.setAction([&line, options] { return applyPlan(line, *options); });
    });
}

}  // namespace pelmora
