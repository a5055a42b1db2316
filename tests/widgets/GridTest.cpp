// The camera grid: shape, cell texts, the selection the user sees, and the mouse and keyboard
// events in the order the pages' handlers expect them.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QWheelEvent>

#include <set>
#include <string>
#include <vector>

#include "widgets/Grid.h"

namespace pelmora {
namespace {

class GridTest : public ::testing::Test {
  protected:
    void SetUp() override {
        grid.setCols(5);
        // The size the pages give it: the header and fewer than the seven blank rows fit.
        grid.resize(480, 125);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
        // Every event is logged with the cell the grid reports at that moment, so a test sees
        // both the order and what a handler would read.
        const auto at = [this] {
            return " r" + std::to_string(grid.MouseRow()) + " c" + std::to_string(grid.MouseCol());
        };
        QObject::connect(&grid, &Grid::MouseDown, [this, at](int button, int shift, int, int) {
            log.push_back("down " + std::to_string(button) + "/" + std::to_string(shift) + at());
        });
        QObject::connect(&grid, &Grid::MouseMove, [this, at](int button, int, int, int) {
            log.push_back("move " + std::to_string(button) + at());
        });
        QObject::connect(&grid, &Grid::MouseUp, [this, at](int button, int, int, int) {
            log.push_back("up " + std::to_string(button) + at());
        });
        QObject::connect(&grid, &Grid::Click, [this, at] { log.push_back("click" + at()); });
        QObject::connect(&grid, &Grid::DblClick, [this, at] { log.push_back("dblclick" + at()); });
        QObject::connect(&grid, &Grid::KeyPress, [this](int& keyAscii) {
            log.push_back("keypress " + std::to_string(keyAscii));
        });
        QObject::connect(&grid, &Grid::KeyUp, [this](int& key, int shift) {
            const char* name = key == Qt::Key_Up        ? "up"
                               : key == Qt::Key_Down    ? "down"
                               : key == Qt::Key_Shift   ? "shift"
                               : key == Qt::Key_Control ? "ctrl"
                               : key == Qt::Key_A       ? "A"
                                                        : "other";
            log.push_back("keyup " + std::string(name) + "/" + std::to_string(shift));
        });
    }

    // Centre of a data cell, in viewport coordinates.
    QPoint cell(int row, int col) const {
        return grid.visualRect(grid.model()->index(row - 1, col)).center();
    }

    QPoint headerSection(int col) const {
        const QHeaderView* header = grid.horizontalHeader();
        return {header->sectionViewportPosition(col) + header->sectionSize(col) / 2,
                header->height() / 2};
    }

    QWidget* headerArea() const { return grid.horizontalHeader()->viewport(); }

    // Data rows (1-based) the selection model holds, each checked to be selected whole.
    std::vector<int> shownRows() const {
        std::set<int> rows;
        for (const QModelIndex& index : grid.selectionModel()->selectedIndexes()) {
            rows.insert(index.row() + 1);
        }
        for (int row : rows) {
            EXPECT_TRUE(grid.selectionModel()->isRowSelected(row - 1, {})) << "row " << row;
        }
        return {rows.begin(), rows.end()};
    }

    void addRowsUpTo(int rows) {
        while (grid.Rows() < rows) {
            grid.AddItem(QString(), grid.Rows());
        }
    }

    Grid grid;
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;
using Rows = std::vector<int>;

TEST_F(GridTest, newGridHasHeaderRowAndSevenBlankRows) {
    Grid fresh;
    EXPECT_EQ(fresh.Rows(), 8);
    EXPECT_EQ(fresh.TopRow(), 1);
    EXPECT_EQ(fresh.HighLight(), 0);
    EXPECT_TRUE(fresh.selectionModel()->selectedIndexes().isEmpty());
    fresh.setCols(7);
    EXPECT_EQ(fresh.Cols(), 7);
    for (int col = 0; col < fresh.Cols(); ++col) {
        // A header without text stays blank rather than showing a column number.
        EXPECT_EQ(fresh.model()->headerData(col, Qt::Horizontal).toString(), QString()) << col;
        for (int row = 0; row < fresh.Rows(); ++row) {
            EXPECT_EQ(fresh.TextMatrix(row, col), QString());
        }
    }
}

TEST_F(GridTest, rowZeroTextsAreTheHeaderTexts) {
    grid.setTextMatrix(0, 0, QStringLiteral("MAC address"));
    grid.setTextMatrix(0, 1, QStringLiteral("IP address"));
    EXPECT_EQ(grid.TextMatrix(0, 1), QStringLiteral("IP address"));
    EXPECT_EQ(grid.model()->headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("MAC address"));
    EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("IP address"));
}

TEST_F(GridTest, addItemAppendsRowsAndRemoveItemDropsThem) {
    grid.setTextMatrix(7, 0, QStringLiteral("last"));
    grid.AddItem(QString(), grid.Rows());
    grid.AddItem(QStringLiteral("a\tb"), grid.Rows());
    ASSERT_EQ(grid.Rows(), 10);
    EXPECT_EQ(grid.TextMatrix(7, 0), QStringLiteral("last"));
    EXPECT_EQ(grid.TextMatrix(8, 0), QString());
    EXPECT_EQ(grid.TextMatrix(9, 0), QStringLiteral("a"));
    EXPECT_EQ(grid.TextMatrix(9, 1), QStringLiteral("b"));

    grid.setHighLight(1);
    grid.setRow(9);
    grid.RemoveItem(grid.Rows() - 1);
    EXPECT_EQ(grid.Rows(), 9);
    // The cursor never points past the last row.
    EXPECT_EQ(grid.Row(), 8);
    EXPECT_EQ(grid.RowSel(), 8);
    EXPECT_EQ(shownRows(), Rows({8}));
}

TEST_F(GridTest, clearEmptiesEveryCellHeaderIncluded) {
    grid.setTextMatrix(0, 2, QStringLiteral("Model"));
    grid.setTextMatrix(3, 4, QStringLiteral("1.0"));
    grid.Clear();
    EXPECT_EQ(grid.Rows(), 8);
    EXPECT_EQ(grid.TextMatrix(0, 2), QString());
    EXPECT_EQ(grid.TextMatrix(3, 4), QString());
    EXPECT_EQ(grid.model()->headerData(2, Qt::Horizontal).toString(), QString());
}

TEST_F(GridTest, cellsOutsideTheGridReadEmptyAndIgnoreWrites) {
    const struct {
        const char* name;
        int row;
        int col;
    } cases[] = {
        {"negative row", -1, 0},
        {"row past the end", 8, 0},
        {"negative column", 1, -1},
        {"column past the end", 1, 5},
    };
    for (const auto& c : cases) {
        grid.setTextMatrix(c.row, c.col, QStringLiteral("x"));
        EXPECT_EQ(grid.TextMatrix(c.row, c.col), QString()) << c.name;
    }
    EXPECT_EQ(grid.Rows(), 8);
    EXPECT_EQ(grid.Cols(), 5);
}

TEST_F(GridTest, rewritingUnchangedTextEmitsNoModelSignal) {
    grid.setTextMatrix(2, 1, QStringLiteral("10.0.0.5"));
    QSignalSpy dataChanged(grid.model(), &QAbstractItemModel::dataChanged);
    QSignalSpy itemChanged(&grid, &QTableWidget::itemChanged);

    grid.setTextMatrix(2, 1, QStringLiteral("10.0.0.5"));
    grid.setTextMatrix(3, 1, QString());  // a blank cell written blank
    EXPECT_EQ(dataChanged.count(), 0);
    EXPECT_EQ(itemChanged.count(), 0);

    grid.setTextMatrix(2, 1, QStringLiteral("DHCP"));
    EXPECT_EQ(dataChanged.count(), 1);
    EXPECT_EQ(grid.TextMatrix(2, 1), QStringLiteral("DHCP"));
}

TEST_F(GridTest, selectionShownIsTheRowsBetweenRowAndRowSel) {
    const struct {
        const char* name;
        int highLight;
        int row;
        int rowSel;
        Rows shown;
    } cases[] = {
        {"highlight off shows nothing", 0, 2, 4, {}},
        {"one row", 1, 3, 3, {3}},
        {"range made downwards", 1, 2, 4, {2, 3, 4}},
        {"range made upwards", 1, 5, 3, {3, 4, 5}},
        {"header row is never shown selected", 1, 0, 2, {1, 2}},
    };
    for (const auto& c : cases) {
        grid.setHighLight(0);
        grid.setRow(c.row);
        grid.setRowSel(c.rowSel);
        grid.setHighLight(c.highLight);
        EXPECT_EQ(shownRows(), c.shown) << c.name;
    }
}

TEST_F(GridTest, settingRowOrColCollapsesTheSelectionOntoTheCursor) {
    grid.setHighLight(1);
    grid.setRow(2);
    grid.setRowSel(5);
    EXPECT_EQ(shownRows(), Rows({2, 3, 4, 5}));
    grid.setCol(1);
    EXPECT_EQ(grid.RowSel(), 2);
    grid.setRowSel(4);
    grid.setRow(3);
    EXPECT_EQ(grid.RowSel(), 3);
    EXPECT_EQ(shownRows(), Rows({3}));
}

TEST_F(GridTest, selectionChangedWhilePaintingIsOffShowsOnceItIsOn) {
    grid.setRedraw(false);
    EXPECT_FALSE(grid.updatesEnabled());
    grid.setHighLight(1);
    grid.setRow(4);
    grid.setRowSel(6);
    grid.setRedraw(true);
    EXPECT_TRUE(grid.updatesEnabled());
    EXPECT_EQ(shownRows(), Rows({4, 5, 6}));
}

TEST_F(GridTest, clickOnDataCellMovesCursorThenReportsDownUpClick) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell(3, 1));
    EXPECT_EQ(log, Log({"down 1/0 r3 c1", "up 1 r3 c1", "click r3 c1"}));
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.RowSel(), 3);
    EXPECT_EQ(grid.Col(), 1);
    // HighLight 0 keeps the selection hidden until the page shows it.
    EXPECT_EQ(shownRows(), Rows());
    grid.setHighLight(1);
    EXPECT_EQ(shownRows(), Rows({3}));
}

TEST_F(GridTest, dragWithLeftButtonStretchesRowSel) {
    grid.setHighLight(1);
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, cell(2, 0));
    QTest::mouseMove(grid.viewport(), cell(5, 0));
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, cell(5, 0));
    EXPECT_EQ(log, Log({"down 1/0 r2 c0", "move 1 r5 c0", "up 1 r5 c0", "click r5 c0"}));
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.RowSel(), 5);
    EXPECT_EQ(shownRows(), Rows({2, 3, 4, 5}));
}

TEST_F(GridTest, shiftClickStretchesFromTheCursorRow) {
    grid.setHighLight(1);
    grid.setRow(2);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, cell(4, 0));
    EXPECT_EQ(log.front(), "down 1/1 r4 c0");
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.RowSel(), 4);
    EXPECT_EQ(shownRows(), Rows({2, 3, 4}));
}

TEST_F(GridTest, rightPressReportsTheRowButLeavesTheCursor) {
    grid.setRow(2);
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, cell(5, 1));
    EXPECT_EQ(log, Log({"down 2/0 r5 c1", "up 2 r5 c1"}));
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.RowSel(), 2);
}

TEST_F(GridTest, headerClickIsReportedAsRowZeroAndLeavesTheSelectionAlone) {
    grid.setHighLight(1);
    grid.setRow(3);
    QTest::mouseClick(headerArea(), Qt::LeftButton, {}, headerSection(2));
    EXPECT_EQ(log, Log({"down 1/0 r0 c2", "up 1 r0 c2", "click r0 c2"}));
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(shownRows(), Rows({3}));
}

TEST_F(GridTest, doubleClickReportsOneClickAndOneDblClickAndOpensNoEditor) {
    const QPoint at = cell(2, 0);
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(log,
              Log({"down 1/0 r2 c0", "up 1 r2 c0", "click r2 c0", "dblclick r2 c0", "up 1 r2 c0"}));
    EXPECT_EQ(grid.findChild<QLineEdit*>(), nullptr);
}

TEST_F(GridTest, releaseAwayFromTheDataRowsReportsWhereItCameUp) {
    const int frameTop = grid.viewport()->y();
    const struct {
        const char* name;
        QPoint releaseInViewport;
        std::string up;
        bool click;
    } cases[] = {
        // Over the header band the row is 0; a release on the grid is still a click.
        {"over the header", {20, -frameTop / 2}, "up 1 r0 c0", true},
        {"above the grid", {20, -frameTop - 10}, "up 1 r0 c0", false},
        // Below the grid the row level with the bottom of the data area is reported.
        {"below the grid",
         {20, grid.height() + 30},
         "up 1 r" + std::to_string(grid.rowAt(grid.viewport()->height() - 1) + 1) + " c0",
         false},
    };
    for (const auto& c : cases) {
        log.clear();
        QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, cell(3, 0));
        QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, c.releaseInViewport);
        ASSERT_GE(log.size(), 2u) << c.name;
        EXPECT_EQ(log[1], c.up) << c.name;
        EXPECT_EQ(log.size() == 3 && log[2].rfind("click", 0) == 0, c.click) << c.name;
    }
}

TEST_F(GridTest, arrowKeysMoveTheCursorAndReportKeyUp) {
    const struct {
        const char* name;
        int startRow;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int row;
        int rowSel;
        Log keyUps;
    } cases[] = {
        {"down moves one row", 2, Qt::Key_Down, {}, 3, 3, {"keyup down/0"}},
        {"up moves one row", 2, Qt::Key_Up, {}, 1, 1, {"keyup up/0"}},
        {"up stops at the first data row", 1, Qt::Key_Up, {}, 1, 1, {"keyup up/0"}},
        {"down stops at the last row", 7, Qt::Key_Down, {}, 7, 7, {"keyup down/0"}},
        // Releasing Shift is a key-up of its own.
        {"shift down stretches the far end",
         2,
         Qt::Key_Down,
         Qt::ShiftModifier,
         2,
         3,
         {"keyup down/1", "keyup shift/0"}},
        {"shift up stretches the far end",
         2,
         Qt::Key_Up,
         Qt::ShiftModifier,
         2,
         1,
         {"keyup up/1", "keyup shift/0"}},
    };
    for (const auto& c : cases) {
        grid.setRow(c.startRow);
        log.clear();
        QTest::keyClick(&grid, c.key, c.modifiers);
        EXPECT_EQ(grid.Row(), c.row) << c.name;
        EXPECT_EQ(grid.RowSel(), c.rowSel) << c.name;
        EXPECT_EQ(log, c.keyUps) << c.name;
    }
}

TEST_F(GridTest, characterKeysReportKeyPressButControlChordsPassThrough) {
    QTest::keyClick(&grid, Qt::Key_A, Qt::NoModifier);
    EXPECT_EQ(log, Log({"keypress 97", "keyup A/0"}));

    log.clear();
    grid.setRow(2);
    QTest::keyClick(&grid, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(log, Log({"keyup A/2", "keyup ctrl/0"}));
    EXPECT_EQ(grid.Row(), 2);
}

TEST_F(GridTest, topRowFollowsScrollingAndSurvivesARewrite) {
    addRowsUpTo(30);
    grid.setTopRow(5);
    EXPECT_EQ(grid.TopRow(), 5);
    EXPECT_EQ(grid.verticalScrollBar()->value(), 4);

    // A rewrite that grows the grid with painting off and then restores the scroll position:
    // the new rows must already count, or the position is clamped to the old range.
    grid.setRedraw(false);
    addRowsUpTo(60);
    grid.setTopRow(40);
    grid.setRedraw(true);
    EXPECT_EQ(grid.TopRow(), 40);
}

TEST_F(GridTest, movingTheCursorFromCodeNeverScrolls) {
    addRowsUpTo(30);
    grid.setTopRow(10);
    grid.setHighLight(1);
    grid.setRow(25);
    grid.setCol(4);
    grid.setRow(2);
    grid.setRowSel(29);
    EXPECT_EQ(grid.TopRow(), 10);
    EXPECT_EQ(grid.horizontalScrollBar()->value(), 0);
}

TEST_F(GridTest, keyboardMovesPastTheLastShownRowScrollOneRow) {
    addRowsUpTo(30);
    grid.setTopRow(1);
    const int lastShown = grid.rowAt(grid.viewport()->height() - 1) + 1;
    // The last row may be cut off at the bottom; start on the last whole one.
    const int lastWhole =
        grid.visualRect(grid.model()->index(lastShown - 1, 0)).bottom() < grid.viewport()->height()
            ? lastShown
            : lastShown - 1;
    grid.setRow(lastWhole);
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.Row(), lastWhole + 1);
    EXPECT_EQ(grid.TopRow(), 2);
    grid.setRow(2);
    QTest::keyClick(&grid, Qt::Key_Up);
    EXPECT_EQ(grid.TopRow(), 1);
}

TEST(GridWheelTest, wheelIsLeftToTheParentAndDoesNotScroll) {
    // Counts the wheel events that reach the grid's parent.
    struct WheelCounter : QObject {
        int wheels = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            wheels += event->type() == QEvent::Wheel ? 1 : 0;
            return false;
        }
    } counter;
    QWidget page;
    page.installEventFilter(&counter);
    Grid grid(&page);
    grid.resize(480, 125);
    while (grid.Rows() < 30) {
        grid.AddItem(QString(), grid.Rows());
    }
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    const QPoint at = grid.viewport()->rect().center();
    QWheelEvent wheel(at, grid.viewport()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);  // as from the window system, so it propagates
    qApp->notify(grid.viewport(), &wheel);      // sendEvent would drop the spontaneous mark
    EXPECT_EQ(grid.TopRow(), 1);
    EXPECT_EQ(counter.wheels, 1);
}

TEST_F(GridTest, sizesAreInTwips) {
    grid.setColWidth(0, 1440);  // one inch
    EXPECT_EQ(grid.columnWidth(0), grid.logicalDpiX());
    grid.setColWidth(4, 0);
    EXPECT_EQ(grid.columnWidth(4), 0);

    const int rowPx = grid.rowHeight(0);
    EXPECT_EQ(grid.RowHeight(0), grid.RowHeight(1));
    EXPECT_EQ(grid.RowHeight(1), qRound(rowPx * 1440.0 / grid.logicalDpiY()));
    if (grid.logicalDpiY() == 96) {
        EXPECT_EQ(grid.RowHeight(1), 15 * rowPx);
    }
}

TEST_F(GridTest, cellAlignmentAppliesToTheCurrentCell) {
    grid.setTextMatrix(2, 1, QStringLiteral("8080"));
    grid.setRow(2);
    grid.setCol(1);
    grid.setCellAlignment(Qt::AlignRight);
    const QTableWidgetItem* item = grid.item(1, 1);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(qvariant_cast<Qt::Alignment>(item->data(Qt::TextAlignmentRole)),
              Qt::AlignRight | Qt::AlignVCenter);
    grid.setCellAlignment(Qt::AlignLeft);
    EXPECT_EQ(qvariant_cast<Qt::Alignment>(item->data(Qt::TextAlignmentRole)),
              Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_EQ(grid.TextMatrix(2, 1), QStringLiteral("8080"));
    EXPECT_EQ(grid.item(1, 0), nullptr);
}

// What a screen reader and a tool tip make of a problem row: its cells describe the problem,
// and the tip keeps every MAC and address whole on its line however narrow it is laid out.
TEST_F(GridTest, aProblemRowIsDescribedAndItsTipNeverSplitsAnAddress) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&grid);
    const QString mac = QStringLiteral("02:50:4D:00:00:03");
    const QString problem = "Shares 192.168.0.10 with " + mac +
                            "\nGateway 10.9.9.9 is outside the subnet 192.168.0.10/255.255.255.0";
    grid.setRowProblem(3, problem);
    EXPECT_EQ(face->tableInterface()->cellAt(2, 1)->text(QAccessible::Description), problem);

    const QStringList words = {mac, "192.168.0.10", "10.9.9.9", "192.168.0.10/255.255.255.0"};
    for (const int width : {40, 90, 160, 260}) {
        QTextDocument tip;
        tip.setHtml(grid.item(2, 3)->toolTip());
        tip.setTextWidth(width);
        ASSERT_GT(tip.size().height(), 0);  // lays the lines out
        QStringList lines;
        for (QTextBlock block = tip.begin(); block.isValid(); block = block.next()) {
            const QTextLayout* layout = block.layout();
            for (int i = 0; i < layout->lineCount(); ++i) {
                lines << block.text().mid(layout->lineAt(i).textStart(),
                                          layout->lineAt(i).textLength());
            }
        }
        for (const QString& word : words) {
            EXPECT_TRUE(lines.join('\n').contains(word)) << width << ": " << word.toStdString();
        }
    }
}

}  // namespace
}  // namespace pelmora
