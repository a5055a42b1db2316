#pragma once
// What a diagnostic line reports. A line that goes with the end of the program (a fatal socket
// error, a failed receive) begins "Error : "; one that ends nothing (a datagram dropped, a send
// that failed, lines dropped) begins "Warning: ", so that a script tells them apart by the prefix.

#include <cstddef>
#include <cstdint>

namespace pelmora {

enum class DiagnosticKind : std::uint8_t {
    OversizeDatagram,
    ReceiveFailed,
    SendFailed,
    Fatal,
};

inline constexpr std::size_t kDiagnosticKinds = 4;

}  // namespace pelmora
