#include "app/TableBridge.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "engine/FatalSocketError.h"

namespace pelmora {

TableBridge::TableBridge(MessagePort* messages, QObject* parent)
    : QObject(parent), messages_(messages) {}

void TableBridge::routeAnswers(const std::string& mac, AnswerHandler handler) {
    std::lock_guard lock(routeMutex_);
    routedMac_ = mac;
    routedHandler_ = mac.empty() ? AnswerHandler() : std::move(handler);
}

bool TableBridge::isRouted(std::string_view mac) const {
    std::lock_guard lock(routeMutex_);
    return !routedMac_.empty() && routedMac_ == mac;
}

void TableBridge::deliverRouted(const std::string& mac, bool accepted, const std::string& words) {
    AnswerHandler handler;
    {
        std::lock_guard lock(routeMutex_);
        if (routedMac_ != mac) {
            return;
        }
        handler = routedHandler_;
    }
    if (handler) {
        handler(accepted, words);
    }
}

void TableBridge::settled(std::string_view mac, bool accepted,
                          std::optional<std::string_view> messageText) {
    if (!isRouted(mac)) {
        TableNotifier::settled(mac, accepted, messageText);
        return;
    }
    // Everything an answer does but the box: the acknowledgement listener still refreshes.
    if (accepted && !messageText) {
        acknowledged();
    }
    std::string words(messageText ? *messageText : accepted ? "Setting OK" : "Setting NG");
    QMetaObject::invokeMethod(
        this,
        [this, mac = std::string(mac), accepted, words = std::move(words)] {
            deliverRouted(mac, accepted, words);
        },
        Qt::QueuedConnection);
}

void TableBridge::settingResult(ResultIcon icon, std::string_view words) {
    // Camera text is 8-bit; copied now, shown later on the UI thread.
    const QString text = QString::fromLatin1(words.data(), static_cast<qsizetype>(words.size()));
    const auto boxIcon = icon == ResultIcon::Information ? MessagePort::Icon::Information
                                                         : MessagePort::Icon::Warning;
    QMetaObject::invokeMethod(
        this, [this, text, boxIcon] { information(*messages_, resultWords(text), boxIcon); },
        Qt::QueuedConnection);
}

void TableBridge::acknowledged() {
    QMetaObject::invokeMethod(
        this, [this] { emit pageRefresh(); }, Qt::QueuedConnection);
}

void TableBridge::listChanged() {
    if (listChangePosted_.exchange(true)) {
        return;
    }
    QMetaObject::invokeMethod(
        this, [this] { emit listChangedSoon(); }, Qt::QueuedConnection);
}

RetryAnswer TableBridge::noResponse(std::string_view mac) {
    if (isRouted(mac)) {
        // Handed on from the event loop, not from inside the table's ageing pass.
        QMetaObject::invokeMethod(
            this, [this, mac = std::string(mac)] { deliverRouted(mac, false, "No Response"); },
            Qt::QueuedConnection);
        return RetryAnswer::Cancel;
    }
    return messages_->askRetry(QCoreApplication::translate("pelmora::MessagePort", "Information"),
                               resultWords(QStringLiteral("No Response")))
               ? RetryAnswer::Retry
               : RetryAnswer::Cancel;
}

void TableBridge::receiveFailed() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            information(*messages_, resultWords(QStringLiteral("Network NG")),
                        MessagePort::Icon::Stop);
            emit fatalError(exitCodeOf(FatalSocketError::Receive));
        },
        Qt::QueuedConnection);
}

void TableBridge::diagnosticsWaiting() {
    QMetaObject::invokeMethod(
        this, [this] { emit diagnosticsToWrite(); }, Qt::QueuedConnection);
}

void TableBridge::sendResult(bool ok) {
    if (ok != lastSendOk_) {
        lastSendOk_ = ok;
        emit networkReachable(ok);
    }
}

}  // namespace pelmora
