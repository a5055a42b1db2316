#include "simulator/ShutdownSignals.h"

namespace pelmora::sim {
namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void onShutdownSignal(int) {
    stopRequested = 1;
}

}  // namespace

ShutdownSignals::ShutdownSignals() {
    struct sigaction action {};
    action.sa_handler = onShutdownSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInt_);
    sigaction(SIGTERM, &action, &previousTerm_);

    sigset_t shutdown;
    sigemptyset(&shutdown);
    sigaddset(&shutdown, SIGINT);
    sigaddset(&shutdown, SIGTERM);
    sigprocmask(SIG_BLOCK, &shutdown, &previousMask_);
    waitMask_ = previousMask_;
    sigdelset(&waitMask_, SIGINT);
    sigdelset(&waitMask_, SIGTERM);
}

ShutdownSignals::~ShutdownSignals() {
    sigprocmask(SIG_SETMASK, &previousMask_, nullptr);
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
}

const volatile std::sig_atomic_t& ShutdownSignals::stopFlag() const {
    return stopRequested;
}

}  // namespace pelmora::sim
