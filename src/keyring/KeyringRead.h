#pragma once
// The command line's read of one camera's kept credentials: it waits for the Secret Service, at
// most a while, and says why when nothing can be had. No Qt in this header: the command-line
// code stays free of it.

#include <chrono>
#include <optional>
#include <string>

#include "keyring/CredentialSecret.h"

namespace pelmora {

struct KeyringRead {
    std::optional<StoredCredentials> credentials;
    // Why there are none: no Secret Service reachable, or none kept for this camera.
    bool serviceReachable = false;
    std::string reason;
};

KeyringRead readKeptCredentials(const std::string& mac, std::chrono::milliseconds timeout);

}  // namespace pelmora
