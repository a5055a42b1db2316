#include "simulator/OnvifService.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace pelmora::sim {
namespace {

// A few descriptors per camera (listening socket, epoll, wake-up) and its connections: the
// default limit of 1024 runs out a little past 300 cameras.
void raiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace

OnvifService::OnvifService(std::vector<OnvifSimCamera> cameras, OnvifServiceOptions options)
    : cameras_(std::move(cameras)),
      options_(std::move(options)),
      responder_(cameras_, options_.bindAddress, options_.discoveryPort) {
    for (auto& camera : cameras_) {
        camera.moveSilenceMs = options_.moveSilenceMs;
    }
}

OnvifService::~OnvifService() {
    stop();
    daemons_.clear();
    if (wake_ >= 0) {
        ::close(wake_);
    }
}

std::string OnvifService::open() {
    raiseDescriptorLimit();
    wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_ < 0) {
        return std::string("eventfd: ") + std::strerror(errno);
    }
    daemons_.reserve(cameras_.size());
    for (auto& camera : cameras_) {
        auto daemon =
            std::make_unique<DeviceServiceDaemon>(camera, options_.credentials, options_.slowMs);
        daemon->recordRequestsIn(options_.recordDirectory);
        const auto port = options_.firstHttpPort == 0
                              ? std::uint16_t{0}
                              : static_cast<std::uint16_t>(options_.firstHttpPort + camera.index);
        if (auto error = daemon->start(options_.bindAddress, port); !error.empty()) {
            return error;
        }
        daemons_.push_back(std::move(daemon));
    }
    // The answers name the services' ports, so those are bound first.
    return responder_.open();
}

void OnvifService::start() {
    thread_ = std::thread([this] { serve(); });
}

void OnvifService::stop() {
    if (!thread_.joinable()) {
        return;
    }
    stopping_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof one);
    thread_.join();
}

void OnvifService::serve() {
    const auto udp = responder_.descriptors();
    std::vector<pollfd> watch;
    watch.push_back({wake_, POLLIN, 0});
    for (const int fd : udp) {
        watch.push_back({fd, POLLIN, 0});
    }
    const std::size_t firstDaemon = watch.size();
    for (const auto& daemon : daemons_) {
        watch.push_back({daemon->waitDescriptor(), POLLIN, 0});
    }
    while (!stopping_) {
        auto now = steadyNowMs();
        std::optional<std::int64_t> due = responder_.nextDueMs();
        for (const auto& daemon : daemons_) {
            if (const auto next = daemon->nextDueMs(now); next && (!due || *next < *due)) {
                due = next;
            }
        }
        const int timeout =
            due ? static_cast<int>(std::clamp<std::int64_t>(*due - now, 0, 60000)) : -1;
        for (auto& entry : watch) {
            entry.revents = 0;
        }
        if (::poll(watch.data(), watch.size(), timeout) < 0 && errno != EINTR) {
            return;
        }
        now = steadyNowMs();
        for (std::size_t i = 1; i < firstDaemon; ++i) {
            if (watch[i].revents & POLLIN) {
                responder_.receive(watch[i].fd, now);
            }
        }
        responder_.sendDue(now);
        for (std::size_t i = 0; i < daemons_.size(); ++i) {
            auto& daemon = *daemons_[i];
            daemon.resumeDue(now);
            // Its own time-outs are its business; running it when nothing is due costs little.
            const auto next = daemon.nextDueMs(now);
            if ((watch[firstDaemon + i].revents & POLLIN) || (next && *next <= now)) {
                daemon.run();
            }
        }
    }
}

}  // namespace pelmora::sim
