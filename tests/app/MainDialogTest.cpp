// The main window on loopback: its engine sends to a peer socket instead of broadcasting.
#include "app/MainDialog.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <stdexcept>

#include "../engine/PeerSocket.h"
#include "WindowOnLoopback.h"
#include "changelog/ChangeHistory.h"
#include "diff/CameraListDiff.h"
#include "pages/HistoryDialog.h"
#include "pages/SettingsPage.h"
#include "pages/bandwidth/BandwidthPage.h"
#include "pages/network/NetworkPage.h"
#include "protocol/DatagramBuilder.h"
#include "protocol/Wire.h"
#include "settings/SettingSender.h"
#include "settings/bandwidth/BandwidthForm.h"
#include "settings/network/NetworkRequest.h"
#include "widgets/CameraListReading.h"
#include "widgets/PageTestSupport.h"
#include "widgets/RecordingMessagePort.h"

namespace pelmora {
namespace {

using namespace std::chrono_literals;

class MainDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const SendTarget target = test::loopbackTarget(camera.port());
        dialog = std::make_unique<MainDialog>(
            MainDialogOptions{target, &messages, {}, STDOUT_FILENO, test::freshSettings(), {}});
        ASSERT_FALSE(dialog->start());
        dialog->show();
        QApplication::processEvents();
    }

    void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget()
                                                    : static_cast<QWidget*>(dialog.get()),
                        key, modifiers);
    }

    test::PeerSocket camera;
    RecordingMessagePort messages;
    std::unique_ptr<MainDialog> dialog;
};

TEST_F(MainDialogTest, theFirstEnquiryLeavesAsSoonAsTheWindowOpens) {
    EXPECT_EQ(camera.receive(2s), std::string("\x02"
                                              "ENQ:allinfo\xFF\x03",
                                              14));
    EXPECT_EQ(dialog->table().discoveryEnabled, 1);
}

TEST_F(MainDialogTest, captionCarriesTheProductVersion) {
    EXPECT_EQ(dialog->windowTitle(), "Pelmora ver1.0.0");
    EXPECT_EQ(MainDialog::captionFor("1, 4, 1, 9", ""), "Pelmora ver1.4.1");
    EXPECT_EQ(MainDialog::captionFor("1, 4, 1, 9", " beta"), "Pelmora ver1.4.1 beta");
    EXPECT_EQ(MainDialog::captionFor("1", ""), "Pelmora");
}

TEST_F(MainDialogTest, tabCyclesThePagesBothWaysAndAltLettersPickThem) {
    const QStringList titles = {"&Network", "&Bandwidth control", "&Date time", "&PPPoE", "ONVIF"};
    ASSERT_EQ(dialog->tabs()->count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(dialog->tabs()->tabText(i), titles[i]);
    }
    EXPECT_EQ(dialog->tabs()->tabToolTip(4), "ONVIF (Tab and Shift+Tab)");
    dialog->tabs()->setCurrentIndex(4);
    pressKey(Qt::Key_Tab);
    EXPECT_EQ(dialog->tabs()->currentIndex(), 0) << "after the last page comes the first";
    pressKey(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(dialog->tabs()->currentIndex(), 4);
    EXPECT_EQ(dialog->currentPage(), nullptr) << "the ONVIF page is no settings page";
    pressKey(Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(dialog->tabs()->currentIndex(), 2);
    EXPECT_EQ(dialog->currentPage(), dialog->page(2));
}

TEST_F(MainDialogTest, choosingATabWhileAPageControlHasTheFocusShowsThatTab) {
    dialog->tabs()->setCurrentIndex(1);
    dialog->bandwidthPage()->passwordEdit()->setFocus();
    QApplication::processEvents();
    // Hiding the page that holds the focus moves the focus on; that must not turn the page.
    dialog->tabs()->setCurrentIndex(3);
    QApplication::processEvents();
    EXPECT_EQ(dialog->tabs()->currentIndex(), 3);
    EXPECT_EQ(dialog->currentPage(), dialog->page(3));
    EXPECT_TRUE(dialog->page(3)->isVisible());
}

TEST_F(MainDialogTest, escapeAndEnterDoNotCloseTheWindow) {
    pressKey(Qt::Key_Escape);
    pressKey(Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
}

// Enter on a focused button (after a result box, say) must not send the request again; no
// button is drawn as the default either. Space stays the keyboard's way to press it.
TEST_F(MainDialogTest, enterPressesNoPageButtonSpaceDoes) {
    ASSERT_TRUE(camera.receive(2s));  // the first enquiry
    test::addCamera(dialog->table(), 1);
    auto* page = static_cast<NetworkPage*>(dialog->page(0));
    page->refreshGrid();
    auto* list = page->list();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, test::cellCentre(*list, 0, 0));
    page->nameEdit()->setText("admin");
    page->passwordEdit()->setText("secret");
    for (QWidget* focus :
         {static_cast<QWidget*>(page->passwordEdit()), static_cast<QWidget*>(page->rebootButton()),
          static_cast<QWidget*>(page->okButton())}) {
        focus->setFocus();
        QApplication::processEvents();
        pressKey(Qt::Key_Return);
        pressKey(Qt::Key_Enter);
        for (auto* button : dialog->findChildren<QPushButton*>()) {
            EXPECT_FALSE(button->isDefault()) << button->text().toStdString();
        }
    }
    EXPECT_FALSE(camera.receive(300ms)) << "Enter sent a request";
    page->rebootButton()->setFocus();
    pressKey(Qt::Key_Space);
    EXPECT_EQ(camera.receive(2s), buildRebootRequest(test::macOf(1), "admin", "secret"));
}

// Replies reach the shown grid between the page's ticks, a burst of them in few rewrites.
TEST_F(MainDialogTest, camerasAppearAsTheyAnswerInFewRewrites) {
    const auto port = dialog->engine().localPort();
    auto* list = dialog->currentPage()->list();
    const auto start = std::chrono::steady_clock::now();
    constexpr int kCameras = 300;
    for (int i = 1; i <= kCameras; ++i) {
        camera.sendTo(
            port,
            DatagramBuilder{}.field("MAC:", test::macOf(i)).field("MODEL:", "PM-C110").finish());
        if (i % 50 == 0) {
            QTest::qWait(40);
        }
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->rowCount() == kCameras; }, 3000))
        << list->rowCount() << " of " << kCameras << " listed without a tick";
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, 1s);
    EXPECT_GE(dialog->liveRewrites(), 1);
    EXPECT_LE(dialog->liveRewrites(), elapsed / 100ms + 1) << "rewrites were not gathered";
    EXPECT_TRUE(dialog->cameraCountLabel()->text().startsWith("300 cameras"));
    EXPECT_TRUE(dialog->lastEnquiryLabel()->text().startsWith("Last enquiry "));
}

// At its smallest the window is as it always was, seven camera rows on every page; growing it
// gives the grid more rows and its columns more width in proportion, the form nothing.
TEST_F(MainDialogTest, theWindowOpensAtItsSmallestAndGrowthGoesToTheGrids) {
    QApplication::processEvents();
    ASSERT_EQ(dialog->size(), dialog->minimumSize());
    std::vector<int> formHeights;
    for (int i = 0; i < 4; ++i) {
        dialog->tabs()->setCurrentIndex(i);
        QApplication::processEvents();
        auto* list = dialog->page(i)->list();
        EXPECT_EQ(list->height(), list->minimumHeight()) << "page " << i;
        EXPECT_EQ(list->fullyVisibleRows(), 7) << "page " << i;
        formHeights.push_back(dialog->page(i)->height() - list->height());
    }
    auto* list = dialog->page(0)->list();
    const int firstWidth = list->columnWidth(0);
    const int fourthWidth = list->columnWidth(3);
    dialog->resize(dialog->width() + 400, dialog->height() + 320);
    for (int i = 0; i < 4; ++i) {
        dialog->tabs()->setCurrentIndex(i);
        QApplication::processEvents();
        auto* page = dialog->page(i);
        EXPECT_EQ(page->list()->height(), page->list()->minimumHeight() + 320) << "page " << i;
        EXPECT_EQ(page->height() - page->list()->height(), formHeights[i]) << "page " << i;
    }
    EXPECT_GE(list->fullyVisibleRows(), 25);
    EXPECT_GT(list->columnWidth(0), firstWidth);
    EXPECT_NEAR(double(list->columnWidth(0)) / firstWidth,
                double(list->columnWidth(3)) / fourthWidth, 0.02);
}

// Cameras with addressing problems: every marked camera counted in the status bar whatever its
// problem, each kind named in its tip, marked in the grid, and the only ones left with "Problems
// only"; with a filter on, the bar says how many are shown.
TEST_F(MainDialogTest, camerasWithProblemsAreCountedMarkedAndFiltered) {
    const auto port = dialog->engine().localPort();
    // Two share an address, one has an unusable mask, one a gateway outside its subnet.
    const char* cameras[][2] = {{"10.2.0.7", "255.255.255.0"},
                                {"10.2.0.8", "255.255.255.0"},
                                {"10.2.0.7", "255.255.255.0"},
                                {"10.2.0.9", "255.0.255.0"},
                                {"10.2.0.10", "255.255.255.0"}};
    for (int i = 1; i <= 5; ++i) {
        camera.sendTo(port, DatagramBuilder{}
                                .field("MAC:", test::macOf(i))
                                .field("MODEL:", "PM-C110")
                                .field("IPADR:", cameras[i - 1][0])
                                .field("MASK:", cameras[i - 1][1])
                                .field("GATEWAY:", i == 5 ? "10.9.0.1" : "10.2.0.1")
                                .finish());
    }
    const CameraListView& list = *dialog->currentPage()->list();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !test::cellText(list, 4, 0).isEmpty(); }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !test::problemText(list, 4).isEmpty(); }, 3000));
    EXPECT_EQ(dialog->cameraCountLabel()->text(), "5 cameras · 4 with problems");
    EXPECT_TRUE(dialog->cameraCountLabel()->toolTip().contains(
        "2 share an address\n1 with a subnet mask that is not usable\n1 with a gateway outside"));
    EXPECT_EQ(test::problemText(list, 0),
              QString("Shares 10.2.0.7 with ") + test::macOf(3).c_str());
    EXPECT_EQ(test::problemText(list, 1), "");
    QTest::mouseClick(dialog->problemsOnlyBox(), Qt::LeftButton);
    EXPECT_EQ(test::cellText(list, 1, 0), QString::fromStdString(test::macOf(3)));
    EXPECT_EQ(test::cellText(list, 4, 0), "");
    EXPECT_EQ(dialog->cameraCountLabel()->text(), "4 of 5 cameras shown · 4 with problems");
    dialog->filterField()->setText("02:50:4d:00:00:01");
    EXPECT_EQ(test::cellText(list, 0, 0), QString::fromStdString(test::macOf(1)));
    EXPECT_EQ(test::cellText(list, 1, 0), "");
    EXPECT_EQ(dialog->cameraCountLabel()->text(), "1 of 5 cameras shown · 4 with problems");
}

// Three of nine cameras shown by a filter, the first clicked and Ctrl+A: clearing the filter
// must not leave the six others selected, exported or addressed. The filter's clear button is
// named for screen readers.
TEST_F(MainDialogTest, clearingTheFilterNeverSelectsTheCamerasItHid) {
    ASSERT_TRUE(camera.receive(2s));  // the first enquiry
    for (int i = 1; i <= 9; ++i) {
        test::addCamera(dialog->table(), i, i % 3 == 0 ? "PM-P420" : "PM-C110");
    }
    auto* page = static_cast<NetworkPage*>(dialog->page(0));
    auto* list = page->list();
    dialog->filterField()->setText("P420");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, test::cellCentre(*list, 0, 0));
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    ASSERT_EQ(page->exportedRecords().size(), 3u);
    dialog->filterField()->clear();
    EXPECT_EQ(list->selectionModel()->selectedRows().size(), 0);
    EXPECT_EQ(page->exportedRecords().size(), 9u) << "nothing chosen: the whole list";
    EXPECT_TRUE(page->dhcpRadio()->isEnabled());
    auto* clear = dialog->filterField()->findChild<QToolButton*>();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(clear)->text(QAccessible::Name),
              "Clear filter");
}

// A full table that turns a camera away says so beside the count.
TEST_F(MainDialogTest, aFullTableSaysInTheStatusBarThatOthersWait) {
    for (int i = 1; i <= kTableSize + 1; ++i) {
        test::addCamera(dialog->table(), i);
    }
    auto* count = dialog->cameraCountLabel();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return count->text().endsWith(" · Table full: 1024 cameras; others wait"); }, 3000))
        << count->text().toStdString();
}

TEST_F(MainDialogTest, sortRequestsMapThePppoeAddressColumnAndRestartAfterAPageChange) {
    auto& table = dialog->table();
    dialog->sortColumn(1, 1);
    EXPECT_EQ(table.lastSortColumn(), kSortPppoeIpAddress);
    dialog->sortColumn(1, 0);
    EXPECT_EQ(table.lastSortColumn(), kSortIpAddress);
    dialog->sortColumn(1, 0);
    EXPECT_EQ(table.sortDirection(), 1);
    dialog->tabs()->setCurrentIndex(1);
    dialog->sortColumn(1, 0);
    EXPECT_EQ(table.sortDirection(), 0) << "a new page sorts ascending first";
}

TEST_F(MainDialogTest, theWheelScrollsTheVisiblePageOneRowPerNotch) {
    for (int i = 1; i <= 20; ++i) {
        test::addCamera(dialog->table(), i);
    }
    auto* page = dialog->currentPage();
    page->refreshGrid();
    ASSERT_EQ(page->list()->firstVisibleRow(), 0);
    QWheelEvent down(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(page->list()->viewport(), &down);
    EXPECT_EQ(page->list()->firstVisibleRow(), 1);
}

TEST_F(MainDialogTest, resultsFromTheReceiveThreadAreShownOnTheUiThread) {
    const auto mac = test::macOf(1);
    dialog->table().registerPending(mac, "\x02SETMAC:" + mac + "\xFF\x03");
    camera.sendTo(dialog->engine().localPort(), "\x02NAK:" + mac + "\xFF\x03");
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.count() > 0; }, 5000));
    const auto shown = messages.calls().front();
    EXPECT_EQ(shown.caption, "Information");
    EXPECT_EQ(shown.text, "Setting NG");
    EXPECT_EQ(shown.icon, MessagePort::Icon::Warning);
}

TEST_F(MainDialogTest, retryAfterNoResponseSendsTheSameBytesAgain) {
    ASSERT_TRUE(camera.receive(2s));  // the first enquiry
    const auto mac = test::macOf(1);
    const std::string request = "\x02SETMAC:" + mac + "\xFFSETBAND:2.0\xFF\x03";
    dialog->table().registerPending(mac, request);
    messages.setNextAnswer(true);
    for (int tick = 0; tick < PendingRequest::kNoResponseAt; ++tick) {
        dialog->engine().agingTick();
    }
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_TRUE(messages.last().askedRetry);
    EXPECT_EQ(messages.last().caption, "Information");
    EXPECT_EQ(messages.last().text, "No Response");
    EXPECT_EQ(camera.receive(2s), request);
}

// A plan awaits its camera's answers itself: they reach it, not a box, and an unanswered request
// is reported to it as "No Response" without asking the person to retry; other cameras' answers
// are shown as before.
TEST_F(MainDialogTest, aRoutedCamerasAnswersGoToThePlanInsteadOfABox) {
    ASSERT_TRUE(camera.receive(2s));  // the first enquiry
    const auto routedMac = test::macOf(1);
    const auto other = test::macOf(2);
    std::vector<std::pair<bool, std::string>> answers;
    dialog->bridge().routeAnswers(routedMac, [&](bool accepted, const std::string& words) {
        answers.emplace_back(accepted, words);
    });
    for (const auto& mac : {routedMac, other}) {
        dialog->table().registerPending(mac, "\x02SETMAC:" + mac + "\xFF\x03");
    }
    camera.sendTo(dialog->engine().localPort(),
                  "\x02"
                  "ACK:" +
                      routedMac + "\xFF\x03");
    camera.sendTo(dialog->engine().localPort(), "\x02NAK:" + other + "\xFF\x03");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return messages.count() == 1 && answers.size() == 1; }, 5000));
    EXPECT_EQ(answers[0], std::make_pair(true, std::string("Setting OK")));
    EXPECT_EQ(messages.last().text, "Setting NG");

    const std::string request = "\x02SETMAC:" + routedMac + "\xFFSETBAND:2.0\xFF\x03";
    dialog->table().registerPending(routedMac, request);
    for (int tick = 0; tick < PendingRequest::kNoResponseAt; ++tick) {
        dialog->engine().agingTick();
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 2; }, 2000));
    EXPECT_EQ(answers[1], std::make_pair(false, std::string("No Response")));
    EXPECT_EQ(messages.count(), 1u) << "no retry asked";
    for (auto got = camera.receive(300ms); got; got = camera.receive(300ms)) {
        EXPECT_NE(*got, request) << "nothing sent again";
    }
}

TEST(MainDialogNetwork, aFailedSendShowsAQuietNoticeInsteadOfABox) {
    RecordingMessagePort messages;
    const SendTarget unreachable = test::loopbackTarget(0);  // port 0 cannot be sent to
    MainDialog dialog(
        MainDialogOptions{unreachable, &messages, {}, STDOUT_FILENO, test::freshSettings(), {}});
    ASSERT_FALSE(dialog.start());
    EXPECT_EQ(dialog.statusLine()->text(), "Network unreachable — retrying");
    EXPECT_EQ(messages.count(), 0u);
}

// Standard output as a pipe nobody reads (a launcher, a pager that has stopped reading).
struct UnreadPipe {
    UnreadPipe() {
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe");
        }
    }
    ~UnreadPipe() {
        ::close(fds[0]);
        ::close(fds[1]);
    }
    bool full() const {
        pollfd ready{fds[1], POLLOUT, 0};
        return ::poll(&ready, 1, 0) == 0;
    }
    // Output nobody has read yet: the pipe holds no more.
    void fill() {
        ::fcntl(fds[1], F_SETFL, O_NONBLOCK);
        while (::write(fds[1], "filler\n", 7) == 7) {
        }
        ::fcntl(fds[1], F_SETFL, 0);
    }
    int fds[2] = {-1, -1};
};

// The pipe is full from the start (the rate limit keeps a flood's lines from filling it).
// Discovery must go on behind the lines held and the window must still close at once.
TEST(MainDialogDiagnostics, anUnreadOutputStopsNeitherDiscoveryNorClosing) {
    UnreadPipe output;
    test::PeerSocket camera;
    RecordingMessagePort messages;
    const SendTarget target = test::loopbackTarget(camera.port());
    MainDialog dialog(
        MainDialogOptions{target, &messages, {}, output.fds[1], test::freshSettings(), {}});
    ASSERT_FALSE(dialog.start());
    dialog.show();
    output.fill();
    const auto port = dialog.engine().localPort();
    const std::string huge(kMaxDatagram + 28, 'x');
    constexpr std::uint64_t kChunk = 100;
    for (std::uint64_t sent = 0; sent < 2000; sent += kChunk) {
        for (std::uint64_t i = 0; i < kChunk; ++i) {
            camera.sendTo(port, huge);
        }
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return dialog.engine().receiveStats().oversize >= sent + kChunk; }, 5000))
            << "receiving stalled after " << dialog.engine().receiveStats().oversize;
    }
    ASSERT_TRUE(output.full());

    const auto mac = test::macOf(1);
    camera.sendTo(port, DatagramBuilder{}.field("MAC:", mac).field("MODEL:", "PM-C110").finish());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.table().findByMac(mac).has_value(); }, 5000));
    dialog.currentPage()->refreshGrid();
    EXPECT_EQ(test::cellText(*dialog.currentPage()->list(), 0, 0), QString::fromStdString(mac));

    const auto before = std::chrono::steady_clock::now();
    dialog.close();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s) << "closing waited on the output";
    EXPECT_EQ(dialog.engine().socket().fd(), -1);
    EXPECT_EQ(messages.count(), 0u);
}

// Place, size, page and the list compared come back on the next start; a place no screen can
// show any more does not, and nothing else is kept.
TEST(MainDialogSettings, theWindowComesBackWhereItWasUnlessNoScreenShowsThatPlace) {
    QTemporaryDir dir;
    const QString file = dir.filePath("pelmora.conf");
    const QString site = dir.filePath("site.json");
    QFile list(site);
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(R"([{"mac": "02:50:4D:00:00:07", "ipAddress": "192.168.0.70"}])");
    list.close();
    test::PeerSocket camera;
    const SendTarget target = test::loopbackTarget(camera.port());
    QRect saved;
    {
        MainDialog dialog(MainDialogOptions{target, nullptr, {}, STDOUT_FILENO, file, {}});
        ASSERT_FALSE(dialog.start());
        dialog.show();
        QApplication::processEvents();
        // The offscreen screen is 800 x 600: a place on it.
        dialog.setGeometry(0, 0, dialog.width() + 40, dialog.height() + 20);
        dialog.tabs()->setCurrentIndex(2);
        ASSERT_TRUE(dialog.networkPage()->compareWithList(site));
        saved = dialog.geometry();
        dialog.close();
    }
    {
        MainDialog dialog(MainDialogOptions{target, nullptr, {}, STDOUT_FILENO, file, {}});
        ASSERT_FALSE(dialog.start());
        dialog.show();
        QApplication::processEvents();
        EXPECT_EQ(dialog.size(), saved.size());
        // Within the frame the platform may add around it.
        EXPECT_LE((dialog.pos() - saved.topLeft()).manhattanLength(), 4);
        EXPECT_EQ(dialog.tabs()->currentIndex(), 2);
        EXPECT_EQ(dialog.currentPage(), dialog.page(2));
        EXPECT_EQ(dialog.networkPage()->comparedList(), site);
        dialog.networkPage()->stopComparing();
        dialog.close();
    }
    WindowSettings settings(file);
    settings.save(QRect(20000, 20000, 700, 500), false, 9);
    EXPECT_FALSE(settings.geometry()) << "off every screen";
    EXPECT_EQ(settings.lastPage(4), 0);
    QSettings raw(file, QSettings::IniFormat);
    EXPECT_EQ(raw.allKeys(), (QStringList{"window/geometry", "window/maximized", "window/page"}));
}

}  // namespace
}  // namespace pelmora

namespace pelmora {
namespace {

// The window's record of a site: requests sent from it, a Retry among them, leave their lines
// in the change log and read back in "History…"; its export reads back as the same list in
// either form; and a log that cannot be written only puts up a notice.
TEST(MainDialogRecord, requestsAndARetryAreRecordedAndTheExportReadsBack) {
    QTemporaryDir state;
    const QByteArray earlierState = qgetenv("PELMORA_STATE_DIR");
    qputenv("PELMORA_STATE_DIR", state.path().toLocal8Bit());
    test::PeerSocket camera;
    const SendTarget target = test::loopbackTarget(camera.port());
    RecordingMessagePort messages;
    MainDialog dialog(
        MainDialogOptions{target, &messages, {}, STDOUT_FILENO, test::freshSettings(), {}});
    ASSERT_FALSE(dialog.start());
    ASSERT_TRUE(camera.receive(2s));  // the first enquiry
    for (int i = 1; i <= 3; ++i) {
        test::addCamera(dialog.table(), i);
    }
    const auto mac = test::macOf(1);
    const auto send = [&](std::string_view text) { return dialog.engine().sendDatagram(text); };
    const auto answer = [&](std::size_t shown) {
        ASSERT_TRUE(camera.receive(2s));
        camera.sendTo(dialog.engine().localPort(),
                      "\x02"
                      "ACK:" +
                          mac + "\xFF\x03");
        ASSERT_TRUE(QTest::qWaitFor([&] { return messages.count() == shown; }, 5000));
    };
    NetworkSettings network;
    network.dhcp = true;
    sendSettingRequest(dialog.table(), send, mac,
                       buildNetworkRequest(mac, "admin", "Adm1nSecret", network));
    answer(1);
    // Unanswered, then sent again from the "No Response" prompt and answered.
    sendSettingRequest(dialog.table(), send, mac,
                       buildBandwidthRequest(mac, "admin", "Adm1nSecret", "2.0"));
    ASSERT_TRUE(camera.receive(2s));
    messages.setNextAnswer(true);
    for (int tick = 0; tick < PendingRequest::kNoResponseAt; ++tick) {
        dialog.engine().agingTick();
    }
    answer(3);

    QFile log(state.filePath("changes.jsonl"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const std::string bytes = log.readAll().toStdString();
    EXPECT_EQ(bytes.find("Adm1nSecret"), std::string::npos);
    const auto history = parseHistory(bytes);
    ASSERT_EQ(history.entries.size(), 3u);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"bandwidth", "OK"}, {"bandwidth", "No Response"}, {"network", "OK"}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto sent = history.entries[i].sent();
        EXPECT_EQ(std::pair(sent["action"].get<std::string>(), history.entries[i].result),
                  expected[i]);
        EXPECT_EQ(sent["program"], "pelmora");
        EXPECT_EQ(sent["model"], "PM-C110");
        EXPECT_EQ(sent["ipAddress"], "192.168.0.99");
    }
    HistoryDialog shown(state.path(), QString::fromStdString(mac));
    const auto lines = shown.text()->toPlainText().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(
        lines[0].endsWith(QString::fromStdString(mac) + "  bandwidth  bandwidth limit 2.0  OK"))
        << lines[0].toStdString();

    // The export: every listed camera as JSON and as CSV, which read back alike; two rows
    // selected on the Network page narrow it to those two.
    auto* page = dialog.page(0);
    page->refreshGrid();
    const auto read = [](const QString& path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        auto list = readCameraList(file.readAll().toStdString(), path.toStdString());
        EXPECT_TRUE(list.list) << list.error;
        return list.list.value_or(CameraList{});
    };
    const QString json = state.filePath("cameras.json");
    const QString csv = state.filePath("cameras.csv");
    ASSERT_EQ(page->exportListTo(json, ListFormat::Json), "");
    ASSERT_EQ(page->exportListTo(csv, ListFormat::Csv), "");
    const auto fromJson = read(json);
    EXPECT_EQ(fromJson.cameras.size(), 3u);
    EXPECT_TRUE(diffCameraLists(fromJson, read(csv)).empty());
    page->list()->showSelection(true);
    page->list()->setAnchorRow(0);
    page->list()->setExtentRow(1);
    EXPECT_EQ(page->exportedRecords().size(), 2u);
    EXPECT_NE(page->exportListTo(state.filePath("no/such/dir/list.csv"), ListFormat::Csv), "");
    EXPECT_EQ(page->exportListTo("/proc/cams.csv", ListFormat::Csv).rfind("/proc/cams.csv: ", 0),
              0u);
    // The next file dialog opens where the last file went.
    QString opened;
    QDir(state.path()).mkdir("site");
    for (const QString& file : {state.filePath("site/cams.csv"), state.filePath("again.csv")}) {
        QTimer::singleShot(0, [&, file] {
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            opened = chooser->directory().absolutePath();
            chooser->selectFile(file);
            static_cast<QDialog*>(chooser)->accept();
        });
        page->exportList();
    }
    EXPECT_EQ(opened, state.filePath("site"));

    // A log that cannot be written: the request still leaves, a notice says so once.
    qputenv("PELMORA_STATE_DIR", "/dev/null/pelmora");
    MainDialog unlogged(
        MainDialogOptions{target, &messages, {}, STDOUT_FILENO, test::freshSettings(), {}});
    ASSERT_FALSE(unlogged.start());
    ASSERT_TRUE(camera.receive(2s));
    EXPECT_EQ(
        sendSettingRequest(
            unlogged.table(), [&](std::string_view t) { return unlogged.engine().sendDatagram(t); },
            mac, buildRebootRequest(mac, "admin", "Adm1nSecret")),
        0);
    EXPECT_TRUE(camera.receive(2s));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return unlogged.changeLogNotice()->text() == "Change log not written"; }, 2000));
    qputenv("PELMORA_STATE_DIR", earlierState);
}

}  // namespace
}  // namespace pelmora
