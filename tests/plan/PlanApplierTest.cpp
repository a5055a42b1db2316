// Applying a plan with the clock in the test's hand: each camera's answer and reply, in turn.
#include "plan/PlanApplier.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
}  // namespace pelmora
