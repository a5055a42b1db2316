#pragma once
// The tool's one UDP socket: broadcasting on, bound to any local address and a port the system
// chooses. Sends come from the UI thread, receives from the receive thread.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/DiagnosticQueue.h"
#include "engine/FatalSocketError.h"
#include "engine/SendTarget.h"

namespace pelmora {

class SetupSocket {
  public:
    SetupSocket(SendTarget target, DiagnosticQueue& diagnostics, int receiveBuffer);
    ~SetupSocket();
    SetupSocket(const SetupSocket&) = delete;
    SetupSocket& operator=(const SetupSocket&) = delete;

    // Creates, configures and binds the socket; on failure nothing stays open.
    std::optional<FatalSocketError> open();

    // Sends one datagram (the bytes of `text`, no terminating NUL) to the target: a limited
    // broadcast leaves once by every broadcast interface. 0 when at least one send went out;
    // otherwise queues "Warning: sendto" and returns −1. The socket stays open either way.
    int sendDatagram(std::string_view text);

    // Closes the socket; false when close itself failed.
    bool close();

    int fd() const { return fd_; }
    // Datagrams the kernel dropped because the receive buffer was full.
    std::uint32_t kernelDrops() const;
    std::uint16_t localPort() const;
    // The receive buffer size the kernel granted, in bytes.
    int receiveBufferSize() const;

  private:
    bool sendPlain(std::string_view text);
    bool sendByInterface(std::string_view text, unsigned ifindex, in_addr source);

    SendTarget target_;
    DiagnosticQueue& diagnostics_;
    int receiveBuffer_;
    // Atomic: the receive thread closes it at stop while the UI thread may read it.
    std::atomic<int> fd_{-1};
};

}  // namespace pelmora
