#include "protocol/Latin1Text.h"

#include <langinfo.h>

#include <cstddef>
#include <cwchar>

namespace pelmora {
namespace {

constexpr char32_t kLastLatin1 = 0xFF;

const char* const kOutsideLatin1 =
    "holds a character outside 8-bit text (U+0001 to U+00FF), which cameras cannot receive";

enum class Encoding { Utf8, Latin1, Other };

Encoding localeEncoding() {
    const std::string_view codeset = nl_langinfo(CODESET);
    // "ANSI_X3.4-1968" is how the C library names the ASCII of the "C" and "POSIX" locales.
    if (codeset == "UTF-8" || codeset == "ANSI_X3.4-1968") {
        return Encoding::Utf8;
    }
    return codeset == "ISO-8859-1" ? Encoding::Latin1 : Encoding::Other;
}

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// UTF-8 (RFC 3629). A character up to U+00FF is one byte below 0x80, or 0xC2 or 0xC3 and one
// continuation byte; a longer well-formed sequence is a character past U+00FF. Overlong and
// surrogate sequences are refused as past U+00FF rather than as malformed: refused either way.
std::optional<std::string> latin1FromUtf8(std::string_view text, std::string* error) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                                   : lead >= 0xE0 && lead <= 0xEF ? 3
                                   : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                  : 0;
        bool wellFormed = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; wellFormed && k < length; ++k) {
            wellFormed = isContinuation(static_cast<unsigned char>(text[i + k]));
        }
        if (!wellFormed) {
            *error = "is not UTF-8 text";
            return std::nullopt;
        }
        if (length != 2 || lead > 0xC3) {
            *error = kOutsideLatin1;
            return std::nullopt;
        }
        const auto next = static_cast<unsigned char>(text[i + 1]);
        out += static_cast<char>((lead & 0x1F) << 6 | (next & 0x3F));
        i += length;
    }
    return out;
}

// Any other locale encoding, through the C library: its wide characters are Unicode code
// points (__STDC_ISO_10646__).
std::optional<std::string> latin1FromMultibyte(std::string_view text, std::string* error) {
    static_assert(__STDC_ISO_10646__ > 0, "wide characters must be Unicode code points");
    std::string out;
    std::mbstate_t state{};
    for (std::size_t i = 0; i < text.size();) {
        wchar_t wide = 0;
        const std::size_t length = std::mbrtowc(&wide, text.data() + i, text.size() - i, &state);
        if (length == static_cast<std::size_t>(-1) || length == static_cast<std::size_t>(-2)) {
            *error = std::string("is not text in this locale's encoding, ") + nl_langinfo(CODESET);
            return std::nullopt;
        }
        if (static_cast<char32_t>(wide) > kLastLatin1) {
            *error = kOutsideLatin1;
            return std::nullopt;
        }
        out += static_cast<char>(wide);
        // A NUL byte is consumed as one character.
        i += length == 0 ? 1 : length;
    }
    return out;
}

}  // namespace

std::optional<std::string> latin1FromLocale(std::string_view text, std::string* error) {
    std::string ignored;
    std::string& reason = error != nullptr ? *error : ignored;
    switch (localeEncoding()) {
        case Encoding::Utf8:
            return latin1FromUtf8(text, &reason);
        case Encoding::Latin1:
            return std::string(text);
        case Encoding::Other:
            break;
    }
    return latin1FromMultibyte(text, &reason);
}

}  // namespace pelmora
