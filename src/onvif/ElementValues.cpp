#include "onvif/ElementValues.h"

#include <charconv>
#include <string_view>

#include "onvif/Namespaces.h"

namespace pelmora::onvif {

std::optional<XmlElement> schemaChild(const std::optional<XmlElement>& parent,
                                      std::string_view name) {
    return parent ? parent->child(ns::kSchema, name) : std::nullopt;
}
namespace {

bool equalsIgnoringCase(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != lower[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::string> textOf(const std::optional<XmlElement>& element) {
    if (!element) {
        return std::nullopt;
    }
    return element->text();
}

std::optional<bool> boolOf(const std::optional<XmlElement>& element) {
    const auto text = textOf(element);
    if (!text) {
        return std::nullopt;
    }
    if (*text == "1" || equalsIgnoringCase(*text, "true")) {
        return true;
    }
    if (*text == "0" || equalsIgnoringCase(*text, "false")) {
        return false;
    }
    return std::nullopt;
}

std::optional<int> intOf(const std::optional<XmlElement>& element) {
    const auto text = textOf(element);
    if (!text) {
        return std::nullopt;
    }
    std::string_view digits = *text;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && digits.front() == '-') {
            return std::nullopt;
        }
    }
    int value = 0;
    const auto* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value);
    if (digits.empty() || error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<Ipv4> ipv4Of(const std::optional<XmlElement>& element) {
    const auto text = textOf(element);
    return text ? parseIpv4(*text) : std::nullopt;
}

}  // namespace pelmora::onvif
