#pragma once
// "History…": the setting requests recorded in the change log, newest first, one line each, for
// one camera or for all. Read-only plain text that can be selected and copied.

#include <QDialog>
#include <QPlainTextEdit>
#include <QString>

namespace pelmora {

class HistoryDialog final : public QDialog {
    Q_OBJECT

  public:
    // Reads the log in `directory`; `mac` empty: every camera.
    HistoryDialog(const QString& directory, const QString& mac, QWidget* parent = nullptr);

    QPlainTextEdit* text() const { return text_; }

  private:
    QPlainTextEdit* text_;
};

}  // namespace pelmora
