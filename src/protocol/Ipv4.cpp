#include "protocol/Ipv4.h"

namespace pelmora {

std::string formatIpv4(const Ipv4& a) {
    return std::to_string(a[0]) + '.' + std::to_string(a[1]) + '.' + std::to_string(a[2]) + '.' +
           std::to_string(a[3]);
}

}  // namespace pelmora
