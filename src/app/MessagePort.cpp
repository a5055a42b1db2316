#include "app/MessagePort.h"

#include <QMessageBox>

namespace pelmora {

namespace {

QMessageBox::Icon boxIcon(MessagePort::Icon icon) {
    switch (icon) {
        case MessagePort::Icon::Information:
            return QMessageBox::Information;
        case MessagePort::Icon::Warning:
        case MessagePort::Icon::Exclamation:
            return QMessageBox::Warning;
        case MessagePort::Icon::Stop:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void caution(MessagePort& port, const QString& text) {
    port.show(QStringLiteral("caution"), text, MessagePort::Icon::Exclamation);
}

void information(MessagePort& port, const QString& text, MessagePort::Icon icon) {
    port.show(QStringLiteral("Information"), text, icon);
}

void QtMessagePort::show(const QString& caption, const QString& text, Icon icon) {
    QMessageBox box(boxIcon(icon), caption, text, QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtMessagePort::askRetry(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Retry | QMessageBox::Cancel,
                    parent_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Retry);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Retry;
}

}  // namespace pelmora
