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

// ---- The list ----

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
void NetworkPage::noteRecord(const CameraRecord& record, bool listed, const std::string&) {
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

int NetworkPage::firstRowToRestore(int firstRow) const {
    // Restoring a first row too near the end would leave blank space: the last rows fill the
    // view.
    const int shown = list_->fullyVisibleRows();
    const int rows = list_->rowCount();
    return std::max(rows < firstRow + shown ? rows - shown : firstRow, 0);
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
    return std::minmax(list_->anchorRow(), list_->extentRow());
}

// A row's camera as "MAC:serial", so that the selection follows its cameras; empty for a blank
// row.
std::string NetworkPage::keyOfRow(int row) const {
    const CameraListRow* camera = model_->cameraAt(row);
    return camera == nullptr ? std::string() : camera->mac + ":" + camera->cells[3];
}

std::vector<std::string> NetworkPage::selectedKeys() const {
    std::vector<std::string> keys;
    const auto [lo, hi] = selectionRange();
    const auto& leftOut = list_->rowsLeftOut();
    for (int row = lo; row <= hi && row < list_->rowCount(); ++row) {
        if (!model_->macAt(row).empty() &&
            std::find(leftOut.begin(), leftOut.end(), row) == leftOut.end()) {
            keys.push_back(keyOfRow(row));
        }
    }
    return keys;
}

// Scattered cameras (after a sort) are covered by one range from the first to the last, but
// the cameras that came to stand between them are left out of it: a selection never gains a
// camera nobody chose.
void NetworkPage::reselectKeys(const std::vector<std::string>& keys) {
    int first = -1;
    int last = -1;
    std::vector<int> others;
    for (int row = 0; row < list_->rowCount(); ++row) {
        if (std::find(keys.begin(), keys.end(), keyOfRow(row)) != keys.end()) {
            first = first < 0 ? row : first;
            last = row;
        } else if (first >= 0) {
            others.push_back(row);
        }
    }
    if (first >= 0) {
        std::erase_if(others, [last](int row) { return row > last; });
        restoreSelection(first, last, others);
    }
}

void NetworkPage::restoreSelection(int lo, int hi, const std::vector<int>& leftOut) {
    list_->setAnchorRow(lo);
    list_->setExtentRow(hi);
    list_->setRowsLeftOut(leftOut);
}

std::vector<int> NetworkPage::chosenRows() const {
    std::vector<int> rows;
    const auto [lo, hi] = selectionRange();
    for (int row = lo; row <= hi && row < list_->rowCount(); ++row) {
        if (list_->isRowSelected(row) && !model_->macAt(row).empty()) {
            rows.push_back(row);
        }
    }
    return rows;
}

void NetworkPage::filterChanged() {
    // Rows a new filter brings in were never chosen, and rows it hides would be acted on unseen.
    if (list_->selectionShown() && list_->anchorRow() != list_->extentRow()) {
        list_->setAnchorRow(list_->anchorRow());
        list_->showSelection(false);
        emptyForm();
    }
}

void NetworkPage::selectRow() {
    // A setting request goes to one camera: several rows empty and disable the form.
    const bool single = !list_->selectionShown() || list_->extentRow() == list_->anchorRow();
    setFormEnabled(single);
    if (!single) {
        return;
    }
    const int row = rowToSelect();
    if (row < 0) {
        headerClick(list_->pointerColumn());
        return;
    }
    list_->setAnchorRow(row);
    if (model_->macAt(row).empty()) {
        resetForm();
        return;
    }
    const auto record = recordOfCurrentRow();
    if (!record) {
        cameraGone();
        return;
    }
    list_->showSelection(true);
    showInForm(*record);
}

// The camera aged out of the table since the last refresh: there is nothing to show or address.
void NetworkPage::cameraGone() {
    list_->showSelection(false);
    resetForm();
}

void NetworkPage::openCameraPage() {
    const int row = list_->pointerRow();
    if (row < 0 || table_ == nullptr) {
        return;
    }
    const auto record = table_->findByMac(model_->macAt(row));
    if (!record) {
        return;
    }
    if (const auto url = cameraPageUrl(*record); url && services_.openUrl) {
        services_.openUrl(QString::fromStdString(*url));
    }
}

// ---- Mouse and keyboard ----

void NetworkPage::onPressed(Qt::MouseButton button, QPoint at) {
    if (listed_ <= 0) {
        list_->showSelection(false);
        return;
    }
    pressedRow_ = list_->pointerRow();
    list_->showSelection(pressedRow_ >= 0);
    headerPressed_ = button == Qt::LeftButton && pressedRow_ < 0;
    if (headerPressed_) {
        firstRowAtPress_ = list_->firstVisibleRow();
    }
    if (at.y() > (listed_ + 1) * rowHeightPx_) {
        list_->setAnchorRow(listed_ - 1);
        if (at.x() < 0 || at.x() > list_->width()) {
            selectRow();
        }
    }
    // A right-click outside the selection narrows it to the clicked row; inside, the context
    // menu acts on the whole selection.
    if (button == Qt::RightButton && pressedRow_ >= 0 && !list_->isRowSelected(pressedRow_)) {
        list_->setAnchorRow(pressedRow_);
    }
}

void NetworkPage::onMoved(Qt::MouseButtons buttons) {
    // A drag keeps its rows selected; the form empties because no single camera is addressed.
    if (list_->selectionShown() && list_->extentRow() != list_->anchorRow()) {
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
    if (buttons == Qt::LeftButton && headerPressed_ &&
        list_->firstVisibleRow() != firstRowAtPress_) {
        list_->scrollToRow(firstRowAtPress_);
    }
}

// A release outside the list stretches the selection to the row level with the pointer.
void NetworkPage::onReleased(Qt::MouseButton button, QPoint at) {
    if (button != Qt::LeftButton) {
        return;
    }
    if (listed_ <= 0) {
        list_->showSelection(false);
        return;
    }
    const bool inside = at.x() >= 0 && at.x() <= list_->width();
    if (at.y() < rowHeightPx_) {
        if (list_->pointerRow() >= 0) {
            list_->setAnchorRow(0);
            list_->setExtentRow(listed_ - 1);
        }
        if (pressedRow_ >= 0) {
            selectRow();
        }
    } else if (at.y() > list_->height()) {
        list_->setExtentRow(listed_ - 1);
        selectRow();
    } else if (at.y() > (listed_ + 1) * rowHeightPx_) {
        list_->setExtentRow(listed_ - 1);
        if (!inside) {
            selectRow();
        }
    } else if (!inside) {
        list_->setExtentRow(std::clamp(list_->firstVisibleRow() + at.y() / rowHeightPx_ - 1, 0,
                                       list_->rowCount() - 1));
        selectRow();
    }
}

void NetworkPage::onKeyReleased(Qt::Key key) {
    if ((key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
         key == Qt::Key_PageDown) &&
        list_->extentRow() < listed_) {
        keyboardSelect_ = true;
        selectRow();
        keyboardSelect_ = false;
    }
    trimSelection();
}

// Typing in the list drops the selection and returns the form to its defaults.
void NetworkPage::onTyped(QChar) {
    setFormEnabled(true);
    list_->showSelection(false);
    resetForm();
    setRadio(port80_, true);
    setRadio(otherPort_, false);
    clearCredentials();
    trimSelection();
}

void NetworkPage::trimSelection() {
    int anchor = list_->anchorRow();
    int extent = list_->extentRow();
    const std::vector<int> leftOut = list_->rowsLeftOut();
    if (anchor > extent) {
        return;
    }
    for (int row = anchor; row <= extent; ++row) {
        if (model_->macAt(row).empty()) {
            const int end = std::max(row - 1, 0);
            if (anchor == extent) {
                anchor = end;
            }
            extent = end;
            break;
        }
    }
    restoreSelection(anchor, extent, leftOut);
}

bool NetworkPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        listKeyDown(*static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return SettingsPage::eventFilter(watched, event);
}

// The list's own keys, before the list and the window see them; true swallows the key.
bool NetworkPage::listKeyDown(const QKeyEvent& key) {
    const bool ctrl = (key.modifiers() & Qt::ControlModifier) != 0;
    if (ctrl && key.key() == Qt::Key_A && list_->selectionShown() && listed_ > 0) {
        list_->setAnchorRow(0);
        list_->setExtentRow(listed_ - 1);
        if (listed_ == 1) {
            setFormEnabled(true);
            list_->setAnchorRow(0);
            keyboardSelect_ = true;
            selectRow();
            keyboardSelect_ = false;
        } else {
            setFormEnabled(false);
        }
        return true;
    }
    if (ctrl && key.key() == Qt::Key_C && list_->selectionShown()) {
        const auto [lo, hi] = selectionRange();
        const std::vector<int> leftOut = list_->rowsLeftOut();
        copyRows(lo, hi);
        restoreSelection(lo, hi, leftOut);
        return true;
    }
    // The menu key or Shift+F10 opens the list's menu at the keyboard's row, as a right-click
    // on that row does.
    if (key.key() == Qt::Key_Menu ||
        (key.key() == Qt::Key_F10 && key.modifiers() == Qt::ShiftModifier)) {
        const QRect cell = list_->visualRect(model_->index(list_->anchorRow(), 0));
        const QPoint at = list_->viewport()->mapTo(this, cell.center());
        QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, at, mapToGlobal(at));
        contextMenuEvent(&menuEvent);
        return true;
    }
    if (key.key() == Qt::Key_Escape) {
        return true;
    }
    if (key.key() == Qt::Key_Down) {
        // Down stops at the last listed camera.
        const int below = list_->extentRow() + 1;
        return below <= listed_ && below < list_->rowCount() && model_->macAt(below).empty();
    }
    if (key.key() == Qt::Key_PageDown && list_->extentRow() + list_->fullyVisibleRows() > listed_ &&
        listed_ > 0) {
        list_->setAnchorRow(listed_ - 1);
        return listed_ < kMinimumRows;
    }
    return false;
}

}  // namespace pelmora
