#pragma once
// The camera grid at the top of every settings page. It offers the grid-control vocabulary the
// pages are written in (Row, RowSel, TopRow, TextMatrix, MouseDown, ...) so page code reads like
// the page algorithms; member names keep that control's capitalisation on purpose.
//
// Row 0 is the fixed header row (the horizontal header); data rows 1..Rows()-1 are the table's
// rows 0..n-1. Setting Row or Col collapses the selection onto the current cell (RowSel = Row,
// ColSel = Col), so a block is selected by setting Row first and RowSel after it. The rows shown
// selected are always exactly those between Row and RowSel while HighLight is not 0: the widget
// drives its selection model itself and never lets the item view change it.

#include <QHeaderView>  // callers reach the header row through horizontalHeader()
#include <QString>
#include <QTableWidget>
#include <vector>

namespace pelmora {

class Grid : public QTableWidget {
    Q_OBJECT

  public:
    explicit Grid(QWidget* parent = nullptr);

    int Rows() const { return rowCount() + 1; }
    int Cols() const { return columnCount() + keptCols_; }
    void setCols(int cols);
    // Columns from `first` on hold text for the page alone (a camera's port, a table index):
    // TextMatrix reads and writes them like any column, but they are neither drawn nor offered
    // to screen readers, which would read them as bare numbers under empty headers.
    void keepColumnsOffView(int first);

    int TopRow() const;
    void setTopRow(int row);

    int Row() const { return row_; }
    void setRow(int row);
    int Col() const { return col_; }
    void setCol(int col);
    int RowSel() const { return rowSel_; }
    void setRowSel(int row);

    int HighLight() const { return highLight_; }
    void setHighLight(int highLight);

    // Rows between Row and RowSel that are not selected: cameras a rewrite placed between the
    // chosen ones. Collapsing the selection (setRow, a plain click, an arrow key) forgets them;
    // moving only the far end keeps those still inside the range.
    void setRowsLeftOut(std::vector<int> rows);
    const std::vector<int>& rowsLeftOut() const { return leftOut_; }
    // Whether `row` is shown selected: highlighted, inside the range and not left out.
    bool isRowSelected(int row) const;

    void setRedraw(bool on);
    void setScrollBars(int bars);

    // Camera rows that show whole at the grid's present height: 7 at the window's smallest.
    int fullyVisibleRows() const;
    // Tall enough for the header and seven rows; a layout gives it more as the window grows.
    QSize sizeHint() const override;

    int MouseRow() const { return mouseRow_; }
    int MouseCol() const { return mouseCol_; }

    // The current cell's horizontal alignment; vertically its text is always centred.
    void setCellAlignment(Qt::Alignment horizontal);
    void setColWidth(int col, int twips);
    int RowHeight(int row) const;

    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);

    // Marks a camera row as having a problem: a warning icon in its first cell, a tinted row
    // (so the mark does not rest on colour alone) and `problem` as every cell's tool tip, shown
    // as plain text. An empty `problem` takes the mark away.
    // Screen readers get the same words as every cell's description.
    void setRowProblem(int row, const QString& problem);
    QString rowProblem(int row) const;
    // What a screen reader says for a cell instead of its text (">>" is read "marked"); empty:
    // the text itself.
    void setSpokenText(int row, int col, const QString& spoken);

    void AddItem(const QString& text, int row);
    void RemoveItem(int row);
    void Clear();

  signals:
    void Click();
    void DblClick();
    void KeyPress(int& keyAscii);
    // A key released, as its Qt::Key.
    void KeyUp(int& key, int shift);
    void MouseDown(int button, int shift, int x, int y);
    void MouseMove(int button, int shift, int x, int y);
    void MouseUp(int button, int shift, int x, int y);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // While the grid has the keyboard, the cursor row is framed in the highlight colour: the row
    // that Up and Down move from, visible also when no camera is selected.
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void pressAt(QMouseEvent* event, QPoint gridPos);
    void moveAt(QMouseEvent* event, QPoint gridPos);
    void releaseAt(QMouseEvent* event, QPoint gridPos);
    void doubleClickAt(QPoint gridPos);
    void trackPointer(QPoint gridPos);
    int dataRowAt(QPoint gridPos) const;
    int dragTargetRow(QPoint gridPos);
    void moveByKey(int key, bool extend);
    void ensureRowVisible(int row);
    void layoutNow() const;
    void ensureHeaderItems();
    QTableWidgetItem* cellItem(int row, int col, bool create);
    bool validRow(int row) const { return row >= 0 && row < Rows(); }
    bool validCol(int col) const { return col >= 0 && col < Cols(); }
    void clampCursor();
    void keepLeftOutInRange();
    void syncSelection();

    int rowPx_ = 16;  // height of the header and of every row, in pixels
    int row_ = 1;
    int col_ = 0;
    int rowSel_ = 1;
    int colSel_ = 0;
    int highLight_ = 0;  // nothing is selected until a page selects a camera
    bool redraw_ = true;
    bool selectionStale_ = false;
    // Data-row range last written to the selection model; lo > hi means none.
    int shownLo_ = 1;
    int shownHi_ = 0;
    std::vector<int> shownLeftOut_;

    // Columns kept off the view, and their texts by data row.
    int keptCols_ = 0;
    std::vector<QStringList> keptText_;
    std::vector<int> leftOut_;

    int mouseRow_ = 0;
    int mouseCol_ = 0;
    Qt::MouseButton pressedButton_ = Qt::NoButton;
    bool dragging_ = false;
    bool afterDoubleClick_ = false;
};

}  // namespace pelmora
