// "set-pppoe": the PPPoE page's OK, with the page's account check and
// request bytes.
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "cli/AddressOption.h"
#include "cli/CommandLine.h"
#include "cli/LocaleText.h"
#include "cli/MacArgument.h"
#include "cli/SettingCommand.h"
#include "cli/StandardStreams.h"
#include "settings/pppoe/PppoeRequest.h"

namespace pelmora {
namespace {

// The account fields' limit, in characters once converted to 8-bit text. Any character of
// that text is allowed: the account travels Base64-encoded.
CLI::Validator accountLengthValidator() {
    return CLI::Validator(
        [](const std::string& text) {
            return text.size() <= static_cast<std::size_t>(kMaxPppoeAccountLength)
                       ? std::string{}
                       : "must be at most " + std::to_string(kMaxPppoeAccountLength) +
                             " characters";
        },
        "0-" + std::to_string(kMaxPppoeAccountLength) + " CHARS");
}

struct PppoeOptions {
    std::string mac;
    std::string userId;
    std::shared_ptr<PasswordOption> password;
    std::string retyped;
    std::string dns1;
    std::string dns2;
    // The flags' values; whether an option was given is read from its CLI::Option.
    bool onFlag = false;
    bool offFlag = false;
    bool dnsAutoFlag = false;
    CLI::Option* on = nullptr;
    CLI::Option* off = nullptr;
    CLI::Option* retype = nullptr;
    CLI::Option* dns1Option = nullptr;
    CLI::Option* dns2Option = nullptr;

    static bool given(const CLI::Option* option) { return option->count() > 0; }

    // The form as the page would hold it: DNS is manual once a server is given, and a server
    // left out is a blank field, 0.0.0.0.
    PppoeSettings settings() const {
        PppoeSettings s;
        s.on = given(on);
        if (!s.on) {
            return s;
        }
        s.userId = userId;
        s.password = password->value();
        s.dnsAuto = !given(dns1Option) && !given(dns2Option);
        if (!s.dnsAuto) {
            s.primaryDns = parseAddress(dns1).value_or(Ipv4{});
            s.secondaryDns = parseAddress(dns2).value_or(Ipv4{});
        }
        return s;
    }

    // Without --pppoe-retype the password counts as typed twice.
    std::string_view retypedPassword() const {
        return given(retype) ? std::string_view(retyped) : password->value();
    }
};

}  // namespace

void addSetPppoeCommand(CommandLine& line) {
    auto values = std::make_shared<PppoeOptions>();
    auto* command = line.app().add_subcommand(
        "set-pppoe",
        "Switch one camera's PPPoE on or off, as the PPPoE page's OK does. --off sends the "
        "switch alone. --on also sends the account and the DNS choice: manual when --dns1 or "
        "--dns2 is given (a server not given is sent as 0.0.0.0), automatic otherwise. The "
        "camera never reports its account, so --on always needs it, even to change only the "
        "DNS; user ID and password go Base64-encoded, so they may hold any 8-bit characters "
        "(U+0001 to U+00FF, at most 64 each). With --on the page's "
        "account check runs first: an empty user ID prints \"UserID Error\", an empty password "
        "or a re-typed one that differs prints \"Password Error\"; either sends nothing and "
        "exits 1. Otherwise prints the camera's answer (\"Setting OK\", \"Setting NG\" or its "
        "own message) or \"No Response\" after about 10 s (\"Not Sent\" at once when the "
        "request could not be sent); exits 0 only when the camera "
        "accepted. A camera without PPPoE (\"pppoeReported\": 0 in discover --json) refuses "
        "the request. A usage error (a missing or conflicting option, a value too long or "
        "malformed) exits 2.");
    addMacArgument(command, values->mac);
    values->on = command->add_flag("--on", values->onFlag,
                                   "Switch PPPoE on; one of --on and --off is required");
    values->off = command->add_flag("--off", values->offFlag,
                                    "Switch PPPoE off; takes no account or DNS option");
    auto* user =
        command
            ->add_option("--pppoe-user", values->userId,
                         "PPPoE user ID (with --on; empty if not given, which the check refuses)")
            ->transform(latin1Argument())
            ->check(accountLengthValidator());
    values->password = line.addPasswordOption(
        command, {"--pppoe-password", "PELMORA_PPPOE_PASSWORD", "PPPoE password"},
        "PPPoE password (with --on; empty if given nowhere, which the check refuses)",
        latin1Argument(), {accountLengthValidator()});
    values->retype = command
                         ->add_option("--pppoe-retype", values->retyped,
                                      "The PPPoE password typed again, compared exactly (with "
                                      "--on; default: the PPPoE password itself, from wherever "
                                      "it came, so it is best left out)")
                         ->transform(latin1Argument())
                         ->check(accountLengthValidator());
    line.addVisiblePasswordOption(values->retype,
                                  "leave --pppoe-retype out, the PPPoE password then counts as "
                                  "typed twice");
    auto* dnsAuto = command->add_flag("--dns-auto", values->dnsAutoFlag,
                                      "Obtain DNS server addresses automatically (with --on; the "
                                      "default when neither --dns1 nor --dns2 is given)");
    values->dns1Option = command
                             ->add_option("--dns1", values->dns1,
                                          "Primary DNS server (with --on; manual DNS, sent as "
                                          "0.0.0.0 when only --dns2 is given)")
                             ->check(addressValidator());
    values->dns2Option = command
                             ->add_option("--dns2", values->dns2,
                                          "Secondary DNS server (with --on; manual DNS, sent as "
                                          "0.0.0.0 when only --dns1 is given)")
                             ->check(addressValidator());
    values->on->excludes(values->off);
    auto onOnly = values->password->options();
    onOnly.insert(onOnly.end(),
                  {user, values->retype, dnsAuto, values->dns1Option, values->dns2Option});
    for (auto* option : onOnly) {
        values->off->excludes(option);
    }
    dnsAuto->excludes(values->dns1Option)->excludes(values->dns2Option);
    line.addCredentialOptions(command, kMinPppoeCredentialLength, &values->mac);
    line.addTargetOption(command);
    line.addDryRunOption(command);
    command->callback([&line, values] {
        if (!PppoeOptions::given(values->on) && !PppoeOptions::given(values->off)) {
            throw CLI::RequiredError("--on or --off");
        }
        line.setAction([&line, values] {
            const auto settings = values->settings();
            if (settings.on) {
                const auto verdict = checkPppoeAccount(settings.userId, settings.password,
                                                       values->retypedPassword());
                if (verdict != PppoeAccountVerdict::Valid) {
                    const auto message = pppoeAccountMessage(verdict);
                    writeOutput(stdout, std::string(message) + "\n");
                    return 1;
                }
            }
            const auto request =
                buildPppoeRequest(values->mac, line.user(), line.password(), settings);
            return runSettingCommand({line.target(),
                                      values->mac,
                                      request,
                                      line.dryRun(),
                                      {line.user(), settings.userId}},
                                     stdout);
        });
    });
}

}  // namespace pelmora
