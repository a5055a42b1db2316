// "plan" and "apply-plan" on the command line: consecutive addresses for many cameras as a plan
// file, and a plan file applied one camera at a time with the Network page's checks and request.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "changelog/PlanLock.h"
#include "changelog/StateDirectory.h"
#include "cli/AddressOption.h"
#include "cli/CommandLine.h"
#include "cli/HeadlessSession.h"
#include "cli/MacArgument.h"
#include "cli/NumberOption.h"
#include "cli/RequestWords.h"
#include "cli/StandardStreams.h"
#include "engine/LocalInterfaces.h"
#include "listing/CameraListing.h"
#include "model/FixedText.h"
#include "plan/NetworkPlan.h"
#include "plan/PlanApplier.h"
#include "plan/PlanRun.h"
#include "settings/SettingSender.h"
#include "settings/network/NetworkRequest.h"

namespace pelmora {
namespace {

constexpr const char* kDnsNames[kDnsServers] = {"--dns1", "--dns2", "--dns3", "--dns4"};

// How long the cameras are listened for before the plan is checked, as "discover" does.
constexpr std::chrono::seconds kListenTime{3};
constexpr std::chrono::milliseconds kPoll{50};

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) {
    interrupted = true;
}

std::string settingsWords(const NetworkSettings& s) {
    std::string out;
    if (s.dhcp) {
        out = "DHCP";
    } else {
        out = formatIpv4(s.ipAddress) + " mask " + formatIpv4(s.subnetMask);
    }
    out += " gateway " + (s.gatewayBlank ? std::string("none") : formatIpv4(s.gateway));
    if (s.dnsAuto) {
        out += " DNS auto";
    } else {
        std::string servers;
        for (const auto& d : s.dns) {
            servers +=
                (servers.empty() ? "" : ",") + (d.blank ? std::string("-") : formatIpv4(d.address));
        }
        out += " DNS " + servers;
    }
    out += " port " + (s.webPort80 ? std::string("80") : s.webPortText);
    return out;
}

bool readFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream contents;
    contents << in.rdbuf();
    text = contents.str();
    return !in.bad();
}

// `plan` says it on stderr: its standard output is the plan, often sent to a file.
int refuse(const std::vector<std::string>& reasons, std::FILE* stream = stdout) {
    std::string out = "Plan refused:\n";
    for (const auto& reason : reasons) {
        out += "  " + printableText(reason) + "\n";
    }
    writeOutput(stream, out);
    return 1;
}

struct ApplyOptions {
    std::string file;
    double verifyTimeout = 60;
    double waitSeconds = 10;
    bool dryRun = false;
};

// Whether every camera the plan names has answered.
bool planCamerasHeard(const CameraTable& table, const std::vector<PlanRow>& rows) {
    for (const auto& row : rows) {
        const auto record = table.findByMac(row.mac);
        if (!record || !isListed(*record)) {
            return false;
        }
    }
    return true;
}

int applyPlan(const CommandLine& line, const ApplyOptions& options) {
    std::string text;
    if (!readFile(options.file, text)) {
        writeOutput(stderr,
                    "Error : cannot read " + options.file + ": " + std::strerror(errno) + "\n");
        return 1;
    }
    const auto read = readPlan(text);
    if (!read.errors.empty()) {
        return refuse(read.errors);
    }
    // One plan at a time on this PC, the window's included: the lock is taken before anything
    // is sent and held until this process ends. A dry run sends no setting and needs none.
    PlanLock lock;
    if (!options.dryRun) {
        lock = PlanLock(stateDirectory());
        if (!lock.held()) {
            writeOutput(stderr, "Error : " + lock.trouble() + "\n");
            return 1;
        }
    }
    HeadlessSession session(line.target());
    if (const auto code = session.start()) {
        return *code;
    }
    // Every camera is heard for the usual time, so that one outside the plan holding a planned
    // address is known; a camera of the plan not heard yet (still starting up, say) is waited
    // for up to --wait seconds, through the next enquiries.
    session.runFor(kListenTime);
    const auto longest = std::chrono::milliseconds(static_cast<long>(options.waitSeconds * 1000));
    if (longest > kListenTime) {
        session.runFor(longest - kListenTime,
                       [&session, &read] { return planCamerasHeard(session.table(), read.rows); });
    }
    std::vector<CameraRecord> listed;
    for (const auto& r : session.table().liveRecords()) {
        if (isListed(r)) {
            listed.push_back(r);
        }
    }
    const auto check = checkPlan(read.rows, listed, session.engine().localInterfaces());
    const auto finish = [&session]() -> std::optional<int> {
        const bool failed = session.receiveHasFailed();
        if (const auto code = session.stop()) {
            return *code;
        }
        if (failed) {
            return exitCodeOf(FatalSocketError::Receive);
        }
        return std::nullopt;
    };
    if (!check.refusals.empty() || options.dryRun) {
        if (const auto code = finish()) {
            return *code;
        }
        if (!check.refusals.empty()) {
            return refuse(check.refusals);
        }
        std::string out;
        for (const auto& c : check.cameras) {
            out +=
                c.mac +
                (c.unchanged ? " unchanged: " + settingsWords(c.current)
                             : " " + settingsWords(c.current) + " -> " + settingsWords(c.planned)) +
                "\n";
        }
        out += "Order:";
        for (const auto i : check.order) {
            out += " " + check.cameras[i].mac;
        }
        writeOutput(stdout, out + "\n");
        return 0;
    }

    const auto steps = planSteps(check, line.user(), line.password());
    bool allGood = true;
    for (const auto& c : check.cameras) {
        if (c.unchanged) {
            writeOutput(stdout, c.mac + " unchanged\n");
        }
    }
    const auto verifyTimeout = std::chrono::duration_cast<PlanApplier::Clock::duration>(
        std::chrono::duration<double>(options.verifyTimeout));
    auto& engine = session.engine();
    PlanRun run(session.table(),
                {[&session, &engine](const PlanApplier::Step& step) {
                     session.clearOutcome();
                     return sendSettingRequest(
                                session.table(),
                                [&engine](std::string_view d) { return engine.sendDatagram(d); },
                                step.mac, step.request) == 0;
                 },
                 [&engine] { engine.enquiryTick(); }},
                steps, verifyTimeout);
    const auto& applier = run.applier();
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous);
    std::size_t reported = 0;
    while (!applier.finished() && !session.receiveHasFailed()) {
        if (interrupted) {
            run.stop();
        }
        if (applier.state() == PlanApplier::State::AwaitingAnswer) {
            if (const auto outcome = session.outcome()) {
                run.answered({outcome->accepted, outcome->words}, PlanApplier::Clock::now());
            }
        }
        run.advance(PlanApplier::Clock::now());
        for (; reported < steps.size() && !applier.results()[reported].empty(); ++reported) {
            const auto& result = applier.results()[reported];
            allGood = allGood && result == "verified";
            writeOutput(stdout, steps[reported].mac + " " + printableText(result) + "\n");
            // Progress a person watches: each camera's line as soon as it is known.
            std::fflush(stdout);
        }
        if (applier.state() != PlanApplier::State::Idle && !applier.finished()) {
            // Woken by the answer or by a reply; a reply with the old settings keeps waiting.
            session.runFor(kPoll, [&] {
                if (interrupted) {
                    return true;
                }
                if (applier.state() == PlanApplier::State::AwaitingAnswer) {
                    return session.outcome().has_value();
                }
                return run.confirmationWaiting();
            });
        }
    }
    sigaction(SIGINT, &previous, nullptr);
    for (; reported < steps.size(); ++reported) {
        allGood = false;
        writeOutput(stdout, steps[reported].mac + " stopped\n");
    }
    if (const auto code = finish()) {
        return *code;
    }
    return allGood ? 0 : 1;
}

}  // namespace

void addPlanCommands(CommandLine& line) {
    struct PlanValues {
        std::string start;
        unsigned step = 1;
        std::string mask = "255.255.255.0";
        std::string gateway;
        std::array<std::string, kDnsServers> dns;
        std::string port;
        std::vector<std::string> macs;
        CLI::Option* gatewayOption = nullptr;
        std::array<CLI::Option*, kDnsServers> dnsOptions{};
        CLI::Option* portOption = nullptr;
    };
    auto values = std::make_shared<PlanValues>();
    auto* plan = line.app().add_subcommand(
        "plan",
        "Print a plan (CSV for apply-plan) that gives the cameras, in the order given, fixed "
        "addresses from --start on, --step apart, skipping the subnet's own and broadcast "
        "addresses and any ending in .0 or .255, each with the mask and manual DNS; the gateway, "
        "DNS servers and port are "
        "set only when given (otherwise each camera keeps its own). Addresses in use are "
        "skipped too, each named on stderr (\"Skipped 10.1.0.254: the gateway\"): the "
        "--gateway, this PC's own addresses and default gateways, and devices in its neighbour "
        "(ARP) table other than the cameras given. Sends nothing. The plan is checked as "
        "apply-plan checks it, as far as it can be without the cameras: a refused plan prints "
        "\"Plan refused:\" and each reason on stderr, is not written and exits 1, as when the "
        "subnet has no room for them all.");
    plan->add_option("MAC", values->macs, "The cameras' MAC addresses, in the order to number them")
        ->required()
        ->transform(macArgument());
    plan->add_option("--start", values->start, "The first address")
        ->required()
        ->check(addressValidator());
    plan->add_option("--step", values->step, "Distance between addresses (default 1)")
        ->check(wholeNumberValidator(1, 65535, "must be from 1 to 65535", "UINT"));
    plan->add_option("--mask", values->mask, "Subnet mask (default 255.255.255.0)")
        ->check(addressValidator());
    values->gatewayOption = plan->add_option("--gateway", values->gateway, "Default gateway")
                                ->check(addressValidator());
    for (std::size_t n = 0; n < kDnsServers; ++n) {
        values->dnsOptions[n] =
            plan->add_option(kDnsNames[n], values->dns[n], "DNS server " + std::to_string(n + 1))
                ->check(addressValidator());
    }
    values->portOption =
        plan->add_option("--port", values->port, "HTTP port (80, or 1024 to 65535)")
            ->check(CLI::Validator(
                [](const std::string& t) {
                    return t.size() <= kMaxWebPortText &&
                                   t.find_first_not_of("0123456789") == std::string::npos
                               ? std::string()
                               : std::string("must be digits only, at most 5");
                },
                "DIGITS"));
    plan->callback([&line, values] {
        line.setAction([values] {
            std::optional<Ipv4> gateway;
            if (values->gatewayOption->count() > 0) {
                gateway = parseAddress(values->gateway);
            }
            std::array<std::optional<Ipv4>, kDnsServers> dns;
            for (std::size_t n = 0; n < kDnsServers; ++n) {
                if (values->dnsOptions[n]->count() > 0) {
                    dns[n] = parseAddress(values->dns[n]);
                }
            }
            std::optional<std::string> port;
            if (values->portOption->count() > 0) {
                port = values->port;
            }
            // This PC's addresses, default gateways and neighbours: read from the kernel, nothing
            // is sent.
            const auto interfaces = readLocalInterfaces();
            const auto made = makeAddressPlan(
                values->macs, parseAddress(values->start).value_or(Ipv4{}), values->step,
                parseAddress(values->mask).value_or(Ipv4{}), gateway, dns, port, interfaces);
            if (!made.error.empty()) {
                writeOutput(stderr, "Error : " + made.error + "\n");
                return 1;
            }
            // What apply-plan would refuse is not written.
            const auto check = checkPlanBeforeListing(made.rows, interfaces);
            if (!check.refusals.empty()) {
                return refuse(check.refusals, stderr);
            }
            for (const auto& skipped : made.skipped) {
                writeOutput(stderr, "Skipped " + printableText(skipped) + "\n");
            }
            writeOutput(stdout, formatPlan(made.rows));
            return 0;
        });
    });

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
        "Exits 0 only when every row is verified or unchanged.");
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
