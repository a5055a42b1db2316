#include "widgets/CameraListView.h"

#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <utility>

#include "widgets/CameraListModel.h"

namespace pelmora {

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr int kMinRowPx = 16;  // 240 twips at 96 dpi, the row height the pages were laid out for

}  // namespace

CameraListView::CameraListView(QWidget* parent) : QTableView(parent) {
    // The item view never edits, selects or scrolls on its own: every selection change goes
    // through the anchor, the extent and showSelection, so the rows shown selected are the rows
    // the page believes.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setAutoScroll(false);
    setTabKeyNavigation(false);
    setDragEnabled(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);
    setSortingEnabled(false);  // the camera table sorts; the header only asks it to
    // The columns are spread over the list's width; only the rows ever scroll.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    showScrollBar(true);

    // One fixed height for the header and every row, so that y / row height maps to a row and
    // no rewrite ever measures rows to fit their contents.
    rowPx_ = std::max(kMinRowPx, fontMetrics().height() + 2);
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(rowPx_);

    QHeaderView* header = horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setMinimumSectionSize(0);
    header->setStretchLastSection(false);
    header->setHighlightSections(false);
    header->setSectionsClickable(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setFixedHeight(rowPx_);
    header->setFocusPolicy(Qt::NoFocus);
    // Presses on the header are the list's own: the header's handling (selecting a column,
    // sorting, resizing) is kept out, and the page decides what a header click does.
    header->viewport()->installEventFilter(this);
    header->viewport()->setMouseTracking(true);
    viewport()->setMouseTracking(true);
}

void CameraListView::setCameraModel(CameraListModel* model) {
    cameras_ = model;
    setModel(model);
    // Rows that come or go shift the rows of the selection; the view keeps them in range.
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
        connect(model, signal, this, [this] { rowsChanged(); });
    }
    connect(model, &QAbstractItemModel::layoutChanged, this, [this] { rowsChanged(); });
    selectionStale_ = true;
    syncSelection();
}

int CameraListView::rowCount() const {
    return cameras_ != nullptr ? cameras_->rowCount() : 0;
}

void CameraListView::rowsChanged() {
    clampToRows();
    std::erase_if(leftOut_, [this](int row) { return !validRow(row); });
    selectionStale_ = true;
    syncSelection();
}

int CameraListView::firstVisibleRow() const {
    layoutNow();
    return verticalScrollBar()->value();
}

void CameraListView::scrollToRow(int row) {
    if (!validRow(row)) {
        return;
    }
    // Rows added since the last layout pass are not yet in the scroll range; lay out first so
    // that a restored position is not clamped to the old range.
    layoutNow();
    verticalScrollBar()->setValue(row);
}

void CameraListView::setAnchorRow(int row) {
    if (!validRow(row)) {
        return;
    }
    anchor_ = row;
    extent_ = row;
    leftOut_.clear();
    syncSelection();
}

void CameraListView::setExtentRow(int row) {
    if (!validRow(row)) {
        return;
    }
    extent_ = row;
    keepLeftOutInRange();
    syncSelection();
}

void CameraListView::setRowsLeftOut(std::vector<int> rows) {
    leftOut_ = std::move(rows);
    keepLeftOutInRange();
    selectionStale_ = true;
    syncSelection();
}

void CameraListView::keepLeftOutInRange() {
    const auto [lo, hi] = std::minmax(anchor_, extent_);
    std::erase_if(leftOut_, [lo, hi](int r) { return r < lo || r > hi; });
}

bool CameraListView::isRowSelected(int row) const {
    const auto [lo, hi] = std::minmax(anchor_, extent_);
    return shown_ && row >= std::max(lo, 0) && row <= hi &&
           std::find(leftOut_.begin(), leftOut_.end(), row) == leftOut_.end();
}

void CameraListView::showSelection(bool shown) {
    shown_ = shown;
    syncSelection();
}

void CameraListView::pauseUpdates(bool paused) {
    paused_ = paused;
    setUpdatesEnabled(!paused);
    if (!paused) {
        syncSelection();
        viewport()->update();
        horizontalHeader()->viewport()->update();
    }
}

void CameraListView::showScrollBar(bool shown) {
    setVerticalScrollBarPolicy(shown ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void CameraListView::setColumnWidthTwips(int column, int twips) {
    const int px = twips < 0 ? horizontalHeader()->defaultSectionSize()
                             : qRound(twips * logicalDpiX() / kTwipsPerInch);
    setColumnWidth(column, px);
}

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

void CameraListView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (!hasFocus() || !validRow(anchor_) || model()->columnCount() == 0) {
        return;
    }
    const QRect first = visualRect(model()->index(anchor_, 0));
    const QRect last = visualRect(model()->index(anchor_, model()->columnCount() - 1));
    if (!first.isValid()) {
        return;
    }
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    const QRect frame(first.left(), first.top(),
                      std::min(last.right(), viewport()->width() - 1) - first.left() + 1,
                      first.height());
    painter.drawRect(QRectF(frame).adjusted(1, 1, -1, -1));
}

void CameraListView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    viewport()->update();
}

void CameraListView::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    viewport()->update();
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

QSize CameraListView::sizeHint() const {
    return {QTableView::sizeHint().width(), minimumHeight()};
}

int CameraListView::fullyVisibleRows() const {
    return std::max(1, viewport()->height() / std::max(1, rowPx_));
}

void CameraListView::ensureRowVisible(int row) {
    const int top = firstVisibleRow();
    const int shown = fullyVisibleRows();
    if (row < top) {
        scrollToRow(row);
    } else if (row >= top + shown) {
        scrollToRow(row - shown + 1);
    }
}

void CameraListView::layoutNow() const {
    // Only does work when a row or column change is waiting for its layout pass.
    const_cast<CameraListView*>(this)->executeDelayedItemsLayout();
}

void CameraListView::clampToRows() {
    const int last = std::max(0, rowCount() - 1);
    anchor_ = std::min(anchor_, last);
    extent_ = std::min(extent_, last);
    pointerRow_ = std::min(pointerRow_, last);
}

void CameraListView::syncSelection() {
    // While a page rewrites the list, the selection model is brought up to date once, when
    // updates come back on.
    if (paused_ || model() == nullptr) {
        selectionStale_ = true;
        return;
    }
    // The current index marks the anchor for screen readers; moving it never scrolls
    // (autoScroll is off), since the pages keep the scroll position themselves.
    const QModelIndex cursor = validRow(anchor_) ? model()->index(anchor_, 0) : QModelIndex();
    if (selectionModel()->currentIndex() != cursor) {
        selectionModel()->setCurrentIndex(cursor, QItemSelectionModel::NoUpdate);
        if (hasFocus()) {
            viewport()->update();  // the anchor row's frame moves with it
        }
    }
    int lo = 0;
    int hi = -1;
    if (shown_) {
        lo = std::max(0, std::min(anchor_, extent_));
        hi = std::min(rowCount() - 1, std::max(anchor_, extent_));
    }
    if (lo > hi) {
        lo = 0;
        hi = -1;
    }
    if (!selectionStale_ && lo == shownLo_ && hi == shownHi_ && leftOut_ == shownLeftOut_) {
        return;
    }
    const int columns = model()->columnCount();
    QItemSelection selection;
    for (int from = lo; from <= hi && columns > 0;) {
        int to = from;
        while (to <= hi && isRowSelected(to)) {
            ++to;
        }
        if (to > from) {
            selection.select(model()->index(from, 0), model()->index(to - 1, columns - 1));
        }
        from = to + 1;
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    shownLo_ = lo;
    shownHi_ = hi;
    shownLeftOut_ = leftOut_;
    selectionStale_ = false;
}

}  // namespace pelmora
