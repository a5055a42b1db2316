#include "onvif/OnvifDiscovery.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "onvif/DiscoveryMessage.h"
#include "onvif/MulticastInterfaces.h"
#include "onvif/Randomness.h"

namespace pelmora::onvif {
namespace {

// 239.255.255.250, where WS-Discovery targets listen and announce themselves.
constexpr std::uint32_t kDiscoveryGroup = 0xEFFFFFFA;
// Larger than any UDP datagram over IPv4, so nothing arrives cut; a datagram the kernel
// reports as longer anyway is dropped, never read in part.
constexpr std::size_t kMaxAnswerBytes = 65536;

sockaddr_in socketAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(address);
    to.sin_port = htons(port);
    return to;
}

// Every camera on a LAN answers a probe at once, two datagrams each: the answers of a few
// hundred cameras overflow a default receive buffer before the first is parsed.
constexpr int kReceiveBufferBytes = 4 << 20;
// Datagrams taken off a socket before any is parsed.
constexpr std::size_t kDrainedAtOnce = 1024;

int udpSocket() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd >= 0) {
        // Capped by the kernel (net.core.rmem_max); a smaller buffer only costs answers.
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &kReceiveBufferBytes, sizeof kReceiveBufferBytes);
    }
    return fd;
}

bool bindTo(int fd, const sockaddr_in& address) {
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

void closeFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

OnvifDiscovery::OnvifDiscovery(OnvifDiscoveryOptions options,
                               std::function<void(const std::string&)> warn)
    : options_(std::move(options)), warn_(std::move(warn)) {
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

OnvifDiscovery::~OnvifDiscovery() {
    for (auto& s : probeSockets_) {
        closeFd(s.fd);
    }
    closeFd(directedSocket_);
    closeFd(announcementSocket_);
    closeFd(wakeFd_);
}

void OnvifDiscovery::start() {
    if (options_.multicast) {
        openProbeSockets();
        if (options_.hearAnnouncements) {
            openAnnouncementSocket();
        }
    }
    if (!options_.directed.empty()) {
        openDirectedSocket();
    }
    directedStart_ = Clock::now();
    lastProbe_ = directedStart_;
    probeAll();
}

void OnvifDiscovery::openDirectedSocket() {
    directedSocket_ = udpSocket();
    if (directedSocket_ < 0 || !bindTo(directedSocket_, socketAddress(INADDR_ANY, 0))) {
        warn_(std::string("Warning: no socket for the directed ONVIF probes: ") +
              std::strerror(errno));
        closeFd(directedSocket_);
    }
}

void OnvifDiscovery::probeAddresses(std::vector<Ipv4> addresses) {
    if (directedSocket_ < 0 && !addresses.empty()) {
        openDirectedSocket();
    }
    options_.directed = std::move(addresses);
    directedSent_ = 0;
    directedStart_ = Clock::now();
}

void OnvifDiscovery::openProbeSockets() {
    const auto interfaces = multicastInterfaces();
    if (interfaces.empty()) {
        warn_("Warning: no network interface has multicast: the ONVIF probe was not multicast");
    }
    for (const auto& interface : interfaces) {
        Socket s{udpSocket(), interface.name};
        const auto from = socketAddress(ntohl(interface.address.s_addr), 0);
        // Out of this interface only, and no further than its own link: a probe is for the
        // LANs this PC is on, never routed beyond them.
        ip_mreqn out{};
        out.imr_address = interface.address;
        out.imr_ifindex = static_cast<int>(interface.index);
        const unsigned char ttl = 1;
        if (s.fd < 0 || !bindTo(s.fd, from) ||
            ::setsockopt(s.fd, IPPROTO_IP, IP_MULTICAST_IF, &out, sizeof out) != 0 ||
            ::setsockopt(s.fd, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl) != 0) {
            warn_("Warning: no ONVIF probe on " + interface.name + ": " + std::strerror(errno));
            closeFd(s.fd);
            continue;
        }
        probeSockets_.push_back(std::move(s));
    }
}

void OnvifDiscovery::openAnnouncementSocket() {
    announcementSocket_ = udpSocket();
    const int on = 1;
    // Bound to the group's address, not to every address: only what is multicast to the group
    // arrives here, so a camera's answer to a directed probe is never taken from the socket
    // that sent it, even where both use one port (a camera on this PC).
    if (announcementSocket_ < 0 ||
        ::setsockopt(announcementSocket_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        !bindTo(announcementSocket_, socketAddress(kDiscoveryGroup, options_.port))) {
        warn_("Note: UDP port " + std::to_string(options_.port) + " is held by another program (" +
              std::strerror(errno) +
              "): ONVIF cameras' Hello and Bye are not heard; probes still find them");
        closeFd(announcementSocket_);
        return;
    }
    for (const auto& s : probeSockets_) {
        ip_mreqn group{};
        group.imr_multiaddr.s_addr = htonl(kDiscoveryGroup);
        group.imr_ifindex = static_cast<int>(if_nametoindex(s.interfaceName.c_str()));
        // An interface that cannot join still gets probes and their answers.
        ::setsockopt(announcementSocket_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &group, sizeof group);
    }
}

void OnvifDiscovery::probeAll() {
    // One MessageID for the round: every interface's answers relate to the same probe.
    const auto probe = makeProbe(randomUuidUrn(), options_.version);
    for (const auto& s : probeSockets_) {
        send(s.fd, kDiscoveryGroup, probe);
    }
    lastProbe_ = std::max(lastProbe_, Clock::now());
}

void OnvifDiscovery::send(int fd, std::uint32_t address, const std::string& probe) {
    const auto to = socketAddress(address, options_.port);
    const auto sent = ::sendto(fd, probe.data(), probe.size(), MSG_NOSIGNAL,
                               reinterpret_cast<const sockaddr*>(&to), sizeof to);
    ++(sent == static_cast<ssize_t>(probe.size()) ? probesSent_ : probesFailed_);
}

OnvifDiscovery::Clock::time_point OnvifDiscovery::nextDirectedProbe() const {
    const auto perSecond = std::max(1, options_.directedPerSecond);
    return directedStart_ + std::chrono::duration_cast<Clock::duration>(
                                std::chrono::duration<double>(double(directedSent_) / perSecond));
}

void OnvifDiscovery::sendDueDirectedProbes(Clock::time_point now) {
    if (directedSocket_ < 0) {
        return;
    }
    while (directedSent_ < options_.directed.size() && nextDirectedProbe() <= now) {
        // A fresh MessageID each: a probe to one address is a conversation of its own.
        send(directedSocket_, ipv4ToNumber(options_.directed[directedSent_]),
             makeProbe(randomUuidUrn(), options_.version));
        ++directedSent_;
        lastProbe_ = now;
    }
}

void OnvifDiscovery::runUntil(Clock::time_point deadline) {
    std::vector<pollfd> fds;
    for (const auto& s : probeSockets_) {
        fds.push_back({s.fd, POLLIN, 0});
    }
    for (const int fd : {directedSocket_, announcementSocket_, wakeFd_}) {
        if (fd >= 0) {
            fds.push_back({fd, POLLIN, 0});
        }
    }
    for (;;) {
        const auto now = Clock::now();
        sendDueDirectedProbes(now);
        if (now >= deadline) {
            return;
        }
        auto until = deadline;
        if (directedSocket_ >= 0 && directedSent_ < options_.directed.size()) {
            until = std::min(until, nextDirectedProbe());
        }
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(until - now);
        if (::poll(fds.data(), fds.size(), static_cast<int>(wait.count())) < 0 && errno != EINTR) {
            return;
        }
        for (const auto& p : fds) {
            if ((p.revents & POLLIN) == 0) {
                continue;
            }
            if (p.fd == wakeFd_) {
                std::uint64_t count = 0;
                [[maybe_unused]] const auto n = ::read(wakeFd_, &count, sizeof count);
                return;
            }
            receive(p.fd);
        }
    }
}

void OnvifDiscovery::runFor(std::chrono::milliseconds duration) {
    const auto end = Clock::now() + duration;
    for (;;) {
        const bool directedLeft = directedSocket_ >= 0 && directedSent_ < options_.directed.size();
        const auto deadline = std::max(end, lastProbe_ + kProbeWindow);
        if (!directedLeft && Clock::now() >= deadline) {
            return;
        }
        // A second at a time while directed probes go out: the window moves with the last one.
        runUntil(directedLeft ? std::min(deadline, Clock::now() + std::chrono::seconds(1))
                              : deadline);
        if (stopped_) {
            return;
        }
    }
}

void OnvifDiscovery::stop() {
    stopped_ = true;
    wake();
}

void OnvifDiscovery::wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(wakeFd_, &one, sizeof one);
}

void OnvifDiscovery::receive(int fd) {
    static thread_local std::array<char, kMaxAnswerBytes> buffer;
    // Drained before anything is parsed: copying a datagram out takes far less time than
    // parsing it, so the socket's buffer is emptied while a burst of answers is still arriving.
    struct Datagram {
        std::string bytes;
        Ipv4 source;
    };
    // One batch per call: under a flood the caller's loop still gets to its deadline and its
    // directed probes between batches.
    std::vector<Datagram> drained;
    while (drained.size() < kDrainedAtOnce) {
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const auto n = ::recvfrom(fd, buffer.data(), buffer.size(), MSG_TRUNC,
                                  reinterpret_cast<sockaddr*>(&from), &length);
        if (n < 0) {
            break;
        }
        if (static_cast<std::size_t>(n) <= buffer.size()) {
            drained.push_back({std::string(buffer.data(), static_cast<std::size_t>(n)),
                               ipv4FromNumber(ntohl(from.sin_addr.s_addr))});
        }
    }
    for (const auto& datagram : drained) {
        take(readDiscoveryMessage(datagram.bytes), datagram.source);
    }
}

void OnvifDiscovery::take(const DiscoveryMessage& message, const Ipv4& source) {
    if (message.kind == DiscoveryKind::Other) {
        return;
    }
    const auto now = Clock::now();
    std::lock_guard lock(mutex_);
    for (const auto& match : message.matches) {
        const auto key = DiscoveryCollector::endpointKey(match);
        if (message.kind == DiscoveryKind::Bye) {
            if (collector_.remove(match.endpoint) == DiscoveryCollector::Change::Removed) {
                heard_.erase(key);
                ++changes_;
            }
        } else if (collector_.add(match) != DiscoveryCollector::Change::None) {
            // Kept only for devices the collector keeps: a flood of made-up endpoints grows
            // nothing here.
            heard_[key] = {source, now};
            ++changes_;
        } else if (const auto it = heard_.find(key); it != heard_.end()) {
            it->second.at = now;
        }
    }
}

std::vector<OnvifCamera> OnvifDiscovery::cameras() const {
    std::lock_guard lock(mutex_);
    std::vector<OnvifCamera> cameras;
    for (const auto& device : collector_.devices()) {
        OnvifCamera camera;
        camera.endpoint = device.endpoint;
        camera.xaddrs = device.xaddrs;
        camera.scopes = device.scopes;
        if (const auto it = heard_.find(DiscoveryCollector::endpointKey(device));
            it != heard_.end()) {
            camera.answeredFrom = it->second.from;
            camera.heardAt = it->second.at;
        }
        cameras.push_back(std::move(camera));
    }
    return cameras;
}

}  // namespace pelmora::onvif
