// The camera list model: each rewrite tells the views only what changed, and a view's selection
// follows its cameras through sorts.
#include "widgets/CameraListModel.h"

#include <gtest/gtest.h>

#include <QItemSelectionModel>
#include <QSignalSpy>
#include <string>
#include <vector>

namespace pelmora {
namespace {

// A list written as "A B* C": cameras by MAC in order; a star marks a problem, "=x" gives the
// model column text x.
std::vector<CameraListRow> cameras(const std::string& list) {
    std::vector<CameraListRow> out;
    std::size_t at = 0;
    while (at < list.size()) {
        const std::size_t end = std::min(list.find(' ', at), list.size());
        std::string word = list.substr(at, end - at);
        at = end + 1;
        CameraListRow camera;
        const std::size_t eq = word.find('=');
        const std::string model = eq == std::string::npos ? "PM-C110" : word.substr(eq + 1);
        word = word.substr(0, eq);
        if (word.back() == '*') {
            word.pop_back();
            camera.problem = "Shares 10.2.0.7 with " + word;
        }
        camera.mac = word;
        camera.cells = {word, "10.2.0.7", model};
        out.push_back(std::move(camera));
    }
    return out;
}

std::vector<std::string> order(const CameraListModel& model) {
    std::vector<std::string> out;
    for (int row = 0; row < model.rowCount(); ++row) {
        out.push_back(model.macAt(row));
    }
    return out;
}

std::vector<std::string> order(const std::vector<CameraListRow>& listed) {
    std::vector<std::string> out;
    for (const auto& camera : listed) {
        out.push_back(camera.mac);
    }
    return out;
}

struct Step {
    const char* list;
    int inserted;     // rows inserted
    int removed;      // rows removed
    int changedRows;  // rows covered by dataChanged
    int layouts;      // layout changes (a sort moved cameras)
};

TEST(CameraListModel, aRewriteSignalsTheRowsThatChangedAndNeverResets) {
    const Step steps[] = {
        {"A B C D", 4, 0, 0, 0},       // the first fill
        {"A B C D", 0, 0, 0, 0},       // the 5-second tick with nothing new: no signal
        {"A B=X C D", 0, 0, 1, 0},     // one camera changed: one row
        {"A B=X C* D", 0, 0, 1, 0},    // a problem found
        {"A C* D", 0, 1, 0, 0},        // a camera aged out
        {"E A C* F D G", 3, 0, 0, 0},  // cameras came, in the table's order
        {"G F E D C* A", 0, 0, 0, 1},  // a sort reversed the order
        {"G F=Y E", 0, 3, 1, 0},       // the filter narrowed and a camera changed
        {"", 0, 3, 0, 0},
    };
    CameraListModel model({"MAC address", "IP address", "Model"});
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    for (const Step& step : steps) {
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy layouts(&model, &QAbstractItemModel::layoutChanged);
        model.setCameras(cameras(step.list));
        const auto rows = [](const QSignalSpy& spy, int first, int last) {
            int n = 0;
            for (const auto& args : spy) {
                const auto a = args.at(first), b = args.at(last);
                n += (b.canConvert<int>() ? b.toInt() - a.toInt()
                                          : b.toModelIndex().row() - a.toModelIndex().row()) +
                     1;
            }
            return n;
        };
        SCOPED_TRACE(step.list);
        EXPECT_EQ(order(model), order(cameras(step.list)));
        EXPECT_EQ(rows(inserted, 1, 2), step.inserted);
        EXPECT_EQ(rows(removed, 1, 2), step.removed);
        EXPECT_EQ(rows(changed, 0, 1), step.changedRows);
        EXPECT_EQ(layouts.size(), step.layouts);
    }
    EXPECT_EQ(resets.size(), 0);
}

TEST(CameraListModel, showsTextsProblemMarkAndAlignmentByRole) {
    CameraListModel model({"MAC address", "IP address", "Model"});
    model.setAlignment(1, Qt::AlignRight);
    model.setCameras(cameras("A B*=<i>x</i>"));
    const QModelIndex ok = model.index(0, 1);
    const QModelIndex marked = model.index(1, 2);
    EXPECT_EQ(model.data(marked, Qt::DisplayRole).toString(), "<i>x</i>");
    EXPECT_EQ(model.data(marked, Qt::AccessibleDescriptionRole).toString(),
              "Shares 10.2.0.7 with B");
    EXPECT_FALSE(model.data(ok, Qt::ToolTipRole).isValid());
    EXPECT_FALSE(model.data(ok, Qt::AccessibleDescriptionRole).isValid());
    EXPECT_TRUE(model.data(model.index(1, 0), Qt::DecorationRole).isValid());
    EXPECT_FALSE(model.data(marked, Qt::DecorationRole).isValid()) << "the mark is in column 0";
    EXPECT_EQ(model.data(ok, Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Model");
}

// Below the cameras the list shows blank rows up to its minimum: they come and go at the foot,
// and a camera that takes a blank row's place is inserted above them like any other.
TEST(CameraListModel, blankRowsFillTheListToItsMinimumBelowTheCameras) {
    const struct {
        const char* list;
        int rows;
    } steps[] = {{"", 4}, {"A", 4}, {"B A", 4}, {"B A C D E", 5}, {"A", 4}, {"", 4}};
    CameraListModel model({"MAC address", "IP address", "Model"});
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    model.setMinimumRows(4);
    for (const auto& step : steps) {
        model.setCameras(cameras(step.list));
        SCOPED_TRACE(step.list);
        ASSERT_EQ(model.rowCount(), step.rows);
        const auto listed = order(cameras(step.list));
        for (int row = 0; row < model.rowCount(); ++row) {
            const bool blank = row >= static_cast<int>(listed.size());
            EXPECT_EQ(model.macAt(row), blank ? "" : listed[static_cast<std::size_t>(row)]);
            EXPECT_EQ(model.data(model.index(row, 0), Qt::DisplayRole).toString().isEmpty(), blank);
        }
    }
    EXPECT_EQ(resets.size(), 0);
}

// A selection held by the view follows its cameras wherever a sort or a rewrite puts them, and
// so does the current row; a camera that leaves takes only itself out of the selection.
TEST(CameraListModel, theViewsSelectionFollowsItsCamerasThroughSortsAndRewrites) {
    const struct {
        const char* list;
        const char* selected;
        const char* current;
    } steps[] = {
        {"A B C D E", "B D", "D"},     {"E D C B A", "D B", "D"}, {"F E D X C B A", "D B", "D"},
        {"F E X C B A", "B", nullptr}, {"A B C", "B", nullptr},
    };
    CameraListModel model({"MAC address", "IP address", "Model"});
    QItemSelectionModel selection(&model);
    model.setCameras(cameras(steps[0].list));
    for (const int row : {1, 3}) {
        selection.select(model.index(row, 0),
                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    selection.setCurrentIndex(model.index(3, 0), QItemSelectionModel::NoUpdate);
    for (const auto& step : steps) {
        model.setCameras(cameras(step.list));
        std::string selected;
        for (int row = 0; row < model.rowCount(); ++row) {
            if (selection.isRowSelected(row)) {
                selected += (selected.empty() ? "" : " ") + model.macAt(row);
            }
        }
        SCOPED_TRACE(step.list);
        EXPECT_EQ(selected, step.selected);
        if (step.current != nullptr) {
            EXPECT_EQ(model.macAt(selection.currentIndex().row()), step.current);
        }
    }
}

}  // namespace
}  // namespace pelmora
