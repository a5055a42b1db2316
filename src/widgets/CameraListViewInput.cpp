#include "widgets/CameraListView.h"

// The list's own input: a press moves the anchor (Shift the extent), a drag stretches the
// selection and scrolls past the edges, the arrow and page keys move it, and each event reaches
// the page as a signal so that the page applies its own rules after the list's.

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>

namespace pelmora {

void CameraListView::mousePressEvent(QMouseEvent* event) {
    pressAt(event, viewport()->mapTo(this, event->position().toPoint()));
}

void CameraListView::mouseMoveEvent(QMouseEvent* event) {
    moveAt(event, viewport()->mapTo(this, event->position().toPoint()));
}

void CameraListView::mouseReleaseEvent(QMouseEvent* event) {
    releaseAt(event, viewport()->mapTo(this, event->position().toPoint()));
}

void CameraListView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint at = viewport()->mapTo(this, event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        doubleClickAt(at);
    } else {
        pressAt(event, at);
    }
}

bool CameraListView::eventFilter(QObject* watched, QEvent* event) {
    QWidget* headerArea = horizontalHeader()->viewport();
    if (watched != headerArea) {
        return QTableView::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint at = headerArea->mapTo(this, mouse->position().toPoint());
            if (event->type() == QEvent::MouseButtonPress) {
                pressAt(mouse, at);
            } else if (event->type() == QEvent::MouseButtonRelease) {
                releaseAt(mouse, at);
            } else if (event->type() == QEvent::MouseMove) {
                moveAt(mouse, at);
            } else if (mouse->button() == Qt::LeftButton) {
                doubleClickAt(at);
            } else {
                pressAt(mouse, at);
            }
            return true;
        }
        default:
            return QTableView::eventFilter(watched, event);
    }
}

void CameraListView::pressAt(QMouseEvent* event, QPoint at) {
    trackPointer(at);
    pressedButton_ = event->button();
    afterDoubleClick_ = false;
    // A left press on a row moves the anchor there (Shift keeps it and moves only the extent)
    // whether or not a selection is shown; the page decides afterwards whether it is.
    const int row = rowAtPoint(at);
    if (event->button() == Qt::LeftButton && row >= 0) {
        if (event->modifiers() & Qt::ShiftModifier) {
            extent_ = row;
            keepLeftOutInRange();
        } else {
            anchor_ = row;
            extent_ = row;
            leftOut_.clear();
        }
        dragging_ = true;
        syncSelection();
    }
    emit pressed(event->button(), event->modifiers(), at);
}

void CameraListView::moveAt(QMouseEvent* event, QPoint at) {
    trackPointer(at);
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        const int target = dragTargetRow(at);
        if (target != extent_) {
            extent_ = target;
            keepLeftOutInRange();
            syncSelection();
        }
    }
    emit moved(event->buttons(), event->modifiers(), at);
}

void CameraListView::releaseAt(QMouseEvent* event, QPoint at) {
    trackPointer(at);
    const bool leftClick = event->button() == Qt::LeftButton && pressedButton_ == Qt::LeftButton &&
                           !afterDoubleClick_ && rect().contains(at);
    if (event->button() == Qt::LeftButton) {
        dragging_ = false;
    }
    if (event->buttons() == Qt::NoButton) {
        pressedButton_ = Qt::NoButton;
        afterDoubleClick_ = false;
    }
    emit released(event->button(), event->modifiers(), at);
    // A click is the release of a left press made on the list, released over it.
    if (leftClick) {
        emit clicked();
    }
}

void CameraListView::doubleClickAt(QPoint at) {
    trackPointer(at);
    pressedButton_ = Qt::LeftButton;
    afterDoubleClick_ = true;  // the release that follows is no second click
    emit doubleClicked();
}

void CameraListView::trackPointer(QPoint at) {
    const QRect area = viewport()->geometry();
    // Above the rows (over the header or above the list) is the header; below the rows or
    // below the list is the row level with the pointer's nearest point in the rows' area, or
    // the last row when that point is blank.
    if (at.y() < area.top()) {
        pointerRow_ = -1;
    } else {
        const int row = rowAt(std::min(at.y(), area.bottom()) - area.top());
        pointerRow_ = row < 0 ? rowCount() - 1 : row;
    }
    const int x = std::clamp(at.x(), area.left(), area.right()) - area.left();
    const int column = columnAt(x);
    const int columns = model() != nullptr ? model()->columnCount() : 0;
    pointerColumn_ = column < 0 ? std::max(0, columns - 1) : column;
}

int CameraListView::rowAtPoint(QPoint at) const {
    const QRect area = viewport()->geometry();
    return area.contains(at) ? rowAt(at.y() - area.top()) : -1;
}

int CameraListView::dragTargetRow(QPoint at) {
    const QRect area = viewport()->geometry();
    // Dragging past the top or bottom edge scrolls one row per move and selects up to the
    // edge row.
    if (at.y() < area.top()) {
        if (firstVisibleRow() > 0) {
            scrollToRow(firstVisibleRow() - 1);
        }
        return firstVisibleRow();
    }
    if (at.y() > area.bottom()) {
        if (firstVisibleRow() + 1 < rowCount()) {
            scrollToRow(firstVisibleRow() + 1);
        }
        return std::min(firstVisibleRow() + fullyVisibleRows() - 1, rowCount() - 1);
    }
    const int row = rowAt(at.y() - area.top());
    return row < 0 ? rowCount() - 1 : row;
}

void CameraListView::keyPressEvent(QKeyEvent* event) {
    const bool extend = (event->modifiers() & Qt::ShiftModifier) != 0;
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            moveByKey(event->key(), extend);
            event->accept();
            return;
        default:
            break;
    }
    // Characters reach the page; keys with Ctrl or Alt, and Enter, Esc and Tab, go on to the
    // parent so that the window's shortcuts and default buttons keep working.
    if ((event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) ||
        event->text().isEmpty()) {
        event->ignore();
        return;
    }
    bool typedAny = false;
    for (const QChar ch : event->text()) {
        const bool printable = ch.unicode() >= 0x20 && ch.unicode() != 0x7F;
        if (!printable && ch.unicode() != 0x08) {
            continue;
        }
        typedAny = true;
        emit typed(ch);
    }
    event->setAccepted(typedAny);
}

void CameraListView::keyReleaseEvent(QKeyEvent* event) {
    // Auto-repeat delivers release/press pairs while a key is held; only the real release counts.
    if (!event->isAutoRepeat()) {
        emit keyReleased(static_cast<Qt::Key>(event->key()), event->modifiers());
    }
    event->accept();
}

void CameraListView::wheelEvent(QWheelEvent* event) {
    // The wheel belongs to the page, which scrolls one row per notch; the view does not scroll
    // by itself, or the two would fight over the position.
    event->ignore();
}

void CameraListView::moveByKey(int key, bool extend) {
    if (rowCount() < 1) {
        return;
    }
    const int page = fullyVisibleRows();
    int step = page;
    if (key == Qt::Key_Up) {
        step = -1;
    } else if (key == Qt::Key_Down) {
        step = 1;
    } else if (key == Qt::Key_PageUp) {
        step = -page;
    }
    // Shift stretches the selection by moving its extent; otherwise the anchor moves and the
    // selection collapses onto it.
    const int to = std::clamp((extend ? extent_ : anchor_) + step, 0, rowCount() - 1);
    if (!extend) {
        anchor_ = to;
        leftOut_.clear();
    }
    extent_ = to;
    keepLeftOutInRange();
    ensureRowVisible(to);
    syncSelection();
}

}  // namespace pelmora
