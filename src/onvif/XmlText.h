#pragma once
// Texts as devices write them, made safe to keep: trimmed as XML schema types are, split as
// XML lists are, and never longer than a cap.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora::onvif {

// Without the space, tab, CR and LF at either end.
std::string_view trimXmlSpace(std::string_view text);

// At most `cap` bytes of UTF-8 text, cut before a character that would not fit whole.
std::string cutUtf8(std::string_view text, std::size_t cap);

// The items of an XML list ("a b\tc"): split on white space, empty items dropped, at most
// `maxItems` items of at most `itemCap` bytes each.
std::vector<std::string> splitXmlList(std::string_view text, std::size_t maxItems,
                                      std::size_t itemCap);

// Well-formed UTF-8: each byte that does not begin or continue a valid character becomes
// U+FFFD. Decoded escapes can make any bytes; every text shown or written as JSON is UTF-8.
std::string validUtf8(std::string_view bytes);

// Valid UTF-8 safe for a terminal or a cell: the C0 and C1 controls and DEL (which could steer a
// terminal or break a line) as "?".
std::string printableUtf8(std::string_view bytes);

// `text` as the content of an element or a quoted attribute: & < > " ' as references.
std::string escapeXml(std::string_view text);

}  // namespace pelmora::onvif
