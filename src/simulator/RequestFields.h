#pragma once
// The fields of a received setting request, split exactly at the field terminators. Unlike the
// tool, which finds reply keys by substring search, a camera matches whole keys, so "DNS1:" never
// matches inside "PPPOEDNS1:" and "IDPASS:" never inside "PPPOEIDPASS:".

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace pelmora::sim {

class RequestFields {
  public:
    // `text` must outlive this object: the fields are views into it. A leading 0x02 is skipped;
    // text after the last terminator (the 0x03, or an unterminated field) and pieces without a
    // colon are ignored.
    explicit RequestFields(std::string_view text);

    // The value of the first field whose key is exactly `key` (colon included).
    std::optional<std::string_view> value(std::string_view key) const;
    bool has(std::string_view key) const { return value(key).has_value(); }
    // The key of the first field, or empty.
    std::string_view firstKey() const;

  private:
    std::vector<std::pair<std::string_view, std::string_view>> fields_;
};

}  // namespace pelmora::sim
