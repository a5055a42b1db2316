#include "cli/MacArgument.h"

namespace pelmora {

CLI::Validator macArgument() {
    return CLI::Validator(
        [](std::string& text) {
            const auto mac = canonicalMac(text);
            if (!mac) {
                return std::string(
                    "must be a MAC address, six two-digit hex pairs such as 02:50:4D:00:00:01 "
                    "(or 02-50-4d-00-00-01)");
            }
            text = *mac;
            return std::string();
        },
        "MAC");
}

}  // namespace pelmora
