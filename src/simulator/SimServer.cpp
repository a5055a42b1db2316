#include "simulator/SimServer.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <iostream>

#include "protocol/Dispatch.h"
#include "simulator/SimClock.h"

namespace pelmora::sim {
namespace {

// Enough for 64 enquiries' worth of jittered replies from 1024 cameras.
constexpr std::size_t kDelayedCapacity = 65536;
// Datagrams taken per wake-up before timers get their turn again.
constexpr int kReceiveBatch = 64;
constexpr std::size_t kBurstBatch = 64;
// Fault datagrams sent per turn of the loop, so that enquiries are still read in between; the
// loop turns every millisecond while faults are due.
constexpr std::size_t kFaultTurn = 256;

std::string systemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

SimServer::SimServer(CameraFleet& fleet, ServerOptions options)
    : fleet_(fleet),
      options_(std::move(options)),
      delayed_(kDelayedCapacity),
      random_(options_.seed),
      faults_(options_.faults),
      faultBatch_(kFaultTurn) {}

SimServer::~SimServer() {
    if (socket_ >= 0) {
        ::close(socket_);
    }
}

std::string SimServer::open() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(options_.port);
    if (inet_pton(AF_INET, options_.bindAddress.c_str(), &address.sin_addr) != 1) {
        return "not an IPv4 address: " + options_.bindAddress;
    }
    socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (socket_ < 0) {
        return systemError("socket");
    }
    const int on = 1;
    if (setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        setsockopt(socket_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
        return systemError("setsockopt");
    }
    // Best effort: a larger send buffer lets a burst of 1024 replies go out without blocking.
    const int sendBuffer = 1 << 20;
    setsockopt(socket_, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    if (bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return systemError("bind");
    }
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    if (getsockname(socket_, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        return systemError("getsockname");
    }
    boundPort_ = ntohs(bound.sin_port);
    return {};
}

std::string SimServer::run(const volatile std::sig_atomic_t& stop, const sigset_t* waitMask) {
    while (stop == 0) {
        timespec wait{};
        const timespec* timeout = nullptr;
        if (const auto due = delayed_.nextDue()) {
            const auto ms = std::max<std::int64_t>(0, *due - currentSimTime().steadyMs);
            wait.tv_sec = static_cast<time_t>(ms / 1000);
            wait.tv_nsec = static_cast<long>(ms % 1000 * 1'000'000);
            timeout = &wait;
        }
        const bool faulting = faults_.started() && !faultsReported_;
        if (faulting && (timeout == nullptr || wait.tv_sec > 0 || wait.tv_nsec > 1'000'000)) {
            wait = {0, 1'000'000};
            timeout = &wait;
        }
        pollfd watch{socket_, POLLIN, 0};
        const int ready = ppoll(&watch, 1, timeout, waitMask);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return systemError("ppoll");
        }
        if (watch.revents & POLLIN) {
            receivePending();
        }
        sendDue();
        if (faulting) {
            sendFaults(currentSimTime().steadyMs);
        }
    }
    return {};
}

void SimServer::receivePending() {
    // One byte more than the largest datagram, and MSG_TRUNC, to tell an oversize one apart.
    std::array<char, kMaxDatagram + 1> buffer;
    for (int i = 0; i < kReceiveBatch; ++i) {
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t length =
            recvfrom(socket_, buffer.data(), buffer.size(), MSG_DONTWAIT | MSG_TRUNC,
                     reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (length < 0) {
            return;  // EAGAIN: drained; any other error: try again on the next wake-up
        }
        if (static_cast<std::size_t>(length) > kMaxDatagram || from.sin_family != AF_INET) {
            continue;
        }
        answer(buffer.data(), static_cast<std::size_t>(length), from);
    }
}

void SimServer::answer(const char* bytes, std::size_t length, const sockaddr_in& from) {
    const SimTime now = currentSimTime();
    const auto response = fleet_.respond(datagramText(bytes, length), now);
    if (faults_.enabled() &&
        std::string_view(bytes, length).find("ENQ:allinfo") != std::string_view::npos) {
        faultTarget_ = from;
        faults_.start(now.steadyMs);
    }
    if (response.enquiry && options_.burst) {
        sendBurst(response.datagrams.data(), response.datagrams.size(), from);
        return;
    }
    if (response.enquiry && options_.jitterMs > 0) {
        std::uniform_int_distribution<int> delay(0, options_.jitterMs);
        for (const auto& datagram : response.datagrams) {
            delayed_.push(now.steadyMs + delay(random_), from, datagram);
        }
        return;
    }
    for (const auto& datagram : response.datagrams) {
        sendOne(datagram, from);
    }
}

void SimServer::sendOne(const std::string& bytes, const sockaddr_in& to) {
    // A failed send is a lost datagram, as on a real network; the tool retries.
    sendto(socket_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to),
           sizeof to);
}

void SimServer::sendBurst(const std::string* datagrams, std::size_t count, const sockaddr_in& to) {
    std::array<iovec, kBurstBatch> parts{};
    std::array<mmsghdr, kBurstBatch> messages{};
    std::size_t next = 0;
    while (next < count) {
        const std::size_t batch = std::min(kBurstBatch, count - next);
        for (std::size_t i = 0; i < batch; ++i) {
            const auto& datagram = datagrams[next + i];
            parts[i] = {const_cast<char*>(datagram.data()), datagram.size()};
            messages[i] = {};
            messages[i].msg_hdr.msg_name = const_cast<sockaddr_in*>(&to);
            messages[i].msg_hdr.msg_namelen = sizeof to;
            messages[i].msg_hdr.msg_iov = &parts[i];
            messages[i].msg_hdr.msg_iovlen = 1;
        }
        const int sent = sendmmsg(socket_, messages.data(), static_cast<unsigned>(batch), 0);
        if (sent <= 0) {
            return;  // the rest of the burst is lost
        }
        next += static_cast<std::size_t>(sent);
    }
}

void SimServer::sendFaults(std::int64_t nowMs) {
    const std::size_t count = faults_.take(nowMs, faultBatch_.data(), faultBatch_.size());
    // A full socket buffer loses the rest of this turn's datagrams, as a busy LAN would.
    sendBurst(faultBatch_.data(), count, faultTarget_);
    if (faults_.finished(nowMs)) {
        reportFaultsOver();
    }
}

// One line on standard output, so that a soak run knows when the faults ended.
void SimServer::reportFaultsOver() {
    faultsReported_ = true;
    const auto& sent = faults_.sent();
    std::cout << "pelmora-sim faults over after " << faults_.durationSeconds()
              << " s: " << sent.garbage << " garbage, " << sent.flood << " flood, "
              << sent.strayAcks << " stray acks sent" << std::endl;
}

void SimServer::sendDue() {
    for (const auto& entry : delayed_.popDue(currentSimTime().steadyMs)) {
        sendOne(entry.bytes, entry.to);
    }
}

}  // namespace pelmora::sim
