#pragma once
// An element's text as a value of its schema type. A missing element, or a text that is not a
// value of the type, is unknown: devices leave things out and some write what they like.

#include <optional>
#include <string>

#include "onvif/XmlDocument.h"
#include "protocol/Ipv4.h"

namespace pelmora::onvif {

// A child in the ONVIF schema namespace (tt:), where the readings keep their values; unknown when
// the parent is.
std::optional<XmlElement> schemaChild(const std::optional<XmlElement>& parent,
                                      std::string_view name);

std::optional<std::string> textOf(const std::optional<XmlElement>& element);
// xs:boolean: "true", "false", "1", "0"; firmware that writes "True" is understood too.
std::optional<bool> boolOf(const std::optional<XmlElement>& element);
// xs:int, decimal with an optional sign.
std::optional<int> intOf(const std::optional<XmlElement>& element);
// "A.B.C.D".
std::optional<Ipv4> ipv4Of(const std::optional<XmlElement>& element);

}  // namespace pelmora::onvif
