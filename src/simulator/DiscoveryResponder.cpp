#include "simulator/DiscoveryResponder.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "onvif/Randomness.h"
#include "simulator/DeviceServiceHandler.h"
#include "simulator/ProbeAnswer.h"

namespace pelmora::sim {
namespace {

// The repeat of each answer, after the first by this long (SOAP over UDP waits 50 to 250 ms).
constexpr std::int64_t kRepeatDelayMs = 100;
// Room for the repeats of 64 probes answered by 1024 cameras.
constexpr std::size_t kRepeatCapacity = 65536;
constexpr int kReceiveBatch = 64;

std::string systemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

int udpSocket() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return fd;
    }
    const int on = 1;
    const int off = 0;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    // The local address a probe came to, for the service address in the answer.
    setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    // Only the groups this very socket joined: the direct socket must not see group traffic.
    setsockopt(fd, IPPROTO_IP, IP_MULTICAST_ALL, &off, sizeof off);
    const int sendBuffer = 1 << 20;
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    return fd;
}

bool bindTo(int fd, const in_addr& address, std::uint16_t port) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr = address;
    where.sin_port = htons(port);
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0;
}

// The addresses of the interfaces that are up, not loopback and take multicast.
std::vector<in_addr> multicastInterfaces() {
    std::vector<in_addr> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return found;
    }
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        const unsigned flags = entry->ifa_flags;
        if (entry->ifa_addr != nullptr && entry->ifa_addr->sa_family == AF_INET &&
            (flags & IFF_UP) != 0 && (flags & IFF_MULTICAST) != 0 && (flags & IFF_LOOPBACK) == 0) {
            found.push_back(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr);
        }
    }
    freeifaddrs(list);
    return found;
}

}  // namespace

DiscoveryResponder::DiscoveryResponder(const std::vector<OnvifSimCamera>& cameras,
                                       std::string bindAddress, std::uint16_t port)
    : cameras_(cameras),
      bindAddress_(std::move(bindAddress)),
      port_(port),
      repeats_(kRepeatCapacity) {}

DiscoveryResponder::~DiscoveryResponder() {
    for (const int fd : {direct_, group_}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

std::string DiscoveryResponder::open() {
    in_addr bind{};
    if (inet_pton(AF_INET, bindAddress_.c_str(), &bind) != 1) {
        return "not an IPv4 address: " + bindAddress_;
    }
    direct_ = udpSocket();
    if (direct_ < 0) {
        return systemError("socket");
    }
    if (!bindTo(direct_, bind, port_)) {
        return systemError("bind WS-Discovery port");
    }
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    getsockname(direct_, reinterpret_cast<sockaddr*>(&bound), &length);
    boundPort_ = ntohs(bound.sin_port);

    // On loopback there is no group to join, and nothing else should hear it.
    const bool loopback = (ntohl(bind.s_addr) >> 24) == 127;
    const auto interfaces =
        bind.s_addr == htonl(INADDR_ANY) ? multicastInterfaces() : std::vector<in_addr>{bind};
    if (loopback || interfaces.empty()) {
        return {};
    }
    group_ = udpSocket();
    in_addr groupAddress{};
    inet_pton(AF_INET, kDiscoveryGroup, &groupAddress);
    if (group_ < 0 || !bindTo(group_, groupAddress, boundPort_)) {
        return systemError("bind WS-Discovery group");
    }
    for (const auto& interface : interfaces) {
        if (auto error = joinGroup(interface); !error.empty()) {
            return error;
        }
    }
    return {};
}

std::string DiscoveryResponder::joinGroup(const in_addr& interface) {
    ip_mreq membership{};
    inet_pton(AF_INET, kDiscoveryGroup, &membership.imr_multiaddr);
    membership.imr_interface = interface;
    // An interface with a second address has joined already through its first.
    if (setsockopt(group_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &membership, sizeof membership) != 0 &&
        errno != EADDRINUSE) {
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &interface, text, sizeof text);
        return systemError((std::string("join ") + kDiscoveryGroup + " on " + text).c_str());
    }
    return {};
}

std::vector<int> DiscoveryResponder::descriptors() const {
    std::vector<int> fds{direct_};
    if (group_ >= 0) {
        fds.push_back(group_);
    }
    return fds;
}

void DiscoveryResponder::receive(int descriptor, std::int64_t nowMs) {
    // One byte more than any probe read, and MSG_TRUNC, to tell an oversize one apart.
    std::array<char, kMaxProbeBytes + 1> buffer;
    alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(in_pktinfo))> control;
    for (int i = 0; i < kReceiveBatch; ++i) {
        sockaddr_in from{};
        iovec part{buffer.data(), buffer.size()};
        msghdr message{};
        message.msg_name = &from;
        message.msg_namelen = sizeof from;
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control.data();
        message.msg_controllen = control.size();
        const ssize_t length = recvmsg(descriptor, &message, MSG_DONTWAIT | MSG_TRUNC);
        if (length < 0) {
            return;
        }
        if (static_cast<std::size_t>(length) > kMaxProbeBytes || from.sin_family != AF_INET) {
            continue;
        }
        in_addr local{};
        for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
             header = CMSG_NXTHDR(&message, header)) {
            if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
                in_pktinfo info{};
                std::memcpy(&info, CMSG_DATA(header), sizeof info);
                local = info.ipi_spec_dst;
            }
        }
        answer(std::string_view(buffer.data(), static_cast<std::size_t>(length)), from, local,
               descriptor == group_, nowMs);
    }
}

namespace {

// From the address the probe reached, as a host with several addresses answers: a camera given
// a second address answers a probe to it from that address, not from its first.
void sendFrom(int fd, const std::string& bytes, const sockaddr_in& to, const in_addr& local) {
    iovec part{const_cast<char*>(bytes.data()), bytes.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message{};
    message.msg_name = const_cast<sockaddr_in*>(&to);
    message.msg_namelen = sizeof to;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    if (local.s_addr != htonl(INADDR_ANY)) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = IPPROTO_IP;
        header->cmsg_type = IP_PKTINFO;
        header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info{};
        info.ipi_spec_dst = local;
        std::memcpy(CMSG_DATA(header), &info, sizeof info);
    }
    sendmsg(fd, &message, 0);
}

}  // namespace

void DiscoveryResponder::answer(std::string_view bytes, const sockaddr_in& from,
                                const in_addr& localAddress, bool multicast, std::int64_t nowMs) {
    const auto probe = readProbe(bytes);
    if (!probe) {
        return;
    }
    // The address the prober reached us on is the one it can reach the services on.
    std::string host = bindAddress_;
    if (host == "0.0.0.0") {
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &localAddress, text, sizeof text);
        host = text;
    }
    // A probe sent to one camera's address is that camera's to answer: one that moved away
    // answers there no longer, one that moved there does. An address no camera reports (the
    // simulator's own, serving them all) is answered by every camera.
    const Ipv4 reached = ipv4FromNumber(ntohl(localAddress.s_addr));
    const bool someoneThere =
        std::any_of(cameras_.begin(), cameras_.end(),
                    [&](const OnvifSimCamera& c) { return c.ipAddress == reached; });
    for (const auto& camera : cameras_) {
        if ((multicast && camera.ignoresMulticast) || !probeAsksFor(*probe, camera) ||
            nowMs < camera.silentUntilMs ||
            (!multicast && someoneThere && camera.ipAddress != reached)) {
            continue;
        }
        const std::string xaddr = "http://" + host + ":" + std::to_string(camera.httpPort) +
                                  std::string(kDeviceServicePath);
        auto matches = makeProbeMatches(*probe, camera, xaddr, onvif::randomUuidUrn());
        // A failed send is a lost datagram, as on a real network; the repeat may still arrive.
        sendFrom(direct_, matches, from, localAddress);
        repeats_.push(nowMs + kRepeatDelayMs, from, std::move(matches));
    }
}

void DiscoveryResponder::sendDue(std::int64_t nowMs) {
    for (const auto& entry : repeats_.popDue(nowMs)) {
        sendto(direct_, entry.bytes.data(), entry.bytes.size(), 0,
               reinterpret_cast<const sockaddr*>(&entry.to), sizeof entry.to);
    }
}

}  // namespace pelmora::sim
