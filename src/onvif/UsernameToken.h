#pragma once
// WS-Security's UsernameToken with a password digest, the way cameras accept a user name and
// password inside the request: the password itself never travels, only
// Base64(SHA-1(nonce + created + password)), and a camera refuses a token whose Created time is
// far from its own clock, so the caller gives that time already corrected by the camera's
// offset.

#include <chrono>
#include <string>
#include <string_view>

namespace pelmora::onvif {

inline constexpr std::size_t kNonceBytes = 16;

struct UsernameToken {
    std::string user;
    std::string password;
    // kNonceBytes raw bytes, fresh for every request (randomBytes).
    std::string nonce;
    // This PC's UTC time plus the camera's clock offset.
    std::chrono::sys_seconds created;
};

// "2026-07-01T09:30:05Z".
std::string formatCreated(std::chrono::sys_seconds time);

// Base64(SHA-1(nonce + created + password)), nonce as raw bytes, created as written in the token.
std::string passwordDigest(std::string_view nonce, std::string_view created,
                           std::string_view password);

// The <wsse:Security> header element carrying the token.
std::string securityHeader(const UsernameToken& token);

}  // namespace pelmora::onvif
