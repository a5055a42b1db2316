#pragma once
// A camera's administrator name and password as one secret of the keyring: the pair travels as
// a small JSON object, so that either may hold any character. What the keyring hands back is
// checked like anything read from outside.

#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

// As typed, in UTF-8.
struct StoredCredentials {
    std::string name;
    std::string password;
};

std::string credentialSecret(const StoredCredentials& credentials);
// Nothing for a secret that is not such an object (another program's, or damaged).
std::optional<StoredCredentials> parseCredentialSecret(std::string_view secret);

// The key a camera's credentials are kept under: its MAC as cameras report it ("02:50:4D:…"),
// whichever case or separator it was given in; empty for text that is no MAC.
std::string credentialKey(std::string_view mac);

// The keyring's service the secrets are filed under.
inline constexpr const char* kCredentialService = "pelmora";

}  // namespace pelmora
