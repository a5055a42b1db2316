// RFC 4648 Base64 as used for the "IDPASS:" credentials.
#include "protocol/Base64.h"

#include <gtest/gtest.h>

#include <string>

#include "protocol/SettingRequest.h"

namespace pelmora {
namespace {

struct Vector {
    const char* plain;
    const char* encoded;
};

// RFC 4648, section 10.
constexpr Vector kRfc4648Vectors[] = {
    {"", ""},
    {"f", "Zg=="},
    {"fo", "Zm8="},
    {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="},
    {"fooba", "Zm9vYmE="},
    {"foobar", "Zm9vYmFy"},
};

TEST(Base64, encodesEveryRfc4648Vector) {
    for (const auto& v : kRfc4648Vectors) {
        EXPECT_EQ(base64Encode(v.plain), v.encoded) << '"' << v.plain << '"';
    }
}

TEST(Base64, decodesEveryRfc4648Vector) {
    for (const auto& v : kRfc4648Vectors) {
        EXPECT_EQ(base64Decode(v.encoded), std::string(v.plain)) << v.encoded;
    }
}

TEST(Base64, everyByteValueRoundTripsAndUsesTheStandardAlphabet) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    const auto encoded = base64Encode(all);
    EXPECT_EQ(encoded.size(), 344u);  // 256 bytes: 86 groups, last one padded with "=="
    EXPECT_EQ(encoded.substr(0, 8), "AAECAwQF");
    EXPECT_EQ(encoded.substr(encoded.size() - 8), "/P3+/w==");
    EXPECT_EQ(base64Decode(encoded), all);
}

TEST(Base64, rejectsInvalidInput) {
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"length not a multiple of four", "Zg="},
        {"unpadded", "Zm9vYg"},
        {"single character", "Z"},
        {"padding in the second position", "Z==="},
        {"only padding", "===="},
        {"character after padding", "Zm=v"},
        {"padding before the last group", "Zg==Zm9v"},
        {"character outside the alphabet", "Zm9v!A=="},
        {"URL-safe alphabet", "Zm-_"},
        {"line break", "Zm9v\nYmFy"},
        {"white space", "Zm9v Zg="},
        {"8-bit byte", "Zm9\xC3"},
        {"NUL byte", std::string("Zm9\0", 4)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base64Decode(c.text), std::nullopt) << c.name;
    }
}

TEST(Base64, credentialsAreNameColonPassword) {
    EXPECT_EQ(encodeCredentials("admin", "12345"), "YWRtaW46MTIzNDU=");
    EXPECT_EQ(encodeCredentials("", ""), "Og==");
    EXPECT_EQ(base64Decode(encodeCredentials("us:er", "p\xE9w")), std::string("us:er:p\xE9w"));
}

}  // namespace
}  // namespace pelmora
