#include "pages/SettingsPage.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QMessageBox>
#include <QVBoxLayout>
#include <algorithm>

#include "changelog/StateDirectory.h"
#include "listing/TextFile.h"
#include "model/FixedText.h"
#include "pages/HistoryDialog.h"
#include "settings/SettingSender.h"
#include "widgets/AccessibleControls.h"
#include "widgets/FileFolder.h"
#include "widgets/FormControls.h"

namespace pelmora {

namespace {

QStringList headersOf(const std::vector<GridColumn>& columns) {
    QStringList headers;
    for (const auto& column : columns) {
        headers << column.header;
    }
    return headers;
}

// A length in pixels as twips (1/1440 inch) at the list's resolution.
int twipsOf(int px, const QWidget& widget) {
    return qRound(px * 1440.0 / widget.logicalDpiY());
}

}  // namespace

SettingsPage::SettingsPage(std::vector<GridColumn> columns, int refreshMilliseconds,
                           QWidget* parent)
    : QWidget(parent),
      list_(new CameraListView(this)),
      model_(new CameraListModel(headersOf(columns), this)),
      columns_(std::move(columns)),
      refreshMilliseconds_(refreshMilliseconds) {
    installAccessibleControls();
    model_->setMinimumRows(kMinimumRows);
    list_->setCameraModel(model_);
    // Every page lists the cameras; screen readers announce the list as that.
    list_->setAccessibleName(tr("Cameras"));
    // Column widths are given for an 8-point face; wider system fonts get wider columns, so
    // that a MAC address or a date still fits its column.
    const double scale = std::max(1.0, list_->fontMetrics().horizontalAdvance("0") / 6.0);
    for (int c = 0; c < static_cast<int>(columns_.size()); ++c) {
        list_->setColumnWidthTwips(c, static_cast<int>(columns_[c].twips * scale));
        baseColumnWidths_.push_back(list_->columnWidth(c));
    }
    const int rowTwips = twipsOf(list_->rowHeightPx(), *list_);
    rowHeightPx_ = rowTwips / 16 + 1;
    // Seven camera rows below the header show at the window's smallest; a taller window shows
    // more, and more scroll.
    const int rowPx = rowTwips / 15;
    list_->setMinimumHeight(rowPx * (kMinimumRows + 1) + 2 * list_->frameWidth() + 2);
    list_->setMinimumWidth(static_cast<int>(480 * scale));
    list_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    list_->installEventFilter(this);
    connect(list_, &CameraListView::clicked, this, [this] { listClick(); });
    connect(list_, &CameraListView::doubleClicked, this, &SettingsPage::openCameraPage);
    connect(list_, &CameraListView::pressed, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers, QPoint at) {
                onPressed(button, at);
            });
    connect(list_, &CameraListView::moved, this,
            [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers, QPoint) { onMoved(buttons); });
    connect(list_, &CameraListView::released, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers, QPoint at) {
                onReleased(button, at);
            });
    connect(list_, &CameraListView::keyReleased, this,
            [this](Qt::Key key, Qt::KeyboardModifiers) { onKeyReleased(key); });
    connect(list_, &CameraListView::typed, this, &SettingsPage::onTyped);
    connect(&refreshTimer_, &QTimer::timeout, this, &SettingsPage::refreshGrid);
}

void SettingsPage::setTable(CameraTable* table, PageServices services) {
    table_ = table;
    services_ = std::move(services);
    if (kept_ != nullptr) {
        kept_->setStore(services_.keyring);
    }
    refreshTimer_.start(refreshMilliseconds_);
}

std::vector<std::string> SettingsPage::rowCells(const CameraRecord& record) const {
    return cameraRowCells(record, AddressColumn::IpAddress);
}

std::string SettingsPage::problemOf(const CameraRecord& record) const {
    return lan_ != nullptr ? lan_->problemText(fieldText(record.mac)) : std::string();
}

CameraListRow SettingsPage::listRow(const CameraRecord& record,
                                    std::vector<std::string> cells) const {
    CameraListRow row;
    row.mac = std::string(fieldText(record.mac));
    row.cells = std::move(cells);
    row.problem = problemOf(record);
    return row;
}

void SettingsPage::refreshGrid() {
    if (table_ == nullptr || table_->discoveryEnabled == 0) {
        return;
    }
    beginRefresh();
    list_->pauseUpdates(true);
    const bool wasShown = list_->selectionShown();
    const std::string selected = wasShown ? model_->macAt(list_->anchorRow()) : std::string();
    const int firstRow = list_->firstVisibleRow();
    const int cursorRow = list_->anchorRow();
    std::vector<CameraListRow> rows;
    for (const auto& record : table_->liveRecords()) {
        if (table_->stopRequested == 1) {
            return;
        }
        const bool listed = listsCamera(record) && admittedByFilter(record);
        if (listed) {
            rows.push_back(listRow(record, rowCells(record)));
        }
        noteRecord(record, listed, selected);
    }
    listed_ = static_cast<int>(rows.size());
    finishRows(rows);
    model_->setCameras(std::move(rows));
    // The selected camera stays selected wherever it now stands; a selection that had no camera
    // (a press on a blank row) stays on the first blank row.
    list_->showSelection(false);
    if (wasShown) {
        const int row = selected.empty() ? (listed_ < list_->rowCount() ? listed_ : -1)
                                         : model_->rowOf(selected);
        if (row >= 0) {
            list_->showSelection(true);
            list_->setAnchorRow(row);
        }
    }
    if (!list_->selectionShown() && !(rewritingForReplies_ && !wasShown)) {
        selectionDropped();
    }
    // With no camera selected the anchor goes back to the row the keyboard left it on, so that
    // Up and Down carry on from there.
    if (!list_->selectionShown()) {
        list_->setAnchorRow(std::clamp(cursorRow, 0, list_->rowCount() - 1));
    }
    placeScrollBar(firstRowToRestore(firstRow));
    list_->pauseUpdates(false);
    endRefresh();
}

void SettingsPage::setLan(const LanSnapshot* lan, const CameraFilter* filter) {
    lan_ = lan;
    filter_ = filter;
}

bool SettingsPage::admittedByFilter(const CameraRecord& record) const {
    if (filter_ == nullptr || filter_->isEmpty()) {
        return true;
    }
    const std::string_view mac = fieldText(record.mac);
    return filter_->admits(mac, formatIpv4(record.ipAddress), fieldText(record.model),
                           fieldText(record.serial), lan_ ? lan_->find(mac) : nullptr);
}

bool SettingsPage::admittedByFilter(std::span<const std::string> texts, bool hasProblem) const {
    return filter_ == nullptr || filter_->admitsTexts(texts, hasProblem);
}

void SettingsPage::rewriteForNewReplies() {
    rewritingForReplies_ = true;
    refreshGrid();
    rewritingForReplies_ = false;
}

void SettingsPage::placeScrollBar(int firstRow) {
    if (model_->rowCount() > kMinimumRows) {
        list_->scrollToRow(firstRow);
        list_->showScrollBar(true);
    } else {
        list_->scrollToRow(0);
        list_->showScrollBar(false);
    }
}

int SettingsPage::sortFlag(int) const {
    return 0;
}

void SettingsPage::headerClick(int column) {
    emit sortColumn(column, sortFlag(column));
    list_->showSelection(false);
    refreshGrid();
}

std::vector<CameraRecord> SettingsPage::listedRecords() const {
    std::vector<CameraRecord> listed;
    if (table_ == nullptr) {
        return listed;
    }
    for (const auto& record : table_->liveRecords()) {
        if (listsCamera(record) && admittedByFilter(record)) {
            listed.push_back(record);
        }
    }
    return listed;
}

std::string SettingsPage::exportListTo(const QString& path, ListFormat format) const {
    return writeFileAtomically(path.toStdString(),
                               formatCameraList(exportedRecords(), lan_, format));
}

void SettingsPage::exportList() {
    const QString csv = tr("CSV (*.csv)");
    const QString json = tr("JSON (*.json)");
    QString chosenFilter = csv;
    QString path =
        askSavePath(this, tr("Export list"), "cameras.csv", csv + ";;" + json, &chosenFilter);
    if (path.isEmpty()) {
        return;
    }
    // The name's extension decides, else the filter chosen.
    const bool asJson = path.endsWith(".json", Qt::CaseInsensitive) ||
                        (!path.endsWith(".csv", Qt::CaseInsensitive) && chosenFilter == json);
    const auto trouble = exportListTo(path, asJson ? ListFormat::Json : ListFormat::Csv);
    if (!trouble.empty()) {
        QMessageBox box(QMessageBox::Warning, tr("Export list"),
                        tr("The list could not be saved.") + '\n' + QString::fromStdString(trouble),
                        QMessageBox::Ok, this);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
}

void SettingsPage::showHistory() {
    HistoryDialog dialog(QString::fromStdString(stateDirectory()), selectedMac(), this);
    dialog.exec();
}

void SettingsPage::addRecordActions(QMenu& menu) {
    connect(menu.addAction(tr("&Export list…")), &QAction::triggered, this,
            &SettingsPage::exportList);
    connect(menu.addAction(tr("&History…")), &QAction::triggered, this, &SettingsPage::showHistory);
    if (kept_ != nullptr) {
        QAction* forget = menu.addAction(tr("&Forget saved password"));
        forget->setEnabled(kept_->keptForChosen());
        connect(forget, &QAction::triggered, kept_, &KeptCredentials::forgetChosen);
    }
    addListActions(menu);
}

void SettingsPage::contextMenuEvent(QContextMenuEvent* event) {
    if (!list_->geometry().contains(event->pos())) {
        return;
    }
    QMenu menu(this);
    addRecordActions(menu);
    menu.exec(event->globalPos());
}

QString SettingsPage::selectedMac() const {
    return list_->selectionShown() ? cameraText(model_->macAt(list_->anchorRow())) : QString();
}

std::optional<CameraRecord> SettingsPage::recordOfCurrentRow() const {
    if (table_ == nullptr) {
        return std::nullopt;
    }
    const std::string& mac = model_->macAt(list_->anchorRow());
    if (mac.empty()) {
        return std::nullopt;
    }
    return table_->findByMac(mac);
}

void SettingsPage::showInForm(const CameraRecord& record) {
    formCameraMac_ = std::string(fieldText(record.mac));
    fillForm(record);
    if (kept_ != nullptr) {
        kept_->cameraChosen(formCameraMac_);
    }
}

void SettingsPage::forgetFormCamera() {
    formCameraMac_.clear();
    if (kept_ != nullptr) {
        kept_->cameraChosen({});
    }
}

std::optional<CameraRecord> SettingsPage::recordOfFormCamera() const {
    if (table_ == nullptr || formCameraMac_.empty()) {
        return std::nullopt;
    }
    return table_->findByMac(formCameraMac_);
}

void SettingsPage::setCredentialControls(QLineEdit* name, QLineEdit* password, QPushButton* ok,
                                         std::size_t minimum) {
    adminName_ = name;
    adminPassword_ = password;
    okButton_ = ok;
    minimumCredential_ = minimum;
    for (QLineEdit* edit : {name, password}) {
        edit->setMaxLength(kMaxCredentialLength);
        acceptLatin1Only(edit);
        connect(edit, &QLineEdit::textChanged, this, [this] {
            // While no camera is selected a change leaves OK as it is.
            if (list_->selectionShown()) {
                updateOkFromCredentials();
            }
        });
    }
    makePasswordField(password);
    ok->setEnabled(false);
    kept_ = new KeptCredentials(name, password, this);
    kept_->setStore(services_.keyring);
}

void SettingsPage::updateOkFromCredentials() {
    okButton_->setEnabled(
        credentialsAllowOk(true, adminNameText(), adminPasswordText(), minimumCredential_));
}

std::string SettingsPage::adminNameText() const {
    return adminName_ ? adminName_->text().toLatin1().toStdString() : std::string();
}

std::string SettingsPage::adminPasswordText() const {
    return adminPassword_ ? adminPassword_->text().toLatin1().toStdString() : std::string();
}

void SettingsPage::sendSettingRequest(const CameraRecord& record, const std::string& request) {
    pelmora::sendSettingRequest(*table_, services_.send, fieldText(record.mac), request);
    credentialsUsed(std::string(fieldText(record.mac)));
}

void SettingsPage::credentialsUsed(const std::string& mac) {
    if (kept_ != nullptr) {
        kept_->used(mac);
    }
}

}  // namespace pelmora
