#pragma once
// The PPPoE page without its window: the account check its OK runs while "On" is checked, and
// the request it sends. The camera never reports its PPPoE account, so the user ID and password
// exist only on the form.

#include <string>
#include <string_view>

#include "protocol/Ipv4.h"

namespace pelmora {

// The PPPoE user ID and password (and the re-typed one) hold at most this many characters, so
// that the encoded account, and with it every request, fits the pending-request slot.
inline constexpr int kMaxPppoeAccountLength = 64;

struct PppoeSettings {
    bool on = false;
    // Read only while `on`.
    std::string userId;
    std::string password;
    bool dnsAuto = true;
    // Read only while `on` and not `dnsAuto`; a blank field is 0.0.0.0.
    Ipv4 primaryDns{};
    Ipv4 secondaryDns{};
};

enum class PppoeAccountVerdict { Valid, UserIdError, PasswordError };

// An empty user ID first; then the password must be non-empty and equal to the re-typed one,
// compared exactly.
PppoeAccountVerdict checkPppoeAccount(std::string_view userId, std::string_view password,
                                      std::string_view retyped);

// "UserID Error" or "Password Error"; empty for a valid account.
std::string_view pppoeAccountMessage(PppoeAccountVerdict verdict);

// "SETMAC:", "IDPASS:", then "PPPOEFUNC:OFF" alone, or "PPPOEFUNC:ON", "PPPOEIDPASS:" with
// Base64 of "user:password", and "PPPOEDNSAUTO:ON", or "PPPOEDNSAUTO:OFF" with "PPPOEDNS1:" and
// "PPPOEDNS2:". Nothing is checked here.
std::string buildPppoeRequest(std::string_view mac, std::string_view name,
                              std::string_view password, const PppoeSettings& settings);

}  // namespace pelmora
