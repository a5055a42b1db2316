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

SettingsPage::SettingsPage(std::vector<GridColumn> columns, int refreshMilliseconds,
                           QWidget* parent)
    : QWidget(parent),
      grid_(new Grid(this)),
      columns_(std::move(columns)),
      refreshMilliseconds_(refreshMilliseconds) {
    installAccessibleControls();
    // Every page lists the cameras; screen readers announce the grid as that list.
    grid_->setAccessibleName("Cameras");
    grid_->setCols(static_cast<int>(columns_.size()));
    // Column widths are given for an 8-point face; wider system fonts get wider columns, so
    // that a MAC address or a date still fits its column.
    const double scale = std::max(1.0, grid_->fontMetrics().horizontalAdvance("0") / 6.0);
    for (int c = 0; c < static_cast<int>(columns_.size()); ++c) {
        grid_->setColWidth(c, static_cast<int>(columns_[c].twips * scale));
        baseColumnWidths_.push_back(grid_->columnWidth(c));
    }
    writeHeaders();
    rowHeightPx_ = grid_->RowHeight(0) / 16 + 1;
    // Seven camera rows below the header show at the window's smallest; a taller window shows
    // more, and more scroll.
    const int rowPx = grid_->RowHeight(0) / 15;
    grid_->setMinimumHeight(rowPx * kMinimumRows + 2 * grid_->frameWidth() + 2);
    grid_->setMinimumWidth(static_cast<int>(480 * scale));
    grid_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    grid_->installEventFilter(this);
    connect(grid_, &Grid::Click, this, [this] { gridClick(); });
    connect(grid_, &Grid::DblClick, this, &SettingsPage::openCameraPage);
    connect(grid_, &Grid::MouseDown, this, &SettingsPage::onMouseDown);
    connect(grid_, &Grid::MouseMove, this, &SettingsPage::onMouseMove);
    connect(grid_, &Grid::MouseUp, this, &SettingsPage::onMouseUp);
    connect(grid_, &Grid::KeyUp, this, &SettingsPage::onKeyUp);
    connect(grid_, &Grid::KeyPress, this, &SettingsPage::onKeyPress);
    connect(&refreshTimer_, &QTimer::timeout, this, &SettingsPage::refreshGrid);
}

QVBoxLayout* SettingsPage::formArea() {
    if (formArea_ == nullptr) {
        pageLayout_ = new QVBoxLayout(this);
        pageLayout_->addWidget(grid_, 1);
        form_ = new QWidget(this);
        form_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        pageLayout_->addWidget(form_, 0, Qt::AlignLeft);
        formArea_ = new QVBoxLayout(form_);
        formArea_->setContentsMargins(0, 0, 0, 0);
    }
    return formArea_;
}

void SettingsPage::keepColumnsOffView(int first) {
    grid_->keepColumnsOffView(first);
    baseColumnWidths_.resize(static_cast<std::size_t>(std::min(first, grid_->columnCount())));
}

void SettingsPage::widenColumn(int column, int px) {
    if (column < 0 || column >= static_cast<int>(baseColumnWidths_.size())) {
        return;
    }
    auto& width = baseColumnWidths_[static_cast<std::size_t>(column)];
    width = std::max(width, px);
    grid_->setColumnWidth(column, width);
    spreadColumns();
}

void SettingsPage::setReadingOrder(std::initializer_list<QWidget*> controls) {
    QWidget* previous = grid_;
    for (QWidget* control : controls) {
        setTabOrder(previous, control);
        previous = control;
    }
}

void SettingsPage::padToHeight(int height) {
    if (foot_ == nullptr) {
        foot_ = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Preferred);
        // The foot stands right below the form, without a gap of its own.
        pageLayout_->addSpacing(-pageLayout_->spacing());
        pageLayout_->addItem(foot_);
    }
    footHeight_ += std::max(0, height - sizeHint().height());
    foot_->changeSize(0, footHeight_, QSizePolicy::Minimum, QSizePolicy::Preferred);
    pageLayout_->invalidate();
}

void SettingsPage::settleAtSmallest(QSize pageSize) {
    // Whatever the grid got beyond its seven rows at the smallest size goes to the foot.
    if (const int excess = pageSize.height() - sizeHint().height(); excess > 0) {
        footHeight_ += excess;
        foot_->changeSize(0, footHeight_, QSizePolicy::Minimum, QSizePolicy::Preferred);
        pageLayout_->invalidate();
    }
    const QMargins margins = pageLayout_->contentsMargins();
    const int contentWidth = pageSize.width() - margins.left() - margins.right();
    form_->setMaximumWidth(contentWidth);
    gridWidthAtSmallest_ = contentWidth;
    spreadColumns();
}

void SettingsPage::spreadColumns() {
    if (gridWidthAtSmallest_ <= 0) {
        return;
    }
    const int extra = std::max(0, grid_->width() - gridWidthAtSmallest_);
    int total = 0;
    for (const int width : baseColumnWidths_) {
        total += width;
    }
    if (total <= 0) {
        return;
    }
    for (int c = 0; c < static_cast<int>(baseColumnWidths_.size()); ++c) {
        const int base = baseColumnWidths_[c];
        grid_->setColumnWidth(
            c, base + static_cast<int>(static_cast<long long>(extra) * base / total));
    }
}

bool SettingsPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::Resize) {
        spreadColumns();
    }
    return QWidget::eventFilter(watched, event);
}

void SettingsPage::setTable(CameraTable* table, PageServices services) {
    table_ = table;
    services_ = std::move(services);
    refreshTimer_.start(refreshMilliseconds_);
}

void SettingsPage::writeHeaders() {
    for (int c = 0; c < static_cast<int>(columns_.size()); ++c) {
        grid_->setTextMatrix(0, c, columns_[c].header);
    }
}

std::vector<std::string> SettingsPage::rowCells(const CameraRecord& record) const {
    return cameraRowCells(record, AddressColumn::IpAddress);
}

Qt::Alignment SettingsPage::cellAlignment(int) const {
    return Qt::AlignLeft;
}

void SettingsPage::writeRow(int row, const std::vector<std::string>& cells) {
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
        grid_->setRow(row);
        grid_->setCol(c);
        grid_->setCellAlignment(cellAlignment(c));
        grid_->setTextMatrix(row, c, cameraText(cells[c]));
    }
}

void SettingsPage::refreshGrid() {
    if (table_ == nullptr || table_->discoveryEnabled == 0) {
        return;
    }
    beginRefresh();
    grid_->setRedraw(false);
    nextRow_ = 1;
    const int highlight = grid_->HighLight();
    const QString selected = highlight != 0 ? grid_->TextMatrix(grid_->Row(), 0) : QString();
    const int topRow = grid_->TopRow();
    const int cursorRow = grid_->Row();
    bool changed = false;
    const auto dropHighlight = [&] {
        if (highlight == 1) {
            grid_->setHighLight(0);
        }
    };
    for (const auto& record : table_->liveRecords()) {
        if (table_->stopRequested == 1) {
            return;
        }
        if (!listsCamera(record) || !admittedByFilter(record)) {
            noteRecord(record, false, selected);
            continue;
        }
        if (nextRow_ >= grid_->Rows()) {
            grid_->AddItem(QString(), grid_->Rows());
        }
        dropHighlight();
        changed = true;
        writeCameraRow(nextRow_, record);
        markRow(nextRow_, &record);
        noteRecord(record, true, selected);
        ++nextRow_;
    }
    while (grid_->Rows() > kMinimumRows && nextRow_ < grid_->Rows()) {
        changed = true;
        grid_->RemoveItem(grid_->Rows() - 1);
        dropHighlight();
    }
    const std::vector<std::string> blank(static_cast<std::size_t>(blankColumnCount()));
    for (int row = nextRow_; row < kMinimumRows; ++row) {
        changed = true;
        writeRow(row, blank);
        markRow(row, nullptr);
        dropHighlight();
    }
    // The selected camera stays selected wherever it now stands.
    if (highlight == 1 && changed) {
        for (int row = 1; row < grid_->Rows(); ++row) {
            if (grid_->TextMatrix(row, 0) == selected) {
                grid_->setHighLight(1);
                grid_->setRow(row);
                grid_->setCol(0);
                break;
            }
        }
    }
    if (grid_->HighLight() == 0 && changed && !(rewritingForReplies_ && highlight == 0)) {
        selectionDropped();
    }
    // The rewrite moved the cursor over every cell. With no camera selected it goes back to the
    // row the keyboard left it on, so that Up and Down carry on from there.
    if (grid_->HighLight() == 0) {
        grid_->setRow(std::clamp(cursorRow, 1, grid_->Rows() - 1));
    }
    placeScrollBar(topRowToRestore(topRow));
    grid_->setRedraw(true);
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

void SettingsPage::markRow(int row, const CameraRecord* record) {
    if (record == nullptr || lan_ == nullptr) {
        grid_->setRowProblem(row, {});
        return;
    }
    grid_->setRowProblem(row, cameraText(lan_->problemText(fieldText(record->mac))));
}

void SettingsPage::rewriteForNewReplies() {
    rewritingForReplies_ = true;
    refreshGrid();
    rewritingForReplies_ = false;
}

void SettingsPage::writeCameraRow(int row, const CameraRecord& record) {
    writeRow(row, rowCells(record));
}

int SettingsPage::blankColumnCount() const {
    return std::min(columnCount(), 5);
}

void SettingsPage::placeScrollBar(int topRow) {
    if (nextRow_ > kMinimumRows) {
        grid_->setTopRow(topRow);
        grid_->setScrollBars(2);
    } else {
        grid_->setTopRow(1);
        grid_->setScrollBars(0);
    }
}

int SettingsPage::rowToSelect() const {
    if (keyboardSelect_) {
        return grid_->RowSel();
    }
    const int row = grid_->MouseRow();
    if (row == 0 && mouseDownRow_ != 0) {
        return 1;
    }
    // A click on a blank row selects the last listed camera.
    return row >= nextRow_ ? nextRow_ - 1 : row;
}

void SettingsPage::selectRow() {
    const int row = rowToSelect();
    if (row == 0) {
        headerClick(grid_->MouseCol());
        return;
    }
    grid_->setRow(row);
    const auto record = recordOfCurrentRow();
    if (record && !record->isFree()) {
        grid_->setHighLight(1);
        showInForm(*record);
    } else {
        grid_->setHighLight(0);
        clearSelection();
    }
}

int SettingsPage::sortFlag(int) const {
    return 0;
}

void SettingsPage::headerClick(int column) {
    emit sortColumn(column, sortFlag(column));
    grid_->setHighLight(0);
    grid_->Clear();
    writeHeaders();
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
    static const QString kCsv = "CSV (*.csv)";
    static const QString kJson = "JSON (*.json)";
    QString chosenFilter = kCsv;
    QString path =
        askSavePath(this, "Export list", "cameras.csv", kCsv + ";;" + kJson, &chosenFilter);
    if (path.isEmpty()) {
        return;
    }
    // The name's extension decides, else the filter chosen.
    const bool json = path.endsWith(".json", Qt::CaseInsensitive) ||
                      (!path.endsWith(".csv", Qt::CaseInsensitive) && chosenFilter == kJson);
    const auto trouble = exportListTo(path, json ? ListFormat::Json : ListFormat::Csv);
    if (!trouble.empty()) {
        QMessageBox box(QMessageBox::Warning, "Export list",
                        "The list could not be saved.\n" + QString::fromStdString(trouble),
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
    connect(menu.addAction("&Export list…"), &QAction::triggered, this, &SettingsPage::exportList);
    connect(menu.addAction("&History…"), &QAction::triggered, this, &SettingsPage::showHistory);
}

void SettingsPage::contextMenuEvent(QContextMenuEvent* event) {
    if (!grid_->geometry().contains(event->pos())) {
        return;
    }
    QMenu menu(this);
    addRecordActions(menu);
    menu.exec(event->globalPos());
}

QString SettingsPage::selectedMac() const {
    return grid_->HighLight() == 1 ? grid_->TextMatrix(grid_->Row(), 0) : QString();
}

std::optional<CameraRecord> SettingsPage::recordOfCurrentRow() const {
    if (table_ == nullptr) {
        return std::nullopt;
    }
    const QString key = grid_->TextMatrix(grid_->Row(), 0);
    if (key.isEmpty()) {
        return std::nullopt;
    }
    return table_->findByMac(key.toLatin1().toStdString());
}

void SettingsPage::showInForm(const CameraRecord& record) {
    formCameraMac_ = std::string(fieldText(record.mac));
    fillForm(record);
}

std::optional<CameraRecord> SettingsPage::recordOfFormCamera() const {
    if (table_ == nullptr || formCameraMac_.empty()) {
        return std::nullopt;
    }
    return table_->findByMac(formCameraMac_);
}

void SettingsPage::pageWheel(int delta) {
    if (grid_->Rows() < 9) {
        return;
    }
    const int top = grid_->TopRow() + (delta > 0 ? -1 : 1);
    grid_->setTopRow(std::clamp(top, 1, grid_->Rows() - 1));
}

void SettingsPage::openCameraPage() {
    if (grid_->MouseRow() == 0) {
        return;
    }
    const auto record = recordOfCurrentRow();
    if (!record) {
        return;
    }
    if (const auto url = cameraPageUrl(*record); url && services_.openUrl) {
        services_.openUrl(QString::fromStdString(*url));
    }
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
            if (grid_->HighLight() == 1) {
                updateOkFromCredentials();
            }
        });
    }
    makePasswordField(password);
    ok->setEnabled(false);
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
}

void SettingsPage::onMouseDown(int button, int, int, int) {
    mouseDownRow_ = grid_->MouseRow();
    headerPressed_ = button == 1 && mouseDownRow_ == 0;
    if (headerPressed_) {
        topRowAtPress_ = grid_->TopRow();
    }
}

void SettingsPage::onMouseMove(int button, int, int, int) {
    // A drag over several rows selects no camera on a single-selection page.
    if (grid_->HighLight() == 1 && grid_->RowSel() != grid_->Row()) {
        grid_->setHighLight(0);
        clearSelection();
        grid_->setRow(mouseDownRow_);
    }
    // Dragging from the header must not scroll the list.
    if (button == 1 && headerPressed_ && grid_->TopRow() != topRowAtPress_) {
        grid_->setTopRow(topRowAtPress_);
    }
}

// A button released outside the grid still selects a row.
void SettingsPage::onMouseUp(int, int, int x, int y) {
    const bool inside = x >= 0 && x <= grid_->width();
    if (y < rowHeightPx_) {
        grid_->setRow(1);
        if (mouseDownRow_ > 0) {
            selectRow();
        }
    } else if (y > grid_->height()) {
        grid_->setRow(grid_->Rows() - 1);
        selectRow();
    } else if (y > nextRow_ * rowHeightPx_) {
        grid_->setRow(std::max(nextRow_ - 1, 1));
        if (!inside) {
            selectRow();
        }
    } else if (!inside) {
        grid_->setRow(std::clamp(grid_->TopRow() + y / rowHeightPx_ - 1, 1, grid_->Rows() - 1));
        selectRow();
    }
}

void SettingsPage::onKeyUp(int& key, int) {
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        keyboardSelect_ = true;
        selectRow();
        keyboardSelect_ = false;
    }
}

void SettingsPage::onKeyPress(int&) {
    grid_->setHighLight(0);
    clearSelection();
    grid_->setRow(grid_->RowSel());
}

}  // namespace pelmora
