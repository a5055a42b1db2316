// The engine against a peer socket on loopback, with the destination injected.
#include "engine/DiscoveryEngine.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "PeerSocket.h"
#include "lan/LanDiagnosis.h"
#include "model/RecordingNotifier.h"
#include "protocol/DatagramBuilder.h"
#include "protocol/Wire.h"

namespace pelmora {
namespace {

using namespace std::chrono_literals;
using test::eventually;
using test::PeerSocket;

// The engine's own notices: send outcomes.
class SendRecorder final : public EngineObserver {
  public:
    void receiveFailed() override {}
    void sendResult(bool ok) override {
        std::lock_guard lock(mutex_);
        sends_.push_back(ok);
    }
    std::vector<bool> sends() const {
        std::lock_guard lock(mutex_);
        return sends_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<bool> sends_;
};

std::string infoReply(std::string_view mac, std::string_view model = "CAM-100") {
    return DatagramBuilder{}.field("MAC:", mac).field("MODEL:", model).finish();
}

SendTarget loopback(std::uint16_t port) {
    SendTarget target;
    target.address.s_addr = htonl(INADDR_LOOPBACK);
    target.port = port;
    return target;
}

// Diagnostics go to a temporary file so tests can read the lines the engine wrote.
struct Diagnostics {
    Diagnostics() : file(std::tmpfile()) {}
    ~Diagnostics() { std::fclose(file); }
    int fd() const { return fileno(file); }
    std::string text() const {
        std::string out;
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::pread(fd(), buffer, sizeof buffer, static_cast<off_t>(out.size()))) > 0) {
            out.append(buffer, static_cast<std::size_t>(n));
        }
        return out;
    }
    std::FILE* file;
};

class DiscoveryEngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        table.setNotifier(&recorder);
        engine = std::make_unique<DiscoveryEngine>(
            table, &observer, EngineOptions{loopback(camera.port()), diagnostics.fd()});
        ASSERT_FALSE(engine->start());
    }
    void TearDown() override { engine->stop(); }

    std::uint16_t enginePort() const { return engine->localPort(); }
    bool waitForDatagrams(std::uint64_t n) {
        return eventually([&] { return engine->receiveStats().datagrams >= n; });
    }

    test::RecordingNotifier recorder;
    SendRecorder observer;
    CameraTable table;
    PeerSocket camera;
    Diagnostics diagnostics;
    std::unique_ptr<DiscoveryEngine> engine;
};

TEST_F(DiscoveryEngineTest, sendsTheEnquiryAtStartAndOnEachTick) {
    const std::string enquiry(
        "\x02"
        "ENQ:allinfo\xFF\x03",
        14);
    EXPECT_EQ(camera.receive(2s), enquiry);
    engine->enquiryTick();
    EXPECT_EQ(camera.receive(2s), enquiry);
    EXPECT_EQ(camera.receive(50ms), std::nullopt);
}

TEST_F(DiscoveryEngineTest, noEnquiryGoesOutWhileDiscoveryIsDisabled) {
    ASSERT_TRUE(camera.receive(2s));
    table.discoveryEnabled = 0;
    engine->enquiryTick();
    EXPECT_EQ(camera.receive(100ms), std::nullopt);
}

TEST_F(DiscoveryEngineTest, repliesAreAppliedToTheTable) {
    camera.sendTo(enginePort(), infoReply("00:80:F0:00:00:01"));
    camera.sendTo(enginePort(), infoReply("00:80:F0:00:00:02"));
    ASSERT_TRUE(eventually([&] { return table.count() == 2; }));
    EXPECT_TRUE(table.findByMac("00:80:F0:00:00:02"));
}

// The engine knows this PC's interfaces from the start, and each reply keeps the interface it
// came in on: here loopback, so the camera's subnet says nothing about reaching it.
TEST_F(DiscoveryEngineTest, eachCameraKeepsTheInterfaceItsReplyCameInOn) {
    const auto& interfaces = engine->localInterfaces();
    const auto loopback = std::find_if(interfaces.begin(), interfaces.end(),
                                       [](const LocalInterface& i) { return i.loopback; });
    ASSERT_NE(loopback, interfaces.end());
    EXPECT_EQ(interfaceAddressText(*loopback), "127.0.0.1/8");
    EXPECT_GT(loopback->index, 0);

    camera.sendTo(enginePort(), DatagramBuilder{}
                                    .field("MAC:", "02:50:4D:00:00:01")
                                    .field("MODEL:", "PM-C110")
                                    .field("IPADR:", "10.1.0.5")
                                    .field("MASK:", "255.255.255.0")
                                    .finish());
    camera.sendTo(enginePort(), infoReply("02:50:4D:00:00:02"));
    ASSERT_TRUE(eventually([&] { return table.count() == 2; }));
    const auto cameras = listedAddressing(table);
    ASSERT_EQ(cameras.size(), 2u);
    EXPECT_EQ(cameras[0].mac, "02:50:4D:00:00:01");
    EXPECT_EQ(formatIpv4(cameras[0].ipAddress), "10.1.0.5");
    EXPECT_EQ(cameras[0].interfaceIndex, loopback->index);
    EXPECT_EQ(cameras[1].interfaceIndex, loopback->index);
    const auto diagnoses = diagnoseCameras(cameras, interfaces);
    EXPECT_EQ(diagnoses[0].reachability, Reachability::Unknown);
    EXPECT_EQ(diagnoses[1].reachability, Reachability::NoAddress);
}

TEST_F(DiscoveryEngineTest, moreDatagramsThanTheReceiveRingHoldsAreAllApplied) {
    // Sent in chunks the socket buffer always holds; the ring wraps around on the way.
    constexpr int kTotal = 2500;
    constexpr int kChunk = 100;
    for (int sent = 0; sent < kTotal; sent += kChunk) {
        for (int i = sent; i < sent + kChunk; ++i) {
            char mac[18];
            std::snprintf(mac, sizeof mac, "02:50:4D:00:%02X:%02X", (i % 1100) >> 8,
                          i % 1100 & 0xFF);
            camera.sendTo(enginePort(), infoReply(mac));
        }
        ASSERT_TRUE(waitForDatagrams(static_cast<std::uint64_t>(sent + kChunk)));
    }
    // 1,100 cameras answered; the table keeps the first 1,024 and drops the others' replies.
    EXPECT_EQ(table.count(), kTableSize);
    EXPECT_TRUE(table.findByMac("02:50:4D:00:03:FF"));
    EXPECT_FALSE(table.findByMac("02:50:4D:00:04:00"));
    // Every slot of the ring, wrapped or not, carried its datagram's interface.
    const auto cameras = listedAddressing(table);
    EXPECT_TRUE(std::all_of(cameras.begin(), cameras.end(), [&](const CameraAddressing& c) {
        return c.interfaceIndex == cameras.front().interfaceIndex && c.interfaceIndex > 0;
    }));
}

TEST_F(DiscoveryEngineTest, aDatagramIsCutAtItsFirstNul) {
    std::string reply = infoReply("00:80:F0:00:00:01");
    reply.insert(reply.size() - 1, std::string("\0SERIAL:AFTERNUL\xFF", 17));
    camera.sendTo(enginePort(), reply);
    ASSERT_TRUE(eventually([&] { return table.count() == 1; }));
    EXPECT_STREQ(table.findByMac("00:80:F0:00:00:01")->serial, "");
}

TEST_F(DiscoveryEngineTest, aDatagramArrivingWhileDiscoveryIsDisabledIsLostNotQueued) {
    table.discoveryEnabled = 0;
    camera.sendTo(enginePort(), infoReply("00:80:F0:00:00:01"));
    ASSERT_TRUE(waitForDatagrams(1));
    table.discoveryEnabled = 1;
    camera.sendTo(enginePort(), infoReply("00:80:F0:00:00:02"));
    ASSERT_TRUE(waitForDatagrams(2));
    ASSERT_TRUE(eventually([&] { return table.count() == 1; }));
    EXPECT_FALSE(table.findByMac("00:80:F0:00:00:01"));
}

TEST_F(DiscoveryEngineTest, oversizeDatagramIsDroppedAndEngineContinues) {
    std::string huge = infoReply("00:80:F0:00:00:09");
    huge.insert(1, std::string(1100, 'x'));
    camera.sendTo(enginePort(), huge);
    ASSERT_TRUE(eventually([&] { return engine->receiveStats().oversize == 1; }));
    // Exactly the largest size is still accepted.
    std::string largest = infoReply("00:80:F0:00:00:01");
    largest.insert(1, std::string(kMaxDatagram - largest.size(), 'y'));
    ASSERT_EQ(largest.size(), kMaxDatagram);
    camera.sendTo(enginePort(), largest);
    ASSERT_TRUE(eventually([&] { return table.count() == 1; }));
    EXPECT_FALSE(table.findByMac("00:80:F0:00:00:09"));
    engine->drainDiagnostics();
    EXPECT_EQ(diagnostics.text(), "Warning: recvfrom: datagram longer than 1072 bytes dropped\n");
}

TEST_F(DiscoveryEngineTest, acknowledgementsAndRefusalsReachTheNotifier) {
    const std::string accepted = "00:80:F0:00:00:01";
    const std::string refused = "00:80:F0:00:00:02";
    table.registerPending(accepted, "\x02SETMAC:" + accepted + "\xFF\x03");
    table.registerPending(accepted, "\x02SETMAC:" + accepted + "\xFF\x03");
    table.registerPending(refused, "\x02SETMAC:" + refused + "\xFF\x03");
    camera.sendTo(enginePort(),
                  "\x02"
                  "ACK:" +
                      accepted + "\xFF\x03");
    ASSERT_TRUE(eventually([&] { return recorder.results().size() == 2; }));
    camera.sendTo(enginePort(), "\x02NAK:" + refused + "\xFF\x03");
    ASSERT_TRUE(eventually([&] { return recorder.results().size() == 3; }));
    const test::SettingResultCall ok{ResultIcon::Information, "Setting OK"};
    const test::SettingResultCall ng{ResultIcon::Warning, "Setting NG"};
    EXPECT_EQ(recorder.results(), (std::vector{ok, ok, ng}));
    EXPECT_EQ(recorder.acknowledgements(), 2);
}

TEST_F(DiscoveryEngineTest, aRefusalCarriesTheCamerasOwnText) {
    const std::string mac = "00:80:F0:00:00:01";
    table.registerPending(mac, "\x02SETMAC:" + mac + "\xFF\x03");
    camera.sendTo(enginePort(), "\x02NAK:" + mac + "\xFFwrong password\xFF\x03");
    ASSERT_TRUE(eventually([&] { return recorder.results().size() == 1; }));
    EXPECT_EQ(recorder.results()[0],
              (test::SettingResultCall{ResultIcon::Warning, "wrong password"}));
}

TEST_F(DiscoveryEngineTest, stopEndsTheThreadPromptlyAndClearsTheFlag) {
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(engine->stop());
    // A safety bound against a hang, not a measurement (the benchmark measures it).
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
    EXPECT_EQ(table.stopRequested, 0);
    EXPECT_EQ(engine->socket().fd(), -1);
}

TEST(DiscoveryEngineFailures, aFailedSendIsReportedButNotFatal) {
    SendRecorder observer;
    CameraTable table;
    Diagnostics diagnostics;
    // Port 0 cannot be sent to: every send fails.
    DiscoveryEngine engine(table, &observer, EngineOptions{loopback(0), diagnostics.fd()});
    ASSERT_FALSE(engine.start());
    EXPECT_EQ(engine.sendDatagram("x"), -1);
    // The second failure within 10 s of the first is counted, and the count written at stop.
    EXPECT_EQ(diagnostics.text(), "Warning: sendto\n");
    EXPECT_EQ(observer.sends(), (std::vector{false, false}));
    // The socket stays open and receiving goes on.
    PeerSocket camera;
    camera.sendTo(engine.localPort(), infoReply("00:80:F0:00:00:01"));
    ASSERT_TRUE(eventually([&] { return table.count() == 1; }));
    EXPECT_FALSE(engine.stop());
    EXPECT_EQ(diagnostics.text(), "Warning: sendto\nWarning: sendto (1 more in 1 s)\n");
}

TEST(DiscoveryEngineFailures, aRequestWhoseSendFailedStaysPendingUntilNoResponse) {
    CameraTable table;
    Diagnostics diagnostics;
    DiscoveryEngine engine(table, nullptr, EngineOptions{loopback(0), diagnostics.fd()});
    ASSERT_FALSE(engine.start());
    const int slot = table.registerPending("00:80:F0:00:00:01", "\x02SETMAC:x\xFF\x03");
    EXPECT_EQ(engine.sendDatagram("\x02SETMAC:x\xFF\x03"), -1);
    EXPECT_EQ(table.read([&](const TableData& d) { return d.pending[slot].state; }), 1);
}

// Standard output as a pipe nobody reads (a launcher, a pager that has stopped reading).
class UnreadPipe {
  public:
    UnreadPipe() {
        if (::pipe2(fds_, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe");
        }
        ::fcntl(fds_[0], F_SETFL, O_NONBLOCK);
    }
    ~UnreadPipe() {
        ::close(fds_[0]);
        ::close(fds_[1]);
    }
    int writeEnd() const { return fds_[1]; }
    bool full() const {
        pollfd ready{fds_[1], POLLOUT, 0};
        return ::poll(&ready, 1, 0) == 0;
    }
    // Fills the pipe with "filler" lines, as output that nobody has read yet.
    void fill() {
        ::fcntl(fds_[1], F_SETFL, O_NONBLOCK);
        while (::write(fds_[1], "filler\n", 7) == 7) {
        }
        ::fcntl(fds_[1], F_SETFL, 0);
    }
    // What the pipe holds, read at last.
    std::string readAll() {
        std::string text;
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::read(fds_[0], buffer, sizeof buffer)) > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return text;
    }

  private:
    int fds_[2] = {-1, -1};
};

TEST(DiscoveryEngineDiagnostics, anUnreadOutputStallsNeitherReceivingNorStop) {
    UnreadPipe output;
    CameraTable table;
    PeerSocket camera;
    DiscoveryEngine engine(table, nullptr,
                           EngineOptions{loopback(camera.port()), output.writeEnd()});
    ASSERT_FALSE(engine.start());
    // The rate limit keeps a flood from filling the pipe: it is full from the start.
    output.fill();
    // Twice the lines the pipe would hold, in chunks the socket buffer holds; the owner drains
    // meanwhile, as its ticks and notices make it do.
    constexpr std::uint64_t kFlood = 2000;
    constexpr std::uint64_t kChunk = 100;
    const std::string huge(kMaxDatagram + 28, 'x');
    for (std::uint64_t sent = 0; sent < kFlood; sent += kChunk) {
        for (std::uint64_t i = 0; i < kChunk; ++i) {
            camera.sendTo(engine.localPort(), huge);
        }
        ASSERT_TRUE(eventually([&] {
            engine.drainDiagnostics();
            return engine.receiveStats().oversize >= sent + kChunk;
        })) << "receiving stalled after "
            << engine.receiveStats().oversize << " oversize datagrams";
    }
    ASSERT_TRUE(output.full());
    camera.sendTo(engine.localPort(), infoReply("00:80:F0:00:00:01"));
    EXPECT_TRUE(eventually([&] { return table.findByMac("00:80:F0:00:00:01").has_value(); }));

    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(engine.stop());
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s) << "stop waited on the output";
    EXPECT_EQ(table.stopRequested, 0);

    // Once the pipe is read, the rest comes out: every line was written or counted, none lost
    // for want of room, the first line as it was and then its count.
    std::string text = output.readAll();
    engine.drainDiagnostics();
    text += output.readAll();
    ASSERT_FALSE(text.empty());
    ASSERT_EQ(text.back(), '\n');
    const std::string line = "Warning: recvfrom: datagram longer than 1072 bytes dropped";
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const auto end = text.find('\n', start);
        if (text.compare(start, end - start, "filler") != 0) {
            lines.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    ASSERT_EQ(lines.size(), 2u) << text.substr(text.rfind("filler"));
    EXPECT_EQ(lines[0], line);
    unsigned long long more = 0;
    int seconds = 0;
    ASSERT_EQ(
        std::sscanf(lines[1].c_str(),
                    "Warning: recvfrom: datagram longer than 1072 bytes dropped (%llu more in "
                    "%d s)",
                    &more, &seconds),
        2)
        << lines[1];
    EXPECT_EQ(1 + more, kFlood);
    EXPECT_EQ(engine.diagnostics().dropped(), 0u);
}

}  // namespace
}  // namespace pelmora
