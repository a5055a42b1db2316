#include "engine/ReceiveThread.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "protocol/Dispatch.h"
#include "protocol/Wire.h"

namespace pelmora {

// One recvmmsg call takes up to kBatch datagrams, so a burst of replies leaves the socket buffer
// many at a time while the table is being updated.
struct ReceiveThread::Buffers {
    static constexpr unsigned kBatch = 256;
    std::array<std::array<char, kMaxDatagram>, kBatch> data;
    std::array<iovec, kBatch> iov;
    std::array<mmsghdr, kBatch> messages;
};

ReceiveThread::ReceiveThread(SetupSocket& socket, CameraTable& table, EngineObserver* observer,
                             std::FILE* diagnostics)
    : socket_(socket),
      table_(table),
      observer_(observer),
      diagnostics_(diagnostics),
      buffers_(std::make_unique<Buffers>()) {}

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

void ReceiveThread::run() {
    pollfd waits[2] = {{socket_.fd(), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    auto& b = *buffers_;
    for (unsigned i = 0; i < Buffers::kBatch; ++i) {
        b.iov[i] = {b.data[i].data(), b.data[i].size()};
        b.messages[i] = {};
        b.messages[i].msg_hdr.msg_iov = &b.iov[i];
        b.messages[i].msg_hdr.msg_iovlen = 1;
    }
    while (table_.stopRequested == 0) {
        const int received =
            ::recvmmsg(socket_.fd(), b.messages.data(), Buffers::kBatch, MSG_DONTWAIT, nullptr);
        if (received > 0) {
            for (int i = 0; i < received; ++i) {
                const auto& message = b.messages[i];
                if ((message.msg_hdr.msg_flags & MSG_TRUNC) != 0) {
                    // Longer than any camera sends: one line, and receiving goes on.
                    ++oversize_;
                    std::fprintf(diagnostics_,
                                 "Error : recvfrom: datagram longer than %zu bytes dropped\n",
                                 kMaxDatagram);
                    std::fflush(diagnostics_);
                    continue;
                }
                ++datagrams_;
                if (table_.discoveryEnabled == 1) {
                    dispatchDatagram(datagramText(b.data[i].data(), message.msg_len), table_);
                }
            }
            continue;
        }
        if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (::poll(waits, 2, -1) > 0 && (waits[1].revents & POLLIN) != 0) {
                std::uint64_t count = 0;
                [[maybe_unused]] const auto read = ::read(wakeFd_, &count, sizeof count);
            }
            continue;
        }
        if (received < 0 && errno == EINTR) {
            continue;
        }
        // Receiving cannot go on. The socket stays open until stop so that a send racing with
        // this failure cannot reach a descriptor number reused meanwhile.
        std::fputs("Error : recvfrom\n", diagnostics_);
        std::fflush(diagnostics_);
        if (observer_ != nullptr) {
            observer_->receiveFailed();
        }
        while (table_.stopRequested == 0) {
            ::poll(&waits[1], 1, -1);
            std::uint64_t count = 0;
            [[maybe_unused]] const auto read = ::read(wakeFd_, &count, sizeof count);
        }
        break;
    }
    if (!socket_.close()) {
        closeFailed_ = true;
    }
    table_.stopRequested = 0;
}

}  // namespace pelmora
