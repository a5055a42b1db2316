#pragma once
// The one worker thread: receives every datagram on the setup socket and applies it to the
// camera table. It sleeps in poll() while nothing arrives and is woken for stop through an
// eventfd, so an idle tool costs no wake-ups and stops at once.
//
// Right after an enquiry, up to 1024 cameras answer at once; a socket buffer of stock size
// holds about a third of such a burst, and waking a sleeping thread can take longer than the
// whole burst lasts. So each enquiry opens a short reply window in which the thread stays awake
// and drains the socket as replies arrive, going back to sleep once they have stopped.

#include <poll.h>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "engine/DiagnosticQueue.h"
#include "engine/EngineObserver.h"
#include "engine/ReceiveRing.h"
#include "engine/SetupSocket.h"
#include "model/CameraTable.h"

namespace pelmora {

struct ReceiveStats {
    std::uint64_t datagrams = 0;  // received and handed on (or dropped while a sort ran)
    std::uint64_t oversize = 0;   // dropped for being longer than the largest datagram
};

class ReceiveThread {
  public:
    ReceiveThread(SetupSocket& socket, CameraTable& table, EngineObserver* observer,
                  DiagnosticQueue& diagnostics);
    ~ReceiveThread();
    ReceiveThread(const ReceiveThread&) = delete;
    ReceiveThread& operator=(const ReceiveThread&) = delete;

    // Creates the wake-up descriptor and starts the thread; false if the descriptor could not
    // be made.
    bool start();

    // Sets `stopRequested`, wakes the thread and waits for it. The thread closes the socket and
    // clears the flag. Returns false when closing the socket failed.
    bool stop();

    ReceiveStats stats() const;

    // An enquiry has just gone out: stay awake for its replies. Any thread.
    void expectReplies();

  private:
    void run();
    void apply(const ReceiveRing::Datagram& datagram);
    void waitForDatagrams(pollfd (&waits)[2]);

    SetupSocket& socket_;
    CameraTable& table_;
    EngineObserver* observer_;
    // Lines are queued for the owner's thread to write: this thread never waits on output.
    DiagnosticQueue& diagnostics_;
    int wakeFd_ = -1;
    std::thread thread_;
    std::atomic<bool> closeFailed_{false};
    // Steady-clock nanoseconds until which the thread stays awake for replies.
    std::atomic<std::int64_t> replyWindowEnd_{0};
    std::int64_t lastArrival_ = 0;
    std::atomic<std::uint64_t> datagrams_{0};
    std::atomic<std::uint64_t> oversize_{0};
    std::unique_ptr<ReceiveRing> ring_;
};

}  // namespace pelmora
