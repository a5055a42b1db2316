#pragma once
// After a camera was given a new address: whether it is there now. A directed probe to the new
// address, then every device that answers from it is asked for its interfaces; the camera is
// verified when one of them has its MAC and that address. Asked again until the time is up, as
// a camera takes a while to restart its network. Blocking.

#include <atomic>
#include <chrono>
#include <cstdint>

#include "onvif/SoapTransfer.h"
#include "protocol/Ipv4.h"
#include "protocol/MacAddress.h"

namespace pelmora::onvif {

// `cancel`, when given and set from another thread, ends the looking within about a second.
bool verifyAtAddress(const Ipv4& address, const MacAddress& mac, const HttpDigest& credentials,
                     std::uint16_t discoveryPort, std::chrono::milliseconds timeout,
                     const std::atomic<bool>* cancel = nullptr);

}  // namespace pelmora::onvif
