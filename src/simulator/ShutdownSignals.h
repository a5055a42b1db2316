#pragma once
// SIGINT and SIGTERM end the simulator cleanly. While an object of this class lives they are
// blocked everywhere except inside the server's ppoll() wait, which unblocks them atomically; a
// signal can therefore never slip in between checking the flag and going to sleep.

#include <signal.h>

#include <csignal>

namespace pelmora::sim {

class ShutdownSignals {
  public:
    ShutdownSignals();
    ~ShutdownSignals();
    ShutdownSignals(const ShutdownSignals&) = delete;
    ShutdownSignals& operator=(const ShutdownSignals&) = delete;

    // Becomes non-zero once either signal has arrived.
    const volatile std::sig_atomic_t& stopFlag() const;
    // The signal mask to wait with: the previous one, with both signals let through.
    const sigset_t* waitMask() const { return &waitMask_; }

  private:
    sigset_t previousMask_{};
    sigset_t waitMask_{};
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
};

}  // namespace pelmora::sim
