// The ONVIF page in the main window, offscreen: simulated ONVIF cameras on loopback (reached by a
// directed probe) beside two of our own cameras played by a peer socket.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTest>
#include <QTimer>

#include "../engine/PeerSocket.h"
#include "WindowOnLoopback.h"
#include "app/MainDialog.h"
#include "pages/SettingsPage.h"
#include "pages/network/AssignAddressesDialog.h"
#include "pages/onvif/OnvifPage.h"
#include "pages/onvif/OnvifSettingsForm.h"
#include "protocol/DatagramBuilder.h"
#include "simulator/OnvifCameraFactory.h"
#include "simulator/OnvifService.h"
#include "widgets/CameraListReading.h"
#include "widgets/PageTestSupport.h"
#include "widgets/RecordingMessagePort.h"

namespace pelmora {
namespace {

using namespace std::chrono_literals;

constexpr int kNameColumn = 5;

class OnvifPageTest : public ::testing::Test {
  protected:
    // Three ONVIF cameras: A is our camera 1 answering both protocols, B reports the address of
    // our camera 2, C has its clock 3 h 12 min behind. `slow` adds a fourth that holds back
    // every answer longer than a reading may take.
    void open(bool slow = false) {
        sim::OnvifFleetOptions fleet;
        fleet.count = slow ? 4 : 3;
        auto cameras = sim::makeOnvifCameras(fleet, {});
        const char* names[] = {"Cam A", "Cam B", "Cam C", "Cam Slow"};
        for (std::size_t i = 0; i < cameras.size(); ++i) {
            cameras[i].name = names[i];
            cameras[i].dhcp = false;
            cameras[i].ipAddress = {10, 2, 0, static_cast<std::uint8_t>(20 + i)};
            cameras[i].gateway = {10, 2, 0, 1};
        }
        cameras[0].mac = test::macOf(1);
        cameras[0].ipAddress = {10, 2, 0, 7};
        cameras[1].ipAddress = {10, 2, 0, 8};
        cameras[2].clockOffset = -(3h + 12min);
        if (slow) {
            cameras[3].slow = true;
        }
        sim::OnvifServiceOptions options;
        options.bindAddress = "127.0.0.1";
        options.discoveryPort = 0;
        options.slowMs = 20000;
        service = std::make_unique<sim::OnvifService>(cameras, options);
        ASSERT_EQ(service->open(), "");
        service->start();

        onvif::OnvifWatchOptions watch;
        watch.discovery.multicast = false;
        watch.discovery.hearAnnouncements = false;
        watch.discovery.port = service->discoveryPort();
        watch.discovery.directed = {Ipv4{127, 0, 0, 1}};
        dialog = std::make_unique<MainDialog>(
            MainDialogOptions{test::loopbackTarget(ours.port()), &messages,
                              [this](const QString& url) { opened << url; }, STDOUT_FILENO,
                              test::freshSettings(), watch});
        ASSERT_FALSE(dialog->start());
        dialog->show();
        for (int i : {1, 2}) {
            ours.sendTo(dialog->engine().localPort(),
                        DatagramBuilder{}
                            .field("MAC:", test::macOf(i))
                            .field("MODEL:", "PM-C110")
                            .field("IPADR:", i == 1 ? "10.2.0.7" : "10.2.0.8")
                            .field("MASK:", "255.255.255.0")
                            .field("GATEWAY:", "10.2.0.1")
                            .finish());
        }
        page = dialog->onvifPage();
        dialog->tabs()->setCurrentWidget(page);
    }

    // Opened, then every camera read with the right credentials.
    void openAndRead() {
        open();
        page->userField()->setText("admin");
        page->passwordField()->setText("password");
        QTest::mouseClick(page->readButton(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return allShow(kOnvifMacColumn, [](const QString& mac) { return !mac.isEmpty(); });
            },
            8000));
    }

    void TearDown() override {
        dialog.reset();
        if (service) {
            service->stop();
        }
    }

    // The shown row whose name cell is `name`, or -1.
    int rowNamed(const QString& name) const {
        const auto* shown = page->shownModel();
        for (int row = 0; row < shown->rowCount(); ++row) {
            if (shown->index(row, kNameColumn).data().toString() == name) {
                return row;
            }
        }
        return -1;
    }
    QString cell(const QString& name, int column, int role = Qt::DisplayRole) const {
        const int row = rowNamed(name);
        return row < 0 ? QString("<no row>")
                       : page->shownModel()->index(row, column).data(role).toString();
    }
    bool allShow(int column, auto accept) const {
        const auto* shown = page->shownModel();
        if (shown->rowCount() == 0) {
            return false;
        }
        for (int row = 0; row < shown->rowCount(); ++row) {
            if (!accept(shown->index(row, column).data().toString())) {
                return false;
            }
        }
        return true;
    }

    test::PeerSocket ours;
    RecordingMessagePort messages;
    QStringList opened;
    std::unique_ptr<sim::OnvifService> service;
    std::unique_ptr<MainDialog> dialog;
    OnvifPage* page = nullptr;
};

// The installer's story: the cameras are listed with what they tell without credentials, then
// read in full once a user name and password are given; the camera that answers both ways is one
// camera, the address shared across the two kinds and the clock that is off are marked on both
// pages, and the filter, "Problems only", sorting and the web page work as on the other pages.
TEST_F(OnvifPageTest, listsReadsMarksFiltersAndSortsOnvifCameras) {
    open();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return page->listedCount() == 3 && allShow(kOnvifNotesColumn, [](const QString& notes) {
                       return notes == "credentials needed";
                   });
        },
        8000));
    EXPECT_EQ(cell("Cam C", kOnvifClockColumn), "3 h 12 min behind");
    EXPECT_EQ(cell("Cam C", kOnvifMacColumn, Qt::AccessibleDescriptionRole),
              "Clock 3 h 12 min behind this PC");
    EXPECT_EQ(cell("Cam A", kOnvifMacColumn), "") << "no MAC without credentials";
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return dialog->cameraCountLabel()->text() == "5 cameras · 3 ONVIF · 1 with problems";
        },
        3000))
        << dialog->cameraCountLabel()->text().toStdString();

    page->userField()->setText("admin");
    page->passwordField()->setText("password");
    QTest::mouseClick(page->readButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return allShow(kOnvifMacColumn, [](const QString& mac) { return !mac.isEmpty(); }) &&
                   allShow(kOnvifNotesColumn, [](const QString& notes) { return notes.isEmpty(); });
        },
        8000));
    EXPECT_EQ(cell("Cam A", kOnvifMacColumn), QString::fromStdString(test::macOf(1)));
    EXPECT_TRUE(cell("Cam A", kOnvifMacColumn, Qt::ToolTipRole).contains("same MAC"));
    EXPECT_EQ(cell("Cam A", kOnvifMacColumn, Qt::AccessibleDescriptionRole).count("Shares"), 0)
        << "one camera answering both ways shares its address with nobody";
    const QString camB = cell("Cam B", kOnvifMacColumn);
    EXPECT_EQ(cell("Cam B", kOnvifMacColumn, Qt::AccessibleDescriptionRole),
              QString("Shares 10.2.0.8 with ") + test::macOf(2).c_str());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return dialog->cameraCountLabel()->text() == "4 cameras · 3 ONVIF · 3 with problems";
        },
        3000))
        << dialog->cameraCountLabel()->text().toStdString();
    EXPECT_TRUE(dialog->cameraCountLabel()->toolTip().contains("1 with a clock off"));
    // Our camera 2 is marked on the Network page for the ONVIF camera on its address.
    dialog->tabs()->setCurrentIndex(0);
    const CameraListView& network = *dialog->page(0)->list();
    // (on the page's own next rewrite, every 5 s)
    ASSERT_TRUE(QTest::qWaitFor([&] { return !test::problemText(network, 1).isEmpty(); }, 8000));
    EXPECT_EQ(test::problemText(network, 1), "Shares 10.2.0.8 with " + camB);
    dialog->tabs()->setCurrentWidget(page);

    dialog->filterField()->setText("cam b");
    EXPECT_EQ(page->shownCount(), 1);
    EXPECT_EQ(dialog->cameraCountLabel()->text(),
              "1 of 4 cameras shown · 3 ONVIF · 3 with problems");
    dialog->filterField()->clear();
    QTest::mouseClick(dialog->problemsOnlyBox(), Qt::LeftButton);
    EXPECT_EQ(page->shownCount(), 2);
    EXPECT_EQ(rowNamed("Cam A"), -1);
    QTest::mouseClick(dialog->problemsOnlyBox(), Qt::LeftButton);

    // The clock column sorts by the offset, the address column by the address's value.
    page->list()->sortByColumn(kOnvifClockColumn, Qt::AscendingOrder);
    EXPECT_EQ(rowNamed("Cam C"), 0);
    page->list()->sortByColumn(kOnvifAddressColumn, Qt::DescendingOrder);
    EXPECT_EQ(rowNamed("Cam C"), 0) << "10.2.0.22 after 10.2.0.8 by value, not by text";

    // Enter on a row opens its web page, at the port the camera gave for HTTP.
    page->list()->setFocus();
    page->list()->setCurrentIndex(page->shownModel()->index(rowNamed("Cam B"), 0));
    QTest::keyClick(page->list(), Qt::Key_Return);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].startsWith("http://10.2.0.8:")) << opened[0].toStdString();
}

// A camera that holds back its answers holds up neither the window nor the other cameras.
TEST_F(OnvifPageTest, aCameraThatHangsHoldsUpNeitherTheWindowNorTheOthers) {
    open(/*slow=*/true);
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    // Well before the slow camera's request times out (8 s): the UI thread never waited on it.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return ran && page->listedCount() == 4 &&
                   cell("Cam A", kOnvifNotesColumn) == "credentials needed";
        },
        5000));
    EXPECT_EQ(cell("Cam Slow", kOnvifNotesColumn), "reading\u2026");
}

// Refused directed-probe lists say why and change nothing; a good one is remembered.
TEST_F(OnvifPageTest, probeAddressesAreCheckedAndRemembered) {
    open();
    EXPECT_FALSE(page->probeAddressesTyped("10.0.0.0/8"));
    const auto boxes = messages.calls();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.startsWith("Probe addresses: ")) << boxes[0].text.toStdString();
    EXPECT_TRUE(page->probeAddressesTyped(" 127.0.0.1, 10.3.0.0/30 "));
    EXPECT_EQ(page->probeAddressesText(), "127.0.0.1, 10.3.0.0/30");
}

// The chosen camera's settings from the form: the page's checks first, then only what changed,
// the camera read again afterwards; its clock set from this PC's; the window never waits.
TEST_F(OnvifPageTest, theFormSendsWhatChangedAndTheCameraReadsItBack) {
    ASSERT_NO_FATAL_FAILURE(openAndRead());
    page->setVerifyTimeout(std::chrono::milliseconds(300));
    const auto choose = [&](const QString& name) {
        page->list()->setCurrentIndex(page->shownModel()->index(rowNamed(name), 0));
    };
    const auto boxes = [&] { return messages.calls().size(); };
    OnvifSettingsForm& form = *page->form();

    choose("Cam B");
    ASSERT_TRUE(form.isFilled());
    EXPECT_EQ(form.ipField()->address(), (Ipv4{10, 2, 0, 8}));
    form.gatewayField()->setAddress({10, 9, 9, 9});
    QTest::mouseClick(form.okButton(), Qt::LeftButton);
    ASSERT_EQ(boxes(), 1u);
    EXPECT_EQ(messages.calls()[0].text, "Gateway address Error")
        << "the page's check, nothing sent";

    form.gatewayField()->setAddress({10, 2, 0, 1});
    form.ipField()->setAddress({10, 2, 0, 7});
    QTest::mouseClick(form.okButton(), Qt::LeftButton);
    ASSERT_EQ(boxes(), 2u);
    EXPECT_EQ(messages.calls()[1].text, QString("10.2.0.7 is in use by ") + test::macOf(1).c_str())
        << "our camera 1 (and Cam A, the same camera) hold it: nothing sent";

    form.ipField()->setAddress({10, 2, 0, 40});
    QTest::mouseClick(form.okButton(), Qt::LeftButton);
    EXPECT_TRUE(page->busy()) << "sent on a thread of its own";
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes() == 3; }, 8000));
    EXPECT_EQ(messages.calls()[2].text, "Setting OK");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return cell("Cam B", kOnvifAddressColumn) == "10.2.0.40"; }, 8000))
        << "read again after the change";
    // Served on loopback, the camera is not where it now says it is.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return page->settingStatus()->text().contains("not confirmed at 10.2.0.40"); }, 8000))
        << page->settingStatus()->text().toStdString();

    choose("Cam C");
    QTest::mouseClick(form.clockButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes() == 3; }, 8000));
    EXPECT_EQ(messages.calls()[2].text, "Setting OK");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return cell("Cam C", kOnvifClockColumn) == "in step"; }, 8000));
    EXPECT_EQ(cell("Cam C", kOnvifMacColumn, Qt::AccessibleDescriptionRole), "")
        << "no clock off any more";
}

// Two ONVIF cameras chosen on the page get one plan: checked against both lists, applied with no
// administrator credentials, each camera sent its own requests and looked for at its new address.
// Served on loopback, neither is where it now says it is: "not confirmed", yet each reads back its
// new address.
TEST_F(OnvifPageTest, chosenOnvifCamerasGetAPlanOfTheirOwn) {
    ASSERT_NO_FATAL_FAILURE(openAndRead());
    std::vector<onvif::OnvifCamera> asked;
    // The window would open the dialog modally; here the test opens it.
    QObject::disconnect(page, &OnvifPage::assignAddressesAsked, dialog.get(), nullptr);
    QObject::connect(
        page, &OnvifPage::assignAddressesAsked,
        [&](const std::vector<onvif::OnvifCamera>& cameras, const onvif::HttpDigest& credentials) {
            asked = cameras;
            EXPECT_EQ(credentials.user, "admin");
        });
    auto* selection = page->list()->selectionModel();
    for (const char* name : {"Cam B", "Cam C"}) {
        selection->select(page->shownModel()->index(rowNamed(name), 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    page->assignAddresses();
    ASSERT_EQ(asked.size(), 2u);

    OnvifPlanParty party;
    party.cameras = asked;
    party.access.credentials = {"admin", "password"};
    party.access.discoveryPort = service->discoveryPort();
    std::vector<std::string> macs;
    for (const auto& camera : asked) {
        macs.push_back(camera.mac->text());
    }
    AssignAddressesDialog plan(macs, dialog->table(), {}, nullptr, {}, nullptr, party);
    plan.startField()->setAddress({10, 2, 0, 50});
    plan.gatewayField()->setAddress({10, 2, 0, 1});
    plan.updatePreview();
    plan.confirmSecondsBox()->setValue(1);
    EXPECT_EQ(plan.reasons()->text(), "");
    EXPECT_TRUE(plan.applyButton()->isEnabled()) << "ONVIF cameras need no administrator";
    EXPECT_EQ(plan.preview()->item(0, 1)->text().toStdString(),
              asked[0].information.model.value_or(""));

    QTest::mouseClick(plan.applyButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !plan.applying(); }, 15000));
    EXPECT_EQ(plan.preview()->item(0, 5)->text(), "not confirmed");
    EXPECT_EQ(plan.preview()->item(1, 5)->text(), "not confirmed");
    page->refreshButton()->click();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return cell("Cam B", kOnvifAddressColumn) == "10.2.0.50" &&
                   cell("Cam C", kOnvifAddressColumn) == "10.2.0.51";
        },
        8000));
}

}  // namespace
}  // namespace pelmora
