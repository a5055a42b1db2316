#include "app/TableBridge.h"

#include <QMetaObject>

#include "engine/FatalSocketError.h"

namespace pelmora {

TableBridge::TableBridge(MessagePort* messages, QObject* parent)
    : QObject(parent), messages_(messages) {}

void TableBridge::settingResult(ResultIcon icon, std::string_view words) {
    // Camera text is 8-bit; copied now, shown later on the UI thread.
    const QString text = QString::fromLatin1(words.data(), static_cast<qsizetype>(words.size()));
    const auto boxIcon = icon == ResultIcon::Information ? MessagePort::Icon::Information
                                                         : MessagePort::Icon::Warning;
    QMetaObject::invokeMethod(
        this, [this, text, boxIcon] { information(*messages_, text, boxIcon); },
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

RetryAnswer TableBridge::noResponse(std::string_view) {
    return messages_->askRetry("Information", "No Response") ? RetryAnswer::Retry
                                                             : RetryAnswer::Cancel;
}

void TableBridge::receiveFailed() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            information(*messages_, "Network NG", MessagePort::Icon::Stop);
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
