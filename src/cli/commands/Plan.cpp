// "plan": consecutive addresses for many cameras, written as a plan file for apply-plan.
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/AddressOption.h"
#include "cli/CommandLine.h"
#include "cli/MacArgument.h"
#include "cli/NumberOption.h"
#include "cli/PlanRefusal.h"
#include "cli/StandardStreams.h"
#include "engine/LocalInterfaces.h"
#include "listing/CameraListing.h"
#include "plan/AddressPlan.h"
#include "plan/PlanCheck.h"
#include "plan/PlanCsv.h"
#include "settings/network/NetworkRequest.h"

namespace pelmora {
namespace {

constexpr const char* kDnsNames[kDnsServers] = {"--dns1", "--dns2", "--dns3", "--dns4"};

}  // namespace

void addPlanCommand(CommandLine& line) {
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
    addMacArguments(plan, values->macs, "The cameras' MAC addresses, in the order to number them");
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
                return refusePlan(check.refusals, stderr);
            }
            for (const auto& skipped : made.skipped) {
                writeOutput(stderr, "Skipped " + printableText(skipped) + "\n");
            }
            writeOutput(stdout, formatPlan(made.rows));
            return 0;
        });
    });
}

}  // namespace pelmora
