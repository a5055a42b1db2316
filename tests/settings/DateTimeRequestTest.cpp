#include "settings/datetime/DateTimeRequest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "model/FixedText.h"
#include "model/RecordingNotifier.h"
#include "protocol/DatagramBuilder.h"
#include "settings/datetime/DateTimeChoices.h"

namespace pelmora {
namespace {

// Selections for a calendar date and time, with format "ymd" and zone GMT.
DateTimeSelections picked(int year, int month, int day, int hour = 0, int minute = 0,
                          int second = 0) {
    return {0, kTimeZoneIndexOfGmt, year - 2001, month - 1, day - 1, hour, minute, second};
}

struct ManualCase {
    const char* name;
    DateTimeSelections selections;
    std::optional<std::string> time;  // the "TIME:" value, or nothing when the date is refused
};

class ManualDate : public testing::TestWithParam<ManualCase> {};

TEST_P(ManualDate, givesTheTimeValueWithWeekdayOrRefusesADateThatDoesNotExist) {
    const auto& c = GetParam();
    const auto check = checkManualDateTime(c.selections);
    if (c.time) {
        ASSERT_TRUE(check.values) << check.message;
        EXPECT_EQ(check.values->time, *c.time);
        EXPECT_TRUE(check.message.empty());
    } else {
        EXPECT_FALSE(check.values);
        EXPECT_EQ(check.message, kNoSuchDateError);
    }
}

INSTANTIATE_TEST_SUITE_P(
    DateTimeRequest, ManualDate,
    testing::Values(
        ManualCase{"workedExampleSaturday", picked(2005, 3, 5, 9, 7, 0), "0503050907006"},
        ManualCase{"firstYearOfTheListIsAMonday", picked(2001, 1, 1), "0101010000001"},
        ManualCase{"lastYearOfTheList", picked(2037, 12, 31, 23, 59, 59), "3712312359594"},
        ManualCase{"leapDayInALeapYearIsASunday", picked(2004, 2, 29), "0402290000000"},
        ManualCase{"leapDayOutsideALeapYear", picked(2005, 2, 29), std::nullopt},
        ManualCase{"thirtiethOfFebruary", picked(2004, 2, 30), std::nullopt},
        ManualCase{"thirtyFirstOfApril", picked(2005, 4, 31), std::nullopt},
        ManualCase{"thirtiethOfApril", picked(2005, 4, 30), "0504300000006"}),
    [](const auto& info) { return std::string(info.param.name); });

struct MissingCase {
    const char* name;
    DateTimeSelections selections;
    std::string_view message;
};

DateTimeSelections without(int DateTimeSelections::*list, int index = -1) {
    auto s = picked(2005, 3, 5);
    s.*list = index;
    return s;
}

class ManualSelections : public testing::TestWithParam<MissingCase> {};

TEST_P(ManualSelections, reportOnlyTheFirstMissingSelection) {
    const auto check = checkManualDateTime(GetParam().selections);
    EXPECT_FALSE(check.values);
    EXPECT_EQ(check.message, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    DateTimeRequest, ManualSelections,
    testing::Values(
        MissingCase{"nothingSelectedIsAFormatError", DateTimeSelections{}, kDateTimeFormatError},
        MissingCase{"formatBeforeZone",
                    [] {
                        auto s = without(&DateTimeSelections::format);
                        s.zone = -1;
                        return s;
                    }(),
                    kDateTimeFormatError},
        MissingCase{"zone", without(&DateTimeSelections::zone), kTimeZoneError},
        MissingCase{"zonePastTheList", without(&DateTimeSelections::zone, 26), kTimeZoneError},
        MissingCase{"yearBeforeMonth",
                    [] {
                        auto s = without(&DateTimeSelections::year);
                        s.month = -1;
                        return s;
                    }(),
                    kYearError},
        MissingCase{"yearPastTheList", without(&DateTimeSelections::year, 37), kYearError},
        MissingCase{"month", without(&DateTimeSelections::month), kMonthError},
        MissingCase{"day", without(&DateTimeSelections::day), kDayError},
        MissingCase{"hour", without(&DateTimeSelections::hour), kHourError},
        MissingCase{"minute", without(&DateTimeSelections::minute), kMinuteError},
        MissingCase{"second", without(&DateTimeSelections::second), kSecondError}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DateTimeRequest, formatAndZoneIndicesGiveTheirCodes) {
    const struct {
        int format;
        int zone;
        DateTimeValues expected;
    } cases[] = {
        {0, 0, {"ymd", "-12", "0503050907006"}},
        {1, 12, {"mdy", "0", "0503050907006"}},
        {2, 25, {"dmy", "13", "0503050907006"}},
        {0, 13, {"ymd", "1", "0503050907006"}},
    };
    for (const auto& c : cases) {
        auto s = picked(2005, 3, 5, 9, 7, 0);
        s.format = c.format;
        s.zone = c.zone;
        const auto check = checkManualDateTime(s);
        ASSERT_TRUE(check.values) << check.message;
        EXPECT_EQ(*check.values, c.expected) << "format " << c.format << " zone " << c.zone;
    }
}

TEST(DateTimeRequest, listsHoldEveryZoneAndTwoDigitNumbersInOrder) {
    EXPECT_EQ(kTimeZoneTexts[kTimeZoneIndexOfGmt],
              "(GMT) Greenwich Mean Time : Dublin, Edinburgh, Lisbon, London");
    EXPECT_EQ(kTimeZoneTexts.back(), "(GMT+13:00) Nuku'alofa");
    const auto years = numberListTexts(kYearList);
    ASSERT_EQ(years.size(), 37u);
    EXPECT_EQ(years.front(), "01");
    EXPECT_EQ(years.back(), "37");
    EXPECT_EQ(numberListTexts(kHourList).front(), "00");
    EXPECT_EQ(indexOfNumber(kYearList, 5), 4);
    EXPECT_EQ(indexOfNumber(kYearList, 0), -1);
    EXPECT_EQ(indexOfNumber(kSecondList, 60), -1);
}

// A summer date in a zone with daylight saving keeps the hour picked: the normalisation must
// not read it as standard time.
TEST(DateTimeRequest, summerTimeKeepsTheHourPicked) {
    const char* previous = std::getenv("TZ");
    const std::string saved = previous ? previous : "";
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    const auto check = checkManualDateTime(picked(2005, 7, 15, 12, 30, 0));
    if (previous) {
        setenv("TZ", saved.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
    ASSERT_TRUE(check.values);
    EXPECT_EQ(check.values->time, "0507151230005");
}

TEST(DateTimeRequest, pcClockIsReadOnceAndTheDateListsAreIgnored) {
    int reads = 0;
    const LocalClock clock = [&reads] {
        ++reads;
        std::tm t{};
        t.tm_year = 105;
        t.tm_mon = 2;
        t.tm_mday = 5;
        t.tm_hour = 9;
        t.tm_min = 7;
        t.tm_wday = 6;
        return t;
    };
    const auto check = readPcDateTime(2, 21, clock);
    ASSERT_TRUE(check.values) << check.message;
    EXPECT_EQ(*check.values, (DateTimeValues{"dmy", "9", "0503050907006"}));
    EXPECT_EQ(reads, 1);
}

TEST(DateTimeRequest, pcClockChecksFormatBeforeZoneAndThenReadsNothing) {
    int reads = 0;
    const LocalClock clock = [&reads] {
        ++reads;
        return std::tm{};
    };
    EXPECT_EQ(readPcDateTime(-1, -1, clock).message, kDateTimeFormatError);
    EXPECT_EQ(readPcDateTime(3, 0, clock).message, kDateTimeFormatError);
    EXPECT_EQ(readPcDateTime(0, -1, clock).message, kTimeZoneError);
    EXPECT_EQ(readPcDateTime(0, 26, clock).message, kTimeZoneError);
    EXPECT_EQ(reads, 0);
}

TEST(DateTimeRequest, requestCarriesTimeZoneAndFormatAfterTheMacWithoutCredentials) {
    const auto check = checkManualDateTime([] {
        auto s = picked(2005, 3, 5, 9, 7, 0);
        s.zone = 0;
        return s;
    }());
    ASSERT_TRUE(check.values);
    EXPECT_EQ(buildDateTimeRequest("02:50:4D:00:00:01", *check.values),
              std::string("\x02SETMAC:02:50:4D:00:00:01\xFF"
                          "TIME:0503050907006\xFF"
                          "TIMEZONE:-12\xFF"
                          "DTFORMAT:ymd\xFF\x03"));
}

const DateTimeValues kValues{"ymd", "0", "0503050907006"};

struct SendLog {
    std::vector<std::string> events;
    DatagramSender sender() {
        return [this](std::string_view text) {
            events.emplace_back(text);
            return 0;
        };
    }
    Pause pause() {
        return [this](std::chrono::milliseconds d) {
            events.push_back("pause " + std::to_string(d.count()));
        };
    }
};

TEST(DateTimeRequest, pcClockButtonPausesOneMillisecondAfterEachRequest) {
    CameraTable table;
    SendLog log;
    const std::vector<std::string> macs{"A", "B", "C"};
    const auto slots = sendDateTimeRequests(table, log.sender(), macs, kValues,
                                            DateTimeButton::PcClock, log.pause());
    EXPECT_EQ(slots, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(log.events,
              (std::vector<std::string>{buildDateTimeRequest("A", kValues), "pause 1",
                                        buildDateTimeRequest("B", kValues), "pause 1",
                                        buildDateTimeRequest("C", kValues), "pause 1"}));
}

TEST(DateTimeRequest, manualButtonSendsBackToBackAndRegistersEachRequest) {
    CameraTable table;
    SendLog log;
    const std::vector<std::string> macs{"A", "B"};
    sendDateTimeRequests(table, log.sender(), macs, kValues, DateTimeButton::Manual, log.pause());
    EXPECT_EQ(log.events, (std::vector<std::string>{buildDateTimeRequest("A", kValues),
                                                    buildDateTimeRequest("B", kValues)}));
    table.read([](const TableData& d) {
        EXPECT_EQ(std::string(d.pending[1].mac), "B");
        EXPECT_EQ(std::string(d.pending[1].request), buildDateTimeRequest("B", kValues));
        EXPECT_EQ(d.pending[1].state, 1);
        return 0;
    });
}

TEST(DateTimeRequest, requestIsSentUntrackedWhenNoPendingSlotIsFree) {
    CameraTable table;
    table.modify([](TableData& d) {
        for (auto& slot : d.pending) {
            slot.state = 1;
        }
        return 0;
    });
    SendLog log;
    const std::vector<std::string> macs{"A"};
    EXPECT_EQ(sendDateTimeRequests(table, log.sender(), macs, kValues, DateTimeButton::Manual),
              std::vector<int>{-1});
    EXPECT_EQ(log.events.size(), 1u);
}

// The answers to these requests are settled silently into the slot, for the page to show.
TEST(DateTimeRequest, answersSettleSilentlyAsAcceptedOrRefused) {
    CameraTable table;
    test::RecordingNotifier notifier;
    table.setNotifier(&notifier);
    const std::vector<std::string> macs{"02:50:4D:00:00:01", "02:50:4D:00:00:02"};
    const auto slots =
        sendDateTimeRequests(table, {}, macs, kValues, DateTimeButton::Manual, SendLog{}.pause());
    table.settleReply(ReplyKind::Acknowledgement, macs[0], std::nullopt);
    table.settleReply(ReplyKind::Refusal, macs[1], std::nullopt);
    table.read([&slots](const TableData& d) {
        EXPECT_EQ(d.pending[slots[0]].state, PendingRequest::kDateTimeAccepted);
        EXPECT_EQ(d.pending[slots[1]].state, PendingRequest::kDateTimeRefused);
        return 0;
    });
    EXPECT_TRUE(notifier.results().empty());
}

void addCameras(CameraTable& table, int cameras) {
    for (int i = 1; i <= cameras; ++i) {
        table.parseInfoReply(DatagramBuilder{}
                                 .field("MAC:", "02:50:4D:00:00:0" + std::to_string(i))
                                 .field("MODEL:", "M")
                                 .finish());
    }
}

void markRecords(CameraTable& table, std::initializer_list<int> indices) {
    table.modify([indices](TableData& d) {
        for (const int i : indices) {
            copyField(d.records[i].dateTimeMark, kChosenMark);
        }
    });
}

TEST(DateTimeRequest, onlyRowsMarkedForSendingChooseTheirCamera) {
    CameraTable table;
    addCameras(table, 4);
    markRecords(table, {0, 2, 3});
    const std::vector<DateTimeGridRow> rows{{">>", "2"}, {"OK", "0"}, {"", "1"},
                                            {">>", "0"}, {"", ""},    {">>", "3"}};
    // Row 6 lies past the table's count of 4 rows and is not read.
    EXPECT_EQ(markedCameraMacs(table, rows),
              (std::vector<std::string>{"02:50:4D:00:00:03", "02:50:4D:00:00:01"}));
    const std::vector<DateTimeGridRow> ng{{"NG", "0"}};
    EXPECT_TRUE(markedCameraMacs(table, ng).empty());
}

// The grid was written before the first camera left the table: its rows' indices now name the
// next camera down, which nobody marked.
TEST(DateTimeRequest, aRowWhoseIndexNowNamesAnUnmarkedCameraIsNotSentTo) {
    CameraTable table;
    addCameras(table, 3);
    markRecords(table, {1});
    const std::vector<DateTimeGridRow> rows{{"", "0"}, {">>", "1"}, {"", "2"}};
    ASSERT_EQ(markedCameraMacs(table, rows), std::vector<std::string>{"02:50:4D:00:00:02"});
    table.modify([](TableData& d) {
        for (int i = 0; i + 1 < d.count; ++i) {
            d.records[i] = d.records[i + 1];
        }
        d.records[--d.count] = CameraRecord{};
    });
    EXPECT_EQ(markedCameraMacs(table, rows), std::vector<std::string>{});
}

TEST(DateTimeRequest, markedRowsNamingNoCameraAreSkipped) {
    CameraTable empty;
    const std::vector<DateTimeGridRow> chosen{{">>", "0"}};
    EXPECT_TRUE(markedCameraMacs(empty, chosen).empty());
    CameraTable table;
    addCameras(table, 3);
    const std::vector<DateTimeGridRow> rows{{">>", "7"}, {">>", "x"}, {">>", "-1"}};
    EXPECT_TRUE(markedCameraMacs(table, rows).empty());
}

}  // namespace
}  // namespace pelmora
