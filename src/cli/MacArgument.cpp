#include "cli/MacArgument.h"

#include "protocol/MacAddress.h"

namespace pelmora {

CLI::Validator macArgument() {
    return CLI::Validator(
        [](std::string& text) {
            const auto mac = MacAddress::parse(text);
            if (!mac) {
                return std::string(
                    "must be a MAC address, six two-digit hex pairs such as 02:50:4D:00:00:01 "
                    "(or 02-50-4d-00-00-01)");
            }
            text = mac->text();
            return std::string();
        },
        "MAC");
}

CLI::Option* addMacArgument(CLI::App* command, std::string& mac) {
    return command
        ->add_option("MAC", mac,
                     "The camera's MAC address as discover prints it, 02:50:4D:00:00:01 (lower "
                     "case and \"-\" separators are read too)")
        ->required()
        ->transform(macArgument());
}

CLI::Option* addMacArguments(CLI::App* command, std::vector<std::string>& macs,
                             const std::string& help) {
    return command->add_option("MAC", macs, help)->required()->transform(macArgument());
}

}  // namespace pelmora
