#pragma once
// Unpredictable values for the messages: the nonce of a password digest (which must never
// repeat, or a captured request could be replayed) and the MessageID of a probe.

#include <cstddef>
#include <string>

namespace pelmora::onvif {

// `count` bytes from OpenSSL's generator.
std::string randomBytes(std::size_t count);

// "urn:uuid:" and a random (version 4) UUID in lower case.
std::string randomUuidUrn();

}  // namespace pelmora::onvif
