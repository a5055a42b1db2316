#include "widgets/MessagePort.h"

#include <QCoreApplication>
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

// A camera's text can be one word of a thousand characters, which a box cannot wrap: it would
// grow past the screen or cut the word off. A zero-width space every so often inside a long
// word lets the line break there without changing what is shown.
QString breakableText(const QString& text) {
    constexpr int kLongestUnbroken = 40;
    QString out;
    out.reserve(text.size() + text.size() / kLongestUnbroken);
    int run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > kLongestUnbroken) {
            out += QChar(0x200B);
            run = 1;
        }
        out += c;
    }
    return out;
}

}  // namespace

void caution(MessagePort& port, const QString& text) {
    port.show(QCoreApplication::translate("pelmora::MessagePort", "caution"), text,
              MessagePort::Icon::Exclamation);
}

void information(MessagePort& port, const QString& text, MessagePort::Icon icon) {
    port.show(QCoreApplication::translate("pelmora::MessagePort", "Information"), text, icon);
}

QString resultWords(const QString& words) {
    // The results every setting ends in, whoever reports them; any other text is the camera's.
    static const char* const kFixed[] = {
        QT_TRANSLATE_NOOP("pelmora::MessagePort", "Setting OK"),
        QT_TRANSLATE_NOOP("pelmora::MessagePort", "Setting NG"),
        QT_TRANSLATE_NOOP("pelmora::MessagePort", "No Response"),
        QT_TRANSLATE_NOOP("pelmora::MessagePort", "Network NG"),
    };
    for (const char* fixed : kFixed) {
        if (words == QLatin1String(fixed)) {
            return QCoreApplication::translate("pelmora::MessagePort", fixed);
        }
    }
    return words;
}

void QtMessagePort::show(const QString& caption, const QString& text, Icon icon) {
    QMessageBox box(boxIcon(icon), caption, breakableText(text), QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtMessagePort::askRetry(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Warning, caption, breakableText(text),
                    QMessageBox::Retry | QMessageBox::Cancel, parent_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Retry);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Retry;
}

bool QtMessagePort::askYes(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Question, caption, breakableText(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setTextFormat(Qt::PlainText);
    // Nothing happens to a camera unless Yes is chosen on purpose.
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace pelmora
