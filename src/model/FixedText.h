#pragma once
// Bounded copies into fixed-width NUL-terminated fields.

#include <cstddef>
#include <cstring>
#include <string_view>

namespace pelmora {

// Copies at most N − 1 bytes of `value` and zero-fills the rest, so the field always ends in
// NUL and two equal texts are equal byte for byte over the whole field.
template <std::size_t N>
void copyField(char (&field)[N], std::string_view value) {
    const std::size_t n = value.size() < N - 1 ? value.size() : N - 1;
    // An empty view may have a null data(), which memcpy must not be given even for 0 bytes.
    if (n != 0) {
        std::memcpy(field, value.data(), n);
    }
    std::memset(field + n, 0, N - n);
}

template <std::size_t N>
std::string_view fieldText(const char (&field)[N]) {
    return {field, strnlen(field, N)};
}

}  // namespace pelmora
