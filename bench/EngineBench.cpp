// Measures the discovery engine on loopback: a burst of replies from 1,024 simulated cameras,
// the cost of sitting idle, and the receive path's throughput against a bare recvfrom loop.
//
//   engine_bench burst PELMORA_SIM [ROUNDS [--shared-cpu]]
//                                             the simulator answers each enquiry in one burst
//   engine_bench idle                          wake-ups over 10 s with nothing arriving; stop
//   latency engine_bench throughput                    datagrams per second into the table vs
//   recvfrom
#include <arpa/inet.h>
#include <sched.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dirent.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "SimProcess.h"
#include "engine/DiscoveryEngine.h"
#include "engine/TickLoop.h"
#include "model/CalendarTime.h"
#include "protocol/DatagramBuilder.h"
#include "protocol/Wire.h"

extern char** environ;

namespace {

using namespace pelmora;
using bench::SimProcess;
using Clock = std::chrono::steady_clock;
using std::chrono::duration;

double millisecondsSince(Clock::time_point start) {
    return duration<double, std::milli>(Clock::now() - start).count();
}

SendTarget loopback(std::uint16_t port) {
    SendTarget target;
    target.address.s_addr = htonl(INADDR_LOOPBACK);
    target.port = port;
    return target;
}

class Quiet final : public TableNotifier, public EngineObserver {
  public:
    void settingResult(ResultIcon, std::string_view) override {}
    void acknowledged() override {}
    RetryAnswer noResponse(std::string_view) override { return RetryAnswer::Cancel; }
    void receiveFailed() override { std::fputs("receive failed\n", stderr); }
};

// Cameras are other machines: unless `sharedCpu`, the simulator (or the blaster) runs on the
// first processor and the engine on the last, so a sender that never blocks cannot crowd the
// receive thread off its processor, which a LAN of real cameras would not do.
bool separateCpus(bool sharedCpu) {
    return !sharedCpu && std::thread::hardware_concurrency() >= 2;
}

void pinTo(unsigned cpu) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    sched_setaffinity(0, sizeof set, &set);
}

void burst(const char* simulator, int rounds, bool sharedCpu) {
    const bool separate = separateCpus(sharedCpu);
    if (separate) {
        pinTo(0);
    }
    SimProcess sim(simulator,
                   {"--bind", "127.0.0.1", "--port", "0", "--cameras", "1024", "--burst"});
    if (separate) {
        pinTo(std::thread::hardware_concurrency() - 1);
    }
    struct Config {
        const char* name;
        int request;
    };
    // 212,992 is a stock net.core.rmem_max; the kernel doubles what it grants.
    for (const Config config :
         {Config{"as granted here", 4 * 1024 * 1024}, Config{"stock-sized buffer", 212992}}) {
        std::vector<double> lastListed;
        std::vector<int> roundOne;
        std::uint32_t drops = 0;
        int granted = 0;
        for (int r = 0; r < rounds; ++r) {
            Quiet quiet;
            CameraTable table;
            table.setNotifier(&quiet);
            DiscoveryEngine engine(
                table, &quiet, EngineOptions{loopback(sim.port), STDERR_FILENO, config.request});
            const auto start = Clock::now();
            if (engine.start()) {
                std::exit(1);
            }
            double listedAt = -1;
            while (millisecondsSince(start) < 1000) {
                if (table.count() == 1024 && listedAt < 0) {
                    listedAt = millisecondsSince(start);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            roundOne.push_back(table.count());
            lastListed.push_back(listedAt);
            drops += engine.socket().kernelDrops();
            granted = engine.socket().receiveBufferSize();
            engine.stop();
        }
        std::sort(lastListed.begin(), lastListed.end());
        std::printf("  round-one counts in order:");
        for (const int n : roundOne) {
            std::printf(" %d", n);
        }
        std::printf("\n");
        std::sort(roundOne.begin(), roundOne.end());
        std::printf(
            "burst (%s, %s): SO_RCVBUF granted %d bytes; cameras in the table after round one: "
            "min %d of 1024 over %d rounds; all listed after (ms) min %.2f median %.2f max %.2f; "
            "kernel drops (SO_MEMINFO) %u in total\n",
            config.name,
            separate ? "simulator and engine on separate processors"
                     : "simulator and engine sharing processors",
            granted, *std::min_element(roundOne.begin(), roundOne.end()), rounds,
            lastListed.front(), lastListed[lastListed.size() / 2], lastListed.back(), drops);
    }
}

long voluntarySwitches(const std::string& task) {
    std::ifstream status("/proc/self/task/" + task + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
            return std::stol(line.substr(line.find(':') + 1));
        }
    }
    return 0;
}

std::vector<std::string> tasks() {
    std::vector<std::string> ids;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] != '.') {
                ids.emplace_back(entry->d_name);
            }
        }
        closedir(dir);
    }
    return ids;
}

void idle() {
    // A peer that takes the enquiries and never answers.
    const int peer = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(peer, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(peer, reinterpret_cast<sockaddr*>(&address), &length);

    Quiet quiet;
    CameraTable table;
    table.setNotifier(&quiet);
    DiscoveryEngine engine(table, &quiet, EngineOptions{loopback(ntohs(address.sin_port))});
    if (engine.start()) {
        std::exit(1);
    }
    const auto main = std::to_string(gettid());
    std::string receiver;
    for (const auto& id : tasks()) {
        if (id != main) {
            receiver = id;
        }
    }
    const long receiverBefore = voluntarySwitches(receiver);
    const long mainBefore = voluntarySwitches(main);
    TickLoop loop(engine);
    loop.runUntil(Clock::now() + std::chrono::seconds(10));
    const long receiverWakeups = voluntarySwitches(receiver) - receiverBefore;
    const long mainWakeups = voluntarySwitches(main) - mainBefore;
    const auto stopStart = Clock::now();
    engine.stop();
    const double stopMs = millisecondsSince(stopStart);
    std::printf(
        "idle over 10 s: receive thread %ld voluntary context switches (%.1f/s); tick thread "
        "%ld (%.1f/s, the 1 s and 5 s ticks); stop took %.3f ms\n",
        receiverWakeups, receiverWakeups / 10.0, mainWakeups, mainWakeups / 10.0, stopMs);
    close(peer);
}

// Sends `count` information replies (1,024 cameras in turn) to `port` as fast as sendmmsg goes.
void blast(std::uint16_t port, int count) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    const auto to = loopback(port).socketAddress();
    std::vector<std::string> replies;
    for (int i = 0; i < 1024; ++i) {
        char mac[18];
        std::snprintf(mac, sizeof mac, "02:50:4D:00:%02X:%02X", i >> 8, i & 0xFF);
        replies.push_back(DatagramBuilder{}
                              .field("MAC:", mac)
                              .field("MODEL:", "PM-C110")
                              .field("SERIAL:", "SN00001234")
                              .field("SOFTVERSION:", "2.31")
                              .field("DHCP:", "OFF")
                              .field("IPADR:", "192.168.0.10")
                              .field("MASK:", "255.255.255.0")
                              .field("GATEWAY:", "192.168.0.1")
                              .field("DNSAUTO:", "OFF")
                              .field("DNS1:", "192.168.0.1")
                              .field("WEBPORT:", "80")
                              .field("BANDELM:", "0.0,0.5,1.0,2.0,4.0,8.0")
                              .field("CURBAND:", "2.0")
                              .field("TIME:", "251208093000")
                              .field("TIMEZONE:", "9")
                              .field("DTFORMAT:", "0")
                              .finish());
    }
    constexpr int kBatch = 64;
    std::vector<mmsghdr> messages(kBatch);
    std::vector<iovec> iov(kBatch);
    for (int sent = 0; sent < count;) {
        const int n = std::min(kBatch, count - sent);
        for (int i = 0; i < n; ++i) {
            const auto& reply = replies[static_cast<std::size_t>(sent + i) % replies.size()];
            iov[i] = {const_cast<char*>(reply.data()), reply.size()};
            messages[i] = {};
            messages[i].msg_hdr.msg_name = const_cast<sockaddr_in*>(&to);
            messages[i].msg_hdr.msg_namelen = sizeof to;
            messages[i].msg_hdr.msg_iov = &iov[i];
            messages[i].msg_hdr.msg_iovlen = 1;
        }
        const int done = sendmmsg(fd, messages.data(), n, 0);
        if (done > 0) {
            sent += done;
        }
    }
    close(fd);
}

// Runs the blaster in a child process (the other core) and returns datagrams per second that
// the receiver took, measured from its first datagram to its last.
template <class Received>
double rateWhileBlasting(std::uint16_t port, int count, Received received) {
    const pid_t child = fork();
    if (child == 0) {
        if (separateCpus(false)) {
            pinTo(0);
        }
        usleep(50'000);
        blast(port, count);
        _exit(0);
    }
    Clock::time_point first{};
    Clock::time_point last{};
    std::uint64_t seen = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < deadline) {
        const std::uint64_t now = received();
        if (now != seen) {
            if (seen == 0) {
                first = Clock::now();
            }
            seen = now;
            last = Clock::now();
        } else if (seen > 0 && Clock::now() - last > std::chrono::milliseconds(300)) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    waitpid(child, nullptr, 0);
    return static_cast<double>(seen) / duration<double>(last - first).count();
}

void throughput() {
    constexpr int kCount = 400'000;
    if (separateCpus(false)) {
        pinTo(std::thread::hardware_concurrency() - 1);
    }
    // The bare loop: recvfrom into a buffer, nothing else.
    double bare = 0;
    {
        const int fd = socket(AF_INET, SOCK_DGRAM, 0);
        const int size = 4 * 1024 * 1024;
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        sockaddr_in address = loopback(0).socketAddress();
        socklen_t length = sizeof address;
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        std::atomic<std::uint64_t> count{0};
        std::atomic<bool> stop{false};
        std::thread receiver([&] {
            char buffer[kMaxDatagram];
            timeval timeout{0, 100'000};
            setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
            while (!stop) {
                if (recvfrom(fd, buffer, sizeof buffer, 0, nullptr, nullptr) > 0) {
                    count.fetch_add(1, std::memory_order_relaxed);
                }
            }
        });
        bare = rateWhileBlasting(ntohs(address.sin_port), kCount, [&] { return count.load(); });
        stop = true;
        receiver.join();
        close(fd);
    }
    Quiet quiet;
    CameraTable table;
    table.setNotifier(&quiet);
    DiscoveryEngine engine(table, &quiet, EngineOptions{loopback(9), STDERR_FILENO});
    if (engine.start()) {
        std::exit(1);
    }
    const double full = rateWhileBlasting(engine.localPort(), kCount,
                                          [&] { return engine.receiveStats().datagrams; });
    std::printf(
        "throughput: bare recvfrom loop %.0f datagrams/s; receive path into the table %.0f "
        "datagrams/s (%d cameras known); ratio %.2f\n",
        bare, full, table.count(), full / bare);
    engine.stop();
}

}  // namespace

int main(int argc, char** argv) {
    pinLocalTimeZone();
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "burst" && argc > 2) {
        const bool shared = argc > 4 && std::string(argv[4]) == "--shared-cpu";
        burst(argv[2], argc > 3 ? std::atoi(argv[3]) : 20, shared);
    } else if (mode == "idle") {
        idle();
    } else if (mode == "throughput") {
        throughput();
    } else {
        std::fprintf(stderr, "usage: %s burst PELMORA_SIM [ROUNDS] | idle | throughput\n", argv[0]);
        return 2;
    }
    return 0;
}
