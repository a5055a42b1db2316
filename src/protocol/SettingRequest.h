#pragma once
// The envelope of every setting request: "SETMAC:" with the camera's MAC first, then the fields
// in the order the caller adds them. "IDPASS:" carries Base64 of "name:password".

#include <string>
#include <string_view>

#include "protocol/DatagramBuilder.h"

namespace pelmora {

class SettingRequest {
  public:
    explicit SettingRequest(std::string_view mac);

    SettingRequest& credentials(std::string_view name, std::string_view password);
    SettingRequest& field(std::string_view key, std::string_view value);
    std::string finish();

  private:
    DatagramBuilder builder_;
};

// The value of an "IDPASS:" field.
std::string encodeCredentials(std::string_view name, std::string_view password);

}  // namespace pelmora
