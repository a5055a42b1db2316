#include "widgets/CameraListView.h"

#include <QHeaderView>
#include <QItemSelection>
#include <QPainter>
#include <QScrollBar>
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
    // Painting is left alone: the model signals only the rows that changed, so a rewrite that
    // changed nothing repaints nothing.
    paused_ = paused;
    if (!paused) {
        syncSelection();
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
    // A list emptied on the way to its next rows (blank rows come back after the cameras have
    // gone) keeps its rows: the anchor stays where the keyboard left it.
    if (rowCount() == 0) {
        return;
    }
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
