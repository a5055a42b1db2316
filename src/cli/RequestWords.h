#pragma once
// A setting request in words, for --dry-run: each field it carries, in its order, as a person
// reads it. The request holds the passwords only Base64-encoded and they are never decoded
// here: the names shown for the credential fields are handed in by the caller.

#include <string>
#include <string_view>

namespace pelmora {

struct RequestNames {
    std::string_view administrator;  // "IDPASS:" is shown as "administrator NAME"
    std::string_view pppoeUser;      // "PPPOEIDPASS:" as "PPPoE user ID NAME"
};

// "DHCP off, IP address 10.1.0.4, subnet mask 255.255.255.0, DNS manual, HTTP port 80;
// administrator admin". Camera-bound text is made safe for a terminal.
std::string describeRequest(std::string_view request, const RequestNames& names);

// "Would send to MAC: " and the description, one line.
std::string dryRunLine(std::string_view mac, std::string_view request, const RequestNames& names);

}  // namespace pelmora
