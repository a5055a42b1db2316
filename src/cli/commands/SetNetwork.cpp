// "set-network": the Network page's OK, with the page's own checks and request bytes.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "changelog/PlanLock.h"
#include "changelog/StateDirectory.h"
#include "cli/AddressOption.h"
#include "cli/AddressSuggestion.h"
#include "cli/CommandLine.h"
#include "cli/HeadlessSession.h"
#include "cli/MacArgument.h"
#include "cli/OnvifSetting.h"
#include "cli/SettingCommand.h"
#include "cli/StandardStreams.h"
#include "lan/LanDiagnosis.h"
#include "settings/network/NetworkChecks.h"
#include "settings/network/NetworkRequest.h"
#include "settings/onvif/OnvifNetworkRules.h"

namespace pelmora {
namespace {

// The page's custom port field: digits only, at most five of them. An empty or out-of-range
// number is left to the port check, which refuses it as the page does.
CLI::Validator portTextValidator() {
    return CLI::Validator(
        [](const std::string& text) {
            const bool digitsOnly = text.find_first_not_of("0123456789") == std::string::npos;
            return digitsOnly && text.size() <= kMaxWebPortText
                       ? std::string{}
                       : std::string("must be digits only, at most 5");
        },
        "DIGITS");
}

struct NetworkOptions {
    std::string mac;
    std::string ip;
    std::string mask;
    std::string gateway;
    std::array<std::string, kDnsServers> dns;
    std::string portText;
    // The flags' values; whether an option was given is read from its CLI::Option.
    bool dhcpFlag = false;
    bool dnsAutoFlag = false;
    bool port80Flag = false;
    bool suggestFlag = false;
    CLI::Option* dhcp = nullptr;
    CLI::Option* suggest = nullptr;
    CLI::Option* ipOption = nullptr;
    CLI::Option* gatewayOption = nullptr;
    std::array<CLI::Option*, kDnsServers> dnsOptions{};
    CLI::Option* portOption = nullptr;
    CLI::Option* port80Option = nullptr;
    CLI::Option* dnsAutoOption = nullptr;
    // ONVIF cameras only.
    OnvifCommandOptions onvif;
    std::string ntp;
    bool ntpDhcpFlag = false;
    CLI::Option* ntpOption = nullptr;
    CLI::Option* ntpDhcp = nullptr;
    int verifyTimeout = 60;

    bool given(const CLI::Option* option) const { return option->count() > 0; }

    // The options that change something.
    std::vector<const CLI::Option*> settingOptions() const {
        return {dhcp,          ipOption,   gatewayOption, dnsAutoOption, dnsOptions[0],
                dnsOptions[1], portOption, port80Option,  ntpOption,     ntpDhcp};
    }

    // The form as the page would hold it: a fixed address always goes with manual DNS, and DHCP
    // with automatic DNS unless a server is given.
    NetworkSettings settings() const {
        NetworkSettings s;
        s.dhcp = given(dhcp);
        if (!s.dhcp) {
            s.ipAddress = parseAddress(ip).value_or(Ipv4{});
            s.subnetMask = parseAddress(mask).value_or(Ipv4{});
        }
        s.gatewayBlank = !given(gatewayOption);
        if (!s.gatewayBlank) {
            s.gateway = parseAddress(gateway).value_or(Ipv4{});
        }
        bool anyDns = false;
        for (std::size_t n = 0; n < kDnsServers; ++n) {
            if (given(dnsOptions[n])) {
                s.dns[n] = {parseAddress(dns[n]).value_or(Ipv4{}), false};
                anyDns = true;
            }
        }
        s.dnsAuto = s.dhcp && !anyDns;
        s.webPort80 = !given(portOption);
        s.webPortText = portText;
        return s;
    }

    // The form with a suggested address in place of --ip, --mask and --gateway: a fixed address,
    // so manual DNS; no default route on that interface leaves the gateway blank.
    NetworkSettings settingsWith(const SuggestedAddressing& suggested) const {
        NetworkSettings s = settings();
        s.dhcp = false;
        s.dnsAuto = false;
        s.ipAddress = suggested.ipAddress;
        s.subnetMask = suggested.subnetMask;
        s.gatewayBlank = suggested.gateway == Ipv4{};
        s.gateway = suggested.gateway;
        return s;
    }
};

// What an ONVIF camera is asked to change: only what was given; the rest it keeps.
onvif::NetworkChange onvifChange(const NetworkOptions& values) {
    onvif::NetworkChange change;
    if (values.given(values.dhcp)) {
        change.dhcp = true;
    }
    if (values.given(values.ipOption)) {
        change.dhcp = false;
        change.ipAddress = parseAddress(values.ip);
        // A mask with a gap has no prefix length: the page's check refuses it below.
        change.prefixLength = prefixOfMask(parseAddress(values.mask).value_or(Ipv4{})).value_or(0);
    }
    if (values.given(values.gatewayOption)) {
        change.gateway = parseAddress(values.gateway);
    }
    if (values.given(values.dnsAutoOption)) {
        change.dnsFromDhcp = true;
    }
    for (std::size_t n = 0; n < kDnsServers; ++n) {
        if (values.given(values.dnsOptions[n])) {
            change.dnsFromDhcp = false;
            change.dns.push_back(parseAddress(values.dns[n]).value_or(Ipv4{}));
        }
    }
    if (values.given(values.portOption)) {
        change.httpPort = webPortNumber(values.portText);
    } else if (values.given(values.port80Option)) {
        change.httpPort = 80;
    }
    if (values.given(values.ntpDhcp)) {
        change.ntpFromDhcp = true;
    }
    if (values.given(values.ntpOption)) {
        change.ntpFromDhcp = false;
        change.ntpServer = values.ntp;
    }
    return change;
}

int setOnvifNetwork(const CommandLine& line, const NetworkOptions& values) {
    const auto change = onvifChange(values);
    auto options = onvifSettingOptions(values.onvif, line);
    options.verifyTimeout = std::chrono::seconds(values.verifyTimeout);
    options.action = "network";
    options.settings = loggedNetworkChange(change);
    options.movedTo = [change](const onvif::OnvifCamera& camera) {
        return movedToAddress(camera, change);
    };
    // A move holds the plan lock from before the cameras are looked at until the camera is
    // verified: a second run at once cannot pick the same free address.
    PlanLock lock;
    if (change.ipAddress && !line.dryRun()) {
        lock = PlanLock(stateDirectory());
        if (!lock.held()) {
            std::fprintf(stderr, "Error : %s\n", lock.trouble().c_str());
            writeOutput(stdout, "Not Sent\n");
            return 1;
        }
    }
    return runOnvifSetting(
        options, *MacAddress::parse(values.mac),
        [change](const onvif::OnvifCamera& camera, const std::vector<onvif::OnvifCamera>& found,
                 std::string* error) -> std::optional<std::vector<onvif::SettingRequest>> {
            if (const auto refusal = checkOnvifNetworkChange(camera, change)) {
                *error = *refusal;
                return std::nullopt;
            }
            // Two devices on one address is the worst a setting can leave behind.
            if (const auto moved = movedToAddress(camera, change)) {
                if (const auto holder = addressHolder(*moved, camera, found)) {
                    *error = "Not Sent: " + formatIpv4(*moved) + " is in use by " + *holder;
                    return std::nullopt;
                }
            }
            return onvif::networkRequests(camera, change, error);
        },
        stdout);
}

// The Network page's checks, then the request; a refused check prints its message and gives
// exit code 1.
std::optional<std::string> checkedRequest(const CommandLine& line, std::string_view mac,
                                          const NetworkSettings& settings) {
    if (const auto refusal = refusalFor(checkNetworkSettings(settings))) {
        writeOutput(stdout, std::string(refusal->message) + "\n");
        return std::nullopt;
    }
    return buildNetworkRequest(mac, line.user(), line.password(), settings);
}

// --suggest-address: finds the camera first, so the enquiries are all that a dry run sends.
int suggestAndSend(const CommandLine& line, const NetworkOptions& values) {
    HeadlessSession session(line.target());
    if (const auto code = session.start()) {
        return *code;
    }
    const auto suggestion = findCameraAndSuggest(session, values.mac);
    if (!suggestion.addressing) {
        if (const auto code = session.stop()) {
            return *code;
        }
        writeOutput(stdout, suggestion.refusal + "\n");
        return 1;
    }
    const auto request =
        checkedRequest(line, values.mac, values.settingsWith(*suggestion.addressing));
    if (!request) {
        return 1;
    }
    return runSettingCommand(
        session, {line.target(), values.mac, *request, line.dryRun(), {line.user(), {}}}, stdout);
}

}  // namespace

void addSetNetworkCommand(CommandLine& line) {
    auto values = std::make_shared<NetworkOptions>();
    auto* command = line.app().add_subcommand(
        "set-network",
        "Set one camera's addressing, as the Network page's OK does: DHCP or a fixed address "
        "with its mask, an optional default gateway, automatic or manual DNS, the HTTP port. "
        "Every request carries the DNS choice and the port, so what is left out is not kept "
        "from the camera: DHCP goes with automatic DNS unless a --dnsN is given, a fixed "
        "address always with manual DNS (servers not given are blank), no --gateway sends no "
        "gateway, and the port is 80 unless --port is given. The page's checks run first; a "
        "refused one prints its message (\"IP address Error\", \"Subnetmask Error\", "
        "\"Gateway address Error\" or \"HTTP port No. Error\"), sends nothing and exits 1. "
        "Otherwise prints the camera's answer (\"Setting OK\", \"Setting NG\" or its own "
        "message) or \"No Response\" after about 10 s (\"Not Sent\" at once when the request "
        "could not be sent); exits 0 only when the camera accepted. --suggest-address first "
        "listens for the camera's reply (up to 3 s) and fills in a free address, the mask and "
        "the default gateway of the interface the reply came in on; when that interface is not "
        "known or is loopback, or its subnet has no free address, it says so, sends nothing "
        "and exits 1.");
    addMacArgument(command, values->mac);
    values->dhcp = command->add_flag("--dhcp", values->dhcpFlag,
                                     "Obtain the IP address automatically (DHCP); one of --dhcp, "
                                     "--ip and --suggest-address is required");
    values->suggest = command->add_flag(
        "--suggest-address", values->suggestFlag,
        "A fixed address on this PC's subnet where the camera's reply came in: the lowest free "
        "address above this PC's there, its mask and default gateway (none without a default "
        "route there); not with --dhcp, --ip, --mask or --gateway");
    values->ipOption =
        command->add_option("--ip", values->ip, "Use this fixed IP address (needs --mask)")
            ->check(addressValidator());
    auto* mask = command->add_option("--mask", values->mask, "Subnet mask of the fixed address")
                     ->check(addressValidator());
    values->gatewayOption =
        command
            ->add_option("--gateway", values->gateway,
                         "Default gateway: on the fixed address's subnet; with --dhcp it is "
                         "sent unchecked")
            ->check(addressValidator());
    auto* dnsAuto = values->dnsAutoOption = command->add_flag(
        "--dns-auto", values->dnsAutoFlag,
        "Obtain DNS server addresses automatically (only with --dhcp, where it is the default "
        "when no --dnsN is given)");
    static constexpr const char* kDnsNames[kDnsServers] = {"--dns1", "--dns2", "--dns3", "--dns4"};
    static constexpr const char* kDnsHelp[kDnsServers] = {
        "Primary DNS server (manual DNS)", "Secondary DNS server (manual DNS)",
        "Third DNS server (manual DNS)", "Fourth DNS server (manual DNS)"};
    for (std::size_t n = 0; n < kDnsServers; ++n) {
        values->dnsOptions[n] = command->add_option(kDnsNames[n], values->dns[n], kDnsHelp[n])
                                    ->check(addressValidator());
        dnsAuto->excludes(values->dnsOptions[n]);
    }
    auto* port80 = values->port80Option =
        command->add_flag("--port-80", values->port80Flag, "HTTP port 80 (the default)");
    values->portOption =
        command
            ->add_option("--port", values->portText,
                         "Another HTTP port, 1024 to 65535, sent exactly as typed (at most 5 "
                         "digits; leading zeros are kept)")
            ->check(portTextValidator());
    values->dhcp->excludes(values->ipOption)->excludes(mask);
    values->suggest->excludes(values->dhcp)
        ->excludes(values->ipOption)
        ->excludes(mask)
        ->excludes(values->gatewayOption)
        ->excludes(dnsAuto);
    values->ipOption->needs(mask);
    mask->needs(values->ipOption);
    dnsAuto->excludes(values->ipOption);
    port80->excludes(values->portOption);
    line.addCredentialOptions(command, kMinCredentialLength, &values->mac);
    line.addTargetOption(command);
    line.addDryRunOption(command);
    addOnvifCommandOptions(
        command, values->onvif,
        "The camera is an ONVIF camera (of any maker): found by a WS-Discovery probe and read "
        "with --user and the password, confirmed by its MAC at its device service, then sent "
        "only the requests for what changes. Unlike our own cameras' request, every option left "
        "out keeps what the camera has, and at least one is needed; at most two name servers; "
        "the page's checks run on the camera's settings as they would be. A new fixed address "
        "is verified: the camera is looked for there and a second line says \"verified\" or "
        "\"not confirmed\" (exit 1)");
    values->ntpOption = command->add_option(
        "--ntp", values->ntp, "ONVIF only: the time server, an address or a host name");
    values->ntpDhcp = command->add_flag("--ntp-dhcp", values->ntpDhcpFlag,
                                        "ONVIF only: the time server from DHCP");
    values->ntpDhcp->excludes(values->ntpOption);
    command
        ->add_option("--verify-timeout", values->verifyTimeout,
                     "ONVIF only: seconds to look for the camera at its new address (default 60)")
        ->check(CLI::Range(1, 3600));
    command->callback([&line, values] {
        if (values->onvif.onvif) {
            if (values->given(values->suggest)) {
                throw CLI::ValidationError("--suggest-address", "not with --onvif");
            }
            for (std::size_t n = 2; n < kDnsServers; ++n) {
                if (values->given(values->dnsOptions[n])) {
                    throw CLI::ValidationError("--dns3, --dns4",
                                               "an ONVIF camera is given at most two name servers");
                }
            }
            const auto settings = values->settingOptions();
            const bool anything =
                std::any_of(settings.begin(), settings.end(),
                            [&](const CLI::Option* option) { return values->given(option); });
            if (!anything) {
                throw CLI::RequiredError("a setting to change");
            }
        } else if (values->given(values->ntpOption) || values->given(values->ntpDhcp)) {
            throw CLI::ValidationError("--ntp, --ntp-dhcp", "only with --onvif");
        } else if (!values->given(values->dhcp) && !values->given(values->ipOption) &&
                   !values->given(values->suggest)) {
            throw CLI::RequiredError("--dhcp, --ip or --suggest-address");
        }
        line.setAction([&line, values] {
            if (values->onvif.onvif) {
                return setOnvifNetwork(line, *values);
            }
            if (values->given(values->suggest)) {
                return suggestAndSend(line, *values);
            }
            const auto request = checkedRequest(line, values->mac, values->settings());
            if (!request) {
                return 1;
            }
            return runSettingCommand(
                {line.target(), values->mac, *request, line.dryRun(), {line.user(), {}}}, stdout);
        });
    });
}

}  // namespace pelmora
