#pragma once
// Transport constants and framing bytes shared by every datagram of the setup protocol.

#include <cstddef>
#include <cstdint>

namespace pelmora {

inline constexpr std::uint16_t kSetupPort = 2380;
inline constexpr const char* kBroadcastAddress = "255.255.255.255";
// The largest datagram accepted; anything longer is dropped on receipt.
inline constexpr std::size_t kMaxDatagram = 1072;

inline constexpr char kStx = '\x02';
inline constexpr char kEtx = '\x03';
inline constexpr char fieldTerminator = '\xFF';

}  // namespace pelmora
