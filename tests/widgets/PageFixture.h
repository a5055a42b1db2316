#pragma once
// The common fixture of the page tests: one page over its own table, shown, with a recording
// sender, message port and URL opener, and the list clicks the tests drive it with.

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QTest>
#include <string>
#include <vector>

#include "model/CameraTable.h"
#include "widgets/CameraListReading.h"
#include "widgets/PageServices.h"
#include "widgets/RecordingMessagePort.h"

namespace pelmora::test {

template <class Page>
class PageFixture : public ::testing::Test {
  protected:
    // Gives the page its table and services and shows it at `width` x `height`.
    void showPage(int width, int height) {
        table.discoveryEnabled = 1;
        page.resize(width, height);
        page.setTable(&table, services());
        page.show();
        QApplication::processEvents();
    }

    // A recording sender, message port, URL opener, answer routing and enquiry counter.
    PageServices services() {
        return PageServices{[this](std::string_view text) {
                                sent.emplace_back(text);
                                return 0;
                            },
                            &messages, [this](const QString& url) { opened << url; },
                            [this](const std::string& mac, AnswerHandler handler) {
                                routedMac = mac;
                                routed = std::move(handler);
                            },
                            [this] { ++enquiries; }};
    }

    CameraListView& list() { return *page.list(); }
    const CameraListModel& listModel() { return *list().cameraModel(); }
    QString cellText(int row, int col) { return test::cellText(list(), row, col); }
    QString headerText(int col) { return test::headerText(list(), col); }
    QString problemText(int row) { return test::problemText(list(), row); }
    QPoint cellCentre(int row, int col) { return test::cellCentre(list(), row, col); }
    void clickRow(int row, int col = 0) {
        QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, cellCentre(row, col));
    }
    void clickHeader(int column) {
        auto* header = list().horizontalHeader();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }
    void typeCredentials(const QString& name, const QString& password) {
        page.nameEdit()->setText(name);
        page.passwordEdit()->setText(password);
    }

    CameraTable table;
    RecordingMessagePort messages;
    Page page;
    std::vector<std::string> sent;
    QStringList opened;
    // The camera whose answers go to `routed` instead of a message box, and enquiries asked for.
    std::string routedMac;
    AnswerHandler routed;
    int enquiries = 0;
};

}  // namespace pelmora::test
