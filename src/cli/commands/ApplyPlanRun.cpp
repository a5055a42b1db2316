// apply-plan's run: the plan read and checked against the cameras heard, then applied one
// camera at a time with the Network page's request; Ctrl-C finishes the camera under way and
// stops the rest.
#include "cli/commands/ApplyPlanRun.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "changelog/PlanLock.h"
#include "changelog/StateDirectory.h"
#include "cli/HeadlessSession.h"
#include "cli/OnvifSearch.h"
#include "cli/PlanRefusal.h"
#include "cli/StandardStreams.h"
#include "listing/CameraListing.h"
#include "listing/OnvifDiagnosis.h"
#include "plan/PlanApplier.h"
#include "plan/PlanCheck.h"
#include "plan/PlanCsv.h"
#include "plan/PlanRun.h"
#include "settings/SettingSender.h"
#include "settings/network/NetworkRequest.h"

namespace pelmora {
namespace {

// How long the cameras are listened for before the plan is checked, as "discover" does.
constexpr std::chrono::seconds kListenTime{3};
constexpr std::chrono::milliseconds kPoll{50};

std::atomic<bool> interruptSeen{false};

extern "C" void onInterrupt(int) {
    interruptSeen = true;
}

// Ctrl-C while the plan is applied: noted, not fatal, so that the camera under way is finished
// and the rest are reported as stopped. The previous handling is back once the run is over.
class InterruptWatch {
  public:
    InterruptWatch() {
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptWatch() { sigaction(SIGINT, &previous_, nullptr); }
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    bool interrupted() const { return interruptSeen; }

  private:
    struct sigaction previous_ {};
};

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

// Where a MAC was not found, what may have hidden it: a camera that speaks only ONVIF (without
// --onvif), or one that refused the credentials and so kept its MAC to itself.
void noteUnfoundCameras(const std::vector<std::string>& refusals, bool onvif,
                        const std::vector<onvif::OnvifCamera>& onvifCameras) {
    const bool unfound = std::any_of(refusals.begin(), refusals.end(), [](const std::string& r) {
        return r.ends_with(": not among the cameras found");
    });
    if (!unfound) {
        return;
    }
    if (!onvif) {
        std::fprintf(stderr, "Note: an ONVIF camera is found only with --onvif\n");
        return;
    }
    const auto refused = std::count_if(onvifCameras.begin(), onvifCameras.end(), [](const auto& c) {
        return c.access == onvif::Access::CredentialsRefused;
    });
    if (refused > 0) {
        std::fprintf(stderr, "Note: %ld ONVIF camera%s refused the credentials\n",
                     static_cast<long>(refused), refused == 1 ? "" : "s");
    }
}

// An ONVIF camera's row in a dry run: the requests it would be sent.
std::string onvifRequestWords(const OnvifPlanTarget& target) {
    std::string words = " (ONVIF:";
    for (const auto& request : target.requests) {
        words += " " + std::string(onvif::operationName(request.operation));
    }
    return words + ")";
}

// How the plan's ONVIF cameras are reached: with the credentials they were read with, their
// requests recorded in the session's change log.
std::optional<OnvifPlanAccess> onvifAccess(const ApplyOptions& options, const CommandLine& line,
                                           ChangeJournal& journal) {
    if (!options.onvif.onvif) {
        return std::nullopt;
    }
    const auto settings = onvifSettingOptions(options.onvif, line);
    OnvifPlanAccess access;
    access.credentials = settings.credentials;
    access.discoveryPort = settings.discovery.port;
    access.journal = &journal;
    access.warn = [](const std::string& text) {
        std::fprintf(stderr, "Warning: %s\n", text.c_str());
    };
    return access;
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

// Whether every camera the plan names has answered: in the table, or among the ONVIF cameras.
bool planCamerasHeard(const CameraTable& table, const std::vector<PlanRow>& rows,
                      const std::vector<onvif::OnvifCamera>& onvifCameras) {
    for (const auto& row : rows) {
        const auto record = table.findByMac(row.mac);
        const bool onvif = std::any_of(
            onvifCameras.begin(), onvifCameras.end(),
            [&](const onvif::OnvifCamera& c) { return c.mac && c.mac->text() == row.mac; });
        if (!onvif && (!record || !isListed(*record))) {
            return false;
        }
    }
    return true;
}

}  // namespace

int applyPlan(const CommandLine& line, const ApplyOptions& options) {
    std::string text;
    if (!readFile(options.file, text)) {
        writeOutput(stderr,
                    "Error : cannot read " + options.file + ": " + std::strerror(errno) + "\n");
        return 1;
    }
    const auto read = readPlan(text);
    if (!read.errors.empty()) {
        return refusePlan(read.errors);
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
    // ONVIF cameras answer their own probe meanwhile; each holds the address it has.
    std::optional<OnvifSearch> onvif;
    if (options.onvif.onvif) {
        const auto settings = onvifSettingOptions(options.onvif, line);
        onvif.emplace(OnvifSearchOptions{settings.discovery, settings.credentials}, kListenTime);
    }
    // Every camera is heard for the usual time, so that one outside the plan holding a planned
    // address is known; a camera of the plan not heard yet (still starting up, say) is waited
    // for up to --wait seconds, through the next enquiries.
    session.runFor(kListenTime);
    // Read once their probe window is over; our cameras are heard meanwhile all the same.
    std::vector<onvif::OnvifCamera> onvifCameras;
    if (onvif) {
        onvifCameras = onvif->finish();
    }
    const auto longest = std::chrono::milliseconds(static_cast<long>(options.waitSeconds * 1000));
    if (longest > kListenTime) {
        session.runFor(longest - kListenTime, [&session, &read, &onvifCameras] {
            return planCamerasHeard(session.table(), read.rows, onvifCameras);
        });
    }
    std::vector<CameraRecord> listed;
    for (const auto& r : session.table().liveRecords()) {
        if (isListed(r)) {
            listed.push_back(r);
        }
    }
    std::vector<OtherHolder> others;
    if (onvif) {
        for (const auto& camera : onvifCameras) {
            const auto name = camera.mac ? camera.mac->text() : camera.serviceAddress;
            for (const auto address : onvifCameraAddresses(std::span(&camera, 1))) {
                others.push_back({address, name});
            }
        }
    }
    const auto check =
        checkPlan(read.rows, listed, session.engine().localInterfaces(), others, onvifCameras);
    if (!check.refusals.empty() || options.dryRun) {
        if (const auto code = session.stop()) {
            return *code;
        }
        if (!check.refusals.empty()) {
            const auto code = refusePlan(check.refusals);
            noteUnfoundCameras(check.refusals, options.onvif.onvif, onvifCameras);
            return code;
        }
        std::string out;
        for (const auto& c : check.cameras) {
            out +=
                c.mac +
                (c.unchanged ? " unchanged: " + settingsWords(c.current)
                             : " " + settingsWords(c.current) + " -> " + settingsWords(c.planned)) +
                (c.onvif && !c.unchanged ? onvifRequestWords(*c.onvif) : std::string()) + "\n";
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
    PlanRun run(
        session.table(),
        {[&session, &engine](const PlanApplier::Step& step) {
             session.clearOutcome();
             return sendSettingRequest(
                        session.table(),
                        [&engine](std::string_view d) { return engine.sendDatagram(d); }, step.mac,
                        step.request) == 0;
         },
         [&engine] { engine.enquiryTick(); }, onvifAccess(options, line, session.journal())},
        steps, verifyTimeout);
    const auto& applier = run.applier();
    std::size_t reported = 0;
    {
        // Ctrl-C stops the run once the camera under way is done with.
        const InterruptWatch interrupt;
        while (!applier.finished() && !session.receiveHasFailed()) {
            if (interrupt.interrupted()) {
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
                    if (interrupt.interrupted()) {
                        return true;
                    }
                    if (applier.state() == PlanApplier::State::AwaitingAnswer) {
                        return session.outcome().has_value();
                    }
                    return run.confirmationWaiting();
                });
            }
        }
    }
    for (; reported < steps.size(); ++reported) {
        allGood = false;
        writeOutput(stdout, steps[reported].mac + " stopped\n");
    }
    if (const auto code = session.stop()) {
        return *code;
    }
    return allGood ? 0 : 1;
}

}  // namespace pelmora
