// The simulator program end to end on 127.0.0.1: its ready line, its answers on the socket, its
// fault traffic and a clean exit on SIGTERM.

#include <arpa/inet.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "protocol/DatagramBuilder.h"
#include "protocol/Dispatch.h"
#include "protocol/KeyReader.h"
#include "protocol/SettingRequest.h"
#include "protocol/Wire.h"
#include "simulator/CameraFactory.h"
#include "simulator/ReplyBuilder.h"

extern char** environ;

namespace pelmora::sim {
namespace {

// Runs pelmora-sim bound to 127.0.0.1 on a system-chosen port and waits for its ready line.
class SimProcess {
  public:
    explicit SimProcess(std::vector<std::string> extra) {
        std::vector<std::string> args = {PELMORA_SIM_PATH, "--bind", "127.0.0.1", "--port", "0"};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);

        int out[2];
        if (pipe(out) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        out_ = out[0];
        readyLine_ = readLine(out_, 5000);
    }

    ~SimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
    }

    const std::string& readyLine() const { return readyLine_; }
    // The next line of standard output within `timeoutMs`, or what came of it.
    std::string nextLine(int timeoutMs) { return readLine(out_, timeoutMs); }

    // Sends SIGTERM and returns the exit status, or −1 if the process did not exit normally.
    int terminate() {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    static std::string readLine(int fd, int timeoutMs) {
        std::string line;
        char c = 0;
        pollfd watch{fd, POLLIN, 0};
        while (poll(&watch, 1, timeoutMs) == 1 && read(fd, &c, 1) == 1 && c != '\n') {
            line += c;
        }
        return line;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    std::string readyLine_;
};

class TestSocket {
  public:
    TestSocket() {
        fd_ = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
        const int buffer = 4 << 20;
        setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    }
    ~TestSocket() { close(fd_); }

    void sendTo(std::uint16_t port, const std::string& datagram) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sendto(fd_, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to),
               sizeof to);
    }

    // The next datagram within `timeoutMs`, or empty.
    std::string receive(int timeoutMs = 3000) {
        pollfd watch{fd_, POLLIN, 0};
        if (poll(&watch, 1, timeoutMs) != 1) {
            return {};
        }
        char buffer[kMaxDatagram + 1];
        const auto n = recv(fd_, buffer, sizeof buffer, 0);
        return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string{};
    }

  private:
    int fd_ = -1;
};

std::uint16_t portOf(const std::string& readyLine) {
    static const std::regex pattern(
        R"(pelmora-sim ready on 127\.0\.0\.1:(\d+) with (\d+) cameras)");
    std::smatch match;
    if (!std::regex_match(readyLine, match, pattern)) {
        return 0;
    }
    return static_cast<std::uint16_t>(std::stoi(match[1]));
}

TEST(SimProgram, answersAnEnquiryWithOneReplyPerCameraInEveryMode) {
    struct Case {
        const char* name;
        std::vector<std::string> options;
        int cameras;
    };
    const Case cases[] = {
        {"immediate", {"--cameras", "5"}, 5},
        {"jittered", {"--cameras", "5", "--jitter-ms", "50", "--seed", "3"}, 5},
        {"burst", {"--cameras", "200", "--burst"}, 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimProcess sim(c.options);
        const auto port = portOf(sim.readyLine());
        ASSERT_NE(port, 0) << "ready line: " << sim.readyLine();
        EXPECT_NE(sim.readyLine().find(" with " + std::to_string(c.cameras) + " cameras"),
                  std::string::npos);

        TestSocket client;
        client.sendTo(port, buildEnquiry());
        std::set<std::string> macs;
        for (int i = 0; i < c.cameras; ++i) {
            const auto reply = client.receive();
            ASSERT_EQ(classifyDatagram(reply).kind, DatagramKind::InfoReply) << "reply " << i;
            macs.insert(std::string(readKey(reply, "MAC:").value_or("")));
        }
        EXPECT_EQ(macs.size(), static_cast<std::size_t>(c.cameras));
        EXPECT_TRUE(client.receive(100).empty()) << "one reply per camera, no more";
        EXPECT_EQ(sim.terminate(), 0);
    }
}

TEST(SimProgram, acknowledgesASettingRequestToItsSender) {
    SimProcess sim({"--cameras", "2", "--user", "op", "--password", "pw12"});
    const auto port = portOf(sim.readyLine());
    ASSERT_NE(port, 0);
    TestSocket client;
    const std::string mac = "02:50:4D:00:00:02";
    client.sendTo(port,
                  SettingRequest(mac).credentials("op", "pw12").field("SETBAND:", "1.0").finish());
    const auto answer = client.receive();
    EXPECT_EQ(answer, std::string(1, kStx) + "ACK:" + mac + "\xFF\x03");
    EXPECT_EQ(sim.terminate(), 0);
}

// The fault modes from the first enquiry: each kind at its rate, spread over the duration, of
// the shapes promised, sent only to the enquirer, and then nothing more.
TEST(SimProgram, sendsEachFaultKindAtItsRateToTheEnquirerUntilTheDurationEnds) {
    SimProcess sim({"--cameras", "0", "--garbage", "400", "--flood", "400", "--flood-macs", "50",
                    "--stray-acks", "200", "--duration", "2"});
    const auto port = portOf(sim.readyLine());
    ASSERT_NE(port, 0) << "ready line: " << sim.readyLine();
    TestSocket client;
    client.sendTo(port, buildEnquiry());

    const std::string reply = buildInfoReply(makeCamera(0, kDefaultMacPrefix), 0);
    const std::size_t macAt = reply.find("MAC:") + 4;
    std::set<std::string> floodMacs;
    int flood = 0, garbage = 0, garbageLikeReply = 0, garbageOversize = 0;
    std::set<std::pair<char, bool>> ackShapes;  // ('A' or 'N', with text)
    std::size_t longest = 0;
    using Steady = std::chrono::steady_clock;
    Steady::time_point first{}, last{};
    for (;;) {
        const auto datagram = client.receive(1500);
        if (datagram.empty()) {
            break;
        }
        last = Steady::now();
        if (first == Steady::time_point{}) {
            first = last;
        }
        const bool floodShape =
            datagram.size() == reply.size() && datagram.compare(0, macAt, reply, 0, macAt) == 0 &&
            datagram.compare(macAt + 17, std::string::npos, reply, macAt + 17) == 0;
        const bool ackShape =
            datagram.size() >= 24 && datagram[0] == kStx &&
            (datagram.compare(1, 4, "ACK:") == 0 || datagram.compare(1, 4, "NAK:") == 0) &&
            datagram[22] == '\xFF' && datagram.back() == kEtx;
        if (floodShape) {
            ++flood;
            floodMacs.insert(datagram.substr(macAt, 17));
        } else if (ackShape) {
            ackShapes.insert({datagram[1], datagram.size() > 24});
        } else {
            ++garbage;
            longest = std::max(longest, datagram.size());
            garbageOversize += datagram.size() > kMaxDatagram;
            garbageLikeReply += datagram.compare(0, 8, reply, 0, 8) == 0;
        }
    }
    EXPECT_EQ(sim.nextLine(1000),
              "pelmora-sim faults over after 2 s: 800 garbage, 800 flood, 400 stray acks sent");
    // Loopback may lose a little to a busy machine, never gain.
    EXPECT_GE(garbage, 720);
    EXPECT_LE(garbage, 800);
    EXPECT_GE(flood, 720);
    EXPECT_LE(flood, 800);
    EXPECT_GT(last - first, std::chrono::milliseconds(1600)) << "paced, not one burst";
    EXPECT_EQ(floodMacs.size(), 50u);
    EXPECT_EQ(*floodMacs.begin(), "02:50:4D:80:00:00");
    EXPECT_EQ(ackShapes.size(), 4u) << "ACK and NAK, each with and without text";
    EXPECT_LE(longest, 1500u);
    EXPECT_GT(garbageOversize, 100) << "about 30% are longer than the tool accepts";
    EXPECT_GT(garbageLikeReply, 80) << "about 25% begin like a reply";
    EXPECT_TRUE(client.receive(300).empty()) << "nothing after the faults are over";
    EXPECT_EQ(sim.terminate(), 0);
}

}  // namespace
}  // namespace pelmora::sim
