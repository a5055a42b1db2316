#include "onvif/XmlDocument.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <string>

#include "onvif/XmlText.h"

namespace pelmora::onvif {
namespace {

std::string_view view(const xmlChar* text) {
    return text == nullptr ? std::string_view{}
                           : std::string_view(reinterpret_cast<const char*>(text));
}

// Entities are left as they are (no XML_PARSE_NOENT), no DTD is loaded or applied, nothing is
// fetched, and libxml2's own limits on depth and text sizes stay in force (no XML_PARSE_HUGE).
// Its messages would go to stderr; a refused document is reported by the caller instead.
constexpr int kParseOptions =
    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;

struct ParseState {
    bool doctype = false;
};

// Called when "<!DOCTYPE" has been read and before anything inside it is: stopping here means
// no entity in it is ever declared, let alone expanded.
void refuseDoctype(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
    auto* parser = static_cast<xmlParserCtxtPtr>(context);
    static_cast<ParseState*>(parser->_private)->doctype = true;
    xmlStopParser(parser);
}

void ignoreError(void*, xmlErrorPtr) {}

struct FreeParser {
    void operator()(xmlParserCtxtPtr parser) const { xmlFreeParserCtxt(parser); }
};

bool isElement(const xmlNode* node) {
    return node->type == XML_ELEMENT_NODE;
}

}  // namespace

std::string_view refusalText(XmlRefusal refusal) {
    switch (refusal) {
        case XmlRefusal::None:
            return "";
        case XmlRefusal::TooLarge:
            return "too large";
        case XmlRefusal::Doctype:
            return "has a DOCTYPE";
        case XmlRefusal::Malformed:
            return "not well-formed XML";
    }
    return "";
}

void XmlDocument::Free::operator()(_xmlDoc* document) const {
    xmlFreeDoc(document);
}

XmlDocument XmlDocument::parse(std::string_view bytes) {
    XmlDocument result;
    if (bytes.size() > kMaxXmlBytes) {
        result.refusal_ = XmlRefusal::TooLarge;
        return result;
    }
    // libxml2 sets up its globals here once; from then on parsers on several threads are safe.
    static const bool initialised = (xmlInitParser(), true);
    (void)initialised;

    std::unique_ptr<xmlParserCtxt, FreeParser> parser(xmlNewParserCtxt());
    if (!parser) {
        result.refusal_ = XmlRefusal::Malformed;
        return result;
    }
    ParseState state;
    parser->_private = &state;
    parser->sax->internalSubset = refuseDoctype;
    parser->sax->serror = ignoreError;
    xmlDocPtr document =
        xmlCtxtReadMemory(parser.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr,
                          nullptr, kParseOptions);
    result.document_.reset(document);
    if (state.doctype || (document != nullptr && document->intSubset != nullptr)) {
        result.refusal_ = XmlRefusal::Doctype;
    } else if (document == nullptr || !parser->wellFormed ||
               xmlDocGetRootElement(document) == nullptr) {
        result.refusal_ = XmlRefusal::Malformed;
    }
    if (result.refusal_ != XmlRefusal::None) {
        result.document_.reset();
    }
    return result;
}

std::optional<XmlElement> XmlDocument::root() const {
    if (!document_) {
        return std::nullopt;
    }
    return XmlElement(xmlDocGetRootElement(document_.get()));
}

std::string_view XmlElement::localName() const {
    return view(node_->name);
}

std::string_view XmlElement::namespaceUri() const {
    return node_->ns == nullptr ? std::string_view{} : view(node_->ns->href);
}

bool XmlElement::is(std::string_view namespaceUri, std::string_view localName) const {
    return this->localName() == localName && this->namespaceUri() == namespaceUri;
}

std::optional<XmlElement> XmlElement::firstChild() const {
    for (const xmlNode* node = node_->children; node != nullptr; node = node->next) {
        if (isElement(node)) {
            return XmlElement(node);
        }
    }
    return std::nullopt;
}

std::optional<XmlElement> XmlElement::child(std::string_view namespaceUri,
                                            std::string_view localName) const {
    for (const xmlNode* node = node_->children; node != nullptr; node = node->next) {
        if (isElement(node) && XmlElement(node).is(namespaceUri, localName)) {
            return XmlElement(node);
        }
    }
    return std::nullopt;
}

std::vector<XmlElement> XmlElement::children(std::string_view namespaceUri,
                                             std::string_view localName, std::size_t limit) const {
    std::vector<XmlElement> found;
    for (const xmlNode* node = node_->children; node != nullptr && found.size() < limit;
         node = node->next) {
        if (isElement(node) && XmlElement(node).is(namespaceUri, localName)) {
            found.push_back(XmlElement(node));
        }
    }
    return found;
}

std::string XmlElement::text(std::size_t cap) const {
    // Gathered a little past the cap, so that trimming leading white space cannot make a long
    // text look short, and never more than the document itself held.
    std::string gathered;
    for (const xmlNode* node = node_->children; node != nullptr; node = node->next) {
        if (node->type != XML_TEXT_NODE && node->type != XML_CDATA_SECTION_NODE) {
            continue;
        }
        gathered += view(node->content);
        if (gathered.size() > cap + kMaxTextBytes) {
            break;
        }
    }
    return cutUtf8(trimXmlSpace(gathered), cap);
}

std::optional<std::string> XmlElement::attribute(std::string_view localName,
                                                 std::size_t cap) const {
    for (const xmlAttr* attribute = node_->properties; attribute != nullptr;
         attribute = attribute->next) {
        if (attribute->ns != nullptr || view(attribute->name) != localName) {
            continue;
        }
        std::string value;
        for (const xmlNode* node = attribute->children; node != nullptr; node = node->next) {
            if (node->type == XML_TEXT_NODE) {
                value += view(node->content);
            }
        }
        return cutUtf8(trimXmlSpace(value), cap);
    }
    return std::nullopt;
}

QualifiedName XmlElement::resolve(std::string_view qualifiedName) const {
    const auto colon = qualifiedName.find(':');
    std::string prefix;
    QualifiedName name;
    if (colon == std::string_view::npos) {
        name.localName = std::string(qualifiedName);
    } else {
        prefix = std::string(qualifiedName.substr(0, colon));
        name.localName = std::string(qualifiedName.substr(colon + 1));
    }
    // xmlSearchNs reads the node only; its pointer type is an accident of the C interface.
    const xmlNs* ns =
        xmlSearchNs(node_->doc, const_cast<xmlNode*>(node_),
                    prefix.empty() ? nullptr : reinterpret_cast<const xmlChar*>(prefix.c_str()));
    if (ns != nullptr) {
        name.namespaceUri = std::string(view(ns->href));
    }
    return name;
}

}  // namespace pelmora::onvif
