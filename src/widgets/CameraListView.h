#pragma once
// The camera list at the top of every settings page: a table view over a CameraListModel that
// takes the list's input itself, so that the pages keep their own rules for what a press, a
// drag, a key or the wheel does to the selection.
//
// Rows are the model's rows, 0 first. The selection is a range between the anchor (the cursor
// row, framed while the list has the keyboard) and the extent (the end Shift and a drag move),
// less the rows left out of it; it is shown only while `selectionShown()`. The view drives its
// selection model itself and never lets the item view change it, so the rows shown selected
// are always the rows the page believes.

#include <QPoint>
#include <QTableView>
#include <vector>

namespace pelmora {

class CameraListModel;

class CameraListView : public QTableView {
    Q_OBJECT

  public:
    explicit CameraListView(QWidget* parent = nullptr);

    void setCameraModel(CameraListModel* model);
    CameraListModel* cameraModel() const { return cameras_; }
    int rowCount() const;

    // The first row shown whole at the top, and scrolling so that `row` is that row.
    int firstVisibleRow() const;
    void scrollToRow(int row);
    // Rows that show whole at the list's present height: 7 at the window's smallest.
    int fullyVisibleRows() const;
    // Tall enough for the header and seven rows; a layout gives it more as the window grows.
    QSize sizeHint() const override;
    // The height of the header and of every row, in pixels.
    int rowHeightPx() const { return rowPx_; }

    // Moving the anchor collapses the selection onto it; moving the extent stretches it.
    int anchorRow() const { return anchor_; }
    void setAnchorRow(int row);
    int extentRow() const { return extent_; }
    void setExtentRow(int row);
    bool selectionShown() const { return shown_; }
    void showSelection(bool shown);
    // Rows between anchor and extent that are not selected: cameras a rewrite placed between the
    // chosen ones. Collapsing the selection (a new anchor, a plain click, an arrow key) forgets
    // them; moving only the extent keeps those still inside the range.
    void setRowsLeftOut(std::vector<int> rows);
    const std::vector<int>& rowsLeftOut() const { return leftOut_; }
    // Whether `row` is shown selected: selection shown, inside the range and not left out.
    bool isRowSelected(int row) const;

    // While a page rewrites the list, selection updates wait for the end.
    void pauseUpdates(bool paused);
    void showScrollBar(bool shown);

    // The row and column under the pointer at its last press, move or release: -1 over the
    // header (or above the list), the last row below the rows.
    int pointerRow() const { return pointerRow_; }
    int pointerColumn() const { return pointerColumn_; }

    // A column's width in twips (1/1440 inch), as the pages' layouts give it.
    void setColumnWidthTwips(int column, int twips);

  signals:
    // A left press and release on the list (rows or header).
    void clicked();
    void doubleClicked();
    // A printable character typed in the list (or Backspace).
    void typed(QChar character);
    void keyReleased(Qt::Key key, Qt::KeyboardModifiers modifiers);
    // Mouse events over the rows or the header, at `at` in the list's own coordinates.
    void pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at);
    void moved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint at);
    void released(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // While the list has the keyboard, the anchor row is framed in the highlight colour: the
    // row that Up and Down move from, visible also when no camera is selected.
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void pressAt(QMouseEvent* event, QPoint at);
    void moveAt(QMouseEvent* event, QPoint at);
    void releaseAt(QMouseEvent* event, QPoint at);
    void doubleClickAt(QPoint at);
    void trackPointer(QPoint at);
    int rowAtPoint(QPoint at) const;
    int dragTargetRow(QPoint at);
    void moveByKey(int key, bool extend);
    void ensureRowVisible(int row);
    void layoutNow() const;
    bool validRow(int row) const { return row >= 0 && row < rowCount(); }
    void clampToRows();
    void keepLeftOutInRange();
    void syncSelection();
    void rowsChanged();

    CameraListModel* cameras_ = nullptr;
    int rowPx_ = 16;
    int anchor_ = 0;
    int extent_ = 0;
    bool shown_ = false;  // nothing is selected until a page selects a camera
    bool paused_ = false;
    bool selectionStale_ = false;
    // The range last written to the selection model; lo > hi means none.
    int shownLo_ = 0;
    int shownHi_ = -1;
    std::vector<int> shownLeftOut_;
    std::vector<int> leftOut_;

    int pointerRow_ = -1;
    int pointerColumn_ = 0;
    Qt::MouseButton pressedButton_ = Qt::NoButton;
    bool dragging_ = false;
    bool afterDoubleClick_ = false;
};

}  // namespace pelmora
