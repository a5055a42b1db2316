#pragma once
// What the discovery engine tells the application beyond the camera table's own notices.

namespace pelmora {

class EngineObserver {
  public:
    virtual ~EngineObserver() = default;

    // Receiving failed for good ("Network NG"): the receive thread has ended and the program
    // should end with exit code 4. Called on the receive thread; must not wait.
    virtual void receiveFailed() = 0;

    // The outcome of each send, for a quiet notice while the network is unreachable. UI thread.
    virtual void sendResult(bool ok) { (void)ok; }

    // Diagnostic lines wait to be written: call DiscoveryEngine::drainDiagnostics soon on the
    // owner's thread. Any thread; told when the first line arrives in an empty queue. Must not
    // wait.
    virtual void diagnosticsWaiting() {}
};

}  // namespace pelmora
