#include "keyring/CredentialSecret.h"

#include <nlohmann/json.hpp>

#include "protocol/MacAddress.h"

namespace pelmora {
namespace {

// Far beyond any camera's field; a longer secret is not ours.
constexpr std::size_t kLongestSecret = 4096;

}  // namespace

std::string credentialSecret(const StoredCredentials& credentials) {
    return nlohmann::json{{"name", credentials.name}, {"password", credentials.password}}.dump();
}

std::optional<StoredCredentials> parseCredentialSecret(std::string_view secret) {
    if (secret.size() > kLongestSecret) {
        return std::nullopt;
    }
    const auto object = nlohmann::json::parse(secret, nullptr, false);
    if (!object.is_object() || !object.contains("name") || !object.contains("password") ||
        !object["name"].is_string() || !object["password"].is_string()) {
        return std::nullopt;
    }
    return StoredCredentials{object["name"].get<std::string>(),
                             object["password"].get<std::string>()};
}

std::string credentialKey(std::string_view mac) {
    const auto parsed = MacAddress::parse(std::string(mac));
    return parsed ? parsed->text() : std::string();
}

}  // namespace pelmora
