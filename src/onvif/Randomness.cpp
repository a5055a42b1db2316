#include "onvif/Randomness.h"

#include <openssl/rand.h>

#include <cstdio>
#include <stdexcept>

namespace pelmora::onvif {

std::string randomBytes(std::size_t count) {
    std::string bytes(count, '\0');
    if (count > 0 &&
        RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), static_cast<int>(count)) != 1) {
        // Only when the system has no entropy to give; a predictable nonce is worse than none.
        throw std::runtime_error("no random bytes from OpenSSL");
    }
    return bytes;
}

std::string randomUuidUrn() {
    auto bytes = randomBytes(16);
    bytes[6] = static_cast<char>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<char>((bytes[8] & 0x3F) | 0x80);
    std::string urn = "urn:uuid:";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            urn += '-';
        }
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(bytes[i]));
        urn += pair;
    }
    return urn;
}

}  // namespace pelmora::onvif
