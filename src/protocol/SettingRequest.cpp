#include "protocol/SettingRequest.h"

#include "protocol/Base64.h"

namespace pelmora {

SettingRequest::SettingRequest(std::string_view mac) {
    builder_.field("SETMAC:", mac);
}

SettingRequest& SettingRequest::credentials(std::string_view name, std::string_view password) {
    builder_.field("IDPASS:", encodeCredentials(name, password));
    return *this;
}

SettingRequest& SettingRequest::field(std::string_view key, std::string_view value) {
    builder_.field(key, value);
    return *this;
}

std::string SettingRequest::finish() {
    return builder_.finish();
}

std::string encodeCredentials(std::string_view name, std::string_view password) {
    std::string plain;
    plain.reserve(name.size() + 1 + password.size());
    plain.append(name).append(":").append(password);
    return base64Encode(plain);
}

}  // namespace pelmora
