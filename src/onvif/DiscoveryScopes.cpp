#include "onvif/DiscoveryScopes.h"

#include "onvif/Namespaces.h"
#include "onvif/XmlText.h"

namespace pelmora::onvif {
namespace {

constexpr std::string_view kOnvifScope = "onvif://www.onvif.org/";

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (lower(text[i]) != lower(prefix[i])) {
            return false;
        }
    }
    return true;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

}  // namespace

bool isOnvifCamera(std::span<const QualifiedName> types) {
    for (const auto& type : types) {
        if ((type.namespaceUri == ns::kNetworkWsdl &&
             type.localName == "NetworkVideoTransmitter") ||
            (type.namespaceUri == ns::kDeviceWsdl && type.localName == "Device")) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> scopeValues(std::span<const std::string> scopes,
                                     std::string_view category) {
    std::vector<std::string> values;
    for (const std::string_view scope : scopes) {
        // Scheme and host are case-insensitive in a URI; the category is matched the same way
        // since cameras write "Name" as often as "name".
        if (!startsWithIgnoringCase(scope, kOnvifScope)) {
            continue;
        }
        const auto rest = scope.substr(kOnvifScope.size());
        if (rest.size() > category.size() && rest[category.size()] == '/' &&
            startsWithIgnoringCase(rest, category)) {
            values.push_back(percentDecode(rest.substr(category.size() + 1)));
        }
    }
    return values;
}

std::optional<std::string> scopeValue(std::span<const std::string> scopes,
                                      std::string_view category) {
    auto values = scopeValues(scopes, category);
    if (values.empty()) {
        return std::nullopt;
    }
    return std::move(values.front());
}

std::string percentDecode(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(text[i + 2]) : -1;
        if (low >= 0) {
            bytes += static_cast<char>(high << 4 | low);
            i += 2;
        } else {
            bytes += text[i];
        }
    }
    return validUtf8(bytes);
}

}  // namespace pelmora::onvif
