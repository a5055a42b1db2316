#include "pages/network/NetworkPage.h"

// The Network page against a list saved on an earlier visit: the expected cameras that do not
// answer listed greyed after the live ones, and the live ones the list lacks or knows otherwise
// marked in their rows. Only our cameras are compared here; the list's ONVIF cameras belong to
// the ONVIF page.

#include <QMenu>
#include <QMessageBox>
#include <unordered_map>

#include "diff/ExpectedCameras.h"
#include "listing/TextFile.h"
#include "widgets/FileFolder.h"

namespace pelmora {
namespace {

// The saved list's own cameras: those it does not name as another protocol's.
CameraList ourCameras(CameraList list) {
    std::erase_if(list.cameras,
                  [](const ListedCamera& camera) { return !camera.field("protocol").empty(); });
    return list;
}

}  // namespace

bool NetworkPage::compareWithList(const QString& path, QString* reason) {
    std::string trouble;
    const auto text = readTextFile(path.toStdString(), trouble);
    if (text) {
        auto read = readCameraList(*text, path.toStdString());
        if (read.list) {
            expected_ = ourCameras(std::move(*read.list));
            comparedList_ = path;
            refreshGrid();
            return true;
        }
        trouble = read.error;
    }
    if (reason != nullptr) {
        *reason = QString::fromStdString(trouble);
    }
    return false;
}

void NetworkPage::stopComparing() {
    expected_.reset();
    comparedList_.clear();
    refreshGrid();
}

void NetworkPage::askListToCompare() {
    const QString path = askOpenPath(this, tr("Compare with a saved list"), comparedList_,
                                     tr("Camera lists (*.csv *.json);;All files (*)"));
    QString reason;
    if (path.isEmpty() || compareWithList(path, &reason)) {
        return;
    }
    QMessageBox box(QMessageBox::Warning, tr("Compare with a saved list"),
                    tr("The list could not be read.") + '\n' + reason, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void NetworkPage::addListActions(QMenu& menu) {
    menu.addSeparator();
    connect(menu.addAction(tr("Com&pare with a saved list…")), &QAction::triggered, this,
            &NetworkPage::askListToCompare);
    if (expected_) {
        connect(menu.addAction(tr("Stop compa&ring")), &QAction::triggered, this,
                &NetworkPage::stopComparing);
    }
}

void NetworkPage::finishRows(std::vector<CameraListRow>& rows) {
    missing_ = 0;
    if (!expected_ || table_ == nullptr) {
        return;
    }
    // Every camera that answers counts, whether the filter lists it or not.
    std::vector<AnsweringCamera> answering;
    for (const auto& record : table_->liveRecords()) {
        if (listsCamera(record)) {
            answering.push_back(answeringCameraOf(record));
        }
    }
    const auto comparison = compareWithExpected(*expected_, answering);
    missing_ = static_cast<int>(comparison.missing.size());
    std::unordered_map<std::string, const std::string*> marks;
    for (std::size_t i = 0; i < answering.size(); ++i) {
        if (!comparison.marks[i].empty()) {
            marks.emplace(answering[i].mac, &comparison.marks[i]);
        }
    }
    for (auto& row : rows) {
        if (const auto found = marks.find(row.mac); found != marks.end()) {
            // A row's problem is 8-bit text, as the camera's are; the saved list is UTF-8.
            const QString mark = *found->second == "new"
                                     ? tr("new: not on the saved list")
                                     : QString::fromStdString(markSentence(*found->second));
            const QByteArray sentence = mark.toLatin1();
            row.problem = row.problem.empty() ? sentence.toStdString()
                                              : row.problem + "; " + sentence.toStdString();
        }
    }
    for (const ListedCamera* camera : comparison.missing) {
        const auto address = camera->field("ipAddress");
        const std::vector<std::string> texts{camera->mac, address, camera->field("model"),
                                             camera->field("serial")};
        if (!admittedByFilter(texts, true)) {
            continue;
        }
        CameraListRow row;
        row.mac = camera->mac;
        row.cells = texts;
        row.missing = true;
        row.note =
            (address.empty() ? tr("missing: no address was saved")
                             : tr("missing: last seen at %1").arg(QString::fromStdString(address)))
                .toStdString();
        row.cells.push_back(row.note);
        rows.push_back(std::move(row));
    }
}

}  // namespace pelmora
