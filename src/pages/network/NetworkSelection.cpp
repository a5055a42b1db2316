#include "pages/network/NetworkPage.h"

// The Network list's selection: one camera for the form, or several rows chosen with Shift,
// Ctrl+A or a drag; kept by its cameras across rewrites and sorts, and moved by the mouse and the
// keyboard.

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <algorithm>

#include "model/FixedText.h"
#include "widgets/FormControls.h"

namespace pelmora {

// ---- Grid ----

void NetworkPage::headerClick(int column) {
    // A header click drops the credentials along with the selection.
    afterHeaderClick_ = true;
    SettingsPage::headerClick(column);
    afterHeaderClick_ = false;
}

void NetworkPage::beginRefresh() {
    refreshKeys_ = selectedKeys();
    selectedRecord_.reset();
}

// The form follows the camera it shows, which is the highlighted one unless a right-click or a
// page key has moved the highlight since.
void NetworkPage::noteRecord(const CameraRecord& record, bool listed, const QString&) {
    if (formCameraMac().empty() || fieldText(record.mac) != formCameraMac()) {
        return;
    }
    if (listed) {
        selectedRecord_ = record;
    } else {
        // The camera stopped answering: its settings and credentials leave the form with it.
        clearCredentials();
        emptyForm();
    }
}

void NetworkPage::selectionDropped() {
    // A form that showed a camera is emptied whole, the port choice included; with none shown a
    // timer refresh leaves what was typed in the port field. A timer refresh also leaves typed
    // credentials alone.
    if (afterHeaderClick_ || !formCameraMac().empty()) {
        emptyForm();
    } else {
        resetForm();
    }
    if (afterHeaderClick_) {
        clearCredentials();
    }
}

int NetworkPage::topRowToRestore(int topRow) const {
    // Restoring a top row too near the end would leave blank space: the last rows fill the view.
    const int shown = grid_->fullyVisibleRows();
    const int top = grid_->Rows() < topRow + shown ? grid_->Rows() - shown : topRow;
    return std::max(top, 1);
}

void NetworkPage::endRefresh() {
    // A DHCP camera shows its current lease in the disabled fields, while the form still shows
    // that camera (a rewrite that dropped the selection has emptied the form).
    if (dhcp_->isChecked() && selectedRecord_ &&
        fieldText(selectedRecord_->mac) == formCameraMac()) {
        if (selectedRecord_->ipAddress == Ipv4{}) {
            for (Ipv4Field* field : {ip_, mask_, gateway_}) {
                field->clear();
            }
        } else {
            ip_->setAddress(selectedRecord_->ipAddress);
            mask_->setAddress(selectedRecord_->subnetMask);
            gateway_->setAddress(selectedRecord_->gateway);
        }
    }
    reselectKeys(refreshKeys_);
}

std::pair<int, int> NetworkPage::selectionRange() const {
    return std::minmax(grid_->Row(), grid_->RowSel());
}

// The selected rows as "MAC:serial" keys, so that the selection follows its cameras.
QStringList NetworkPage::selectedKeys() const {
    QStringList keys;
    const auto [lo, hi] = selectionRange();
    const auto& leftOut = grid_->rowsLeftOut();
    for (int row = lo; row <= hi && row < grid_->Rows(); ++row) {
        if (!grid_->TextMatrix(row, 0).isEmpty() &&
            std::find(leftOut.begin(), leftOut.end(), row) == leftOut.end()) {
            keys << grid_->TextMatrix(row, 0) + ":" + grid_->TextMatrix(row, 3);
        }
    }
    return keys;
}

// Scattered cameras (after a sort) are covered by one range from the first to the last, but
// the cameras that came to stand between them are left out of it: a selection never gains a
// camera nobody chose.
void NetworkPage::reselectKeys(const QStringList& keys) {
    int first = 0;
    int last = 0;
    std::vector<int> others;
    for (int row = 1; row < grid_->Rows(); ++row) {
        if (keys.contains(grid_->TextMatrix(row, 0) + ":" + grid_->TextMatrix(row, 3))) {
            first = first == 0 ? row : first;
            last = row;
        } else if (first != 0) {
            others.push_back(row);
        }
    }
    if (first != 0) {
        std::erase_if(others, [last](int row) { return row > last; });
        grid_->setCol(0);
        grid_->setRow(first);
        grid_->setRowSel(last);
        grid_->setRowsLeftOut(std::move(others));
    }
}

void NetworkPage::restoreSelection(int lo, int hi, const std::vector<int>& leftOut) {
    grid_->setCol(0);
    grid_->setRow(lo);
    grid_->setRowSel(hi);
    grid_->setRowsLeftOut(leftOut);
}

std::vector<int> NetworkPage::chosenRows() const {
    std::vector<int> rows;
    const auto [lo, hi] = selectionRange();
    for (int row = lo; row <= hi && row < grid_->Rows(); ++row) {
        if (grid_->isRowSelected(row) && !grid_->TextMatrix(row, 0).isEmpty()) {
            rows.push_back(row);
        }
    }
    return rows;
}

void NetworkPage::filterChanged() {
    // Rows a new filter brings in were never chosen, and rows it hides would be acted on unseen.
    if (grid_->HighLight() != 0 && grid_->Row() != grid_->RowSel()) {
        grid_->setRow(grid_->Row());
        grid_->setHighLight(0);
        emptyForm();
    }
}

void NetworkPage::selectRow() {
    // A setting request goes to one camera: several rows empty and disable the form.
    const bool single = grid_->HighLight() <= 0 || grid_->RowSel() == grid_->Row();
    setFormEnabled(single);
    if (!single) {
        return;
    }
    const int row = rowToSelect();
    if (row == 0) {
        headerClick(grid_->MouseCol());
        return;
    }
    grid_->setRow(row);
    grid_->setCol(0);
    if (grid_->TextMatrix(row, 0).isEmpty()) {
        resetForm();
        return;
    }
    const auto record = recordOfCurrentRow();
    if (!record) {
        cameraGone();
        return;
    }
    grid_->setHighLight(1);
    showInForm(*record);
}

// The camera aged out of the table since the last refresh: there is nothing to show or address.
void NetworkPage::cameraGone() {
    grid_->setHighLight(0);
    resetForm();
}

void NetworkPage::openCameraPage() {
    const int row = grid_->MouseRow();
    if (row == 0 || table_ == nullptr) {
        return;
    }
    const auto record = table_->findByMac(grid_->TextMatrix(row, 0).toLatin1().toStdString());
    if (!record) {
        return;
    }
    if (const auto url = cameraPageUrl(*record); url && services_.openUrl) {
        services_.openUrl(QString::fromStdString(*url));
    }
}

// ---- Mouse and keyboard ----

void NetworkPage::onMouseDown(int button, int, int x, int y) {
    if (nextRow_ <= 1) {
        grid_->setHighLight(0);
        return;
    }
    mouseDownRow_ = grid_->MouseRow();
    grid_->setHighLight(mouseDownRow_ > 0 ? 1 : 0);
    headerPressed_ = button == 1 && mouseDownRow_ == 0;
    if (headerPressed_) {
        topRowAtPress_ = grid_->TopRow();
    }
    if (y > nextRow_ * rowHeightPx_) {
        grid_->setRow(nextRow_ - 1);
        if (x < 0 || x > grid_->width()) {
            selectRow();
        }
    }
    // A right-click outside the selection narrows it to the clicked row; inside, the context
    // menu acts on the whole selection.
    if (button == 2 && mouseDownRow_ != 0 && !grid_->isRowSelected(mouseDownRow_)) {
        grid_->setRow(mouseDownRow_);
        grid_->setCol(0);
    }
}

void NetworkPage::onMouseMove(int button, int, int, int) {
    // A drag keeps its rows selected; the form empties because no single camera is addressed.
    if (grid_->HighLight() == 1 && grid_->RowSel() != grid_->Row()) {
        for (Ipv4Field* field : {ip_, mask_, gateway_, dns_[0], dns_[1], dns_[2], dns_[3]}) {
            field->clear();
            field->setEnabled(false);
        }
        for (QLabel* label : {addressLabels_[0], addressLabels_[1], addressLabels_[2],
                              dnsLabels_[0], dnsLabels_[1], dnsLabels_[2], dnsLabels_[3]}) {
            label->setEnabled(false);
        }
        clearCredentials();
        setSendButtonsEnabled(false);
        forgetFormCamera();
    }
    if (button == 1 && headerPressed_ && grid_->TopRow() != topRowAtPress_) {
        grid_->setTopRow(topRowAtPress_);
    }
}

// A release outside the grid stretches the selection to the row level with the pointer.
void NetworkPage::onMouseUp(int button, int, int x, int y) {
    if (button != 1) {
        return;
    }
    if (nextRow_ <= 1) {
        grid_->setHighLight(0);
        return;
    }
    const bool inside = x >= 0 && x <= grid_->width();
    if (y < rowHeightPx_) {
        if (grid_->MouseRow() != 0) {
            grid_->setRow(1);
            grid_->setRowSel(nextRow_ - 1);
        }
        if (mouseDownRow_ > 0) {
            selectRow();
        }
    } else if (y > grid_->height()) {
        grid_->setRowSel(nextRow_ - 1);
        selectRow();
    } else if (y > nextRow_ * rowHeightPx_) {
        grid_->setRowSel(nextRow_ - 1);
        if (!inside) {
            selectRow();
        }
    } else if (!inside) {
        grid_->setRowSel(std::clamp(grid_->TopRow() + y / rowHeightPx_ - 1, 1, grid_->Rows() - 1));
        selectRow();
    }
}

void NetworkPage::onKeyUp(int& key, int) {
    if ((key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
         key == Qt::Key_PageDown) &&
        grid_->RowSel() < nextRow_) {
        keyboardSelect_ = true;
        selectRow();
        keyboardSelect_ = false;
    }
    trimSelection();
}

// Typing in the list drops the selection and returns the form to its defaults.
void NetworkPage::onKeyPress(int&) {
    setFormEnabled(true);
    grid_->setHighLight(0);
    resetForm();
    setRadio(port80_, true);
    setRadio(otherPort_, false);
    clearCredentials();
    trimSelection();
}

void NetworkPage::trimSelection() {
    int row = grid_->Row();
    int rowSel = grid_->RowSel();
    const std::vector<int> leftOut = grid_->rowsLeftOut();
    if (row > rowSel) {
        return;
    }
    for (int r = row; r <= rowSel; ++r) {
        if (grid_->TextMatrix(r, 0).isEmpty()) {
            const int end = std::max(r - 1, 1);
            if (row == rowSel) {
                row = end;
            }
            rowSel = end;
            break;
        }
    }
    grid_->setCol(0);
    grid_->setRow(row);
    grid_->setRowSel(rowSel);
    grid_->setRowsLeftOut(leftOut);
}

bool NetworkPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress &&
        gridKeyDown(*static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return SettingsPage::eventFilter(watched, event);
}

// The list's own keys, before the grid and the window see them; true swallows the key.
bool NetworkPage::gridKeyDown(const QKeyEvent& key) {
    const bool ctrl = (key.modifiers() & Qt::ControlModifier) != 0;
    if (ctrl && key.key() == Qt::Key_A && grid_->HighLight() != 0 && nextRow_ > 1) {
        grid_->setCol(0);
        grid_->setRow(1);
        grid_->setRowSel(nextRow_ - 1);
        if (nextRow_ == 2) {
            setFormEnabled(true);
            grid_->setRow(1);
            keyboardSelect_ = true;
            selectRow();
            keyboardSelect_ = false;
        } else {
            setFormEnabled(false);
        }
        return true;
    }
    if (ctrl && key.key() == Qt::Key_C && grid_->HighLight() != 0) {
        const auto [lo, hi] = selectionRange();
        const std::vector<int> leftOut = grid_->rowsLeftOut();
        copyRows(lo, hi);
        restoreSelection(lo, hi, leftOut);
        return true;
    }
    // The menu key or Shift+F10 opens the list's menu at the keyboard's row, as a right-click
    // on that row does.
    if (key.key() == Qt::Key_Menu ||
        (key.key() == Qt::Key_F10 && key.modifiers() == Qt::ShiftModifier)) {
        const QRect cell = grid_->visualRect(grid_->model()->index(grid_->Row() - 1, 0));
        const QPoint at = grid_->viewport()->mapTo(this, cell.center());
        QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, at, mapToGlobal(at));
        contextMenuEvent(&menuEvent);
        return true;
    }
    if (key.key() == Qt::Key_Escape) {
        return true;
    }
    if (key.key() == Qt::Key_Down) {
        // Down stops at the last listed camera.
        const int below = grid_->RowSel() + 1;
        return below <= nextRow_ && below < grid_->Rows() && grid_->TextMatrix(below, 0).isEmpty();
    }
    if (key.key() == Qt::Key_PageDown && grid_->RowSel() + grid_->fullyVisibleRows() > nextRow_ &&
        nextRow_ > 1) {
        grid_->setCol(0);
        grid_->setRow(nextRow_ - 1);
        return nextRow_ < kMinimumRows;
    }
    return false;
}

}  // namespace pelmora
