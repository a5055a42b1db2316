#include "cli/AddressOption.h"

#include <cstddef>
#include <string>

namespace pelmora {

std::optional<Ipv4> parseAddress(std::string_view text) {
    return parseIpv4(text);
}

CLI::Validator addressValidator() {
    return CLI::Validator(
        [](const std::string& text) {
            return parseAddress(text) ? std::string{}
                                      : std::string("must be an IPv4 address A.B.C.D");
        },
        "A.B.C.D");
}

}  // namespace pelmora
