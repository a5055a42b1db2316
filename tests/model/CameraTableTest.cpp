// Finding cameras by MAC, settling replies, pending requests and the ageing tick.
#include "model/CameraTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "model/FixedText.h"
#include "model/RecordingNotifier.h"
#include "protocol/SettingRequest.h"
#include "protocol/WireText.h"

namespace pelmora {
namespace {

using test::macFor;
using test::replyFor;
using test::SettingResultCall;

const std::string kMac = macFor(1);

bool allZero(const CameraRecord& r) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&r);
    return std::all_of(bytes, bytes + sizeof r, [](unsigned char b) { return b == 0; });
}

std::string bandwidthRequest(const std::string& mac) {
    return SettingRequest(mac).credentials("admin", "12345").field("SETBAND:", "2.0").finish();
}

std::string dateTimeRequest(const std::string& mac) {
    return SettingRequest(mac)
        .field("TIME:", "250101120000")
        .field("TIMEZONE:", "13")
        .field("DTFORMAT:", "2")
        .finish();
}

class CameraTableTest : public ::testing::Test {
  protected:
    CameraTableTest() {
        table.setNotifier(&notifier);
        table.setSender([this](std::string_view datagram) {
            sent.emplace_back(datagram);
            return 0;
        });
    }

    void reply(const std::string& mac, std::string_view model = "PM-NP244") {
        table.parseInfoReply(replyFor(mac, model));
    }
    CameraRecord record(int i) const {
        return table.read([i](const TableData& d) { return d.records[i]; });
    }
    PendingRequest slot(int i) const {
        return table.read([i](const TableData& d) { return d.pending[i]; });
    }
    void setAge(int i, int age) {
        table.modify([=](TableData& d) { d.records[i].age = age; });
    }
    void ticks(int n) {
        for (int k = 0; k < n; ++k) {
            table.agingTick();
        }
    }
    // Dispatched as the receive thread would.
    void receive(const std::string& text) { dispatchDatagram(text, table); }

    CameraTable table;
    test::RecordingNotifier notifier;
    std::vector<std::string> sent;
};

// --- Finding or taking a record by MAC -------------------------------------------------------

TEST_F(CameraTableTest, newCamerasTakeSlotsInOrderAndKnownOnesAreRefreshed) {
    reply(macFor(0));
    reply(macFor(1));
    ticks(3);
    reply(macFor(0), "PM-NEW");
    EXPECT_EQ(table.count(), 2);
    EXPECT_STREQ(record(0).mac, macFor(0).c_str());
    EXPECT_STREQ(record(0).model, "PM-NEW");
    EXPECT_EQ(record(0).age, 0);
    EXPECT_EQ(record(1).age, 3);
    EXPECT_TRUE(allZero(record(2)));
}

// A reply is worth an early grid rewrite only when the grids would show something new.
TEST_F(CameraTableTest, aReplyNoticesAListChangeOnlyWhenTheGridsWouldShowIt) {
    const auto withIp = [](std::string_view ip, std::string_view time) {
        return test::datagram({{"MODEL:", "PM"}, {"MAC:", kMac}, {"IPADR:", ip}, {"TIME:", time}});
    };
    const struct {
        const char* name;
        std::function<void()> step;
        int notices;
    } steps[] = {
        {"a new camera", [&] { table.parseInfoReply(withIp("10.0.0.1", "250101000000")); }, 1},
        {"the same reply, another clock",
         [&] { table.parseInfoReply(withIp("10.0.0.1", "250101000001")); }, 1},
        {"a new address", [&] { table.parseInfoReply(withIp("10.0.0.2", "250101000002")); }, 2},
        {"back after leaving the list",
         [&] {
             setAge(0, kListedAge);
             table.parseInfoReply(withIp("10.0.0.2", "250101000003"));
         },
         3},
    };
    for (const auto& step : steps) {
        step.step();
        EXPECT_EQ(notifier.listChanges(), step.notices) << step.name;
    }
}

TEST_F(CameraTableTest, replyWithoutMacOrWithEmptyMacIsIgnored) {
    table.parseInfoReply(test::datagram({{"MODEL:", "PM"}}));
    table.parseInfoReply(test::datagram({{"MODEL:", "PM"}, {"MAC:", ""}}));
    table.parseInfoReply(test::wire("<MODEL:PM|MAC:02:50:4D:00:00:01>"));  // no terminator
    EXPECT_EQ(table.count(), 0);
    EXPECT_TRUE(allZero(record(0)));
}

TEST_F(CameraTableTest, overlongMacIsCutTo17AndStillNamesTheSameCamera) {
    const std::string longMac = kMac + ":99:98";
    reply(longMac);
    reply(longMac, "PM-2");
    reply(kMac, "PM-3");
    EXPECT_EQ(table.count(), 1);
    EXPECT_STREQ(record(0).mac, kMac.c_str());
    EXPECT_STREQ(record(0).model, "PM-3");
}

// Each reply turned away is counted; a camera waits until a record leaves.
TEST_F(CameraTableTest, fullTableDropsNewCamerasCountingThemButRefreshesKnownOnes) {
    for (int i = 0; i < kTableSize; ++i) {
        reply(macFor(i));
    }
    EXPECT_FALSE(table.overflow().othersWaiting);
    ticks(2);
    reply(macFor(kTableSize), "PM-LATE");
    reply(macFor(kTableSize + 1), "PM-LATE");
    reply(macFor(kTableSize - 1), "PM-NEW");
    EXPECT_EQ(table.count(), kTableSize);
    EXPECT_FALSE(table.findByMac(macFor(kTableSize)));
    EXPECT_STREQ(record(kTableSize - 1).model, "PM-NEW");
    EXPECT_EQ(record(kTableSize - 1).age, 0);
    EXPECT_EQ(table.overflow().dropped, 2u);
    EXPECT_TRUE(table.overflow().othersWaiting);
    setAge(0, kRemovalAge);
    ticks(1);
    EXPECT_FALSE(table.overflow().othersWaiting) << "a record has left: there is room";
}

// --- Settling acknowledgements and refusals --------------------------------------------------

TEST_F(CameraTableTest, acknowledgementFreesTheSlotAndASecondOneShowsNothing) {
    ASSERT_EQ(table.registerPending(kMac, bandwidthRequest(kMac)), 0);
    receive(test::settlement("ACK:", kMac));  // 24 bytes
    EXPECT_EQ(notifier.results(),
              (std::vector<SettingResultCall>{{ResultIcon::Information, "Setting OK"}}));
    EXPECT_EQ(notifier.acknowledgements(), 1);
    EXPECT_EQ(slot(0).state, 0);
    EXPECT_STREQ(slot(0).mac, "");
    receive(test::settlement("ACK:", kMac));
    EXPECT_EQ(notifier.results().size(), 1u);
    EXPECT_EQ(notifier.acknowledgements(), 1);
}

TEST_F(CameraTableTest, refusalKeepsTheMacSoASecondRefusalShowsSettingNgAgain) {
    table.registerPending(kMac, bandwidthRequest(kMac));
    receive(test::settlement("NAK:", kMac));
    receive(test::settlement("NAK:", kMac));
    const SettingResultCall ng{ResultIcon::Warning, "Setting NG"};
    EXPECT_EQ(notifier.results(), (std::vector<SettingResultCall>{ng, ng}));
    EXPECT_EQ(notifier.acknowledgements(), 0);
    EXPECT_EQ(slot(0).state, 0);
    EXPECT_STREQ(slot(0).mac, kMac.c_str());
}

TEST_F(CameraTableTest, messageTextReplacesTheWordsAndSkipsTheAckListener) {
    table.registerPending(kMac, bandwidthRequest(kMac));
    receive(test::settlement("NAK:", kMac, "Busy"));  // the slot keeps its MAC
    receive(test::settlement("ACK:", kMac, ""));      // 25 bytes: empty message text
    table.registerPending(kMac, bandwidthRequest(kMac));
    receive(test::settlement("ACK:", kMac, "Reset"));  // 30 bytes
    EXPECT_EQ(notifier.results(), (std::vector<SettingResultCall>{
                                      {ResultIcon::Warning, "Busy"},
                                      {ResultIcon::Information, ""},
                                      {ResultIcon::Information, "Reset"},
                                  }));
    EXPECT_EQ(notifier.acknowledgements(), 0);
}

TEST_F(CameraTableTest, everyMatchingSlotIsSettledWithItsOwnResult) {
    table.registerPending(kMac, bandwidthRequest(kMac));
    table.registerPending(macFor(2), bandwidthRequest(macFor(2)));
    table.registerPending(kMac, bandwidthRequest(kMac));
    receive(test::settlement("NAK:", kMac, "No"));
    EXPECT_EQ(notifier.results().size(), 2u);
    EXPECT_EQ(slot(0).state, 0);
    EXPECT_EQ(slot(1).state, 1);
    EXPECT_EQ(slot(2).state, 0);
}

TEST_F(CameraTableTest, dateTimeResultsAreKeptSilentlyUntilThePageFreesThem) {
    table.registerPending(kMac, dateTimeRequest(kMac));
    table.registerPending(macFor(2), dateTimeRequest(macFor(2)));
    receive(test::settlement("ACK:", kMac));
    receive(test::settlement("NAK:", macFor(2), "text"));
    ticks(15);
    EXPECT_EQ(slot(0).state, PendingRequest::kDateTimeAccepted);
    EXPECT_EQ(slot(1).state, PendingRequest::kDateTimeRefused);
    EXPECT_STREQ(slot(0).mac, kMac.c_str());
    EXPECT_TRUE(notifier.results().empty());
    EXPECT_EQ(notifier.acknowledgements(), 0);
    EXPECT_TRUE(notifier.prompts().empty());
}

TEST_F(CameraTableTest, credentialsThatSpellTimeDoNotMakeADateTimeRequest) {
    // Base64 of "admin:xd\xC80Ax" is "YWRtaW46eGTIMEF4".
    const auto password = std::string("xd") + '\xC8' + "0Ax";
    const auto request =
        SettingRequest(kMac).credentials("admin", password).field("DHCP:", "ON").finish();
    ASSERT_NE(request.find("TIME"), std::string::npos);
    table.registerPending(kMac, request);
    receive(test::settlement("ACK:", kMac));
    EXPECT_EQ(slot(0).state, 0);
    EXPECT_EQ(notifier.results().size(), 1u);
}

TEST_F(CameraTableTest, emptyMacSettlesNothing) {
    table.registerPending(kMac, bandwidthRequest(kMac));
    receive(test::settlement("ACK:", kMac));  // clears the slot's MAC
    notifier.clear();
    table.settleReply(ReplyKind::Refusal, "", std::nullopt);
    receive(test::wire("<NAK:"));
    EXPECT_TRUE(notifier.results().empty());
}

TEST_F(CameraTableTest, resultsAreDeliveredWithoutTheTableLock) {
    table.registerPending(kMac, bandwidthRequest(kMac));
    int seen = -1;
    // With the lock still held this would deadlock (the test's timeout reports it).
    notifier.setHook([&] { seen = table.count(); });
    reply(macFor(5));
    receive(test::settlement("ACK:", kMac));
    EXPECT_EQ(seen, 1);
}

// --- Registering pending requests ------------------------------------------------------------

TEST_F(CameraTableTest, registerPendingTakesTheFirstFreeSlot) {
    const auto request = bandwidthRequest(kMac);
    EXPECT_EQ(table.registerPending(kMac, request), 0);
    EXPECT_EQ(table.registerPending(macFor(2), bandwidthRequest(macFor(2))), 1);
    EXPECT_EQ(slot(0).state, 1);
    EXPECT_STREQ(slot(0).mac, kMac.c_str());
    EXPECT_EQ(fieldText(slot(0).request), request);
    receive(test::settlement("ACK:", kMac));
    EXPECT_EQ(table.registerPending(macFor(3), bandwidthRequest(macFor(3))), 0);
    EXPECT_STREQ(slot(0).mac, macFor(3).c_str());
}

TEST_F(CameraTableTest, fullPendingTableTracksNothing) {
    for (int i = 0; i < kTableSize; ++i) {
        ASSERT_EQ(table.registerPending(macFor(i), bandwidthRequest(macFor(i))), i);
    }
    EXPECT_EQ(table.registerPending(kMac, bandwidthRequest(kMac)), -1);
}

TEST_F(CameraTableTest, requestLongerThan2049BytesIsNotTracked) {
    EXPECT_EQ(table.registerPending(kMac, std::string(2050, 'x')), -1);
    const std::string longest(2049, 'y');
    EXPECT_EQ(table.registerPending(kMac, longest), 0);
    EXPECT_EQ(fieldText(slot(0).request), longest);
}

// --- Ageing tick: pending requests -----------------------------------------------------------

TEST_F(CameraTableTest, pendingStateCountsUpAndCancelAtTenKeepsTheMac) {
    const auto request = bandwidthRequest(kMac);
    table.registerPending(kMac, request);
    ticks(9);
    EXPECT_EQ(slot(0).state, 10);
    EXPECT_TRUE(notifier.prompts().empty());
    ticks(1);
    EXPECT_EQ(notifier.prompts(), std::vector<std::string>{kMac});
    EXPECT_EQ(slot(0).state, 0);
    EXPECT_STREQ(slot(0).mac, kMac.c_str());
    EXPECT_EQ(fieldText(slot(0).request), request);
    ticks(20);
    EXPECT_EQ(notifier.prompts().size(), 1u);
    EXPECT_TRUE(sent.empty());
}

TEST_F(CameraTableTest, retrySendsTheIdenticalBytesAndWaitsAgain) {
    const auto request = bandwidthRequest(kMac);
    table.registerPending(kMac, request);
    notifier.queueAnswer(RetryAnswer::Retry);
    ticks(10);
    EXPECT_EQ(sent, std::vector<std::string>{request});
    EXPECT_EQ(slot(0).state, 1);
    ticks(10);
    EXPECT_EQ(notifier.prompts().size(), 2u);
    EXPECT_EQ(sent.size(), 1u);  // the second prompt was cancelled
}

TEST_F(CameraTableTest, retryOfASlotTakenMeanwhileRegistersTheRequestAnew) {
    const auto request = bandwidthRequest(kMac);
    table.registerPending(kMac, request);
    notifier.queueAnswer(RetryAnswer::Retry);
    // While the prompt is open the person sends another request, which takes the freed slot 0.
    notifier.setHook([&] { table.registerPending(macFor(2), bandwidthRequest(macFor(2))); });
    ticks(10);
    EXPECT_STREQ(slot(0).mac, macFor(2).c_str());
    EXPECT_EQ(slot(1).state, 1);
    EXPECT_EQ(fieldText(slot(1).request), request);
    EXPECT_EQ(sent, std::vector<std::string>{request});
}

// --- Ageing tick: clocks and removal ---------------------------------------------------------

TEST_F(CameraTableTest, clockTicksIntoTheNewYearAndRecordsWithoutTimeKeepAZeroClock) {
    table.parseInfoReply(
        test::datagram({{"MODEL:", "PM"}, {"MAC:", kMac}, {"TIME:", "251231235959"}}));
    reply(macFor(2));
    ticks(1);
    const auto c = record(0).clock;
    EXPECT_EQ(c.yearsSince1900, 126);
    EXPECT_EQ(c.month, 0);
    EXPECT_EQ(c.dayOfMonth, 1);
    EXPECT_EQ(c.hour + c.minute + c.second, 0);
    EXPECT_EQ(c.weekday, 4);
    EXPECT_EQ(c.dayOfYear, 0);
    const auto untouched = record(1).clock;
    const CameraClock zero{};
    EXPECT_EQ(std::memcmp(&untouched, &zero, sizeof zero), 0);
}

TEST_F(CameraTableTest, removalShiftsLaterRecordsDownAndSkipsTheMovedOne) {
    reply(macFor(0));
    reply(macFor(1));
    reply(macFor(2));
    setAge(0, 90);
    setAge(1, 5);
    setAge(2, 7);
    ticks(1);
    EXPECT_EQ(table.count(), 2);
    EXPECT_STREQ(record(0).mac, macFor(1).c_str());
    EXPECT_EQ(record(0).age, 5) << "moved into the slot being looked at: not aged this tick";
    EXPECT_STREQ(record(1).mac, macFor(2).c_str());
    EXPECT_EQ(record(1).age, 8);
    EXPECT_TRUE(allZero(record(2)));
}

TEST_F(CameraTableTest, twoRecordsDueTogetherGoOnConsecutiveTicks) {
    reply(macFor(0));
    reply(macFor(1));
    reply(macFor(2));
    setAge(0, 90);
    setAge(1, 90);
    ticks(1);
    EXPECT_EQ(table.count(), 2);
    EXPECT_STREQ(record(0).mac, macFor(1).c_str());
    ticks(1);
    EXPECT_EQ(table.count(), 1);
    EXPECT_STREQ(record(0).mac, macFor(2).c_str());
    EXPECT_EQ(record(0).age, 1);
}

TEST_F(CameraTableTest, lastSlotIsZeroedInPlace) {
    for (int i = 0; i < kTableSize; ++i) {
        reply(macFor(i));
    }
    setAge(kTableSize - 1, 90);
    ticks(1);
    EXPECT_EQ(table.count(), kTableSize - 1);
    EXPECT_TRUE(allZero(record(kTableSize - 1)));
    EXPECT_STREQ(record(kTableSize - 2).mac, macFor(kTableSize - 2).c_str());
    EXPECT_EQ(record(kTableSize - 2).age, 1);
}

TEST_F(CameraTableTest, silentCameraIsListedUnder60AndRemovedOnTheTickThatFinds90) {
    reply(kMac);
    ticks(59);
    EXPECT_TRUE(isListed(record(0)));
    ticks(1);
    EXPECT_FALSE(isListed(record(0)));
    ticks(25);  // 85 s: 17 enquiries missed
    EXPECT_TRUE(table.findByMac(kMac));
    ticks(5);  // 90 s
    EXPECT_EQ(table.count(), 1);
    ticks(1);  // 91 s
    EXPECT_EQ(table.count(), 0);
    EXPECT_FALSE(table.findByMac(kMac));
}

TEST_F(CameraTableTest, newCameraAfterRemovalTakesSlotCount) {
    reply(macFor(0));
    reply(macFor(1));
    reply(macFor(2));
    setAge(1, 90);
    ticks(1);
    ASSERT_EQ(table.count(), 2);
    reply(macFor(1));  // comes back as a new record at the end
    EXPECT_STREQ(record(2).mac, macFor(1).c_str());
    EXPECT_EQ(table.count(), 3);
}

// --- The interface each reply came in on ---------------------------------------------------------

// The interface index lives beside the records: every way a record moves must take it along, and
// a freed slot must not keep it. Each step is followed by a check of every slot.
TEST_F(CameraTableTest, interfaceAndLastReplyFollowTheirCameraThroughRemovalAndSort) {
    std::map<std::string, int> expected;         // MAC -> the interface of its last reply
    std::map<std::string, std::uint64_t> heard;  // MAC -> the replies taken in before its last
    const auto arrive = [&](int camera, int interfaceIndex, const char* ip) {
        const auto mac = macFor(camera);
        heard[mac] = table.repliesTaken();
        table.parseInfoReply(test::datagram({{"MODEL:", "PM-C110"}, {"MAC:", mac}, {"IPADR:", ip}}),
                             interfaceIndex);
        expected[mac] = interfaceIndex;
    };
    const auto indexOf = [&](int camera) {
        return table.read([&](const TableData& d) {
            for (int i = 0; i < d.count; ++i) {
                if (fieldText(d.records[i].mac) == macFor(camera)) {
                    return i;
                }
            }
            return -1;
        });
    };
    const auto removeCamera = [&](int camera) {
        const int index = indexOf(camera);
        ASSERT_GE(index, 0);
        setAge(index, kRemovalAge);
        ticks(1);
        expected.erase(macFor(camera));
    };
    // Five cameras on three interfaces; their addresses order them otherwise than their MACs.
    arrive(1, 3, "10.0.0.50");
    arrive(2, 4, "10.0.0.10");
    arrive(3, 0, "10.0.0.40");
    arrive(4, 3, "10.0.0.20");
    arrive(5, 7, "10.0.0.30");

    const struct {
        const char* name;
        std::function<void()> step;
    } steps[] = {
        {"as they arrived", [] {}},
        {"a removal from the middle shifts the later ones", [&] { removeCamera(2); }},
        {"sorted by address", [&] { table.sortByColumn(kSortIpAddress); }},
        {"sorted by address the other way", [&] { table.sortByColumn(kSortIpAddress); }},
        {"a camera moved to another interface", [&] { arrive(4, 9, "10.0.0.20"); }},
        {"sorted by MAC", [&] { table.sortByColumn(kSortMac); }},
        {"the first and the last removed",
         [&] {
             removeCamera(1);
             removeCamera(5);
         }},
        {"a new camera takes the freed slot with its own interface",
         [&] { arrive(6, 2, "10.0.0.60"); }},
        {"a removed camera comes back on another interface", [&] { arrive(2, 5, "10.0.0.10"); }},
        {"sorted by model, all equal: reversed", [&] { table.sortByColumn(kSortModel); }},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        s.step();
        const auto [count, receivedOn, macs] = table.read([](const TableData& d) {
            std::vector<std::string> listed;
            for (int i = 0; i < d.count; ++i) {
                listed.emplace_back(fieldText(d.records[i].mac));
            }
            return std::tuple(d.count, std::vector<int>(d.receivedOn, d.receivedOn + kTableSize),
                              listed);
        });
        EXPECT_EQ(count, static_cast<int>(expected.size()));
        for (int i = 0; i < kTableSize; ++i) {
            if (i < count) {
                ASSERT_TRUE(expected.contains(macs[i])) << i;
                EXPECT_EQ(receivedOn[i], expected.at(macs[i])) << macs[i];
                EXPECT_TRUE(table.findHeardSince(macs[i], heard.at(macs[i]))) << macs[i];
                EXPECT_FALSE(table.findHeardSince(macs[i], heard.at(macs[i]) + 1)) << macs[i];
            } else {
                ASSERT_EQ(receivedOn[i], 0) << "free slot " << i;
            }
        }
    }
}

TEST_F(CameraTableTest, aCameraMovingToAnotherInterfaceIsAListChange) {
    table.parseInfoReply(replyFor(kMac), 2);
    const auto before = notifier.listChanges();
    table.parseInfoReply(replyFor(kMac), 2);
    EXPECT_EQ(notifier.listChanges(), before);
    table.parseInfoReply(replyFor(kMac), 3);
    EXPECT_EQ(notifier.listChanges(), before + 1);
}

// --- Two threads ------------------------------------------------------------------------------

// For ThreadSanitizer: the receive thread's writes against the UI thread's operations.
TEST(CameraTableThreads, receiveAndUiThreadsShareTheTable) {
    CameraTable table;
    test::RecordingNotifier notifier;
    table.setNotifier(&notifier);
    table.setSender([](std::string_view) { return 0; });
    constexpr int kCameras = 200;
    const auto interfaceOf = [](int camera) { return camera % 7 + 1; };

    std::thread receiver([&] {
        for (int i = 0; i < 4000; ++i) {
            const auto mac = macFor(i % kCameras);
            table.parseInfoReply(test::datagram({{"MODEL:", "PM"},
                                                 {"MAC:", mac},
                                                 {"IPADR:", "10.0.0." + std::to_string(i % 250)},
                                                 {"TIME:", "250101000000"}}),
                                 interfaceOf(i % kCameras));
            if (i % 5 == 0) {
                table.settleReply(i % 10 ? ReplyKind::Refusal : ReplyKind::Acknowledgement, mac,
                                  std::nullopt);
            }
        }
    });
    std::size_t seen = 0;
    for (int i = 0; i < 300; ++i) {
        table.agingTick();
        table.sortByColumn(i % 3 == 0 ? kSortIpAddress : kSortMac);
        seen += table.liveRecords().size();
        table.registerPending(macFor(i % kCameras), "request");
    }
    receiver.join();
    (void)seen;
    std::map<std::string, int> interfaceByMac;
    for (int k = 0; k < kCameras; ++k) {
        interfaceByMac[macFor(k)] = interfaceOf(k);
    }

    table.read([&](const TableData& d) {
        std::set<std::string> macs;
        for (int i = 0; i < kTableSize; ++i) {
            if (i < d.count) {
                EXPECT_FALSE(d.records[i].isFree()) << i;
                EXPECT_TRUE(macs.insert(d.records[i].mac).second) << "duplicate MAC at " << i;
                EXPECT_EQ(d.receivedOn[i], interfaceByMac.at(d.records[i].mac)) << i;
            } else {
                EXPECT_TRUE(allZero(d.records[i])) << i;
                EXPECT_EQ(d.receivedOn[i], 0) << i;
            }
        }
        return 0;
    });
    EXPECT_LE(table.count(), kCameras);
}

}  // namespace
}  // namespace pelmora
