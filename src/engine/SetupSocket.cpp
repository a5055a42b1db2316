#include "engine/SetupSocket.h"

#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "engine/BroadcastInterfaces.h"

namespace pelmora {
SetupSocket::SetupSocket(SendTarget target, DiagnosticQueue& diagnostics, int receiveBuffer)
    : target_(target), diagnostics_(diagnostics), receiveBuffer_(receiveBuffer) {}

SetupSocket::~SetupSocket() {
    close();
}

std::optional<FatalSocketError> SetupSocket::open() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return FatalSocketError::CreateSocket;
    }
    const int on = 1;
    // Cameras answer whatever the broadcast flag's fate; a failure shows at the first send.
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    // Room for a burst of replies; the kernel caps it, and the receive thread drains while a
    // burst arrives, so a smaller grant costs only headroom.
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer_, sizeof receiveBuffer_);
    // Each reply then says which interface it came in on, which tells whether this PC shares a
    // subnet with the camera. Without it the interface is merely unknown.
    ::setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = 0;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        ::close(fd);
        return FatalSocketError::Bind;
    }
    fd_ = fd;
    return std::nullopt;
}

int SetupSocket::sendDatagram(std::string_view text) {
    bool sent = false;
    if (fd_ >= 0) {
        const auto interfaces = target_.isLimitedBroadcast() ? broadcastInterfaces()
                                                             : std::vector<BroadcastInterface>{};
        for (const auto& interface : interfaces) {
            sent = sendByInterface(text, interface.index, interface.address) || sent;
        }
        if (interfaces.empty()) {
            sent = sendPlain(text);
        }
    }
    if (!sent) {
        diagnostics_.post(DiagnosticKind::SendFailed, "Warning: sendto");
        return -1;
    }
    return 0;
}

bool SetupSocket::sendPlain(std::string_view text) {
    const auto destination = target_.socketAddress();
    return ::sendto(fd_, text.data(), text.size(), 0,
                    reinterpret_cast<const sockaddr*>(&destination),
                    sizeof destination) == static_cast<ssize_t>(text.size());
}

bool SetupSocket::sendByInterface(std::string_view text, unsigned ifindex, in_addr source) {
    auto destination = target_.socketAddress();
    iovec iov{const_cast<char*>(text.data()), text.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr msg{};
    msg.msg_name = &destination;
    msg.msg_namelen = sizeof destination;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    cmsghdr* cmsg = CMSG_FIRSTHDR(&msg);
    cmsg->cmsg_level = IPPROTO_IP;
    cmsg->cmsg_type = IP_PKTINFO;
    cmsg->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_ifindex = static_cast<int>(ifindex);
    info.ipi_spec_dst = source;
    std::memcpy(CMSG_DATA(cmsg), &info, sizeof info);
    return ::sendmsg(fd_, &msg, 0) == static_cast<ssize_t>(text.size());
}

bool SetupSocket::close() {
    const int fd = fd_.exchange(-1);
    return fd < 0 || ::close(fd) == 0;
}

std::uint16_t SetupSocket::localPort() const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return 0;
    }
    return ntohs(local.sin_port);
}

int SetupSocket::receiveBufferSize() const {
    int size = 0;
    socklen_t length = sizeof size;
    ::getsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, &length);
    return size;
}

std::uint32_t SetupSocket::kernelDrops() const {
    std::uint32_t meminfo[SK_MEMINFO_VARS] = {};
    socklen_t length = sizeof meminfo;
    if (::getsockopt(fd_, SOL_SOCKET, SO_MEMINFO, meminfo, &length) != 0) {
        return 0;
    }
    return meminfo[SK_MEMINFO_DROPS];
}

}  // namespace pelmora
