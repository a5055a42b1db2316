// The Bandwidth control page and the grid behaviour it shares with the other pages, driven
// through the grid's own events with a recording sender and opener.
#include "pages/bandwidth/BandwidthPage.h"

#include <gtest/gtest.h>

#include <QTest>
#include <string>
#include <vector>

#include "protocol/Base64.h"
#include "widgets/PageFixture.h"
#include "widgets/PageTestSupport.h"

namespace pelmora {
namespace {

using test::addCamera;
using test::macOf;

class BandwidthPageTest : public test::PageFixture<BandwidthPage> {
  protected:
    void SetUp() override { showPage(520, 420); }
};

TEST_F(BandwidthPageTest, gridKeepsSevenBlankRowsAndScrollsFromEightCameras) {
    page.refreshGrid();
    EXPECT_EQ(list().rowCount(), 7);
    EXPECT_EQ(cellText(0, 0), "");
    EXPECT_EQ(list().verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    for (int i = 1; i <= 7; ++i) {
        addCamera(table, i);
    }
    page.refreshGrid();
    EXPECT_EQ(list().rowCount(), 7);
    EXPECT_EQ(cellText(6, 0), QString::fromStdString(macOf(7)));
    EXPECT_EQ(list().verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    addCamera(table, 8);
    page.refreshGrid();
    EXPECT_EQ(list().rowCount(), 8);
    EXPECT_NE(list().verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    test::setAge(table, macOf(8), kListedAge);
    page.refreshGrid();
    EXPECT_EQ(list().rowCount(), 7);
    EXPECT_EQ(list().firstVisibleRow(), 0);
    EXPECT_EQ(list().verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(BandwidthPageTest, clickFillsTheFormAndTheSelectionFollowsItsCameraAcrossASort) {
    addCamera(table, 1, "B-model", "0.0,0.5,2.0");
    addCamera(table, 2, "A-model");
    page.refreshGrid();
    clickRow(0);
    EXPECT_TRUE(list().selectionShown());
    EXPECT_EQ(page.currentBandLabel()->text(), "1.0");
    ASSERT_EQ(page.bandList()->count(), 3);
    EXPECT_EQ(page.bandList()->item(0)->text(), "unlimited");

    // Sorted by model on another page: camera 1 moves to the second row and stays selected.
    table.sortByColumn(kSortModel);
    page.refreshGrid();
    EXPECT_TRUE(list().selectionShown());
    EXPECT_EQ(list().anchorRow(), 1);
    EXPECT_EQ(page.selectedMac(), QString::fromStdString(macOf(1)));
}

TEST_F(BandwidthPageTest, aCameraThatStopsBeingListedLeavesTheGridAndEmptiesTheForm) {
    addCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    ASSERT_EQ(page.currentBandLabel()->text(), "1.0");
    test::setAge(table, macOf(1), kListedAge);
    page.refreshGrid();
    EXPECT_EQ(cellText(0, 0), "");
    EXPECT_FALSE(list().selectionShown());
    EXPECT_EQ(page.currentBandLabel()->text(), "");
    EXPECT_EQ(page.bandList()->count(), 0);
}

TEST_F(BandwidthPageTest, headerClickAsksForASortAndDropsTheSelection) {
    addCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    std::vector<std::pair<int, int>> sorts;
    QObject::connect(&page, &SettingsPage::sortColumn,
                     [&](int column, int pppoe) { sorts.emplace_back(column, pppoe); });
    clickHeader(2);
    EXPECT_EQ(sorts, (std::vector<std::pair<int, int>>{{2, 0}}));
    EXPECT_FALSE(list().selectionShown());
    EXPECT_EQ(headerText(2), "Model");
    EXPECT_EQ(cellText(0, 0), QString::fromStdString(macOf(1)));
}

TEST_F(BandwidthPageTest, okIsEnabledOnlyWithACameraAndFourCharactersInEachField) {
    addCamera(table, 1);
    page.refreshGrid();
    typeCredentials("admin", "pass");
    EXPECT_FALSE(page.okButton()->isEnabled()) << "no camera selected";
    clickRow(0);
    typeCredentials("adm", "pass");
    EXPECT_FALSE(page.okButton()->isEnabled());
    typeCredentials("admi", "pass");
    EXPECT_TRUE(page.okButton()->isEnabled());
    page.passwordEdit()->setText("pas");
    EXPECT_FALSE(page.okButton()->isEnabled());
}

TEST_F(BandwidthPageTest, okSendsTheChosenLimitWithUnlimitedAsZero) {
    addCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    typeCredentials("admin", "secret");
    QTest::mouseClick(page.okButton(), Qt::LeftButton);
    EXPECT_TRUE(sent.empty()) << "no list item chosen: nothing is sent";
    page.bandList()->setCurrentRow(0);
    QTest::mouseClick(page.okButton(), Qt::LeftButton);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], "\x02SETMAC:" + macOf(1) + "\xFFIDPASS:" + base64Encode("admin:secret") +
                           "\xFFSETBAND:0.0\xFF\x03");
    // Registered, so its answer or silence will be reported.
    EXPECT_EQ(table.read([](const TableData& d) { return d.pending[0].state; }), 1);
}

TEST_F(BandwidthPageTest, anAcknowledgementShowsTheRequestedLimitAtOnce) {
    addCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    typeCredentials("admin", "secret");
    page.bandList()->setCurrentRow(2);
    QTest::mouseClick(page.okButton(), Qt::LeftButton);
    page.pageRefresh();
    EXPECT_EQ(page.currentBandLabel()->text(), "2.0");
    EXPECT_STREQ(table.findByMac(macOf(1))->currentBand, "2.0");
    page.hide();
    page.bandList()->setCurrentRow(0);
    page.pageRefresh();
    EXPECT_EQ(page.currentBandLabel()->text(), "2.0") << "a hidden page ignores it";
}

// Page Down moves the grid's row without filling the form again: the chosen limit still goes to
// the camera it was chosen for, and its acknowledgement shows on that camera.
TEST_F(BandwidthPageTest, aPageKeyMovingTheRowLeavesTheRequestWithTheFormsCamera) {
    for (int i = 1; i <= 3; ++i) {
        addCamera(table, i);
    }
    page.refreshGrid();
    clickRow(0);
    typeCredentials("admin", "secret");
    page.bandList()->setCurrentRow(2);
    list().setFocus();
    QTest::keyClick(&list(), Qt::Key_PageDown);
    ASSERT_NE(list().anchorRow(), 0);
    QTest::mouseClick(page.okButton(), Qt::LeftButton);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].find("SETMAC:" + macOf(1) + "\xFF"), 1u);
    page.pageRefresh();
    EXPECT_STREQ(table.findByMac(macOf(1))->currentBand, "2.0");
    EXPECT_STREQ(table.findByMac(macOf(3))->currentBand, "1.0");
}

TEST_F(BandwidthPageTest, cancelDropsTheChoiceAndReloadsTheList) {
    addCamera(table, 1);
    page.refreshGrid();
    QTest::mouseClick(page.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(page.bandList()->count(), 0) << "before any camera was selected Cancel does nothing";
    clickRow(0);
    page.bandList()->setCurrentRow(1);
    QTest::mouseMove(list().viewport(), cellCentre(0, 1));
    QTest::mouseClick(page.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(page.bandList()->count(), 3);
    EXPECT_EQ(page.bandList()->selectedItems().size(), 0);
}

TEST_F(BandwidthPageTest, doubleClickOpensTheCamerasWebPageUnlessItHasNoAddress) {
    addCamera(table, 1, "M", "0.0", "8080");
    table.parseInfoReply(DatagramBuilder{}.field("MAC:", macOf(2)).field("MODEL:", "M").finish());
    page.refreshGrid();
    // A real double-click: the first click of it makes the row current.
    for (int row : {0, 1}) {
        clickRow(row);
        QTest::mouseDClick(list().viewport(), Qt::LeftButton, {}, cellCentre(row, 0));
    }
    EXPECT_EQ(opened, QStringList{"http://192.168.0.99:8080/"});
}

TEST_F(BandwidthPageTest, cameraTextIsShownAsPlainText) {
    addCamera(table, 1, "<b>bold</b>", "<i>1</i>");
    page.refreshGrid();
    clickRow(0);
    EXPECT_EQ(cellText(0, 2), "<b>bold</b>");
    EXPECT_EQ(page.currentBandLabel()->textFormat(), Qt::PlainText);
    EXPECT_EQ(page.bandList()->item(0)->text(), "<i>1</i>");
}

}  // namespace
}  // namespace pelmora
