#pragma once
// Where the window's file dialogs open: the folder the person last saved into, kept for the run
// and handed to the window's settings to keep between runs. Before any is known, the working
// folder.

#include <QString>

class QWidget;

namespace pelmora {

QString lastFolder();
void setLastFolder(const QString& folder);

// Asks where to save, starting in the last folder with `fileName` suggested; the folder of the
// file chosen becomes the last folder. Empty when the person cancels.
QString askSavePath(QWidget* parent, const QString& caption, const QString& fileName,
                    const QString& filters, QString* chosenFilter = nullptr);

// Asks which file to open, starting at `current` when it is still there, else in the last
// folder. Empty when the person cancels.
QString askOpenPath(QWidget* parent, const QString& caption, const QString& current,
                    const QString& filters);

}  // namespace pelmora
