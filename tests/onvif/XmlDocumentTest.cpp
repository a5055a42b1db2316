// The reader every ONVIF message goes through: what it refuses outright, and how it finds
// elements and texts whatever prefixes a device chose.
#include "onvif/XmlDocument.h"

#include <gtest/gtest.h>

#include <string>

#include "onvif/XmlText.h"

namespace pelmora::onvif {
namespace {

TEST(XmlDocument, refusesDoctypesOversizeAndBrokenDocumentsQuietly) {
    const std::string element = "<a>" + std::string(kMaxXmlBytes - 7, 'x') + "</a>";
    const struct {
        const char* what;
        std::string bytes;
        XmlRefusal refusal;
    } cases[] = {
        {"entity expansion",
         R"(<?xml version="1.0"?><!DOCTYPE a [<!ENTITY x "xxxxxxxxxx"><!ENTITY y "&x;&x;&x;&x;">]>)"
         "<a>&y;&y;</a>",
         XmlRefusal::Doctype},
        {"external entity", R"(<!DOCTYPE a [<!ENTITY f SYSTEM "file:///etc/passwd">]><a>&f;</a>)",
         XmlRefusal::Doctype},
        {"external DTD", R"(<!DOCTYPE a SYSTEM "http://192.0.2.1/a.dtd"><a/>)",
         XmlRefusal::Doctype},
        {"bare DOCTYPE", "<!DOCTYPE a><a/>", XmlRefusal::Doctype},
        {"exactly the cap", element, XmlRefusal::None},
        {"one byte over", element + " ", XmlRefusal::TooLarge},
        {"undeclared entity", "<a>&nbsp;</a>", XmlRefusal::Malformed},
        {"mismatched tags", "<a><b></a>", XmlRefusal::Malformed},
        {"two roots", "<a/><b/>", XmlRefusal::Malformed},
        {"empty", "", XmlRefusal::Malformed},
        {"not XML", "HTTP/1.1 200 OK", XmlRefusal::Malformed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::internal::CaptureStderr();
        const auto document = XmlDocument::parse(c.bytes);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(document.refusal(), c.refusal);
        EXPECT_EQ(document.root().has_value(), c.refusal == XmlRefusal::None);
    }
}

TEST(XmlDocument, findsElementsByNamespaceWhateverThePrefix) {
    for (const char* text :
         {R"(<p:r xmlns:p="urn:a" xmlns:q="urn:b"><q:c>one</q:c><p:c>two</p:c></p:r>)",
          R"(<r xmlns="urn:a"><c xmlns="urn:b">one</c><c>two</c></r>)",
          R"(<x:r xmlns:x="urn:a"><x:c xmlns:x="urn:b">one</x:c><x:c>two</x:c></x:r>)"}) {
        SCOPED_TRACE(text);
        const auto document = XmlDocument::parse(text);
        const auto root = document.root();
        ASSERT_TRUE(root);
        EXPECT_TRUE(root->is("urn:a", "r"));
        EXPECT_EQ(root->child("urn:b", "c")->text(), "one");
        EXPECT_EQ(root->child("urn:a", "c")->text(), "two");
        EXPECT_FALSE(root->child("", "c"));
        EXPECT_EQ(root->children("urn:a", "c", 5).size(), 1u);
    }
}

TEST(XmlDocument, textsAreTrimmedCappedOnCharactersAndNamesResolvedInScope) {
    const auto document = XmlDocument::parse(
        "<r xmlns='urn:d' xmlns:p='urn:p' t=' v '>"
        "<s>\n\t &#233;&#233;&#233; <![CDATA[<b>]]>\r\n</s><l/><l/><l/>"
        "<q xmlns:p='urn:inner'>p:x y u:z</q></r>");
    const auto root = document.root();
    ASSERT_TRUE(root);
    EXPECT_EQ(root->attribute("t"), "v");
    EXPECT_FALSE(root->attribute("u"));
    const auto s = root->child("urn:d", "s");
    EXPECT_EQ(s->text(), "\xC3\xA9\xC3\xA9\xC3\xA9 <b>");
    EXPECT_EQ(s->text(5), "\xC3\xA9\xC3\xA9");  // not half of the third
    EXPECT_EQ(root->children("urn:d", "l", 2).size(), 2u);
    const auto q = root->child("urn:d", "q");
    EXPECT_EQ(q->resolve("p:x"), (QualifiedName{"urn:inner", "x"}));
    EXPECT_EQ(q->resolve("y"), (QualifiedName{"urn:d", "y"}));
    EXPECT_EQ(q->resolve("u:z"), (QualifiedName{"", "z"}));
}

TEST(XmlText, listsSplitOnAnyWhiteSpaceAndBadBytesBecomeReplacements) {
    EXPECT_EQ(splitXmlList(" a\tb\r\n\nc  ", 10, 10), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(splitXmlList("a b c d", 2, 10), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(splitXmlList("abcdef g", 5, 3), (std::vector<std::string>{"abc", "g"}));
    const struct {
        const char* bytes;
        const char* valid;
    } cases[] = {
        {"plain", "plain"},
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x93\xB7", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x93\xB7"},
        {"a\xFF"
         "b",
         "a\xEF\xBF\xBD"
         "b"},
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // an overlong "/"
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // a surrogate
        {"end\xE2\x82", "end\xEF\xBF\xBD\xEF\xBF\xBD"},            // cut short
    };
    for (const auto& c : cases) {
        EXPECT_EQ(validUtf8(c.bytes), c.valid) << c.bytes;
    }
}

}  // namespace
}  // namespace pelmora::onvif
