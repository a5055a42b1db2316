// The PPPoE page: which cameras it lists, the form's three enablement states, filling the form
// from a camera, the account check, the exact request, Cancel, and what losing the selection
// does to OK.
#include "pages/pppoe/PppoePage.h"

#include <gtest/gtest.h>

#include <sys/prctl.h>

#include <QKeyEvent>
#include <QTest>
#include <QToolTip>
#include <string>
#include <vector>

#include "pages/network/AssignAddressesDialog.h"
#include "protocol/Base64.h"
#include "protocol/CoreDumps.h"
#include "widgets/FormControls.h"
#include "widgets/PageFixture.h"
#include "widgets/PageTestSupport.h"

namespace pelmora {
namespace {

using test::macOf;

struct PppoeReport {
    const char* function = "OFF";
    const char* address = "0.0.0.0";
    const char* dnsAuto = "on";
    const char* dns1 = "0.0.0.0";
    const char* dns2 = "0.0.0.0";
};

void addPppoeCamera(CameraTable& table, int i, const PppoeReport& report = {}) {
    table.parseInfoReply(DatagramBuilder{}
                             .field("MAC:", macOf(i))
                             .field("MODEL:", "PM-C110")
                             .field("SERIAL:", "S" + std::to_string(i))
                             .field("IPADR:", "192.168.0." + std::to_string(100 - i))
                             .field("PPPOEFUNC:", report.function)
                             .field("PPPOEIPADR:", report.address)
                             .field("PPPOEDNSAUTO:", report.dnsAuto)
                             .field("PPPOEDNS1:", report.dns1)
                             .field("PPPOEDNS2:", report.dns2)
                             .finish());
}

class PppoePageTest : public test::PageFixture<PppoePage> {
  protected:
    void SetUp() override { showPage(620, 640); }

    // Near the left edge: a radio button takes clicks on its mark and text only, and the layout
    // may stretch it wider than that.
    void click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void typeAccount(const QString& user, const QString& password, const QString& retyped) {
        page.userIdEdit()->setText(user);
        page.pppoePasswordEdit()->setText(password);
        page.retypedEdit()->setText(retyped);
    }
    // Enablement of the account edits, the DNS radios and the DNS fields.
    std::vector<bool> enablement() const {
        return {page.userIdEdit()->isEnabled(),       page.pppoePasswordEdit()->isEnabled(),
                page.retypedEdit()->isEnabled(),      page.dnsAutoRadio()->isEnabled(),
                page.dnsManualRadio()->isEnabled(),   page.primaryDnsField()->isEnabled(),
                page.secondaryDnsField()->isEnabled()};
    }
    static std::vector<bool> state(bool account, bool dnsRadios, bool dnsFields) {
        return {account, account, account, dnsRadios, dnsRadios, dnsFields, dnsFields};
    }
};

// Key presses carrying any character, as a keyboard layout would send them (QTest's own key
// clicks know only ASCII).
void typeText(QLineEdit* edit, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
}

const auto kOffState = [] { return std::vector<bool>(7, false); };

TEST_F(PppoePageTest, listsOnlyCamerasReportingPppoeWithTheirPppoeAddress) {
    test::addCamera(table, 1);  // no PPPoE keys: listed on the other pages only
    addPppoeCamera(table, 2, {.function = "ON", .address = "100.64.0.7"});
    addPppoeCamera(table, 3);
    page.refreshGrid();
    EXPECT_EQ(cellText(0, 0), QString::fromStdString(macOf(2)));
    EXPECT_EQ(cellText(0, 1), "100.64.0.7");
    EXPECT_EQ(cellText(1, 0), QString::fromStdString(macOf(3)));
    EXPECT_EQ(cellText(1, 1), "0.0.0.0");
    EXPECT_EQ(cellText(2, 0), "");
    EXPECT_EQ(headerText(1), "PPPoE IP address");

    std::vector<std::pair<int, int>> sorts;
    QObject::connect(&page, &SettingsPage::sortColumn,
                     [&](int column, int pppoe) { sorts.emplace_back(column, pppoe); });
    clickHeader(1);
    clickHeader(2);
    EXPECT_EQ(sorts, (std::vector<std::pair<int, int>>{{1, 1}, {2, 0}}));
}

TEST_F(PppoePageTest, radiosMoveTheFormBetweenItsThreeStates) {
    EXPECT_TRUE(page.offRadio()->isChecked());
    EXPECT_TRUE(page.dnsAutoRadio()->isChecked());
    EXPECT_EQ(enablement(), kOffState());
    EXPECT_FALSE(page.okButton()->isEnabled());

    click(page.onRadio());
    EXPECT_EQ(enablement(), state(true, true, false));
    click(page.dnsManualRadio());
    EXPECT_EQ(enablement(), state(true, true, true));
    click(page.dnsAutoRadio());
    EXPECT_EQ(enablement(), state(true, true, false));
    click(page.dnsManualRadio());
    click(page.offRadio());
    EXPECT_EQ(enablement(), kOffState());
    EXPECT_TRUE(page.dnsManualRadio()->isChecked()) << "the DNS choice shows while disabled";
    click(page.onRadio());
    EXPECT_EQ(enablement(), state(true, true, true));
}

TEST_F(PppoePageTest, selectingACameraShowsItsReportedState) {
    // Only the lower-case "on" means automatic DNS.
    addPppoeCamera(table, 1,
                   {.function = "ON", .dnsAuto = "ON", .dns1 = "0.0.0.0", .dns2 = "10.0.0.2"});
    addPppoeCamera(table, 2, {.function = "ON", .dnsAuto = "on", .dns1 = "10.0.0.1"});
    addPppoeCamera(table, 3, {.function = "OFF", .dnsAuto = "off", .dns1 = "10.0.0.3"});
    page.refreshGrid();
    typeAccount("isp", "pw", "pw");

    clickRow(0);
    EXPECT_TRUE(page.onRadio()->isChecked());
    EXPECT_TRUE(page.dnsManualRadio()->isChecked());
    EXPECT_EQ(enablement(), state(true, true, true));
    EXPECT_TRUE(page.primaryDnsField()->isBlank());
    EXPECT_EQ(page.secondaryDnsField()->address(), (Ipv4{10, 0, 0, 2}));
    EXPECT_EQ(page.userIdEdit()->text(), "") << "the account is never reported";
    EXPECT_EQ(page.retypedEdit()->text(), "");

    clickRow(1);
    EXPECT_TRUE(page.dnsAutoRadio()->isChecked());
    EXPECT_EQ(enablement(), state(true, true, false));
    EXPECT_EQ(page.primaryDnsField()->address(), (Ipv4{10, 0, 0, 1}));
    EXPECT_TRUE(page.secondaryDnsField()->isBlank());

    // Off with manual DNS: the choice shows, everything is disabled, "On" brings it back.
    clickRow(2);
    EXPECT_TRUE(page.offRadio()->isChecked());
    EXPECT_TRUE(page.dnsManualRadio()->isChecked());
    EXPECT_EQ(enablement(), kOffState());
    click(page.onRadio());
    EXPECT_EQ(enablement(), state(true, true, true));
}

TEST_F(PppoePageTest, okNeedsFiveCharactersInEachCredentialField) {
    addPppoeCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    typeCredentials("admi", "pass");
    EXPECT_FALSE(page.okButton()->isEnabled());
    typeCredentials("admin", "passw");
    EXPECT_TRUE(page.okButton()->isEnabled());
}

TEST_F(PppoePageTest, okSendsOffAloneAndOnWithTheAccountAndDns) {
    addPppoeCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    typeCredentials("admin", "secret");
    const std::string head =
        "\x02SETMAC:" + macOf(1) + "\xFFIDPASS:" + base64Encode("admin:secret");

    click(page.okButton());
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], head + "\xFFPPPOEFUNC:OFF\xFF\x03");
    EXPECT_EQ(table.read([](const TableData& d) { return d.pending[0].state; }), 1);

    click(page.onRadio());
    click(page.dnsManualRadio());
    typeAccount("isp:user", "pw", "pw");
    page.secondaryDnsField()->setAddress({10, 0, 0, 2});
    click(page.okButton());
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1],
              head + "\xFFPPPOEFUNC:ON\xFFPPPOEIDPASS:" + base64Encode("isp:user:pw") +
                  "\xFFPPPOEDNSAUTO:OFF\xFFPPPOEDNS1:0.0.0.0\xFFPPPOEDNS2:10.0.0.2\xFF\x03");
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(PppoePageTest, okGoesToTheCameraTheFormShowsAfterAPageKeyMovedTheRow) {
    for (int i = 1; i <= 3; ++i) {
        addPppoeCamera(table, i);
    }
    page.refreshGrid();
    clickRow(0);
    typeCredentials("admin", "secret");
    list().setFocus();
    QTest::keyClick(&list(), Qt::Key_PageDown);
    ASSERT_NE(list().anchorRow(), 0);
    click(page.okButton());
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].find("SETMAC:" + macOf(1) + "\xFF"), 1u);
}

TEST_F(PppoePageTest, aRefusedAccountSendsNothingAndKeepsWhatWasTyped) {
    addPppoeCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    typeCredentials("admin", "secret");
    click(page.onRadio());
    struct Case {
        const char* user;
        const char* password;
        const char* retyped;
        const char* message;
    } cases[] = {{"", "", "", "UserID Error"},
                 {"isp", "", "", "Password Error"},
                 {"isp", "pw", "pW", "Password Error"}};
    for (const auto& c : cases) {
        messages.reset();
        typeAccount(c.user, c.password, c.retyped);
        click(page.okButton());
        EXPECT_EQ(messages.last().text, c.message) << c.user << "/" << c.retyped;
        EXPECT_EQ(messages.last().caption, "caution");
        EXPECT_EQ(messages.last().icon, MessagePort::Icon::Exclamation);
        EXPECT_EQ(page.retypedEdit()->text(), c.retyped);
    }
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(table.read([](const TableData& d) { return d.pending[0].state; }), 0);
}

TEST_F(PppoePageTest, cancelReturnsToTheStartingStateAndDisablesOk) {
    addPppoeCamera(table, 1, {.function = "ON", .dnsAuto = "off", .dns1 = "10.0.0.1"});
    page.refreshGrid();
    clickRow(0);
    typeCredentials("admin", "secret");
    typeAccount("isp", "pw", "pw");
    ASSERT_TRUE(page.okButton()->isEnabled());
    click(page.cancelButton());
    EXPECT_TRUE(page.offRadio()->isChecked());
    EXPECT_TRUE(page.dnsAutoRadio()->isChecked());
    EXPECT_EQ(enablement(), kOffState());
    EXPECT_TRUE(page.primaryDnsField()->isBlank());
    EXPECT_EQ(page.userIdEdit()->text(), "");
    EXPECT_EQ(page.nameEdit()->text(), "");
    EXPECT_FALSE(page.okButton()->isEnabled());
    EXPECT_FALSE(list().selectionShown());
    EXPECT_TRUE(sent.empty());
}

// Were OK left enabled, a later press would go to whichever camera the grid's current row then
// shows, one the person never chose.
// A rewrite for new replies lists the newcomer but leaves what is typed before a camera is
// chosen; the page's own tick empties it as always.
TEST_F(PppoePageTest, aRewriteForNewRepliesKeepsWhatIsTypedTheTickDoesNot) {
    addPppoeCamera(table, 1);
    page.refreshGrid();
    typeCredentials("admin", "secret");
    addPppoeCamera(table, 2);
    page.rewriteForNewReplies();
    EXPECT_EQ(cellText(1, 0), QString::fromStdString(macOf(2)));
    EXPECT_EQ(page.nameEdit()->text(), "admin");
    page.refreshGrid();
    EXPECT_EQ(page.nameEdit()->text(), "");
}

TEST_F(PppoePageTest, losingTheSelectionEmptiesTheCredentialsAndDisablesOk) {
    addPppoeCamera(table, 1, {.function = "ON"});
    addPppoeCamera(table, 2);
    page.refreshGrid();
    clickRow(0);
    typeCredentials("admin", "secret");
    click(page.dnsManualRadio());
    ASSERT_TRUE(page.okButton()->isEnabled());
    test::setAge(table, macOf(1), kListedAge);
    page.refreshGrid();
    EXPECT_FALSE(list().selectionShown());
    EXPECT_EQ(cellText(0, 0), QString::fromStdString(macOf(2)));
    EXPECT_FALSE(page.okButton()->isEnabled());
    EXPECT_EQ(page.nameEdit()->text(), "");
    EXPECT_EQ(page.passwordEdit()->text(), "");
    EXPECT_TRUE(page.dnsAutoRadio()->isChecked());
    EXPECT_TRUE(page.onRadio()->isChecked()) << "the Off/On choice is left as it was";
    click(page.okButton());
    EXPECT_TRUE(sent.empty());
}

TEST_F(PppoePageTest, accountFieldsHoldAtMostSixtyFourCharacters) {
    click(page.onRadio());
    for (QLineEdit* edit : {page.userIdEdit(), page.pppoePasswordEdit(), page.retypedEdit()}) {
        edit->setFocus();
        QTest::keyClicks(edit, QString(70, 'x'));
        EXPECT_EQ(edit->text().size(), kMaxPppoeAccountLength);
    }
}

// A character the camera's 8-bit text cannot carry would travel as "?": the fields refuse it,
// typed or pasted, say why once per field, and accept the rest of the 8-bit range as single
// bytes.
TEST_F(PppoePageTest, fieldsRefuseCharactersTheCameraCannotReceive) {
    addPppoeCamera(table, 1);
    page.refreshGrid();
    clickRow(0);
    click(page.onRadio());
    for (QLineEdit* edit : {page.userIdEdit(), page.pppoePasswordEdit(), page.retypedEdit(),
                            page.nameEdit(), page.passwordEdit()}) {
        edit->setFocus();
        typeText(edit, QString::fromUtf8("z\u0142\u00e9"));
        EXPECT_EQ(QToolTip::text(), kLatin1OnlyExplanation);
        EXPECT_EQ(edit->toolTip(), kLatin1OnlyExplanation);
        QToolTip::hideText();
        ASSERT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
        edit->insert(QString::fromUtf8("\u20ac"));
        EXPECT_FALSE(QToolTip::isVisible()) << "said once per field";
        EXPECT_EQ(edit->text(), QString::fromUtf8("z\u00e9"));
    }
    page.nameEdit()->insert("admin");
    page.passwordEdit()->insert("admin");
    click(page.okButton());
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_NE(sent[0].find("IDPASS:" + base64Encode("z\xE9"
                                                    "admin:z\xE9"
                                                    "admin")),
              std::string::npos);
    EXPECT_NE(sent[0].find("PPPOEIDPASS:" + base64Encode("z\xE9:z\xE9")), std::string::npos);
}

// A password in any of the window's password fields (a page's administrator password, the PPPoE
// account's two, Assign addresses') leaves the process unable to write a core file.
TEST_F(PppoePageTest, aPasswordInAnyFieldKeepsTheProcessOutOfCoreDumps) {
    AssignAddressesDialog assign({macOf(1)}, table, services(), nullptr, {});
    for (QLineEdit* edit : {page.passwordEdit(), page.pppoePasswordEdit(), page.retypedEdit(),
                            assign.passwordEdit()}) {
        ASSERT_EQ(prctl(PR_SET_DUMPABLE, 1, 0, 0, 0), 0);
        edit->insert("Xy9Secret1");
        EXPECT_FALSE(coreDumpsAllowed()) << edit->accessibleName().toStdString();
    }
}

}  // namespace
}  // namespace pelmora
