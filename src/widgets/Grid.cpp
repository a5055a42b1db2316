#include "widgets/Grid.h"

#include "widgets/FormControls.h"

#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStringList>
#include <QStyle>
#include <QTextDocument>
#include <QWheelEvent>

#include <algorithm>
#include <utility>

namespace pelmora {

namespace {

// Where a row's problem text is kept, beside the tool tip made from it.
constexpr int kProblemRole = Qt::UserRole + 1;

constexpr int kNewGridRows = 8;  // the header row and seven blank rows
constexpr int kNewGridCols = 2;
constexpr double kTwipsPerInch = 1440.0;
constexpr int kMinRowPx = 16;  // 240 twips at 96 dpi, the row height the pages were laid out for

// Shift-state bits of the key and mouse events: 1 Shift, 2 Ctrl, 4 Alt.
int shiftState(Qt::KeyboardModifiers modifiers) {
    return ((modifiers & Qt::ShiftModifier) ? 1 : 0) | ((modifiers & Qt::ControlModifier) ? 2 : 0) |
           ((modifiers & Qt::AltModifier) ? 4 : 0);
}

// Button bits of the mouse events: 1 left, 2 right, 4 middle.
int buttonBits(Qt::MouseButtons buttons) {
    return ((buttons & Qt::LeftButton) ? 1 : 0) | ((buttons & Qt::RightButton) ? 2 : 0) |
           ((buttons & Qt::MiddleButton) ? 4 : 0);
}

}  // namespace

Grid::Grid(QWidget* parent) : QTableWidget(kNewGridRows - 1, kNewGridCols, parent) {
    // The item view never edits, selects or scrolls on its own: every selection change goes
    // through Row/RowSel/HighLight so the rows shown selected are the rows the page believes.
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
    setScrollBars(2);

    // One fixed height for the header and every row, so y / row height maps to a row, and so
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
    // Header presses are the grid's row-0 events; the header's own handling (column selection,
    // sorting, resizing) is kept out.
    header->viewport()->installEventFilter(this);
    header->viewport()->setMouseTracking(true);
    viewport()->setMouseTracking(true);

    keptText_.resize(static_cast<std::size_t>(rowCount()));
    ensureHeaderItems();
}

void Grid::setCols(int cols) {
    if (cols - keptCols_ < 1 || cols == Cols()) {
        return;
    }
    setColumnCount(cols - keptCols_);
    ensureHeaderItems();
    clampCursor();
    selectionStale_ = true;
    syncSelection();
}

void Grid::keepColumnsOffView(int first) {
    const int cols = Cols();
    if (first < 1 || first > cols) {
        return;
    }
    keptCols_ = cols - first;
    setColumnCount(first);
    for (auto& texts : keptText_) {
        texts.clear();
    }
    keptText_.resize(static_cast<std::size_t>(rowCount()));
    for (auto& texts : keptText_) {
        texts.resize(keptCols_);
    }
    clampCursor();
    selectionStale_ = true;
    syncSelection();
}

int Grid::TopRow() const {
    layoutNow();
    return verticalScrollBar()->value() + 1;
}

void Grid::setTopRow(int row) {
    if (row < 1 || row >= Rows()) {
        return;
    }
    // Rows added since the last layout pass are not yet in the scroll range; lay out first so
    // a restored position is not clamped to the old range.
    layoutNow();
    verticalScrollBar()->setValue(row - 1);
}

void Grid::setRow(int row) {
    if (!validRow(row)) {
        return;
    }
    row_ = row;
    rowSel_ = row;
    leftOut_.clear();
    syncSelection();
}

void Grid::setCol(int col) {
    if (!validCol(col)) {
        return;
    }
    col_ = col;
    rowSel_ = row_;
    leftOut_.clear();
    syncSelection();
}

void Grid::setRowSel(int row) {
    if (!validRow(row)) {
        return;
    }
    rowSel_ = row;
    keepLeftOutInRange();
    syncSelection();
}

void Grid::setRowsLeftOut(std::vector<int> rows) {
    leftOut_ = std::move(rows);
    keepLeftOutInRange();
    selectionStale_ = true;
    syncSelection();
}

void Grid::keepLeftOutInRange() {
    const auto [lo, hi] = std::minmax(row_, rowSel_);
    std::erase_if(leftOut_, [lo, hi](int r) { return r < lo || r > hi; });
}

bool Grid::isRowSelected(int row) const {
    const auto [lo, hi] = std::minmax(row_, rowSel_);
    return highLight_ != 0 && row >= std::max(lo, 1) && row <= hi &&
           std::find(leftOut_.begin(), leftOut_.end(), row) == leftOut_.end();
}

void Grid::setHighLight(int highLight) {
    highLight_ = highLight;
    syncSelection();
}

void Grid::setRedraw(bool on) {
    redraw_ = on;
    setUpdatesEnabled(on);
    if (on) {
        syncSelection();
        viewport()->update();
        horizontalHeader()->viewport()->update();
    }
}

void Grid::setScrollBars(int bars) {
    setHorizontalScrollBarPolicy((bars & 1) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy((bars & 2) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void Grid::setCellAlignment(Qt::Alignment horizontal) {
    const Qt::Alignment flags = horizontal | Qt::AlignVCenter;
    QTableWidgetItem* item = cellItem(row_, col_, true);
    if (item == nullptr ||
        qvariant_cast<Qt::Alignment>(item->data(Qt::TextAlignmentRole)) == flags) {
        return;
    }
    item->setTextAlignment(flags);
}

void Grid::setColWidth(int col, int twips) {
    if (!validCol(col) || col >= columnCount()) {
        return;
    }
    const int px = twips < 0 ? horizontalHeader()->defaultSectionSize()
                             : qRound(twips * logicalDpiX() / kTwipsPerInch);
    setColumnWidth(col, px);
}

int Grid::RowHeight(int row) const {
    if (!validRow(row)) {
        return 0;
    }
    const int px = row == 0 ? rowPx_ : rowHeight(row - 1);
    return qRound(px * kTwipsPerInch / logicalDpiY());
}

QString Grid::TextMatrix(int row, int col) const {
    if (!validRow(row) || !validCol(col)) {
        return {};
    }
    if (col >= columnCount()) {
        return row == 0 ? QString() : keptText_[row - 1][col - columnCount()];
    }
    const QTableWidgetItem* cell = row == 0 ? horizontalHeaderItem(col) : item(row - 1, col);
    return cell == nullptr ? QString() : cell->text();
}

void Grid::setTextMatrix(int row, int col, const QString& text) {
    if (!validRow(row) || !validCol(col)) {
        return;
    }
    if (col >= columnCount()) {
        if (row > 0) {
            keptText_[row - 1][col - columnCount()] = text;
        }
        return;
    }
    // The pages rewrite every cell every tick; an unchanged cell must cost no model signal and
    // no repaint.
    QTableWidgetItem* cell = cellItem(row, col, !text.isEmpty());
    if (cell == nullptr || cell->text() == text) {
        return;
    }
    cell->setText(text);
}

void Grid::setRowProblem(int row, const QString& problem) {
    if (row < 1 || !validRow(row) || rowProblem(row) == problem) {
        return;
    }
    const bool marked = !problem.isEmpty();
    static const QColor kTint(255, 236, 179);
    for (int col = 0; col < Cols(); ++col) {
        QTableWidgetItem* cell = cellItem(row, col, marked);
        if (cell == nullptr) {
            continue;
        }
        cell->setData(kProblemRole, problem);
        cell->setToolTip(marked ? plainToolTip(problem) : QString());
        cell->setData(Qt::AccessibleDescriptionRole, marked ? problem : QVariant());
        cell->setBackground(marked ? QBrush(kTint) : QBrush());
        if (col == 0) {
            cell->setIcon(marked ? style()->standardIcon(QStyle::SP_MessageBoxWarning) : QIcon());
        }
    }
}

void Grid::setSpokenText(int row, int col, const QString& spoken) {
    QTableWidgetItem* cell = row >= 1 ? cellItem(row, col, !spoken.isEmpty()) : nullptr;
    if (cell == nullptr || cell->data(Qt::AccessibleTextRole).toString() == spoken) {
        return;
    }
    cell->setData(Qt::AccessibleTextRole, spoken.isEmpty() ? QVariant() : QVariant(spoken));
}

QString Grid::rowProblem(int row) const {
    const QTableWidgetItem* cell = row >= 1 && validRow(row) ? item(row - 1, 0) : nullptr;
    return cell == nullptr ? QString() : cell->data(kProblemRole).toString();
}

void Grid::AddItem(const QString& text, int row) {
    if (row < 1 || row > Rows()) {
        return;
    }
    insertRow(row - 1);
    keptText_.insert(keptText_.begin() + (row - 1), QStringList(keptCols_));
    for (int& r : leftOut_) {
        r += r >= row ? 1 : 0;
    }
    if (!text.isEmpty()) {
        // Tabs separate the texts of consecutive columns.
        const QStringList parts = text.split(QLatin1Char('\t'));
        for (int col = 0; col < Cols() && col < parts.size(); ++col) {
            setTextMatrix(row, col, parts[col]);
        }
    }
    selectionStale_ = true;
    syncSelection();
}

void Grid::RemoveItem(int row) {
    if (row < 1 || row >= Rows()) {
        return;
    }
    removeRow(row - 1);
    keptText_.erase(keptText_.begin() + (row - 1));
    std::erase(leftOut_, row);
    for (int& r : leftOut_) {
        r -= r > row ? 1 : 0;
    }
    clampCursor();
    selectionStale_ = true;
    syncSelection();
}

void Grid::Clear() {
    for (int col = 0; col < Cols(); ++col) {
        for (int row = 0; row < Rows(); ++row) {
            setTextMatrix(row, col, QString());
        }
    }
}

void Grid::mousePressEvent(QMouseEvent* event) {
    pressAt(event, viewport()->mapTo(this, event->position().toPoint()));
}

void Grid::mouseMoveEvent(QMouseEvent* event) {
    moveAt(event, viewport()->mapTo(this, event->position().toPoint()));
}

void Grid::mouseReleaseEvent(QMouseEvent* event) {
    releaseAt(event, viewport()->mapTo(this, event->position().toPoint()));
}

void Grid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint at = viewport()->mapTo(this, event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        doubleClickAt(at);
    } else {
        pressAt(event, at);
    }
}

bool Grid::eventFilter(QObject* watched, QEvent* event) {
    QWidget* headerArea = horizontalHeader()->viewport();
    if (watched != headerArea) {
        return QTableWidget::eventFilter(watched, event);
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
            return QTableWidget::eventFilter(watched, event);
    }
}

void Grid::pressAt(QMouseEvent* event, QPoint gridPos) {
    trackPointer(gridPos);
    pressedButton_ = event->button();
    afterDoubleClick_ = false;
    // A left press on a data row moves the cursor there (Shift keeps Row and moves only the far
    // end) whatever HighLight says; the page decides afterwards whether it is shown.
    const int pressed = dataRowAt(gridPos);
    if (event->button() == Qt::LeftButton && pressed > 0) {
        if (event->modifiers() & Qt::ShiftModifier) {
            rowSel_ = pressed;
            keepLeftOutInRange();
        } else {
            row_ = pressed;
            rowSel_ = pressed;
            col_ = mouseCol_;
            leftOut_.clear();
        }
        dragging_ = true;
        syncSelection();
    }
    emit MouseDown(buttonBits(event->button()), shiftState(event->modifiers()), gridPos.x(),
                   gridPos.y());
}

void Grid::moveAt(QMouseEvent* event, QPoint gridPos) {
    trackPointer(gridPos);
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        const int target = dragTargetRow(gridPos);
        if (target != rowSel_) {
            rowSel_ = target;
            keepLeftOutInRange();
            syncSelection();
        }
    }
    emit MouseMove(buttonBits(event->buttons()), shiftState(event->modifiers()), gridPos.x(),
                   gridPos.y());
}

void Grid::releaseAt(QMouseEvent* event, QPoint gridPos) {
    trackPointer(gridPos);
    const bool leftClick = event->button() == Qt::LeftButton && pressedButton_ == Qt::LeftButton &&
                           !afterDoubleClick_ && rect().contains(gridPos);
    if (event->button() == Qt::LeftButton) {
        dragging_ = false;
    }
    if (event->buttons() == Qt::NoButton) {
        pressedButton_ = Qt::NoButton;
        afterDoubleClick_ = false;
    }
    emit MouseUp(buttonBits(event->button()), shiftState(event->modifiers()), gridPos.x(),
                 gridPos.y());
    // Click follows the release of a left press made on the grid, when released over it.
    if (leftClick) {
        emit Click();
    }
}

void Grid::doubleClickAt(QPoint gridPos) {
    trackPointer(gridPos);
    pressedButton_ = Qt::LeftButton;
    afterDoubleClick_ = true;  // the release that follows gives MouseUp but no second Click
    emit DblClick();
}

void Grid::trackPointer(QPoint gridPos) {
    const QRect area = viewport()->geometry();
    // Above the data area (over the header or above the grid) is row 0; below the rows or below
    // the grid is the row level with the pointer's nearest point in the data area, or the last
    // row when that point is blank.
    if (gridPos.y() < area.top()) {
        mouseRow_ = 0;
    } else {
        const int y = std::min(gridPos.y(), area.bottom()) - area.top();
        const int row = rowAt(y);
        mouseRow_ = row < 0 ? Rows() - 1 : row + 1;
    }
    const int x = std::clamp(gridPos.x(), area.left(), area.right()) - area.left();
    const int col = columnAt(x);
    mouseCol_ = col < 0 ? std::max(0, Cols() - 1) : col;
}

int Grid::dataRowAt(QPoint gridPos) const {
    const QRect area = viewport()->geometry();
    if (!area.contains(gridPos)) {
        return 0;
    }
    const int row = rowAt(gridPos.y() - area.top());
    return row < 0 ? 0 : row + 1;
}

int Grid::dragTargetRow(QPoint gridPos) {
    const QRect area = viewport()->geometry();
    // Dragging past the top or bottom edge scrolls one row per move and selects up to the
    // edge row.
    if (gridPos.y() < area.top()) {
        if (TopRow() > 1) {
            setTopRow(TopRow() - 1);
        }
        return TopRow();
    }
    if (gridPos.y() > area.bottom()) {
        if (TopRow() + 1 < Rows()) {
            setTopRow(TopRow() + 1);
        }
        return std::min(TopRow() + fullyVisibleRows() - 1, Rows() - 1);
    }
    const int row = rowAt(gridPos.y() - area.top());
    return row < 0 ? Rows() - 1 : row + 1;
}

void Grid::keyPressEvent(QKeyEvent* event) {
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
    // Character keys reach the page as KeyPress; keys with Ctrl or Alt, and Enter, Esc and Tab,
    // go on to the parent so the window's shortcuts and default buttons keep working.
    if ((event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) ||
        event->text().isEmpty()) {
        event->ignore();
        return;
    }
    bool typed = false;
    for (const QChar ch : event->text()) {
        int keyAscii = ch.unicode();
        const bool printable = keyAscii >= 0x20 && keyAscii != 0x7F;
        if (!printable && keyAscii != 0x08) {
            continue;
        }
        typed = true;
        emit KeyPress(keyAscii);
    }
    event->setAccepted(typed);
}

void Grid::keyReleaseEvent(QKeyEvent* event) {
    // Auto-repeat delivers release/press pairs while a key is held; only the real release counts.
    if (event->isAutoRepeat()) {
        event->accept();
        return;
    }
    int key = event->key();
    emit KeyUp(key, shiftState(event->modifiers()));
    event->accept();
}

void Grid::paintEvent(QPaintEvent* event) {
    QTableWidget::paintEvent(event);
    if (!hasFocus() || row_ < 1 || row_ >= Rows() || columnCount() == 0) {
        return;
    }
    const QRect first = visualRect(model()->index(row_ - 1, 0));
    const QRect last = visualRect(model()->index(row_ - 1, columnCount() - 1));
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

void Grid::focusInEvent(QFocusEvent* event) {
    QTableWidget::focusInEvent(event);
    viewport()->update();
}

void Grid::focusOutEvent(QFocusEvent* event) {
    QTableWidget::focusOutEvent(event);
    viewport()->update();
}

void Grid::wheelEvent(QWheelEvent* event) {
    // The wheel belongs to the page, which moves TopRow by one row per notch; the grid does not
    // scroll by itself, or the two would fight over the position.
    event->ignore();
}

void Grid::moveByKey(int key, bool extend) {
    if (Rows() < 2) {
        return;
    }
    const int page = fullyVisibleRows();
    int step = 0;
    switch (key) {
        case Qt::Key_Up:
            step = -1;
            break;
        case Qt::Key_Down:
            step = 1;
            break;
        case Qt::Key_PageUp:
            step = -page;
            break;
        default:
            step = page;
            break;
    }
    // Shift stretches the selection by moving its far end; otherwise the cursor moves and the
    // selection collapses onto it. The header row is never reached from the keyboard.
    const int from = extend ? rowSel_ : row_;
    const int to = std::clamp(from + step, 1, Rows() - 1);
    if (!extend) {
        row_ = to;
        leftOut_.clear();
    }
    rowSel_ = to;
    keepLeftOutInRange();
    ensureRowVisible(to);
    syncSelection();
}

QSize Grid::sizeHint() const {
    return {QTableWidget::sizeHint().width(), minimumHeight()};
}

int Grid::fullyVisibleRows() const {
    return std::max(1, viewport()->height() / std::max(1, rowPx_));
}

void Grid::ensureRowVisible(int row) {
    const int top = TopRow();
    const int shown = fullyVisibleRows();
    if (row < top) {
        setTopRow(row);
    } else if (row >= top + shown) {
        setTopRow(row - shown + 1);
    }
}

void Grid::layoutNow() const {
    // Only does work when a row or column change is waiting for its layout pass.
    const_cast<Grid*>(this)->executeDelayedItemsLayout();
}

void Grid::ensureHeaderItems() {
    // A column without a header item would show its number; the header row starts blank.
    for (int col = 0; col < columnCount(); ++col) {
        if (horizontalHeaderItem(col) == nullptr) {
            setHorizontalHeaderItem(col, new QTableWidgetItem());
        }
    }
}

QTableWidgetItem* Grid::cellItem(int row, int col, bool create) {
    if (!validRow(row) || !validCol(col)) {
        return nullptr;
    }
    if (row == 0) {
        QTableWidgetItem* cell = horizontalHeaderItem(col);
        if (cell == nullptr && create) {
            cell = new QTableWidgetItem();
            setHorizontalHeaderItem(col, cell);
        }
        return cell;
    }
    if (col >= columnCount()) {
        return nullptr;
    }
    QTableWidgetItem* cell = item(row - 1, col);
    if (cell == nullptr && create) {
        cell = new QTableWidgetItem();
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        setItem(row - 1, col, cell);
    }
    return cell;
}

void Grid::clampCursor() {
    const int lastRow = Rows() - 1;
    row_ = std::min(row_, lastRow);
    rowSel_ = std::min(rowSel_, lastRow);
    mouseRow_ = std::min(mouseRow_, lastRow);
    const int lastCol = std::max(0, Cols() - 1);
    col_ = std::min(col_, lastCol);
    mouseCol_ = std::min(mouseCol_, lastCol);
}

void Grid::syncSelection() {
    // While painting is off (a page rewriting the grid moves Row for every cell) the selection
    // model is brought up to date once, when painting comes back on.
    if (!redraw_) {
        selectionStale_ = true;
        return;
    }
    // The focus frame marks the cursor cell; moving it never scrolls (autoScroll is off), since
    // the pages move Row freely and keep TopRow themselves.
    const QModelIndex cursor =
        row_ > 0 ? model()->index(row_ - 1, std::min(col_, columnCount() - 1)) : QModelIndex();
    if (selectionModel()->currentIndex() != cursor) {
        selectionModel()->setCurrentIndex(cursor, QItemSelectionModel::NoUpdate);
        if (hasFocus()) {
            viewport()->update();  // the cursor row's frame moves with it
        }
    }
    int lo = 1;
    int hi = 0;
    if (highLight_ != 0) {
        lo = std::max(1, std::min(row_, rowSel_));
        hi = std::min(Rows() - 1, std::max(row_, rowSel_));
    }
    if (lo > hi) {
        lo = 1;
        hi = 0;
    }
    if (!selectionStale_ && lo == shownLo_ && hi == shownHi_ && leftOut_ == shownLeftOut_) {
        return;
    }
    QItemSelection selection;
    for (int from = lo; from <= hi && columnCount() > 0;) {
        int to = from;
        while (to <= hi && isRowSelected(to)) {
            ++to;
        }
        if (to > from) {
            selection.select(model()->index(from - 1, 0),
                             model()->index(to - 2, columnCount() - 1));
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
