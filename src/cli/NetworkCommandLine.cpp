// "set-network" and "reboot" on the command line: the Network page's OK and Reboot, with the
// page's own checks and request bytes.
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "cli/AddressOption.h"
#include "cli/CommandLine.h"
#include "cli/MacArgument.h"
#include "cli/SettingCommand.h"
#include "cli/StandardStreams.h"
#include "pages/network/NetworkChecks.h"
#include "pages/network/NetworkRequest.h"

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
    CLI::Option* dhcp = nullptr;
    CLI::Option* ipOption = nullptr;
    CLI::Option* gatewayOption = nullptr;
    std::array<CLI::Option*, kDnsServers> dnsOptions{};
    CLI::Option* portOption = nullptr;

    bool given(const CLI::Option* option) const { return option->count() > 0; }

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
};

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
        "could not be sent); exits 0 only when the camera accepted.");
    command
        ->add_option("MAC", values->mac,
                     "The camera's MAC address as discover prints it, 02:50:4D:00:00:01 (lower "
                     "case and \"-\" separators are read too)")
        ->required()
        ->transform(macArgument());
    values->dhcp = command->add_flag(
        "--dhcp", values->dhcpFlag,
        "Obtain the IP address automatically (DHCP); one of --dhcp and --ip is required");
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
    auto* dnsAuto = command->add_flag(
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
    auto* port80 = command->add_flag("--port-80", values->port80Flag, "HTTP port 80 (the default)");
    values->portOption =
        command
            ->add_option("--port", values->portText,
                         "Another HTTP port, 1024 to 65535, sent exactly as typed (at most 5 "
                         "digits; leading zeros are kept)")
            ->check(portTextValidator());
    values->dhcp->excludes(values->ipOption)->excludes(mask);
    values->ipOption->needs(mask);
    mask->needs(values->ipOption);
    dnsAuto->excludes(values->ipOption);
    port80->excludes(values->portOption);
    line.addCredentialOptions(command);
    line.addTargetOption(command);
    command->callback([&line, values] {
        if (!values->given(values->dhcp) && !values->given(values->ipOption)) {
            throw CLI::RequiredError("--dhcp or --ip");
        }
        line.setAction([&line, values] {
            const auto settings = values->settings();
            if (const auto refusal = refusalFor(checkNetworkSettings(settings))) {
                writeOutput(stdout, std::string(refusal->message) + "\n");
                return 1;
            }
            const auto request =
                buildNetworkRequest(values->mac, line.user(), line.password(), settings);
            return runSettingCommand({line.target(), values->mac, request}, stdout);
        });
    });
}

void addRebootCommand(CommandLine& line) {
    auto mac = std::make_shared<std::string>();
    auto* command = line.app().add_subcommand(
        "reboot",
        "Reboot one camera, as the Network page's Reboot does: no check and no question first. "
        "Prints the camera's answer (\"Setting OK\", \"Setting NG\" or its own message) or "
        "\"No Response\" after about 10 s (\"Not Sent\" at once when the request could not be "
        "sent); exits 0 only when the camera accepted. A rebooting camera answers nothing until "
        "it is back.");
    command
        ->add_option("MAC", *mac,
                     "The camera's MAC address as discover prints it, 02:50:4D:00:00:01 (lower "
                     "case and \"-\" separators are read too)")
        ->required()
        ->transform(macArgument());
    line.addCredentialOptions(command);
    line.addTargetOption(command);
    command->callback([&line, mac] {
        line.setAction([&line, mac] {
            const auto request = buildRebootRequest(*mac, line.user(), line.password());
            return runSettingCommand({line.target(), *mac, request}, stdout);
        });
    });
}

}  // namespace pelmora
