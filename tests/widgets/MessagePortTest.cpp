// The message-box port: the captions of the two conveniences, and the real boxes showing text
// from cameras as plain text.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include <functional>

#include "widgets/MessagePort.h"
#include "widgets/RecordingMessagePort.h"

namespace pelmora {
namespace {

TEST(MessagePortTest, conveniencesSetCaptionAndIcon) {
    RecordingMessagePort port;
    caution(port, QStringLiteral("IP Address Error"));
    information(port, QStringLiteral("Setting OK"));
    information(port, QStringLiteral("Network NG"), MessagePort::Icon::Stop);
    const auto calls = port.calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].caption, QStringLiteral("caution"));
    EXPECT_EQ(calls[0].icon, MessagePort::Icon::Exclamation);
    EXPECT_EQ(calls[1].caption, QStringLiteral("Information"));
    EXPECT_EQ(calls[1].icon, MessagePort::Icon::Information);
    EXPECT_EQ(calls[2].icon, MessagePort::Icon::Stop);
}

TEST(MessagePortTest, recordingPortAnswersRetryFromItsQueueThenCancel) {
    RecordingMessagePort port;
    port.setNextAnswer(true);
    EXPECT_TRUE(port.askRetry(QStringLiteral("Information"), QStringLiteral("No Response")));
    EXPECT_FALSE(port.askRetry(QStringLiteral("Information"), QStringLiteral("No Response")));
    EXPECT_TRUE(port.last().askedRetry);
    EXPECT_EQ(port.count(), 2u);
}

// Runs `handle` on the modal box once it is up (the port blocks in exec until it closes).
void whenBoxShows(const std::function<void(QMessageBox&)>& handle) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, handle] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            handle(*box);
        }
    });
    poll->start(10);
}

TEST(QtMessagePortTest, cameraTextIsShownAsPlainText) {
    const QString cameraText = QStringLiteral("<b>NG</b><img src=x>");
    QtMessagePort port;
    Qt::TextFormat format = Qt::AutoText;
    QString shown;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenBoxShows([&](QMessageBox& box) {
        format = box.textFormat();
        shown = box.text();
        icon = box.icon();
        box.button(QMessageBox::Ok)->click();
    });
    information(port, cameraText, MessagePort::Icon::Warning);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shown, cameraText);
    EXPECT_EQ(icon, QMessageBox::Warning);
}

// A camera's text may be one long word: it wraps anywhere, and the box stays on the screen.
TEST(QtMessagePortTest, aLongWordFromACameraWrapsInsideTheScreen) {
    QtMessagePort port;
    for (const QString& text : {QString(1000, 'W'), QString(300, 'x') + " " + QString(700, 'y')}) {
        int width = 0;
        int screenWidth = 0;
        QString shown;
        int labelWidth = 0;
        int widthNeeded = 0;
        whenBoxShows([&](QMessageBox& box) {
            width = box.frameGeometry().width();
            screenWidth = box.screen()->availableGeometry().width();
            shown = box.text();
            const auto* label = box.findChild<QLabel*>("qt_msgbox_label");
            labelWidth = label->width();
            widthNeeded = label->minimumSizeHint().width();
            box.button(QMessageBox::Ok)->click();
        });
        information(port, text);
        EXPECT_GT(width, 0);
        EXPECT_LE(width, screenWidth);
        EXPECT_LE(widthNeeded, labelWidth) << "the text is cut off";
        EXPECT_EQ(shown.remove(QChar(0x200B)), text) << "only break opportunities are added";
    }
}

TEST(QtMessagePortTest, retryPromptReportsTheButtonChosen) {
    QtMessagePort port;
    for (const bool retry : {true, false}) {
        Qt::TextFormat format = Qt::AutoText;
        whenBoxShows([&](QMessageBox& box) {
            format = box.textFormat();
            box.button(retry ? QMessageBox::Retry : QMessageBox::Cancel)->click();
        });
        EXPECT_EQ(port.askRetry(QStringLiteral("Information"), QStringLiteral("No Response")),
                  retry);
        EXPECT_EQ(format, Qt::PlainText);
    }
}

}  // namespace
}  // namespace pelmora
