// The camera list view: the selection the user sees (and a screen reader hears), and the mouse
// and keyboard events in the order the pages' handlers expect them, with the rows they report.
#include "widgets/CameraListView.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QWheelEvent>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "widgets/CameraListModel.h"

namespace pelmora {
namespace {

using Log = std::vector<std::string>;
using Rows = std::vector<int>;

std::vector<CameraListRow> cameras(int count) {
    std::vector<CameraListRow> out;
    for (int i = 0; i < count; ++i) {
        const std::string mac = "02:50:4D:00:00:" + std::to_string(10 + i);
        CameraListRow& row = out.emplace_back();
        row.mac = mac;
        row.cells = {mac, "10.2.0." + std::to_string(i + 1), "PM-C110", "S", "1.0"};
    }
    return out;
}

std::string buttonName(Qt::MouseButtons buttons) {
    return buttons == Qt::LeftButton ? "left" : buttons == Qt::RightButton ? "right" : "other";
}

std::string keyName(Qt::Key key) {
    return key == Qt::Key_Up        ? "up"
           : key == Qt::Key_Down    ? "down"
           : key == Qt::Key_Shift   ? "shift"
           : key == Qt::Key_Control ? "ctrl"
           : key == Qt::Key_A       ? "A"
                                    : "other";
}

std::string modifierNames(Qt::KeyboardModifiers modifiers) {
    return std::string(modifiers & Qt::ShiftModifier ? "+shift" : "") +
           (modifiers & Qt::ControlModifier ? "+ctrl" : "");
}

class CameraListViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        model.setMinimumRows(7);
        view.setCameraModel(&model);
        // The size the pages give it: the header and fewer than the seven blank rows fit.
        view.resize(480, 125);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        // Every event is logged with the cell the view reports at that moment, so a test sees
        // both the order and what a handler would read.
        const auto at = [this] {
            return " r" + std::to_string(view.pointerRow()) + " c" +
                   std::to_string(view.pointerColumn());
        };
        QObject::connect(
            &view, &CameraListView::pressed,
            [this, at](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint) {
                log.push_back("down " + buttonName(button) + modifierNames(modifiers) + at());
            });
        QObject::connect(&view, &CameraListView::moved,
                         [this, at](Qt::MouseButtons buttons, Qt::KeyboardModifiers, QPoint) {
                             log.push_back("move " + buttonName(buttons) + at());
                         });
        QObject::connect(&view, &CameraListView::released,
                         [this, at](Qt::MouseButton button, Qt::KeyboardModifiers, QPoint) {
                             log.push_back("up " + buttonName(button) + at());
                         });
        QObject::connect(&view, &CameraListView::clicked,
                         [this, at] { log.push_back("click" + at()); });
        QObject::connect(&view, &CameraListView::doubleClicked,
                         [this, at] { log.push_back("dblclick" + at()); });
        QObject::connect(&view, &CameraListView::typed, [this](QChar character) {
            log.push_back("typed " + QString(character).toStdString());
        });
        QObject::connect(&view, &CameraListView::keyReleased,
                         [this](Qt::Key key, Qt::KeyboardModifiers modifiers) {
                             log.push_back("keyup " + keyName(key) + modifierNames(modifiers));
                         });
    }

    QPoint cell(int row, int col) const { return view.visualRect(model.index(row, col)).center(); }

    QPoint headerSection(int col) const {
        const QHeaderView* header = view.horizontalHeader();
        return {header->sectionViewportPosition(col) + header->sectionSize(col) / 2,
                header->height() / 2};
    }

    // The rows the selection model holds, each checked to be selected whole and to read as
    // selected on the accessibility bus.
    Rows shownRows() {
        std::set<int> rows;
        for (const QModelIndex& index : view.selectionModel()->selectedIndexes()) {
            rows.insert(index.row());
        }
        QAccessibleTableInterface* cells =
            QAccessible::queryAccessibleInterface(&view)->tableInterface();
        for (int row = 0; row < view.rowCount(); ++row) {
            const bool shown = rows.contains(row);
            EXPECT_EQ(view.selectionModel()->isRowSelected(row, {}), shown) << "row " << row;
            EXPECT_EQ(cells->isRowSelected(row), shown) << "row " << row;
            EXPECT_EQ(view.isRowSelected(row), shown) << "row " << row;
        }
        return {rows.begin(), rows.end()};
    }

    CameraListModel model{{"MAC address", "IP address", "Model", "Serial No.", "Version No."}};
    CameraListView view;
    Log log;
};

TEST_F(CameraListViewTest, theSelectionShownIsTheRowsBetweenAnchorAndExtentLessThoseLeftOut) {
    const struct {
        const char* name;
        bool shown;
        int anchor;
        int extent;
        Rows leftOut;
        Rows expected;
    } cases[] = {
        {"selection hidden: nothing", false, 1, 3, {}, {}},
        {"one row", true, 2, 2, {}, {2}},
        {"range made downwards", true, 1, 3, {}, {1, 2, 3}},
        {"range made upwards", true, 4, 2, {}, {2, 3, 4}},
        {"rows a rewrite put between the chosen", true, 0, 4, {1, 3}, {0, 2, 4}},
    };
    for (const auto& c : cases) {
        view.showSelection(false);
        view.setAnchorRow(c.anchor);
        view.setExtentRow(c.extent);
        view.setRowsLeftOut(c.leftOut);
        view.showSelection(c.shown);
        EXPECT_EQ(shownRows(), c.expected) << c.name;
    }
}

TEST_F(CameraListViewTest, aNewAnchorCollapsesTheSelectionANewExtentKeepsTheRowsLeftOut) {
    view.showSelection(true);
    view.setAnchorRow(1);
    view.setExtentRow(5);
    view.setRowsLeftOut({2, 4});
    EXPECT_EQ(shownRows(), Rows({1, 3, 5}));
    view.setExtentRow(3);
    EXPECT_EQ(view.rowsLeftOut(), Rows({2})) << "row 4 is out of the range now";
    EXPECT_EQ(shownRows(), Rows({1, 3}));
    view.setAnchorRow(2);
    EXPECT_EQ(view.extentRow(), 2);
    EXPECT_TRUE(view.rowsLeftOut().empty());
    EXPECT_EQ(shownRows(), Rows({2}));
}

TEST_F(CameraListViewTest, aGestureMovesTheRowsAndIsReportedWithTheCellUnderThePointer) {
    QWidget* rows = view.viewport();
    QWidget* header = view.horizontalHeader()->viewport();
    const struct {
        const char* name;
        bool shown;  // the selection shown before the gesture
        std::function<void()> gesture;
        Log log;
        int anchor;
        int extent;
    } cases[] = {
        // A left press moves the anchor whatever is shown; the page decides what to show.
        {"click on a row",
         false,
         [&] { QTest::mouseClick(rows, Qt::LeftButton, {}, cell(2, 1)); },
         {"down left r2 c1", "up left r2 c1", "click r2 c1"},
         2,
         2},
        {"drag stretches the extent",
         true,
         [&] {
             QTest::mousePress(rows, Qt::LeftButton, {}, cell(1, 0));
             QTest::mouseMove(rows, cell(4, 0));
             QTest::mouseRelease(rows, Qt::LeftButton, {}, cell(4, 0));
         },
         {"down left r1 c0", "move left r4 c0", "up left r4 c0", "click r4 c0"},
         1,
         4},
        {"shift-click stretches from the anchor",
         true,
         [&] { QTest::mouseClick(rows, Qt::LeftButton, Qt::ShiftModifier, cell(3, 0)); },
         {"down left+shift r3 c0", "up left r3 c0", "click r3 c0"},
         0,
         3},
        {"a right press reports its row but leaves the selection",
         true,
         [&] { QTest::mouseClick(rows, Qt::RightButton, {}, cell(4, 1)); },
         {"down right r4 c1", "up right r4 c1"},
         0,
         0},
        {"a header press is row -1 and leaves the selection",
         true,
         [&] { QTest::mouseClick(header, Qt::LeftButton, {}, headerSection(2)); },
         {"down left r-1 c2", "up left r-1 c2", "click r-1 c2"},
         0,
         0},
        {"a double-click is one click and one double-click",
         true,
         [&] {
             QTest::mousePress(rows, Qt::LeftButton, {}, cell(1, 0));
             QTest::mouseRelease(rows, Qt::LeftButton, {}, cell(1, 0));
             QTest::mouseDClick(rows, Qt::LeftButton, {}, cell(1, 0));
             QTest::mouseRelease(rows, Qt::LeftButton, {}, cell(1, 0));
         },
         {"down left r1 c0", "up left r1 c0", "click r1 c0", "dblclick r1 c0", "up left r1 c0"},
         1,
         1},
    };
    for (const auto& c : cases) {
        view.setAnchorRow(0);
        view.showSelection(c.shown);
        log.clear();
        c.gesture();
        EXPECT_EQ(log, c.log) << c.name;
        EXPECT_EQ(view.anchorRow(), c.anchor) << c.name;
        EXPECT_EQ(view.extentRow(), c.extent) << c.name;
        Rows expected;
        if (c.shown) {
            for (int row = std::min(c.anchor, c.extent); row <= std::max(c.anchor, c.extent);
                 ++row) {
                expected.push_back(row);
            }
        }
        EXPECT_EQ(shownRows(), expected) << c.name;
    }
    EXPECT_EQ(view.findChild<QLineEdit*>(), nullptr) << "no editor opens";
}

TEST_F(CameraListViewTest, aReleaseAwayFromTheRowsReportsWhereItCameUp) {
    const int frameTop = view.viewport()->y();
    const struct {
        const char* name;
        QPoint releaseInViewport;
        std::string up;
        bool click;
    } cases[] = {
        // Over the header band the row is -1; a release on the list is still a click.
        {"over the header", {20, -frameTop / 2}, "up left r-1 c0", true},
        {"above the list", {20, -frameTop - 10}, "up left r-1 c0", false},
        // Below the list the row level with the bottom of the rows' area is reported.
        {"below the list",
         {20, view.height() + 30},
         "up left r" + std::to_string(view.rowAt(view.viewport()->height() - 1)) + " c0",
         false},
    };
    for (const auto& c : cases) {
        log.clear();
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, cell(2, 0));
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, c.releaseInViewport);
        ASSERT_GE(log.size(), 2u) << c.name;
        EXPECT_EQ(log[1], c.up) << c.name;
        EXPECT_EQ(log.size() == 3 && log[2].rfind("click", 0) == 0, c.click) << c.name;
    }
}

TEST_F(CameraListViewTest, keysMoveTheAnchorOrWithShiftTheExtentAndReportTheirRelease) {
    model.setCameras(cameras(30));
    const int page = view.fullyVisibleRows();
    ASSERT_GT(page, 1);
    const struct {
        const char* name;
        int start;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int anchor;
        int extent;
    } cases[] = {
        {"down moves one row", 2, Qt::Key_Down, {}, 3, 3},
        {"up moves one row", 2, Qt::Key_Up, {}, 1, 1},
        {"up stops at the first row", 0, Qt::Key_Up, {}, 0, 0},
        {"down stops at the last row", 29, Qt::Key_Down, {}, 29, 29},
        {"shift+down stretches the extent", 2, Qt::Key_Down, Qt::ShiftModifier, 2, 3},
        {"shift+up stretches the extent", 2, Qt::Key_Up, Qt::ShiftModifier, 2, 1},
        {"page down moves a page", 2, Qt::Key_PageDown, {}, 2 + page, 2 + page},
        {"page up moves a page", 20, Qt::Key_PageUp, {}, 20 - page, 20 - page},
        {"page up stops at the first row", 1, Qt::Key_PageUp, {}, 0, 0},
        {"page down stops at the last row", 28, Qt::Key_PageDown, {}, 29, 29},
        {"shift+page down stretches", 2, Qt::Key_PageDown, Qt::ShiftModifier, 2, 2 + page},
    };
    for (const auto& c : cases) {
        view.setAnchorRow(c.start);
        log.clear();
        QTest::keyClick(&view, c.key, c.modifiers);
        EXPECT_EQ(view.anchorRow(), c.anchor) << c.name;
        EXPECT_EQ(view.extentRow(), c.extent) << c.name;
        // Releasing Shift is a key release of its own.
        Log keyUps{"keyup " + keyName(c.key) + modifierNames(c.modifiers)};
        if (c.modifiers & Qt::ShiftModifier) {
            keyUps.push_back("keyup shift");
        }
        EXPECT_EQ(log, keyUps) << c.name;
        // The row the key moved to is shown whole.
        EXPECT_GE(c.extent, view.firstVisibleRow()) << c.name;
        EXPECT_LT(c.extent, view.firstVisibleRow() + page) << c.name;
    }
}

TEST_F(CameraListViewTest, charactersAreReportedTypedButControlChordsPassThrough) {
    QTest::keyClick(&view, Qt::Key_A, Qt::NoModifier);
    EXPECT_EQ(log, Log({"typed a", "keyup A"}));

    log.clear();
    view.setAnchorRow(2);
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(log, Log({"keyup A+ctrl", "keyup ctrl"}));
    EXPECT_EQ(view.anchorRow(), 2);
}

// The pages move the rows freely and keep the scroll position themselves: code never scrolls,
// while a key or a drag past the rows shown scrolls one row at a time.
TEST_F(CameraListViewTest, movingTheRowsFromCodeNeverScrollsKeysAndDragsPastTheEdgeDo) {
    model.setCameras(cameras(30));
    view.scrollToRow(9);
    view.showSelection(true);
    view.setAnchorRow(24);
    view.setAnchorRow(1);
    view.setExtentRow(28);
    EXPECT_EQ(view.firstVisibleRow(), 9);
    EXPECT_EQ(view.horizontalScrollBar()->value(), 0);

    view.scrollToRow(0);
    const int lastShown = view.rowAt(view.viewport()->height() - 1);
    // The last row may be cut off at the bottom; start on the last whole one.
    const int lastWhole =
        view.visualRect(model.index(lastShown, 0)).bottom() < view.viewport()->height()
            ? lastShown
            : lastShown - 1;
    view.setAnchorRow(lastWhole);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.anchorRow(), lastWhole + 1);
    EXPECT_EQ(view.firstVisibleRow(), 1);
    view.setAnchorRow(1);
    QTest::keyClick(&view, Qt::Key_Up);
    EXPECT_EQ(view.firstVisibleRow(), 0);

    // Each move past an edge scrolls one row and stretches the selection to the edge row.
    const QPoint below(20, view.viewport()->height() + 10);
    const QPoint above(20, -view.viewport()->y() - 10);
    const struct {
        QPoint at;
        int firstVisible;
        int extent;
    } moves[] = {
        {below, 1, view.fullyVisibleRows()},
        {below, 2, view.fullyVisibleRows() + 1},
        {above, 1, 1},
        {above, 0, 0},
        {above, 0, 0},
    };
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, cell(2, 0));
    for (const auto& move : moves) {
        QTest::mouseMove(view.viewport(), move.at);
        EXPECT_EQ(view.firstVisibleRow(), move.firstVisible) << move.at.y();
        EXPECT_EQ(view.extentRow(), move.extent) << move.at.y();
        EXPECT_EQ(view.anchorRow(), 2);
    }
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, above);
}

// A page rewrites the list with updates paused and then puts its scroll position back: the new
// rows must already count, or the position is clamped to the old range.
TEST_F(CameraListViewTest, aPausedRewriteKeepsTheScrollItRestoresAndShowsTheSelectionAfter) {
    model.setCameras(cameras(30));
    view.scrollToRow(4);
    EXPECT_EQ(view.firstVisibleRow(), 4);
    EXPECT_EQ(view.verticalScrollBar()->value(), 4);

    view.pauseUpdates(true);
    model.setCameras(cameras(60));
    view.scrollToRow(40);
    view.showSelection(true);
    view.setAnchorRow(44);
    view.setExtentRow(46);
    view.pauseUpdates(false);
    EXPECT_EQ(view.firstVisibleRow(), 40);
    EXPECT_EQ(shownRows(), Rows({44, 45, 46}));
}

// A sort empties the list until the next rewrite lists the cameras again: the keyboard's row
// stays where it was, not at the top.
TEST_F(CameraListViewTest, aListEmptiedAndFilledAgainKeepsTheAnchorRow) {
    model.setCameras(cameras(12));
    view.setAnchorRow(3);
    model.setCameras({});
    EXPECT_EQ(view.anchorRow(), 3);
    model.setCameras(cameras(12));
    EXPECT_EQ(view.anchorRow(), 3);
}

TEST(CameraListViewWheelTest, theWheelIsLeftToTheParentAndDoesNotScroll) {
    // Counts the wheel events that reach the view's parent.
    struct WheelCounter : QObject {
        int wheels = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            wheels += event->type() == QEvent::Wheel ? 1 : 0;
            return false;
        }
    } counter;
    QWidget page;
    page.installEventFilter(&counter);
    CameraListModel model({"MAC address"});
    model.setCameras(cameras(30));
    CameraListView view(&page);
    view.setCameraModel(&model);
    view.resize(480, 125);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    const QPoint at = view.viewport()->rect().center();
    QWheelEvent wheel(at, view.viewport()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);  // as from the window system, so it propagates
    qApp->notify(view.viewport(), &wheel);      // sendEvent would drop the spontaneous mark
    EXPECT_EQ(view.firstVisibleRow(), 0);
    EXPECT_EQ(counter.wheels, 1);
}

// While the list has the keyboard its anchor row is framed, selected or not.
TEST_F(CameraListViewTest, theAnchorRowIsFramedWhileTheListHasTheKeyboard) {
    view.setAnchorRow(2);
    const QColor frame = view.palette().color(QPalette::Highlight);
    const auto framed = [&](int row) {
        const QRect rect = view.visualRect(model.index(row, 1));
        return view.viewport()->grab().toImage().pixelColor(rect.center().x(), rect.top() + 1) ==
               frame;
    };
    view.activateWindow();
    view.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.hasFocus(); }));
    EXPECT_TRUE(framed(2));
    EXPECT_FALSE(framed(1));
    view.clearFocus();
    EXPECT_FALSE(framed(2));
}

// What a screen reader and a tool tip make of a problem row: its cells describe the problem,
// and the tip keeps every MAC and address whole on its line however narrow it is laid out.
TEST_F(CameraListViewTest, aProblemRowIsDescribedAndItsTipNeverSplitsAnAddress) {
    const QString mac = QStringLiteral("02:50:4D:00:00:03");
    const QString problem = "Shares 192.168.0.10 with " + mac +
                            "\nGateway 10.9.9.9 is outside the subnet 192.168.0.10/255.255.255.0";
    auto listed = cameras(3);
    listed[2].problem = problem.toStdString();
    model.setCameras(listed);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&view);
    EXPECT_EQ(face->tableInterface()->cellAt(2, 1)->text(QAccessible::Description), problem);

    const QStringList words = {mac, "192.168.0.10", "10.9.9.9", "192.168.0.10/255.255.255.0"};
    for (const int width : {40, 90, 160, 260}) {
        QTextDocument tip;
        tip.setHtml(model.data(model.index(2, 3), Qt::ToolTipRole).toString());
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
