#include "onvif/DiscoveryMessage.h"

#include <charconv>

#include "onvif/Namespaces.h"
#include "onvif/SoapEnvelope.h"
#include "onvif/XmlText.h"

namespace pelmora::onvif {
namespace {

// Room for a few dozen scopes or addresses before they are split and capped one by one.
constexpr std::size_t kListTextCap = 16 * 1024;

// Devices pair the versions of discovery and addressing as they please; either is read.
std::optional<XmlElement> addressingChild(const XmlElement& parent, std::string_view name) {
    if (auto found = parent.child(ns::kAddressing2004, name)) {
        return found;
    }
    return parent.child(ns::kAddressing2005, name);
}

std::optional<std::uint32_t> readUnsigned(std::string_view text) {
    std::uint32_t value = 0;
    const auto* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end || text.empty()) {
        return std::nullopt;
    }
    return value;
}

DiscoveryMatch readMatch(const XmlElement& element, std::string_view discovery) {
    DiscoveryMatch match;
    if (const auto reference = addressingChild(element, "EndpointReference")) {
        if (const auto address = addressingChild(*reference, "Address")) {
            match.endpoint = address->text();
        }
    }
    if (const auto types = element.child(discovery, "Types")) {
        for (const auto& name : splitXmlList(types->text(kListTextCap), kMaxTypes, kMaxTextBytes)) {
            match.types.push_back(types->resolve(name));
        }
    }
    if (const auto scopes = element.child(discovery, "Scopes")) {
        match.scopes = splitXmlList(scopes->text(kListTextCap), kMaxScopes, kMaxTextBytes);
    }
    if (const auto xaddrs = element.child(discovery, "XAddrs")) {
        match.xaddrs = splitXmlList(xaddrs->text(kListTextCap), kMaxXAddrs, kMaxTextBytes);
    }
    if (const auto version = element.child(discovery, "MetadataVersion")) {
        match.metadataVersion = readUnsigned(version->text());
    }
    return match;
}

// The kind of message a body's first element makes, and the discovery namespace it is in.
std::optional<std::pair<DiscoveryKind, DiscoveryVersion>> kindOf(const XmlElement& element) {
    DiscoveryVersion version;
    if (element.namespaceUri() == ns::kDiscovery2005) {
        version = DiscoveryVersion::Draft2005;
    } else if (element.namespaceUri() == ns::kDiscovery2009) {
        version = DiscoveryVersion::Oasis2009;
    } else {
        return std::nullopt;
    }
    const auto name = element.localName();
    if (name == "ProbeMatches") {
        return std::pair{DiscoveryKind::ProbeMatches, version};
    }
    if (name == "Hello") {
        return std::pair{DiscoveryKind::Hello, version};
    }
    if (name == "Bye") {
        return std::pair{DiscoveryKind::Bye, version};
    }
    return std::nullopt;
}

}  // namespace

DiscoveryMessage readDiscoveryMessage(std::string_view bytes) {
    DiscoveryMessage message;
    const auto document = XmlDocument::parse(bytes);
    message.refusal = document.refusal();
    const auto envelope = soapEnvelope(document);
    if (!envelope) {
        return message;
    }
    const auto content = envelope->body ? envelope->body->firstChild() : std::nullopt;
    const auto kind = content ? kindOf(*content) : std::nullopt;
    if (!kind) {
        return message;
    }
    message.kind = kind->first;
    message.version = kind->second;
    if (envelope->header) {
        if (const auto id = addressingChild(*envelope->header, "MessageID")) {
            message.messageId = id->text();
        }
        if (const auto relatesTo = addressingChild(*envelope->header, "RelatesTo")) {
            message.relatesTo = relatesTo->text();
        }
    }
    const auto discovery = content->namespaceUri();
    if (message.kind == DiscoveryKind::ProbeMatches) {
        for (const auto& match :
             content->children(discovery, "ProbeMatch", kMaxMatchesPerMessage)) {
            message.matches.push_back(readMatch(match, discovery));
        }
    } else {
        message.matches.push_back(readMatch(*content, discovery));
    }
    return message;
}

}  // namespace pelmora::onvif
