#include "simulator/RequestFields.h"

#include "protocol/Wire.h"

namespace pelmora::sim {

RequestFields::RequestFields(std::string_view text) {
    if (!text.empty() && text.front() == kStx) {
        text.remove_prefix(1);
    }
    for (auto end = text.find(fieldTerminator); end != std::string_view::npos;
         end = text.find(fieldTerminator)) {
        const auto field = text.substr(0, end);
        text.remove_prefix(end + 1);
        const auto colon = field.find(':');
        if (colon != std::string_view::npos) {
            fields_.emplace_back(field.substr(0, colon + 1), field.substr(colon + 1));
        }
    }
}

std::optional<std::string_view> RequestFields::value(std::string_view key) const {
    for (const auto& [k, v] : fields_) {
        if (k == key) {
            return v;
        }
    }
    return std::nullopt;
}

std::string_view RequestFields::firstKey() const {
    return fields_.empty() ? std::string_view{} : fields_.front().first;
}

}  // namespace pelmora::sim
