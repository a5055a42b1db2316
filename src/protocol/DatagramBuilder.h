#pragma once
// Builds a datagram: 0x02, then fields (key, value, 0xFF), then 0x03.

#include <string>
#include <string_view>

namespace pelmora {

class DatagramBuilder {
  public:
    DatagramBuilder();

    // `key` includes its colon ("DHCP:").
    DatagramBuilder& field(std::string_view key, std::string_view value);
    // The finished datagram; the builder should not be used afterwards.
    std::string finish();

  private:
    std::string text_;
};

// The discovery enquiry: 02 "ENQ:allinfo" FF 03, fourteen bytes.
std::string buildEnquiry();

}  // namespace pelmora
