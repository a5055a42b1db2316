// The Network page: its radio rules, what it shows for a camera, what OK, Reboot and Cancel do,
// and the selection of several rows with its copy to the clipboard. Driven through the page's
// own controls with a recording sender; no socket is opened.
#include "pages/network/NetworkPage.h"

#include <gtest/gtest.h>

#include <QBrush>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "changelog/PlanLock.h"
#include "changelog/StateDirectory.h"
#include "lan/LanSnapshot.h"
#include "pages/network/AssignAddressesDialog.h"
#include "settings/network/NetworkRequest.h"
#include "widgets/PageFixture.h"
#include "widgets/PageTestSupport.h"

namespace pelmora {
namespace {

using test::addCamera;
using test::macOf;

// A camera in DHCP mode with automatic DNS and a current lease.
void addDhcpCamera(CameraTable& table, int i, std::string_view ip = "10.1.2.3") {
    table.parseInfoReply(DatagramBuilder{}
                             .field("MAC:", macOf(i))
                             .field("MODEL:", "PM-D200")
                             .field("SERIAL:", "D" + std::to_string(i))
                             .field("DHCP:", "ON")
                             .field("DNSAUTO:", "ON")
                             .field("IPADR:", ip)
                             .field("MASK:", "255.255.0.0")
                             .field("GATEWAY:", "10.1.0.1")
                             .field("WEBPORT:", "80")
                             .finish());
}

// A fixed-address camera that claims automatic DNS and names two DNS servers, on port 8080.
void addFixedCamera(CameraTable& table, int i) {
    table.parseInfoReply(DatagramBuilder{}
                             .field("MAC:", macOf(i))
                             .field("MODEL:", "PM-F300")
                             .field("SERIAL:", "F" + std::to_string(i))
                             .field("SOFTVERSION:", "2.10")
                             .field("DHCP:", "OFF")
                             .field("DNSAUTO:", "ON")
                             .field("IPADR:", "192.168.0.10")
                             .field("MASK:", "255.255.255.0")
                             .field("GATEWAY:", "192.168.0.1")
                             .field("DNS1:", "192.168.0.2")
                             .field("DNS3:", "8.8.8.8")
                             .field("WEBPORT:", "8080")
                             .finish());
}

QString dotted(const Ipv4Field* field) {
    return field->isBlank() ? QString() : QString::fromStdString(formatIpv4(field->address()));
}

class NetworkPageTest : public test::PageFixture<NetworkPage> {
  protected:
    void SetUp() override { showPage(760, 560); }

    void gridKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        list().setFocus();
        QTest::keyClick(&list(), key, modifiers);
    }
    static void typeAddress(Ipv4Field* field, const Ipv4& address) { field->setAddress(address); }
};

// ---- Radio rules ----

TEST_F(NetworkPageTest, startsWithDhcpAutomaticDnsAndPort80AllAddressFieldsDisabled) {
    EXPECT_TRUE(page.dhcpRadio()->isChecked());
    EXPECT_TRUE(page.dnsAutoRadio()->isChecked());
    EXPECT_TRUE(page.port80Radio()->isChecked());
    EXPECT_FALSE(page.ipField()->isEnabled());
    EXPECT_FALSE(page.dnsField(0)->isEnabled());
    EXPECT_FALSE(page.portEdit()->isEnabled());
    EXPECT_FALSE(page.okButton()->isEnabled());
    EXPECT_FALSE(page.rebootButton()->isEnabled());
    // The five shown columns only: the copied row text comes from the camera's record.
    EXPECT_EQ(listModel().columnCount(), 5);
    EXPECT_EQ(headerText(4), "Version No.");
}

TEST_F(NetworkPageTest, fixedAddressForcesManualDnsAndDhcpReenablesTheAutomaticChoice) {
    page.fixedRadio()->click();
    EXPECT_TRUE(page.ipField()->isEnabled());
    EXPECT_FALSE(page.dnsAutoRadio()->isEnabled());
    EXPECT_FALSE(page.dnsAutoRadio()->isChecked());
    EXPECT_TRUE(page.dnsManualRadio()->isChecked());
    EXPECT_TRUE(page.dnsField(0)->isEnabled());

    page.dhcpRadio()->click();
    EXPECT_FALSE(page.ipField()->isEnabled());
    EXPECT_TRUE(page.dnsAutoRadio()->isEnabled());
    EXPECT_TRUE(page.dnsManualRadio()->isChecked()) << "the DNS choice stays manual";
}

TEST_F(NetworkPageTest, manualDnsEntriesComeBackAfterASwitchToAutomatic) {
    page.dnsManualRadio()->click();
    typeAddress(page.dnsField(0), {10, 0, 0, 1});
    typeAddress(page.dnsField(1), {10, 0, 0, 2});
    page.dnsAutoRadio()->click();
    EXPECT_TRUE(page.dnsField(0)->isBlank());
    EXPECT_FALSE(page.dnsField(0)->isEnabled());
    EXPECT_EQ(page.rememberedDns()[0], (Ipv4{10, 0, 0, 1}));
    EXPECT_EQ(page.rememberedDns()[2], Ipv4{});

    page.dnsManualRadio()->click();
    EXPECT_EQ(dotted(page.dnsField(0)), "10.0.0.1");
    EXPECT_EQ(dotted(page.dnsField(1)), "10.0.0.2");
    EXPECT_TRUE(page.dnsField(2)->isBlank());
    EXPECT_TRUE(page.dnsField(3)->isBlank());
}

TEST_F(NetworkPageTest, otherPortEnablesThePortFieldAnd80DisablesItKeepingItsText) {
    page.otherPortRadio()->click();
    EXPECT_TRUE(page.portEdit()->isEnabled());
    EXPECT_FALSE(page.port80Radio()->isChecked());
    page.portEdit()->setText("8080");
    page.port80Radio()->click();
    EXPECT_FALSE(page.portEdit()->isEnabled());
    EXPECT_FALSE(page.otherPortRadio()->isChecked());
    EXPECT_EQ(page.portEdit()->text(), "8080");
}

// ---- Filling the form ----

TEST_F(NetworkPageTest, aDhcpCameraShowsItsLeaseInDisabledFieldsAndBlankDns) {
    addDhcpCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    EXPECT_TRUE(list().selectionShown());
    EXPECT_TRUE(page.dhcpRadio()->isChecked());
    EXPECT_TRUE(page.dnsAutoRadio()->isChecked());
    EXPECT_FALSE(page.ipField()->isEnabled());
    EXPECT_EQ(dotted(page.ipField()), "10.1.2.3");
    EXPECT_EQ(dotted(page.maskField()), "255.255.0.0");
    EXPECT_EQ(dotted(page.gatewayField()), "10.1.0.1");
    EXPECT_TRUE(page.dnsField(0)->isBlank());
    EXPECT_FALSE(page.dnsField(0)->isEnabled());
    EXPECT_TRUE(page.port80Radio()->isChecked());
    EXPECT_EQ(page.portEdit()->text(), "");

    // A new lease shows within one refresh.
    addDhcpCamera(table, 1, "10.1.9.9");
    page.refreshGrid();
    EXPECT_EQ(dotted(page.ipField()), "10.1.9.9");
}

TEST_F(NetworkPageTest, aFixedCameraShowsManualDnsWithItsServersAndItsCustomPort) {
    addFixedCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    EXPECT_TRUE(page.fixedRadio()->isChecked());
    EXPECT_TRUE(page.ipField()->isEnabled());
    EXPECT_EQ(dotted(page.ipField()), "192.168.0.10");
    EXPECT_FALSE(page.dnsAutoRadio()->isEnabled());
    EXPECT_TRUE(page.dnsManualRadio()->isChecked());
    EXPECT_EQ(dotted(page.dnsField(0)), "192.168.0.2");
    EXPECT_TRUE(page.dnsField(1)->isBlank());
    EXPECT_EQ(dotted(page.dnsField(2)), "8.8.8.8");
    EXPECT_TRUE(page.otherPortRadio()->isChecked());
    EXPECT_TRUE(page.portEdit()->isEnabled());
    EXPECT_EQ(page.portEdit()->text(), "8080");
}

// ---- OK, Reboot, Cancel ----

TEST_F(NetworkPageTest, okAndRebootNeedASelectedCameraAndFourCharactersInEachField) {
    addFixedCamera(table, 1);
    page.refreshGrid();
    typeCredentials("admin", "pass");
    EXPECT_FALSE(page.okButton()->isEnabled()) << "no camera selected";
    clickRow(0);
    typeCredentials("adm", "pass");
    EXPECT_FALSE(page.okButton()->isEnabled());
    EXPECT_FALSE(page.rebootButton()->isEnabled());
    typeCredentials("admi", "pass");
    EXPECT_TRUE(page.okButton()->isEnabled());
    EXPECT_TRUE(page.rebootButton()->isEnabled());
    page.passwordEdit()->setText("pas");
    EXPECT_FALSE(page.okButton()->isEnabled());
    EXPECT_FALSE(page.rebootButton()->isEnabled());
}

TEST_F(NetworkPageTest, aRefusedMaskIsReportedAsACautionAndNothingIsSent) {
    addFixedCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    typeCredentials("admin", "secret");
    typeAddress(page.maskField(), {255, 0, 255, 0});
    QTest::mouseClick(page.okButton(), Qt::LeftButton);
    EXPECT_TRUE(sent.empty());
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "caution");
    EXPECT_EQ(messages.last().text, "Subnetmask Error");
    EXPECT_EQ(dotted(page.maskField()), "255.0.255.0") << "the form is left as it was";
}

TEST_F(NetworkPageTest, okSendsTheBuiltRequestAndTheGridShowsTheSentAddressAtOnce) {
    addFixedCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    typeCredentials("admin", "secret");
    typeAddress(page.ipField(), {192, 168, 0, 20});
    page.port80Radio()->click();
    QTest::mouseClick(page.okButton(), Qt::LeftButton);

    NetworkSettings expected;
    expected.dhcp = false;
    expected.ipAddress = {192, 168, 0, 20};
    expected.subnetMask = {255, 255, 255, 0};
    expected.gateway = {192, 168, 0, 1};
    expected.gatewayBlank = false;
    expected.dnsAuto = false;
    expected.dns[0] = {{192, 168, 0, 2}, false};
    expected.dns[2] = {{8, 8, 8, 8}, false};
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], buildNetworkRequest(macOf(1), "admin", "secret", expected));
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(table.findByMac(macOf(1))->webPort, 80);
    EXPECT_EQ(cellText(0, 1), "192.168.0.20");
}

TEST_F(NetworkPageTest, rebootSendsTheRebootRequestForTheSelectedCamera) {
    addFixedCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    typeCredentials("admin", "secret");
    QTest::mouseClick(page.rebootButton(), Qt::LeftButton);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], buildRebootRequest(macOf(1), "admin", "secret"));
}

// A right-click on another row highlights it but leaves the form as it was: OK and Reboot go to
// the camera the form shows, and once that camera is gone, to nobody.
TEST_F(NetworkPageTest, requestsGoToTheCameraTheFormShowsNotTheRowARightClickHighlighted) {
    addFixedCamera(table, 1);
    addDhcpCamera(table, 2);
    page.refreshGrid();
    clickRow(0);
    typeCredentials("admin", "secret");
    QTest::mouseClick(list().viewport(), Qt::RightButton, {}, cellCentre(1, 0));
    ASSERT_EQ(list().anchorRow(), 1);
    ASSERT_TRUE(list().selectionShown());
    ASSERT_EQ(dotted(page.ipField()), "192.168.0.10");
    QTest::mouseClick(page.okButton(), Qt::LeftButton);
    QTest::mouseClick(page.rebootButton(), Qt::LeftButton);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].find("SETMAC:" + macOf(1) + "\xFF"), 1u);
    EXPECT_NE(sent[0].find("IPADR:192.168.0.10"), std::string::npos);
    EXPECT_EQ(sent[1], buildRebootRequest(macOf(1), "admin", "secret"));

    test::setAge(table, macOf(1), kListedAge);
    page.refreshGrid();
    EXPECT_EQ(page.nameEdit()->text(), "") << "the form's camera left the list";
    typeCredentials("admin", "secret");
    QTest::mouseClick(page.okButton(), Qt::LeftButton);
    QTest::mouseClick(page.rebootButton(), Qt::LeftButton);
    EXPECT_EQ(sent.size(), 2u);
}

TEST_F(NetworkPageTest, aCameraThatLeftTheTableIsNotAddressedAndTheFormResets) {
    addFixedCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    typeCredentials("admin", "secret");
    table.modify([](TableData& d) { d.count = 0; });
    QTest::mouseClick(page.okButton(), Qt::LeftButton);
    EXPECT_TRUE(sent.empty());
    EXPECT_FALSE(list().selectionShown());
    EXPECT_TRUE(page.dhcpRadio()->isChecked());
    EXPECT_FALSE(page.okButton()->isEnabled());
}

TEST_F(NetworkPageTest, cancelUnselectsAndEmptiesTheFormAndCredentials) {
    addFixedCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    typeCredentials("admin", "secret");
    QTest::mouseClick(page.cancelButton(), Qt::LeftButton);
    EXPECT_TRUE(sent.empty());
    EXPECT_FALSE(list().selectionShown());
    EXPECT_TRUE(page.dhcpRadio()->isChecked());
    EXPECT_TRUE(page.dnsAutoRadio()->isChecked());
    EXPECT_TRUE(page.port80Radio()->isChecked());
    EXPECT_TRUE(page.ipField()->isBlank());
    EXPECT_EQ(page.portEdit()->text(), "");
    EXPECT_FALSE(page.portEdit()->isEnabled());
    EXPECT_EQ(page.nameEdit()->text(), "");
    EXPECT_EQ(page.passwordEdit()->text(), "");
    EXPECT_FALSE(page.okButton()->isEnabled());
    EXPECT_FALSE(page.rebootButton()->isEnabled());
}

// ---- Refresh ----

TEST_F(NetworkPageTest, theSelectedCameraLeavingTheListTakesItsCredentialsAlong) {
    addFixedCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    typeCredentials("admin", "secret");
    test::setAge(table, macOf(1), kListedAge);
    page.refreshGrid();
    EXPECT_FALSE(list().selectionShown());
    EXPECT_TRUE(page.dhcpRadio()->isChecked());
    EXPECT_EQ(page.nameEdit()->text(), "");
    EXPECT_EQ(page.passwordEdit()->text(), "");
}

TEST_F(NetworkPageTest, aTimerRefreshWithoutSelectionKeepsTypedCredentialsAHeaderClickDoesNot) {
    addFixedCamera(table, 1);
    page.refreshGrid();
    typeCredentials("admin", "secret");
    page.refreshGrid();
    EXPECT_EQ(page.nameEdit()->text(), "admin");
    clickHeader(2);
    EXPECT_EQ(page.nameEdit()->text(), "");
    EXPECT_EQ(page.passwordEdit()->text(), "");
}

// ---- Several rows and copy ----

TEST_F(NetworkPageTest, rowTextGivesAddressModePortModelSerialAndVersion) {
    addFixedCamera(table, 1);
    addDhcpCamera(table, 2);
    page.refreshGrid();
    EXPECT_EQ(page.rowText(0),
              QString::fromStdString(macOf(1)) + " FIXED 192.168.0.10 8080 PM-F300 F1 2.10\r\n");
    EXPECT_TRUE(
        page.rowText(1).startsWith(QString::fromStdString(macOf(2)) + " DHCP 10.1.2.3 80 "));
    EXPECT_EQ(page.rowText(2), "");
}

TEST_F(NetworkPageTest, ctrlCCopiesEverySelectedRowInGridOrder) {
    for (int i = 1; i <= 4; ++i) {
        addFixedCamera(table, i);
    }
    page.refreshGrid();
    QGuiApplication::clipboard()->setText("before");
    gridKey(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before") << "nothing highlighted";
    clickRow(1);
    list().setExtentRow(3);
    gridKey(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              page.rowText(1) + page.rowText(2) + page.rowText(3));
    EXPECT_EQ(QGuiApplication::clipboard()->text().count("\r\n"), 3);
}

TEST_F(NetworkPageTest, ctrlAWithOneCameraSelectsAndFillsItWithSeveralDisablesTheForm) {
    addFixedCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    gridKey(Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(list().selectionShown());
    EXPECT_TRUE(page.fixedRadio()->isChecked());
    EXPECT_TRUE(page.ipField()->isEnabled());

    addFixedCamera(table, 2);
    addFixedCamera(table, 3);
    page.refreshGrid();
    gridKey(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(list().anchorRow(), 0);
    EXPECT_EQ(list().extentRow(), 2);
    EXPECT_FALSE(page.fixedRadio()->isChecked());
    EXPECT_FALSE(page.dhcpRadio()->isEnabled());
    EXPECT_FALSE(page.nameEdit()->isEnabled());
    EXPECT_FALSE(page.okButton()->isEnabled());
}

TEST_F(NetworkPageTest, aSelectionOfSeveralRowsFollowsItsCamerasAcrossARefresh) {
    for (int i = 1; i <= 4; ++i) {
        addFixedCamera(table, i);
    }
    page.refreshGrid();
    clickRow(1);
    list().setExtentRow(3);
    test::setAge(table, macOf(1), kListedAge);
    page.refreshGrid();
    EXPECT_TRUE(list().selectionShown());
    EXPECT_EQ(list().anchorRow(), 0);
    EXPECT_EQ(list().extentRow(), 2);
    EXPECT_EQ(cellText(0, 0), QString::fromStdString(macOf(2)));
}

// A selection never gains a camera nobody chose: when a sort made on another page scatters the
// chosen cameras, the range reaches from the first to the last of them but the cameras that came
// between are left out, and Copy, Export and the other row actions take the chosen ones only;
// stretching the range on with Shift keeps them out.
TEST_F(NetworkPageTest, aSelectionScatteredByASortKeepsItsCamerasOnly) {
    const char* models[] = {"M-C", "M-A", "M-E", "M-F", "M-B", "M-D", "M-G"};
    for (int i = 1; i <= 7; ++i) {
        addCamera(table, i, models[i - 1]);
    }
    page.refreshGrid();
    clickRow(1);
    QTest::mouseClick(list().viewport(), Qt::LeftButton, Qt::ShiftModifier, cellCentre(3, 0));
    ASSERT_EQ(list().selectionModel()->selectedRows().size(), 3);
    table.sortByColumn(kSortModel);  // A B C D E F G: the chosen cameras 2, 3, 4 at rows 0, 4, 5
    page.refreshGrid();
    EXPECT_EQ(list().selectionModel()->selectedRows().size(), 3);
    EXPECT_EQ(page.exportedRecords().size(), 3u);
    gridKey(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              page.rowText(0) + page.rowText(4) + page.rowText(5));
    gridKey(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(page.exportedRecords().size(), 4u);
    EXPECT_EQ(list().selectionModel()->selectedRows().size(), 4);
}

// Emptying the form after a header click puts every control back as the page opened: no port
// choice, no greyed values and no disabled radios are left from the camera it showed.
TEST_F(NetworkPageTest, aHeaderClickEmptiesEveryControlOfTheForm) {
    addFixedCamera(table, 1);
    addDhcpCamera(table, 2);
    page.refreshGrid();
    const auto expectEmptied = [&](const char* after) {
        EXPECT_TRUE(page.dhcpRadio()->isChecked() && page.dhcpRadio()->isEnabled()) << after;
        EXPECT_TRUE(page.port80Radio()->isChecked() && !page.portEdit()->isEnabled()) << after;
        EXPECT_EQ(page.portEdit()->text() + dotted(page.ipField()), "") << after;
    };
    clickRow(0);  // port 8080
    clickHeader(2);
    expectEmptied("a camera on another port");
    clickRow(cellText(0, 0) == QString::fromStdString(macOf(2)) ? 0 : 1);
    ASSERT_EQ(dotted(page.ipField()), "10.1.2.3");
    clickHeader(2);
    expectEmptied("a DHCP camera's lease");
}

TEST_F(NetworkPageTest, typingInTheListDropsTheSelectionAndResetsTheForm) {
    addFixedCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    typeCredentials("admin", "secret");
    gridKey(Qt::Key_X);
    EXPECT_FALSE(list().selectionShown());
    EXPECT_TRUE(page.dhcpRadio()->isChecked());
    EXPECT_TRUE(page.port80Radio()->isChecked());
    EXPECT_EQ(page.nameEdit()->text(), "");
}

// ---- What is wrong on the LAN ----

// This PC on eth1, 10.1.0.1/24, with the default route; cameras as they answered on eth1.
class NetworkPageLanTest : public NetworkPageTest {
  protected:
    void SetUp() override {
        NetworkPageTest::SetUp();
        const std::pair<std::string, Ipv4> cameras[] = {{macOf(1), {10, 1, 0, 5}},
                                                        {macOf(2), {192, 168, 0, 10}},
                                                        {"<i>03</i>", {10, 1, 0, 7}},
                                                        {macOf(4), {10, 1, 0, 7}}};
        std::vector<CameraAddressing> addressing;
        for (const auto& [mac, ip] : cameras) {
            table.parseInfoReply(DatagramBuilder{}
                                     .field("MAC:", mac)
                                     .field("MODEL:", "PM-F300")
                                     .field("SERIAL:", "F" + mac.substr(mac.size() - 2))
                                     .field("DHCP:", "OFF")
                                     .field("IPADR:", formatIpv4(ip))
                                     .field("MASK:", "255.255.255.0")
                                     .finish());
            addressing.push_back({mac, ip, {255, 255, 255, 0}, {}, false, 2});
        }
        lan = LanSnapshot(std::move(addressing),
                          {{"eth1", 2, {10, 1, 0, 1}, 24, false, Ipv4{10, 1, 0, 254}}});
        page.setLan(&lan, &filter);
        page.refreshGrid();
    }
    int rowOf(const std::string& mac) {
        for (int row = 0; row < list().rowCount(); ++row) {
            if (cellText(row, 0) == QString::fromStdString(mac)) {
                return row;
            }
        }
        return -1;
    }
    QVariant cellData(int row, int col, Qt::ItemDataRole role) {
        return listModel().data(listModel().index(row, col), role);
    }

    LanSnapshot lan;
    CameraFilter filter;
};

TEST_F(NetworkPageLanTest, aCameraWithAProblemIsMarkedWithAPlainTextTipInWords) {
    EXPECT_EQ(problemText(rowOf(macOf(1))), "");
    EXPECT_TRUE(cellData(rowOf(macOf(1)), 0, Qt::DecorationRole).value<QIcon>().isNull());
    const int other = rowOf(macOf(2));
    EXPECT_EQ(problemText(other), "On another subnet: this PC is 10.1.0.1/24 on eth1");
    EXPECT_FALSE(cellData(other, 0, Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_NE(cellData(other, 3, Qt::BackgroundRole).value<QBrush>(), QBrush())
        << "the whole row is tinted";
    EXPECT_EQ(problemText(rowOf(macOf(4))), "Shares 10.1.0.7 with <i>03</i>");
    EXPECT_TRUE(cellData(rowOf(macOf(4)), 2, Qt::ToolTipRole).toString().contains("&lt;i&gt;03"))
        << "camera text in a tip is never markup";
}

TEST_F(NetworkPageLanTest, theFilterNarrowsTheListAndTheSelectionFollowsItsCamera) {
    clickRow(rowOf(macOf(4)));
    ASSERT_EQ(page.formCameraMac(), macOf(4));
    filter.text = "10.1.0.7";
    page.refreshGrid();
    EXPECT_EQ(cellText(0, 0), "<i>03</i>");
    EXPECT_EQ(cellText(1, 0), QString::fromStdString(macOf(4)));
    EXPECT_EQ(cellText(2, 0), "");
    EXPECT_EQ(page.selectedMac(), QString::fromStdString(macOf(4)));
    filter = CameraFilter{"", true};
    page.refreshGrid();
    EXPECT_EQ(rowOf(macOf(1)), -1) << "no problem: not listed";
    EXPECT_NE(rowOf(macOf(2)), -1);
    EXPECT_EQ(page.selectedMac(), QString::fromStdString(macOf(4)));
}

TEST_F(NetworkPageLanTest, aFreeAddressFillsTheFormAndSendsNothing) {
    EXPECT_FALSE(page.canSuggestAddress(rowOf(macOf(1)))) << "reachable, sharing nothing";
    ASSERT_TRUE(page.canSuggestAddress(rowOf(macOf(2))));
    page.suggestAddress(rowOf(macOf(2)));
    EXPECT_EQ(page.formCameraMac(), macOf(2));
    EXPECT_TRUE(page.fixedRadio()->isChecked());
    EXPECT_EQ(dotted(page.ipField()), "10.1.0.2");
    EXPECT_EQ(dotted(page.maskField()), "255.255.255.0");
    EXPECT_EQ(dotted(page.gatewayField()), "10.1.0.254");
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_TRUE(messages.last().text.contains("device that is not a camera"));
    EXPECT_TRUE(sent.empty());
}

// "Assign addresses…": the preview follows the fields, a plan that cannot stand says why and
// cannot be saved, and a saved plan reads back as the plan shown.
TEST_F(NetworkPageLanTest, assigningAddressesPreviewsChecksAndSavesThePlan) {
    const std::vector<std::string> macs{macOf(1), macOf(2), macOf(4)};
    QTemporaryDir dir;
    const QString path = dir.filePath("plan.csv");
    AssignAddressesDialog dialog(macs, table, services(), &lan, [&] { return path; });
    dialog.show();
    EXPECT_FALSE(dialog.saveButton()->isEnabled()) << "no first address yet";

    dialog.startField()->setAddress({10, 1, 0, 6});
    dialog.updatePreview();
    // Camera 2 would take 10.1.0.7, which "<i>03</i>", outside the plan, holds.
    EXPECT_EQ(dialog.preview()->item(1, 3)->text(), "10.1.0.7");
    EXPECT_TRUE(dialog.reasons()->text().startsWith("Plan refused:"));
    EXPECT_TRUE(dialog.reasons()->text().contains("10.1.0.7"));
    EXPECT_FALSE(dialog.saveButton()->isEnabled());

    dialog.stepBox()->setValue(10);
    EXPECT_EQ(dialog.reasons()->text(), "");
    EXPECT_EQ(dialog.preview()->item(1, 2)->text(), "192.168.0.10");
    EXPECT_EQ(dialog.preview()->item(1, 3)->text(), "10.1.0.16");
    EXPECT_GE(dialog.preview()->viewport()->height() / dialog.preview()->rowHeight(0), 8)
        << "the table takes the room the dialog has";
    EXPECT_EQ(dialog.preview()->item(0, 4)->text(), "1st of 3 to send");
    EXPECT_EQ(dialog.preview()->item(2, 4)->text(), "3rd of 3 to send");
    ASSERT_TRUE(dialog.saveButton()->isEnabled());
    QTest::mouseClick(dialog.saveButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible()) << "saving keeps the dialog and what was typed";
    EXPECT_EQ(dialog.progress()->text(), "Plan saved to " + path);
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const auto read = readPlan(saved.readAll().toStdString());
    ASSERT_EQ(read.rows.size(), 3u);
    EXPECT_EQ(read.rows[2].ipAddress, Ipv4({10, 1, 0, 26}));
    EXPECT_TRUE(sent.empty());
}

// Applying from the dialog: one camera at a time, each answer kept out of message boxes, a camera
// verified only by a reply that reports its planned address, a stop honoured between cameras,
// and only the failed cameras sent again when the person asks.
TEST_F(NetworkPageLanTest, anAppliedPlanGoesOneCameraAtATimeStopsBetweenCamerasAndRetriesFailures) {
    const std::vector<std::string> macs{macOf(1), macOf(2), macOf(4)};
    AssignAddressesDialog dialog(macs, table, services(), &lan, {});
    dialog.show();
    dialog.startField()->setAddress({10, 1, 0, 20});
    dialog.updatePreview();
    dialog.confirmSecondsBox()->setValue(1);
    EXPECT_FALSE(dialog.applyButton()->isEnabled()) << "no credentials yet";
    dialog.nameEdit()->setText("admin");
    dialog.passwordEdit()->setText("password");
    ASSERT_TRUE(dialog.applyButton()->isEnabled());
    const auto reply = [&](const std::string& mac, const std::string& ip) {
        table.parseInfoReply(DatagramBuilder{}
                                 .field("MAC:", mac)
                                 .field("MODEL:", "PM-F300")
                                 .field("DHCP:", "OFF")
                                 .field("IPADR:", ip)
                                 .field("MASK:", "255.255.255.0")
                                 .finish());
    };
    const auto result = [&](int row) { return dialog.preview()->item(row, 5)->text(); };

    QTest::mouseClick(dialog.applyButton(), Qt::LeftButton);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0],
              buildNetworkRequest(macOf(1), "admin", "password",
                                  plannedSettings(*table.findByMac(macOf(1)), dialog.plan()[0])));
    EXPECT_EQ(routedMac, macOf(1));
    routed(true, "Setting OK");
    EXPECT_EQ(result(0), "awaiting the new settings");
    EXPECT_GE(enquiries, 1);
    reply(macOf(1), "10.1.0.5");
    dialog.advance();
    EXPECT_EQ(result(0), "awaiting the new settings") << "a reply with the old address";
    EXPECT_EQ(dialog.preview()->item(0, 2)->text(), "10.1.0.5");
    reply(macOf(1), "10.1.0.20");
    dialog.advance();
    EXPECT_EQ(result(0), "verified");
    EXPECT_EQ(dialog.preview()->item(0, 2)->text(), "10.1.0.20") << "the address it has now";
    dialog.advance();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(routedMac, macOf(2));

    // Esc asks for a stop: the camera under way is finished, the next one never sent.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    routed(false, "Setting NG");
    EXPECT_FALSE(dialog.applying());
    EXPECT_EQ(result(1), "NG");
    EXPECT_EQ(result(2), "stopped");
    EXPECT_EQ(dialog.preview()->item(2, 4)->text(), "") << "never sent: no place in an order";
    EXPECT_EQ(dialog.progress()->text(),
              "Done: 1 of 3 cameras verified or unchanged, 1 failed, 1 stopped");
    EXPECT_EQ(sent.size(), 2u);
    EXPECT_EQ(routedMac, "");

    ASSERT_TRUE(dialog.retryButton()->isEnabled());
    QTest::mouseClick(dialog.retryButton(), Qt::LeftButton);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[2], sent[1]) << "the failed camera's request again";
    routed(false, "<b>busy</b>");
    EXPECT_EQ(result(1), "<b>busy</b>");
    EXPECT_TRUE(dialog.preview()->item(1, 5)->toolTip().contains("&lt;b&gt;busy"))
        << "the whole result, as plain text, for a column too narrow";
    dialog.advance();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(routedMac, macOf(4));
    routed(true, "Setting OK");
    QTest::qWait(1200);
    dialog.advance();
    EXPECT_EQ(result(2), "not confirmed");
    EXPECT_EQ(result(0), "verified") << "never sent again";
    EXPECT_EQ(dialog.progress()->text(), "Done: 1 of 3 cameras verified or unchanged, 2 failed");
    EXPECT_EQ(messages.count(), 0u);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
}

// A return visit: the page compared with the list saved last time marks the camera that moved
// and the one that is new, and lists the one that stayed away greyed after the live ones, where
// it is never a camera to send to. When it answers again it is live again.
TEST_F(NetworkPageTest, aSavedListShowsMissingCamerasGreyedAfterTheLiveOnesAndMarksTheRest) {
    addFixedCamera(table, 1);  // 192.168.0.10
    addDhcpCamera(table, 2);
    page.refreshGrid();
    QTemporaryDir dir;
    const QString saved = dir.filePath("site.csv");
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QString mac3 = QString::fromStdString(macOf(3));
    file.write(("protocol,mac,model,serial,ipAddress\n,02:50:4d:00:00:01,PM-F300,F1,"
                "192.168.0.12\n," +
                mac3.toLower() +
                ",PM-C110,C3,192.168.0.13\nonvif,02:50:4D:00:00:09,X,,192.168.0.19\n")
                   .toUtf8());
    file.close();

    QString reason;
    ASSERT_TRUE(page.compareWithList(saved, &reason)) << reason.toStdString();
    ASSERT_EQ(listModel().rowCount(), 7);
    EXPECT_EQ(problemText(0), "changed: address was 192.168.0.12");
    EXPECT_EQ(problemText(1), "new: not on the saved list");
    EXPECT_EQ(cellText(2, 0), mac3) << "in the form cameras report it; the ONVIF one is not ours";
    EXPECT_EQ(cellText(2, 1), "192.168.0.13");
    EXPECT_EQ(cellText(2, 4), "missing: last seen at 192.168.0.13");
    EXPECT_EQ(cellText(3, 0), "");
    const QModelIndex missing = listModel().index(2, 0);
    EXPECT_FALSE(listModel().flags(missing) & Qt::ItemIsSelectable);
    EXPECT_EQ(listModel().data(missing, Qt::ToolTipRole).toString().contains("last seen"), true);
    clickRow(2);
    EXPECT_NE(page.formCameraMac(), macOf(3));
    EXPECT_NE(page.selectedMac(), mac3);

    EXPECT_FALSE(page.compareWithList(dir.filePath("gone.csv"), &reason));
    EXPECT_TRUE(reason.contains("gone.csv")) << reason.toStdString();
    EXPECT_EQ(page.comparedList(), saved) << "the comparison before stays";

    addCamera(table, 3);
    page.refreshGrid();
    EXPECT_EQ(cellText(2, 0), mac3);
    EXPECT_EQ(problemText(2), "changed: address was 192.168.0.13");
    EXPECT_TRUE(listModel().flags(missing) & Qt::ItemIsSelectable) << "live again";

    page.stopComparing();
    EXPECT_EQ(problemText(0), "");
    EXPECT_EQ(page.comparedList(), "");
}

// The window's run is the plan's run: while a plan is applied elsewhere on this PC Apply sends
// nothing, and a camera that failed its move holds back the camera planned onto its address.
TEST_F(NetworkPageLanTest, aFailedMoveHoldsBackTheMoveOntoItsAddressAndOnePlanRunsAtATime) {
    addCamera(table, 9);   // 192.168.0.91, planned .89
    addCamera(table, 10);  // 192.168.0.90, planned .91
    AssignAddressesDialog dialog({macOf(9), macOf(10)}, table, services(), &lan, {});
    dialog.startField()->setAddress({192, 168, 0, 89});
    dialog.stepBox()->setValue(2);
    dialog.nameEdit()->setText("admin");
    dialog.passwordEdit()->setText("password");
    auto elsewhere = std::make_unique<PlanLock>(stateDirectory());
    QTest::mouseClick(dialog.applyButton(), Qt::LeftButton);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption + ": " + messages.last().text,
              "caution: Another plan is being applied on this PC; try again when it has finished.");
    elsewhere.reset();
    QTest::mouseClick(dialog.applyButton(), Qt::LeftButton);
    EXPECT_TRUE(PlanLock(stateDirectory()).busy()) << "held while the plan runs";
    routed(false, "No Response");
    EXPECT_EQ(dialog.preview()->item(1, 5)->text(), "held back");
    EXPECT_EQ(sent.size(), 1u) << "…09's request alone";
    EXPECT_TRUE(PlanLock(stateDirectory()).held()) << "released when the run ends";
}

}  // namespace
}  // namespace pelmora
