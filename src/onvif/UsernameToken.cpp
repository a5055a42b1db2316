#include "onvif/UsernameToken.h"

#include <openssl/evp.h>

#include <cstdio>
#include <stdexcept>

#include "onvif/Namespaces.h"
#include "onvif/XmlText.h"
#include "protocol/Base64.h"

namespace pelmora::onvif {

std::string formatCreated(std::chrono::sys_seconds time) {
    using namespace std::chrono;
    const auto day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return text;
}

std::string passwordDigest(std::string_view nonce, std::string_view created,
                           std::string_view password) {
    std::string input;
    input.reserve(nonce.size() + created.size() + password.size());
    input.append(nonce).append(created).append(password);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(input.data(), input.size(), digest, &length, EVP_sha1(), nullptr) != 1) {
        throw std::runtime_error("SHA-1 is not available from OpenSSL");
    }
    return base64Encode(std::string_view(reinterpret_cast<const char*>(digest), length));
}

std::string securityHeader(const UsernameToken& token) {
    const auto created = formatCreated(token.created);
    std::string header;
    header.reserve(900);
    header += R"(<wsse:Security s:mustUnderstand="1" xmlns:wsse=")";
    header += ns::kSecurity;
    header += R"(" xmlns:wsu=")";
    header += ns::kSecurityUtility;
    header += R"("><wsse:UsernameToken><wsse:Username>)";
    header += escapeXml(token.user);
    header += R"(</wsse:Username><wsse:Password Type=")";
    header += ns::kPasswordDigest;
    header += R"(">)";
    header += passwordDigest(token.nonce, created, token.password);
    header += R"(</wsse:Password><wsse:Nonce EncodingType=")";
    header += ns::kBase64Binary;
    header += R"(">)";
    header += base64Encode(token.nonce);
    header += R"(</wsse:Nonce><wsu:Created>)";
    header += created;
    header += R"(</wsu:Created></wsse:UsernameToken></wsse:Security>)";
    return header;
}

}  // namespace pelmora::onvif
