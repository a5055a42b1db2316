// The Date time page driven through its grid and buttons, with a recording sender and message
// port and a fixed PC clock: marks, the two OK buttons, and answers settled into the marks.
#include "pages/datetime/DateTimePage.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QStyle>
#include <QTest>
#include <chrono>
#include <string>
#include <vector>

#include "model/FixedText.h"
#include "widgets/PageFixture.h"
#include "widgets/PageTestSupport.h"

namespace pelmora {
namespace {

using test::addCamera;
using test::macOf;

// Saturday 5 March 2005, 09:07:03.
std::tm fixedNow() {
    std::tm now{};
    now.tm_year = 105;
    now.tm_mon = 2;
    now.tm_mday = 5;
    now.tm_hour = 9;
    now.tm_min = 7;
    now.tm_sec = 3;
    now.tm_wday = 6;
    return now;
}

class DateTimePageTest : public test::PageFixture<DateTimePage> {
  protected:
    void SetUp() override {
        page.setClock(fixedNow);
        page.setPause([this](std::chrono::milliseconds wait) { pauses.push_back(wait); });
        showPage(700, 560);
    }

    // Column 0 holds the mark; a click selects by the address column.
    void clickRow(int row) { PageFixture::clickRow(row, 1); }
    std::string markOf(const std::string& mac) {
        const auto record = table.findByMac(mac);
        return record ? std::string(fieldText(record->dateTimeMark)) : std::string("<gone>");
    }
    // Format "ymd", zone GMT+1, and 29 February 2004, 23:59:58.
    DateTimeSelections chooseManualDate() {
        const DateTimeSelections chosen{0, 13, 3, 1, 28, 23, 59, 58};
        page.formatList()->setCurrentIndex(chosen.format);
        page.zoneList()->setCurrentIndex(chosen.zone);
        const std::array<int, 6> lists{chosen.year, chosen.month,  chosen.day,
                                       chosen.hour, chosen.minute, chosen.second};
        for (std::size_t i = 0; i < lists.size(); ++i) {
            page.dateTimeLists()[i]->setCurrentIndex(lists[i]);
        }
        return chosen;
    }
    int pendingState(const std::string& mac) {
        return table.read([&](const TableData& data) {
            for (const auto& slot : data.pending) {
                if (slot.state != 0 && fieldText(slot.mac) == mac) {
                    return slot.state;
                }
            }
            return 0;
        });
    }

    std::vector<std::chrono::milliseconds> pauses;
};

TEST_F(DateTimePageTest, formStartsWithTheFullListsAndNothingChosen) {
    EXPECT_EQ(page.formatList()->count(), 3);
    EXPECT_EQ(page.formatList()->itemText(1), "mm-dd-yyyy hh:mm:ss");
    EXPECT_EQ(page.zoneList()->count(), 26);
    EXPECT_EQ(page.zoneList()->itemText(12),
              "(GMT) Greenwich Mean Time : Dublin, Edinburgh, Lisbon, London");
    EXPECT_EQ(page.formatList()->currentIndex(), -1);
    EXPECT_EQ(page.zoneList()->currentIndex(), -1);
    const std::array<std::pair<const char*, const char*>, 6> ends{
        {{"01", "37"}, {"01", "12"}, {"01", "31"}, {"00", "23"}, {"00", "59"}, {"00", "59"}}};
    for (std::size_t i = 0; i < ends.size(); ++i) {
        auto* list = page.dateTimeLists()[i];
        EXPECT_EQ(list->currentIndex(), -1) << i;
        EXPECT_EQ(list->itemText(0), ends[i].first) << i;
        EXPECT_EQ(list->itemText(list->count() - 1), ends[i].second) << i;
    }
    EXPECT_TRUE(page.pcClockEdit()->isReadOnly());
    EXPECT_TRUE(page.pcClockEdit()->text().isEmpty());
}

TEST_F(DateTimePageTest, clickMarksACameraAndASecondClickUnmarksIt) {
    addCamera(table, 1);
    addCamera(table, 2);
    page.refreshGrid();
    clickRow(1);
    EXPECT_EQ(cellText(1, 0), ">>");
    EXPECT_EQ(markOf(macOf(2)), ">>");
    EXPECT_EQ(markOf(macOf(1)), "");
    clickRow(1);
    EXPECT_EQ(cellText(1, 0), "");
    EXPECT_EQ(markOf(macOf(2)), "");
}

// A mark is read "marked", not as two signs; the table index that ties a row to its record is
// not offered to screen readers; and the mark column has room for a problem's warning icon and
// the mark side by side.
TEST_F(DateTimePageTest, aMarkIsReadAsMarkedAndShownBesideTheWarningIcon) {
    addCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    QAccessibleTableInterface* cells =
        QAccessible::queryAccessibleInterface(&list())->tableInterface();
    EXPECT_EQ(cells->columnCount(), 4);
    page.refreshGrid();
    EXPECT_EQ(cells->cellAt(0, 0)->text(QAccessible::Name), "marked");
    clickRow(0);
    EXPECT_EQ(cells->cellAt(0, 0)->text(QAccessible::Name), "");

    const int icon = list().style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &list());
    EXPECT_GE(list().columnWidth(0), icon + list().fontMetrics().horizontalAdvance(">>") + 8);
}

TEST_F(DateTimePageTest, clickOnASettledMarkChoosesTheCameraAgainAndBlankRowsDoNothing) {
    addCamera(table, 1);
    table.modify([](TableData& data) { copyField(data.records[0].dateTimeMark, "NG"); });
    page.refreshGrid();
    EXPECT_EQ(cellText(0, 0), "NG");
    clickRow(0);
    EXPECT_EQ(markOf(macOf(1)), ">>");
    clickRow(3);
    EXPECT_EQ(cellText(3, 0), "");
}

TEST_F(DateTimePageTest, refusedChecksShowTheirCautionAndSendNothing) {
    addCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    page.manualOkButton()->click();
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "caution");
    EXPECT_EQ(messages.last().text, "Date Time Format Error");
    EXPECT_EQ(messages.last().icon, MessagePort::Icon::Exclamation);
    page.formatList()->setCurrentIndex(0);
    page.pcClockOkButton()->click();
    EXPECT_EQ(messages.last().text, "Time Zone Setting Error");
    page.zoneList()->setCurrentIndex(12);
    page.manualOkButton()->click();
    EXPECT_EQ(messages.last().text, "Manual Current Date Setting (Year) Error");
    EXPECT_TRUE(sent.empty());
}

TEST_F(DateTimePageTest, manualOkSendsTheBuiltRequestToEveryMarkedCameraOnly) {
    for (int i = 1; i <= 3; ++i) {
        addCamera(table, i);
    }
    page.refreshGrid();
    clickRow(0);
    clickRow(2);
    const auto values = checkManualDateTime(chooseManualDate()).values;
    ASSERT_TRUE(values);
    EXPECT_EQ(values->time, "0402292359580");
    page.manualOkButton()->click();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], buildDateTimeRequest(macOf(1), *values));
    EXPECT_EQ(sent[1], buildDateTimeRequest(macOf(3), *values));
    EXPECT_TRUE(pauses.empty());
    EXPECT_EQ(messages.count(), 0u);
    // Sending leaves the marks, so the same cameras can be sent to again.
    EXPECT_EQ(markOf(macOf(1)), ">>");
}

TEST_F(DateTimePageTest, pcClockOkSendsThePcTimeAndPausesAfterEachRequest) {
    addCamera(table, 1);
    addCamera(table, 2);
    page.refreshGrid();
    clickRow(0);
    clickRow(1);
    page.formatList()->setCurrentIndex(2);
    page.zoneList()->setCurrentIndex(0);
    page.pcClockOkButton()->click();
    const DateTimeValues values{"dmy", "-12", "0503050907036"};
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], buildDateTimeRequest(macOf(1), values));
    EXPECT_EQ(sent[1], buildDateTimeRequest(macOf(2), values));
    EXPECT_EQ(pauses.size(), 2u);
}

TEST_F(DateTimePageTest, answersBecomeOkAndNgMarksWithinOneTickWithoutAMessage) {
    addCamera(table, 1);
    addCamera(table, 2);
    page.refreshGrid();
    clickRow(0);
    clickRow(1);
    chooseManualDate();
    page.manualOkButton()->click();
    ASSERT_EQ(sent.size(), 2u);
    table.settleReply(ReplyKind::Acknowledgement, macOf(1), std::nullopt);
    table.settleReply(ReplyKind::Refusal, macOf(2), std::nullopt);
    EXPECT_EQ(pendingState(macOf(1)), PendingRequest::kDateTimeAccepted);
    page.refreshGrid();
    EXPECT_EQ(cellText(0, 0), "OK");
    EXPECT_EQ(cellText(1, 0), "NG");
    EXPECT_EQ(markOf(macOf(1)), "OK");
    EXPECT_EQ(markOf(macOf(2)), "NG");
    EXPECT_EQ(pendingState(macOf(1)), 0);
    EXPECT_EQ(pendingState(macOf(2)), 0);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(DateTimePageTest, answerOfACameraNoLongerInTheTableKeepsItsSlot) {
    addCamera(table, 1);
    page.refreshGrid();
    const std::string absent = macOf(9);
    table.registerPending(absent, buildDateTimeRequest(absent, {"ymd", "0", "0101010000001"}));
    table.settleReply(ReplyKind::Acknowledgement, absent, std::nullopt);
    page.refreshGrid();
    EXPECT_EQ(pendingState(absent), PendingRequest::kDateTimeAccepted);
}

TEST_F(DateTimePageTest, marksFollowTheirCamerasThroughASortAndLeaveUnlistedOnes) {
    addCamera(table, 1, "B-model");
    addCamera(table, 2, "A-model");
    page.refreshGrid();
    clickRow(0);
    table.sortByColumn(kSortModel);
    page.refreshGrid();
    EXPECT_EQ(cellText(0, 2), "A-model");
    EXPECT_EQ(cellText(0, 0), "");
    EXPECT_EQ(cellText(1, 2), "B-model");
    EXPECT_EQ(cellText(1, 0), ">>");
    test::setAge(table, macOf(1), kListedAge);
    page.refreshGrid();
    EXPECT_EQ(markOf(macOf(1)), "");
}

TEST_F(DateTimePageTest, headerClickSortsExceptOnTheMarkAndClockColumns) {
    addCamera(table, 1);
    page.refreshGrid();
    std::vector<int> asked;
    QObject::connect(&page, &SettingsPage::sortColumn,
                     [&](int column, int flag) { asked.push_back(column * 10 + flag); });
    clickHeader(0);
    clickHeader(3);
    EXPECT_TRUE(asked.empty());
    clickHeader(1);
    EXPECT_EQ(asked, std::vector<int>{10});
}

TEST_F(DateTimePageTest, tickShowsThePcClockWithSixSpaces) {
    page.refreshGrid();
    EXPECT_EQ(page.pcClockEdit()->text(), "2005-3-5      9:07:03");
}

}  // namespace
}  // namespace pelmora
