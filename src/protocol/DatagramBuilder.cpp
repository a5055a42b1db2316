#include "protocol/DatagramBuilder.h"

#include "protocol/Wire.h"

namespace pelmora {

DatagramBuilder::DatagramBuilder() : text_(1, kStx) {}

DatagramBuilder& DatagramBuilder::field(std::string_view key, std::string_view value) {
    text_.append(key);
    text_.append(value);
    text_.push_back(fieldTerminator);
    return *this;
}

std::string DatagramBuilder::finish() {
    text_.push_back(kEtx);
    return std::move(text_);
}

std::string buildEnquiry() {
    return DatagramBuilder{}.field("ENQ:", "allinfo").finish();
}

}  // namespace pelmora
