#include "pages/HistoryDialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QVBoxLayout>

#include "changelog/ChangeHistory.h"

namespace pelmora {

HistoryDialog::HistoryDialog(const QString& directory, const QString& mac, QWidget* parent)
    : QDialog(parent), text_(new QPlainTextEdit(this)) {
    setWindowTitle(mac.isEmpty() ? tr("History") : tr("History of %1").arg(mac));
    std::string trouble;
    auto history = readHistory(directory.toStdString(), &trouble);
    if (!mac.isEmpty()) {
        filterHistory(history, mac.toStdString(), std::nullopt);
    }
    QString lines;
    for (const auto& entry : history.entries) {
        lines += QString::fromStdString(historyLine(entry)) + "\n";
    }
    if (history.entries.empty()) {
        lines = (mac.isEmpty() ? tr("No setting request has been recorded.")
                               : tr("No setting request has been recorded for this camera.")) +
                '\n';
    }
    if (history.skippedLines > 0) {
        lines += '\n' +
                 tr("%1 line(s) of the change log could not be read and were skipped.")
                     .arg(history.skippedLines) +
                 '\n';
    }
    if (!trouble.empty()) {
        lines += "\n" + QString::fromStdString(trouble) + "\n";
    }
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setPlainText(lines);
    text_->setAccessibleName(tr("Setting requests, newest first"));
    auto* label = new QLabel(tr("&Setting requests, newest first:"), this);
    label->setBuddy(text_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(text_, 1);
    layout->addWidget(buttons);
    resize(760, 360);
}

}  // namespace pelmora
