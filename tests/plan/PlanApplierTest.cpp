// Applying a plan with the clock in the test's hand: each camera's answer and reply, in turn;
// then whole plans run against a site of cameras, where a move that failed must hold back every
// move onto the address its camera still holds.
#include "plan/PlanApplier.h"

#include <gtest/gtest.h>

#include <cstdio>
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
            steps.push_back({"02:50:4D:00:00:0" + std::to_string(n),
                             "request " + std::to_string(n),
                             fixedAt(static_cast<std::uint8_t>(10 + n)),
                             {}});
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

// ---- Whole plans against a site: camera N (MAC 02:50:4D:00:00:NN) starts on 10.0.0.N ----

enum class Does { Moves, Refuses, StaysSilent, NeverReports, CannotBeSent };
struct Move {
    int camera;
    int to;
    Does does = Does::Moves;
};

void hear(CameraTable& table, int camera, int last) {
    char mac[18];
    std::snprintf(mac, sizeof mac, "02:50:4D:00:00:%02X", camera);
    table.parseInfoReply(DatagramBuilder{}
                             .field("MAC:", mac)
                             .field("DHCP:", "OFF")
                             .field("IPADR:", "10.0.0." + std::to_string(last))
                             .field("MASK:", "255.255.255.0")
                             .finish());
}

TEST(PlanRun, aMoveOntoAnAddressStillHeldIsHeldBackAndSentNothing) {
    const struct {
        std::vector<Move> moves;                     // the plan, in file order
        std::vector<std::pair<int, int>> outsiders;  // heard once the first request is out
        std::vector<std::string> results;            // by camera, in sending order
    } cases[] = {
        {{{1, 30, Does::Refuses},
          {2, 1},
          {3, 31, Does::StaysSilent},
          {4, 3},
          {9, 2},
          {10, 34},
          {5, 32, Does::NeverReports},
          {6, 5},
          {7, 33, Does::CannotBeSent},
          {8, 7},
          {11, 10}},
         {},
         {"1 NG", "2 held back", "3 No Response", "4 held back", "9 held back", "10 verified",
          "5 not confirmed", "6 held back", "7 Not Sent", "8 held back", "11 verified"}},
        {{{1, 30}, {2, 50}, {3, 2}, {4, 1}},
         {{15, 30}, {16, 50}},
         {"1 not confirmed: 02:50:4D:00:00:0F reports the same address", "2 held back",
          "3 held back", "4 held back"}},
    };
    for (const auto& c : cases) {
        CameraTable table;
        std::vector<PlanRow> rows;
        std::map<std::string, Move> byMac;
        for (const auto& m : c.moves) {
            hear(table, m.camera, m.camera);
            auto& row = rows.emplace_back();
            row.mac = table.liveRecords().back().mac;
            row.ipAddress = Ipv4{10, 0, 0, static_cast<std::uint8_t>(m.to)};
            byMac[row.mac] = m;
        }
        const auto check = checkPlan(rows, table.liveRecords(), {});
        ASSERT_EQ(check.refusals, std::vector<std::string>{});
        std::vector<std::string> sent;
        PlanRun run(table,
                    {[&](const PlanApplier::Step& step) {
                         sent.push_back(step.mac);
                         return byMac[step.mac].does != Does::CannotBeSent;
                     },
                     [] {}},
                    planSteps(check, "admin", "password"), 60s);
        for (Clock::time_point now{}; !run.applier().finished() && now.time_since_epoch() < 1h;
             now += 20s) {
            run.advance(now);
            if (run.applier().state() != PlanApplier::State::AwaitingAnswer) {
                continue;  // past any answer's or reply's wait
            }
            for (const auto& [outsider, at] : c.outsiders) {
                if (sent.size() == 1) {
                    hear(table, outsider, at);
                }
            }
            const auto m = byMac[sent.back()];
            if (m.does != Does::StaysSilent) {
                run.answered(
                    m.does == Does::Refuses ? PlanApplier::Answer{false, "Setting NG"} : kOk, now);
                hear(table, m.camera, m.does == Does::Moves ? m.to : m.camera);
            }
        }
        std::vector<std::string> results;
        std::vector<std::string> attempted;
        for (std::size_t k = 0; k < run.steps().size(); ++k) {
            const auto& result = run.applier().results()[k];
            results.push_back(std::to_string(byMac[run.steps()[k].mac].camera) + " " + result);
            if (result != "held back") {
                attempted.push_back(run.steps()[k].mac);
            }
        }
        EXPECT_EQ(results, c.results);
        EXPECT_EQ(sent, attempted) << "a camera held back is sent nothing";
    }
}

}  // namespace
}  // namespace pelmora
