#pragma once
// The machinery that keeps the camera table current: the setup socket, the receive thread and
// the two periodic ticks (enquiry every 5 s, table maintenance every 1 s). The owner drives the
// ticks from its own timers, on the thread that owns the table's UI-side operations.

#include <unistd.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/DiagnosticQueue.h"
#include "engine/EngineObserver.h"
#include "engine/FatalSocketError.h"
#include "engine/LocalInterfaces.h"
#include "engine/ReceiveThread.h"
#include "engine/SendTarget.h"
#include "engine/SetupSocket.h"
#include "model/CameraTable.h"

namespace pelmora {

inline constexpr std::chrono::milliseconds kEnquiryPeriod{5000};
inline constexpr std::chrono::milliseconds kAgingPeriod{1000};

struct EngineOptions {
    SendTarget target = SendTarget::broadcast();
    // The descriptor the diagnostic lines ("Error : ..." for the fatal ones, "Warning: ..." for
    // the others) are written to, never waited on.
    int diagnostics = STDOUT_FILENO;
    // Receive buffer asked of the kernel, which caps it at net.core.rmem_max (and doubles it).
    int receiveBuffer = 4 * 1024 * 1024;
};

class DiscoveryEngine {
  public:
    // The table must have been reset; the engine becomes its sender for retries.
    DiscoveryEngine(CameraTable& table, EngineObserver* observer, EngineOptions options = {});
    ~DiscoveryEngine();
    DiscoveryEngine(const DiscoveryEngine&) = delete;
    DiscoveryEngine& operator=(const DiscoveryEngine&) = delete;

    // Opens the socket, starts the receive thread, enables discovery and sends the first
    // enquiry at once. A fatal error leaves nothing running; the caller reports it and exits.
    std::optional<FatalSocketError> start();

    // Sends a datagram to the target; 0 on success, −1 on failure (which is not fatal).
    int sendDatagram(std::string_view text);

    // Timer ticks. Each also retries diagnostic lines an unread output held back. The enquiry
    // tick also reads this PC's interfaces again: they come and go (a cable, a VPN, DHCP).
    void enquiryTick();
    void agingTick();

    // The stop handshake, then a last try at the diagnostic lines, with the counts of any
    // held back by the rate limit; CloseSocket when closing the socket failed. Never waits on
    // the output.
    std::optional<FatalSocketError> stop();

    // Writes the queued diagnostic lines as far as the output takes them without blocking.
    // The owner's thread, when the observer says lines are waiting and on every tick.
    void drainDiagnostics();
    // Writes a fatal error's line the same way (lost if the output is full: the exit code
    // still tells).
    void reportFatal(FatalSocketError error);
    DiagnosticQueue& diagnostics() { return diagnostics_; }

    // This PC's interfaces as read at the start and at the last enquiry tick. UI thread only.
    const std::vector<LocalInterface>& localInterfaces() const { return localInterfaces_; }

    CameraTable& table() { return table_; }
    std::uint16_t localPort() const { return socket_.localPort(); }
    const SetupSocket& socket() const { return socket_; }
    ReceiveStats receiveStats() const { return receiver_.stats(); }

  private:
    CameraTable& table_;
    EngineObserver* observer_;
    int diagnosticsFd_;
    DiagnosticQueue diagnostics_;
    SetupSocket socket_;
    ReceiveThread receiver_;
    std::vector<LocalInterface> localInterfaces_;
    bool running_ = false;
};

}  // namespace pelmora
