#include "simulator/UsernameTokenCheck.h"

#include <charconv>
#include <string>

#include "onvif/Namespaces.h"
#include "onvif/UsernameToken.h"
#include "protocol/Base64.h"

namespace pelmora::sim {
namespace {

namespace ns = onvif::ns;

// The digits of text[from, from + count) as a number, or −1.
int digitsAt(std::string_view text, std::size_t from, std::size_t count) {
    if (from + count > text.size()) {
        return -1;
    }
    int value = 0;
    const char* begin = text.data() + from;
    const auto [end, error] = std::from_chars(begin, begin + count, value);
    return error == std::errc{} && end == begin + count ? value : -1;
}

}  // namespace

std::optional<std::chrono::sys_seconds> parseCreated(std::string_view text) {
    using namespace std::chrono;
    if (text.size() < 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    const int fields[] = {digitsAt(text, 0, 4),  digitsAt(text, 5, 2),  digitsAt(text, 8, 2),
                          digitsAt(text, 11, 2), digitsAt(text, 14, 2), digitsAt(text, 17, 2)};
    for (const int field : fields) {
        if (field < 0) {
            return std::nullopt;
        }
    }
    auto rest = text.substr(19);
    if (rest.starts_with('.')) {
        rest.remove_prefix(1);
        const auto digits = rest.find_first_not_of("0123456789");
        rest.remove_prefix(digits == std::string_view::npos ? rest.size() : digits);
    }
    if (!rest.empty() && rest != "Z") {
        return std::nullopt;
    }
    const year_month_day date{year{fields[0]}, month{static_cast<unsigned>(fields[1])},
                              day{static_cast<unsigned>(fields[2])}};
    if (!date.ok() || fields[3] > 23 || fields[4] > 59 || fields[5] > 60) {
        return std::nullopt;
    }
    return sys_days{date} + hours{fields[3]} + minutes{fields[4]} + seconds{fields[5]};
}

TokenCheck checkUsernameToken(const std::optional<onvif::XmlElement>& header, std::string_view user,
                              std::string_view password, std::chrono::sys_seconds cameraNow) {
    const auto security = header ? header->child(ns::kSecurity, "Security") : std::nullopt;
    const auto token = security ? security->child(ns::kSecurity, "UsernameToken") : std::nullopt;
    if (!token) {
        return TokenCheck::Absent;
    }
    const auto name = token->child(ns::kSecurity, "Username");
    const auto digest = token->child(ns::kSecurity, "Password");
    const auto nonce = token->child(ns::kSecurity, "Nonce");
    const auto created = token->child(ns::kSecurityUtility, "Created");
    if (!name || !digest || !nonce || !created || name->text() != user ||
        digest->attribute("Type", 512).value_or("") != ns::kPasswordDigest) {
        return TokenCheck::Refused;
    }
    const auto rawNonce = base64Decode(nonce->text());
    const auto createdText = created->text();
    const auto createdTime = parseCreated(createdText);
    if (!rawNonce || !createdTime) {
        return TokenCheck::Refused;
    }
    const auto distance =
        *createdTime > cameraNow ? *createdTime - cameraNow : cameraNow - *createdTime;
    if (distance > kCreatedTolerance) {
        return TokenCheck::Refused;
    }
    return onvif::passwordDigest(*rawNonce, createdText, password) == digest->text()
               ? TokenCheck::Accepted
               : TokenCheck::Refused;
}

}  // namespace pelmora::sim
