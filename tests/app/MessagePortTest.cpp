// The message-box port: the captions of the two conveniences, and the real boxes showing text
// from cameras as plain text.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>

#include "RecordingMessagePort.h"
#include "app/MessagePort.h"

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
