#pragma once
// A document that came in from the LAN, read as a tree of namespaced elements. Everything here
// is untrusted: a document over kMaxXmlBytes is refused unread, one that declares a DOCTYPE is
// refused as soon as the declaration is met (entities and DTDs are how XML asks a reader to
// expand, fetch or validate), and nothing is ever loaded from the network or a file. Cameras
// choose their own prefixes, so elements are found by namespace URI and local name only.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

namespace pelmora::onvif {

inline constexpr std::size_t kMaxXmlBytes = std::size_t{1} << 20;
// What one field of a device's answer may hold; longer texts are cut.
inline constexpr std::size_t kMaxTextBytes = 1024;

enum class XmlRefusal { None, TooLarge, Doctype, Malformed };

// "too large", "has a DOCTYPE", "not well-formed XML"; "" for None.
std::string_view refusalText(XmlRefusal refusal);

struct QualifiedName {
    std::string namespaceUri;  // "" for a prefix that was never declared
    std::string localName;
    friend bool operator==(const QualifiedName&, const QualifiedName&) = default;
};

// An element of a parsed document; valid while that document lives.
class XmlElement {
  public:
    std::string_view localName() const;
    std::string_view namespaceUri() const;
    bool is(std::string_view namespaceUri, std::string_view localName) const;

    std::optional<XmlElement> firstChild() const;
    std::optional<XmlElement> child(std::string_view namespaceUri,
                                    std::string_view localName) const;
    // At most `limit`, in document order: a hostile list must not grow without bound.
    std::vector<XmlElement> children(std::string_view namespaceUri, std::string_view localName,
                                     std::size_t limit) const;

    // The element's own text (its text and CDATA children, not its descendants' texts), XML
    // white space trimmed at both ends, cut to at most `cap` bytes without splitting a
    // character.
    std::string text(std::size_t cap = kMaxTextBytes) const;
    // An attribute without a namespace, e.g. a NetworkInterface's token.
    std::optional<std::string> attribute(std::string_view localName,
                                         std::size_t cap = kMaxTextBytes) const;

    // "dn:NetworkVideoTransmitter" as written in this element's text, through the prefixes in
    // scope here; a name without a prefix takes the default namespace.
    QualifiedName resolve(std::string_view qualifiedName) const;

  private:
    friend class XmlDocument;
    explicit XmlElement(const _xmlNode* node) : node_(node) {}
    const _xmlNode* node_;
};

class XmlDocument {
  public:
    static XmlDocument parse(std::string_view bytes);

    XmlRefusal refusal() const { return refusal_; }
    // Nothing when the document was refused.
    std::optional<XmlElement> root() const;

  private:
    struct Free {
        void operator()(_xmlDoc* document) const;
    };
    std::unique_ptr<_xmlDoc, Free> document_;
    XmlRefusal refusal_ = XmlRefusal::None;
};

}  // namespace pelmora::onvif
