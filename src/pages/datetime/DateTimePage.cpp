#include "pages/datetime/DateTimePage.h"

#include <QVBoxLayout>

#include "pages/datetime/DateTimeRows.h"

namespace pelmora {
namespace {

constexpr int kAlignLeft = 1;
constexpr int kAlignRight = 7;

}  // namespace

DateTimePage::DateTimePage(QWidget* parent)
    : SettingsPage({{"", 310},
                    {"IP address", 2300},
                    {"Model", 1800},
                    {"Current date time", 3000},
                    {"", 8000}},
                   1000, parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_);
    layout->addStretch();
}

void DateTimePage::refreshGrid() {
    if (table_ == nullptr || table_->discoveryEnabled == 0) {
        return;
    }
    grid_->setRedraw(false);
    nextRow_ = 1;
    const int topRow = grid_->TopRow();
    const auto records = table_->liveRecords();
    for (int index = 0; index < static_cast<int>(records.size()); ++index) {
        if (table_->stopRequested == 1) {
            return;
        }
        const auto& record = records[index];
        if (!isListed(record)) {
            continue;
        }
        if (nextRow_ >= grid_->Rows()) {
            grid_->AddItem(QString(), grid_->Rows());
        }
        writeRow(nextRow_, dateTimeRowCells(record, index));
        ++nextRow_;
    }
    while (grid_->Rows() > kMinimumRows && nextRow_ < grid_->Rows()) {
        grid_->RemoveItem(grid_->Rows() - 1);
    }
    for (int row = nextRow_; row < kMinimumRows; ++row) {
        writeRow(row, std::vector<std::string>(columnCount()));
    }
    placeScrollBar(topRow);
    grid_->setRedraw(true);
}

// The mark and the table index stand at the right of their cells.
int DateTimePage::cellAlignment(int column) const {
    return column == 0 || column == 4 ? kAlignRight : kAlignLeft;
}

// Only the header matters here for now: columns 0 and 3 do not sort.
void DateTimePage::gridClick() {
    if (grid_->MouseRow() != 0) {
        return;
    }
    const int column = grid_->MouseCol();
    if (column == 0 || column == 3) {
        return;
    }
    emit sortColumn(column, 0);
    grid_->setHighLight(0);
    grid_->Clear();
    writeHeaders();
}

}  // namespace pelmora
