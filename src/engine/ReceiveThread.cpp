#include "engine/ReceiveThread.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <sched.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <string_view>

#include "protocol/Dispatch.h"
#include "protocol/Wire.h"

namespace pelmora {
namespace {

using std::chrono::milliseconds;

// Replies to an enquiry are awaited awake for at most this long, and no longer than this
// after the last one has arrived: a whole burst fits well within it.
constexpr milliseconds kReplyWindow{200};
constexpr milliseconds kReplyQuiet{20};

std::int64_t nowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

static_assert(kMaxDatagram == 1072, "the oversize line names the largest datagram");
constexpr std::string_view kOversizeLine =
    "Warning: recvfrom: datagram longer than 1072 bytes dropped";

// Datagrams applied between two looks at the socket.
constexpr int kApplyBatch = 32;

constexpr std::int64_t nanoseconds(milliseconds m) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(m).count();
}

}  // namespace

ReceiveThread::ReceiveThread(SetupSocket& socket, CameraTable& table, EngineObserver* observer,
                             DiagnosticQueue& diagnostics)
    : socket_(socket),
      table_(table),
      observer_(observer),
      diagnostics_(diagnostics),
      ring_(std::make_unique<ReceiveRing>()) {}

ReceiveThread::~ReceiveThread() {
    stop();
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
    }
}

bool ReceiveThread::start() {
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        return false;
    }
    thread_ = std::thread([this] { run(); });
    return true;
}

bool ReceiveThread::stop() {
    if (!thread_.joinable()) {
        return !closeFailed_;
    }
    table_.stopRequested = 1;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wakeFd_, &one, sizeof one);
    thread_.join();
    return !closeFailed_;
}

ReceiveStats ReceiveThread::stats() const {
    return {datagrams_.load(), oversize_.load()};
}

void ReceiveThread::expectReplies() {
    replyWindowEnd_ = nowNanoseconds() + nanoseconds(kReplyWindow);
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wakeFd_, &one, sizeof one);
}

// Nothing to read: inside a reply window keep looking (yielding to any other thread that wants
// this processor); otherwise sleep until a datagram or a wake-up comes.
void ReceiveThread::waitForDatagrams(pollfd (&waits)[2]) {
    const auto now = nowNanoseconds();
    const bool quiet = lastArrival_ != 0 && now - lastArrival_ > nanoseconds(kReplyQuiet);
    if (now < replyWindowEnd_ && !quiet) {
        ::poll(waits, 2, 0);
        return;
    }
    replyWindowEnd_ = 0;
    lastArrival_ = 0;
    if (::poll(waits, 2, -1) > 0 && (waits[1].revents & POLLIN) != 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const auto read = ::read(wakeFd_, &count, sizeof count);
    }
}

void ReceiveThread::apply(const ReceiveRing::Datagram& datagram) {
    if (datagram.oversize) {
        // Longer than any camera sends: one line, and receiving goes on.
        ++oversize_;
        diagnostics_.post(DiagnosticKind::OversizeDatagram, kOversizeLine);
        return;
    }
    ++datagrams_;
    if (table_.discoveryEnabled == 1) {
        dispatchDatagram(datagramText(datagram.bytes.data(), datagram.bytes.size()), table_,
                         datagram.interfaceIndex);
    }
}

void ReceiveThread::run() {
    pollfd waits[2] = {{socket_.fd(), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    auto& ring = *ring_;
    while (table_.stopRequested == 0) {
        // Empty the socket before applying anything, so that a burst is not lost to a full
        // socket buffer while the table is being updated.
        const int received = ring.fill(socket_.fd());
        if (received > 0 && replyWindowEnd_ != 0) {
            lastArrival_ = nowNanoseconds();
        }
        if (received < 0 && errno == EINTR) {
            continue;
        }
        if (received < 0) {
            break;
        }
        if (ring.empty()) {
            waitForDatagrams(waits);
            continue;
        }
        for (int i = 0; i < kApplyBatch && !ring.empty(); ++i, ring.pop()) {
            apply(ring.front());
        }
    }
    if (table_.stopRequested == 0) {
        // Receiving cannot go on. The socket stays open until stop so that a send racing with
        // this failure cannot reach a descriptor number reused meanwhile.
        diagnostics_.post(DiagnosticKind::ReceiveFailed, "Error : recvfrom");
        if (observer_ != nullptr) {
            observer_->receiveFailed();
        }
        while (table_.stopRequested == 0) {
            ::poll(&waits[1], 1, -1);
            std::uint64_t count = 0;
            [[maybe_unused]] const auto read = ::read(wakeFd_, &count, sizeof count);
        }
    }
    if (!socket_.close()) {
        closeFailed_ = true;
    }
    table_.stopRequested = 0;
}

}  // namespace pelmora
