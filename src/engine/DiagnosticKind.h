#pragma once
// What a diagnostic line reports.

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
