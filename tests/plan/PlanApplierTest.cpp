// Applying a plan with the clock in the test's hand: each camera's answer and reply, in turn;
// then whole plans against a table of cameras.
#include "plan/PlanApplier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "model/CameraTable.h"
#include "plan/PlanRun.h"
#include "protocol/DatagramBuilder.h"

namespace pelmora {
namespace {

using namespace std::chrono_literals;
using Clock = PlanApplier::Clock;

// Last octet 0: DHCP, whose lease gave a gateway of its own.
NetworkSettings fixedAt(std::uint8_t last) {
    NetworkSettings s;
    if (last == 0) {
        s.gateway = {10, 0, 0, 1};
        s.gatewayBlank = false;
        return s;
    }
    s.dhcp = false;
    s.dnsAuto = false;
    s.ipAddress = {192, 168, 0, last};
    s.subnetMask = {255, 255, 255, 0};
    return s;
}

// What happens to one camera after its request is sent.
struct Event {
    enum Kind { Wait, Answer, Reply, Stop } kind;
    Clock::duration after = 0s;
    PlanApplier::Answer answer = {};
    std::uint8_t reportedLast = 0;  // the last octet the reply reports
    std::string from = "";          // the reply's MAC, the camera's own when empty
};

struct ApplyCase {
    const char* name;
    std::vector<std::vector<Event>> perCamera;  // one list per camera that gets a request
    std::vector<std::string> results;           // for three cameras
};

const PlanApplier::Answer kOk{true, "Setting OK"};

TEST(PlanApplier, eachCameraEndsInOneResult) {
    const std::vector<ApplyCase> cases = {
        {"allVerified",
         {{{Event::Answer, 1s, kOk}, {Event::Reply, 2s, {}, 11}},
          {{Event::Answer, 1s, kOk}, {Event::Reply, 1s, {}, 12}},
          {{Event::Answer, 1s, kOk}, {Event::Reply, 1s, {}, 13}}},
         {"verified", "verified", "verified"}},
        {"oldSettingsAndOtherMacsDoNotVerify",
         {{{Event::Answer, 1s, kOk},
           {Event::Reply, 1s, {}, 99},
           {Event::Reply, 1s, {}, 11, "02:50:4D:00:00:09"},
           {Event::Wait, 57s},
           {Event::Reply, 2s, {}, 11}},
          {{Event::Answer, 0s, {false, "Setting NG"}}},
          {{Event::Answer, 0s, {false, "No Response"}}}},
         {"not confirmed", "NG", "No Response"}},
        {"silenceIsNoResponseAndCameraTextIsKept",
         {{{Event::Wait, 10s}},
          {{Event::Answer, 0s, {false, "Password Error"}}},
          {{Event::Answer, 1s, {true, "Saved; restarting"}}, {Event::Reply, 30s, {}, 13}}},
         {"No Response", "Password Error", "verified"}},
        {"aLeaseGatewayStillVerifiesDhcp",
         {{{Event::Answer, 0s, kOk}, {Event::Reply, 1s, {}, 0}},
          {{Event::Answer, 0s, kOk}, {Event::Reply, 1s, {}, 99}, {Event::Wait, 60s}},
          {{Event::Answer, 0s, kOk}, {Event::Reply, 1s, {}, 13}}},
         {"verified", "not confirmed", "verified"}},
        {"aStopWaitsForTheCameraUnderWay",
         {{{Event::Answer, 1s, kOk}, {Event::Stop}, {Event::Reply, 1s, {}, 11}}},
         {"verified", "", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<PlanApplier::Step> steps;
        for (std::uint8_t n = 1; n <= 3; ++n) {
            steps.push_back({"02:50:4D:00:00:0" + std::to_string(n), "request " + std::to_string(n),
                             fixedAt(static_cast<std::uint8_t>(10 + n))});
        }
        if (std::string(c.name) == "aLeaseGatewayStillVerifiesDhcp") {
            steps[0].planned = NetworkSettings{};  // DHCP, automatic DNS, gateway blank
        }
        PlanApplier applier(steps, 10s, 60s);
        Clock::time_point now{};
        std::vector<std::string> sent;
        for (const auto& events : c.perCamera) {
            const auto* step = applier.nextSend(now);
            ASSERT_NE(step, nullptr);
            // Nothing more goes out while a camera is under way.
            EXPECT_EQ(applier.nextSend(now), nullptr);
            sent.push_back(step->request);
            const std::string mac = step->mac;
            for (const auto& e : events) {
                now += e.after;
                applier.tick(now);
                switch (e.kind) {
                    case Event::Answer:
                        applier.answered(e.answer, now);
                        break;
                    case Event::Reply:
                        applier.replied(e.from.empty() ? mac : e.from, fixedAt(e.reportedLast));
                        break;
                    case Event::Stop:
                        applier.stop();
                        break;
                    case Event::Wait:
                        break;
                }
            }
        }
        EXPECT_EQ(applier.nextSend(now), nullptr);
        EXPECT_TRUE(applier.finished());
        EXPECT_EQ(applier.results(), c.results);
        EXPECT_EQ(sent.size(), c.perCamera.size());
    }
}

// ---- Whole plans: camera N (MAC 02:50:4D:00:00:0N) starts on 10.0.0.N ----

enum Does { Moves, Refuses, StaysSilent, NeverReports, CannotBeSent };
struct Move {
    int camera, to, does;
};

void hear(CameraTable& table, int camera, int last) {
    table.parseInfoReply(DatagramBuilder{}
                             .field("MAC:", "02:50:4D:00:00:0" + std::to_string(camera))
                             .field("IPADR:", "10.0.0." + std::to_string(last))
                             .field("MASK:", "255.255.255.0")
                             .finish());
}

// A move onto an address whose holder has not been verified leaving, or where another camera is
// heard, is held back and sent nothing; so, in turn, is the move onto a held-back camera's.
TEST(PlanRun, aMoveOntoAnAddressStillHeldIsHeldBack) {
    // Each move: the camera, its planned last octet, what it does with its request.
    const std::vector<std::vector<int>> cases = {
        {1, 30, Refuses,      2, 1, Moves, 3, 31, StaysSilent,  4, 3, Moves, 8, 2, Moves,
         5, 32, NeverReports, 6, 5, Moves, 7, 33, CannotBeSent, 9, 7, Moves},
        // Once camera 1's request is out, camera 8 is heard on .30 and camera 9 on .50.
        {1, 30, Moves, 2, 50, Moves, 3, 2, Moves, 4, 1, Moves, 5, 35, Moves, 6, 5, Moves},
    };
    const std::vector<std::vector<std::string>> results = {
        {"NG", "held back", "No Response", "held back", "held back", "not confirmed", "held back",
         "Not Sent", "held back"},
        {"not confirmed: 02:50:4D:00:00:08 reports the same address", "held back", "held back",
         "held back", "verified", "verified"}};
    for (std::size_t n = 0; n < cases.size(); ++n) {
        CameraTable table;
        std::vector<PlanRow> rows(cases[n].size() / 3);
        std::map<char, Move> byMac;  // by the MAC's last digit
        for (std::size_t k = 0; k < rows.size(); ++k) {
            const Move m{cases[n][3 * k], cases[n][3 * k + 1], cases[n][3 * k + 2]};
            hear(table, m.camera, m.camera);
            rows[k].mac = table.liveRecords().back().mac;
            rows[k].ipAddress = Ipv4{10, 0, 0, static_cast<std::uint8_t>(m.to)};
            byMac[rows[k].mac.back()] = m;
        }
        std::vector<std::string> sent;
        const auto send = [&](const PlanApplier::Step& step) {
            sent.push_back(step.mac);
            return byMac[step.mac.back()].does != CannotBeSent;
        };
        PlanRun run(table, {send, [] {}, std::nullopt},
                    planSteps(checkPlan(rows, table.liveRecords(), {}), "admin", "password"), 60s);
        // 20 s a turn: past any answer's or reply's wait.
        for (Clock::time_point t{}; !run.applier().finished() && t.time_since_epoch() < 1h;
             t += 20s) {
            run.advance(t);
            if (run.applier().state() != PlanApplier::State::AwaitingAnswer) {
                continue;
            }
            if (n == 1 && sent.size() == 1) {
                hear(table, 8, 30);
                hear(table, 9, 50);
            }
            const auto m = byMac[sent.back().back()];
            if (m.does != StaysSilent) {
                run.answered(m.does == Refuses ? PlanApplier::Answer{false, "Setting NG"} : kOk, t);
                hear(table, m.camera, m.does == Moves ? m.to : m.camera);
            }
        }
        EXPECT_EQ(run.applier().results(), results[n]);
        EXPECT_EQ(sent.size(), results[n].size() - std::ranges::count(results[n], "held back"));
    }
}

}  // namespace
}  // namespace pelmora
