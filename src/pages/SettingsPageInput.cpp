#include "pages/SettingsPage.h"

// What the list's mouse, keys and wheel do on a page keyed by MAC: which row a click, a release
// outside the list or an arrow key selects, and when a drag or typing drops the selection.

#include <algorithm>

namespace pelmora {

int SettingsPage::rowToSelect() const {
    if (keyboardSelect_) {
        return list_->extentRow();
    }
    const int row = list_->pointerRow();
    if (row < 0 && pressedRow_ >= 0) {
        return 0;
    }
    // A click on a blank row selects the last listed camera; with none listed it is a header
    // click.
    return row >= listed_ ? listed_ - 1 : row;
}

void SettingsPage::selectRow() {
    const int row = rowToSelect();
    if (row < 0) {
        headerClick(list_->pointerColumn());
        return;
    }
    list_->setAnchorRow(row);
    const auto record = recordOfCurrentRow();
    if (record && !record->isFree()) {
        list_->showSelection(true);
        showInForm(*record);
    } else {
        list_->showSelection(false);
        clearSelection();
    }
}

void SettingsPage::pageWheel(int delta) {
    if (list_->rowCount() <= kMinimumRows) {
        return;
    }
    const int first = list_->firstVisibleRow() + (delta > 0 ? -1 : 1);
    list_->scrollToRow(std::clamp(first, 0, list_->rowCount() - 1));
}

void SettingsPage::openCameraPage() {
    if (list_->pointerRow() < 0) {
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

void SettingsPage::onPressed(Qt::MouseButton button, QPoint) {
    pressedRow_ = list_->pointerRow();
    headerPressed_ = button == Qt::LeftButton && pressedRow_ < 0;
    if (headerPressed_) {
        firstRowAtPress_ = list_->firstVisibleRow();
    }
}

void SettingsPage::onMoved(Qt::MouseButtons buttons) {
    // A drag over several rows selects no camera on a single-selection page.
    if (list_->selectionShown() && list_->extentRow() != list_->anchorRow()) {
        list_->showSelection(false);
        clearSelection();
        list_->setAnchorRow(pressedRow_);
    }
    // Dragging from the header must not scroll the list.
    if (buttons == Qt::LeftButton && headerPressed_ &&
        list_->firstVisibleRow() != firstRowAtPress_) {
        list_->scrollToRow(firstRowAtPress_);
    }
}

// A button released outside the list still selects a row.
void SettingsPage::onReleased(Qt::MouseButton, QPoint at) {
    const bool inside = at.x() >= 0 && at.x() <= list_->width();
    if (at.y() < rowHeightPx_) {
        list_->setAnchorRow(0);
        if (pressedRow_ >= 0) {
            selectRow();
        }
    } else if (at.y() > list_->height()) {
        list_->setAnchorRow(list_->rowCount() - 1);
        selectRow();
    } else if (at.y() > (listed_ + 1) * rowHeightPx_) {
        list_->setAnchorRow(std::max(listed_ - 1, 0));
        if (!inside) {
            selectRow();
        }
    } else if (!inside) {
        list_->setAnchorRow(std::clamp(list_->firstVisibleRow() + at.y() / rowHeightPx_ - 1, 0,
                                       list_->rowCount() - 1));
        selectRow();
    }
}

void SettingsPage::onKeyReleased(Qt::Key key) {
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        keyboardSelect_ = true;
        selectRow();
        keyboardSelect_ = false;
    }
}

void SettingsPage::onTyped(QChar) {
    list_->showSelection(false);
    clearSelection();
    list_->setAnchorRow(list_->extentRow());
}

}  // namespace pelmora
