#include "widgets/FileFolder.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace pelmora {
namespace {

QString& folder() {
    static QString last;
    return last;
}

}  // namespace

QString lastFolder() {
    return folder();
}

void setLastFolder(const QString& path) {
    folder() = path;
}

QString askSavePath(QWidget* parent, const QString& caption, const QString& fileName,
                    const QString& filters, QString* chosenFilter) {
    // A remembered folder that has gone since falls back to the working folder.
    const QString start = !folder().isEmpty() && QFileInfo(folder()).isDir()
                              ? QDir(folder()).filePath(fileName)
                              : fileName;
    const QString path =
        QFileDialog::getSaveFileName(parent, caption, start, filters, chosenFilter);
    if (!path.isEmpty()) {
        folder() = QFileInfo(path).absolutePath();
    }
    return path;
}

QString askOpenPath(QWidget* parent, const QString& caption, const QString& current,
                    const QString& filters) {
    const QString start = QFileInfo::exists(current)                           ? current
                          : !folder().isEmpty() && QFileInfo(folder()).isDir() ? folder()
                                                                               : QString();
    return QFileDialog::getOpenFileName(parent, caption, start, filters);
}

}  // namespace pelmora
