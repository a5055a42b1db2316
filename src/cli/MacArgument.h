#pragma once
// A camera's MAC address on the command line. A request is matched to its camera, and the
// camera's answer to the request, by the MAC text byte for byte, so the argument is brought to
// the one form cameras report (MacAddress) before anything is sent; any other text is a usage
// error. Every command that names cameras takes them through here.

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace pelmora {

// Converts a MAC argument to the cameras' form, or refuses it as a usage error.
CLI::Validator macArgument();

// The one camera of a setting command: the required MAC argument, in the cameras' form.
CLI::Option* addMacArgument(CLI::App* command, std::string& mac);

// The cameras of a command that takes several: the required MAC arguments, in the cameras'
// form, each as `help` describes them.
CLI::Option* addMacArguments(CLI::App* command, std::vector<std::string>& macs,
                             const std::string& help);

}  // namespace pelmora
