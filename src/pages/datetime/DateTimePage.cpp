#include "pages/datetime/DateTimePage.h"

#include <QAbstractItemView>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "model/FixedText.h"
#include "settings/datetime/DateTimeChoices.h"
#include "settings/datetime/DateTimeRows.h"
#include "widgets/FormControls.h"
#include "widgets/MessagePort.h"

namespace pelmora {
namespace {

constexpr int kMarkColumn = 0;
constexpr int kAddressColumn = 1;
constexpr int kIndexColumn = 4;
// The hand-picked date and time's lists, as screen readers announce them.
constexpr std::array<const char*, 6> kDateTimeListNames{"Year", "Month",  "Day",
                                                        "Hour", "Minute", "Second"};

QComboBox* numberList(QWidget* parent, NumberList list) {
    auto* box = new QComboBox(parent);
    for (const auto& text : numberListTexts(list)) {
        box->addItem(QString::fromStdString(text));
    }
    // The page never preselects a value: an unchosen list is refused by the checks.
    box->setCurrentIndex(-1);
    return box;
}

// What a screen reader says for a mark: ">>" alone would be read as two signs.
QString spokenMark(const QString& mark) {
    return mark == QLatin1String(">>") ? QStringLiteral("marked") : QString();
}

QString pcClockText(const std::tm& now) {
    char text[64];
    std::snprintf(text, sizeof text, "%d-%d-%d      %d:%02d:%02d", now.tm_year + 1900,
                  now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec);
    return QString::fromLatin1(text);
}

}  // namespace

DateTimePage::DateTimePage(QWidget* parent)
    : SettingsPage({{"", 310},
                    {"IP address", 2300},
                    {"Model", 1800},
                    {"Current date time", 3000},
                    {"", 8000}},
                   1000, parent),
      format_(new QComboBox(this)),
      zone_(new QComboBox(this)),
      pcClock_(new QLineEdit(this)),
      manualOk_(new QPushButton("&OK", this)),
      pcClockOk_(new QPushButton("O&K", this)) {
    for (const auto& choice : kDateFormats) {
        format_->addItem(QString::fromLatin1(choice.listText.data(),
                                             static_cast<qsizetype>(choice.listText.size())));
    }
    for (const auto zone : kTimeZoneTexts) {
        zone_->addItem(QString::fromLatin1(zone.data(), static_cast<qsizetype>(zone.size())));
    }
    // The table index ties a row to its record; nobody reads it.
    keepColumnsOffView(kIndexColumn);
    // A camera with a problem shows its warning icon beside its mark, not under it.
    const int iconPx = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, grid_);
    widenColumn(kMarkColumn, iconPx + grid_->fontMetrics().horizontalAdvance("NG") +
                                 3 * grid_->fontMetrics().horizontalAdvance(' ') + 8);
    format_->setCurrentIndex(-1);
    zone_->setCurrentIndex(-1);
    // The lists that drop down are read by the same names as their boxes.
    format_->view()->setAccessibleName("Date time format");
    zone_->view()->setAccessibleName("Time zone selecting");
    zone_->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    auto* choices = new QGridLayout;
    choices->addWidget(buddyLabel("Date &time format", format_, this), 0, 0);
    choices->addWidget(format_, 0, 1, Qt::AlignLeft);
    choices->addWidget(buddyLabel("Time &zone selecting", zone_, this), 1, 0);
    choices->addWidget(zone_, 1, 1, Qt::AlignLeft);
    choices->setColumnStretch(1, 1);

    // A group's letter moves the keyboard to its first list.
    auto* manualGroup = new QGroupBox("&Manual current date time setting", this);
    auto* manual = new QHBoxLayout(manualGroup);
    const std::array<NumberList, 6> lists{kYearList, kMonthList,  kDayList,
                                          kHourList, kMinuteList, kSecondList};
    // The separators that follow each list: "2001-01-01  00:00:00".
    const std::array<const char*, 6> after{"-", "-", "", ":", ":", ""};
    manual->addWidget(plainLabel("20", manualGroup));
    for (std::size_t i = 0; i < lists.size(); ++i) {
        dateTime_[i] = numberList(manualGroup, lists[i]);
        dateTime_[i]->setAccessibleName(kDateTimeListNames[i]);
        dateTime_[i]->view()->setAccessibleName(kDateTimeListNames[i]);
        manual->addWidget(dateTime_[i]);
        if (after[i][0] != '\0') {
            manual->addWidget(plainLabel(after[i], manualGroup));
        } else if (i + 1 < lists.size()) {
            manual->addSpacing(dateTime_[i]->fontMetrics().horizontalAdvance("00"));
        }
    }
    manual->addStretch();
    manualOk_->setParent(manualGroup);
    manual->addWidget(manualOk_);

    auto* pcGroup = new QGroupBox("PC &current date time setting", this);
    auto* pc = new QHBoxLayout(pcGroup);
    pcClock_->setParent(pcGroup);
    pcClock_->setReadOnly(true);
    pcClock_->setAccessibleName("PC current date time");
    pcClock_->setAlignment(Qt::AlignCenter);
    pcClock_->setMinimumWidth(
        pcClock_->fontMetrics().horizontalAdvance("2037-12-31      23:59:59") +
        pcClock_->fontMetrics().horizontalAdvance("MMMM"));
    pc->addWidget(pcClock_);
    pc->addStretch();
    pcClockOk_->setParent(pcGroup);
    pc->addWidget(pcClockOk_);

    auto* layout = formArea();
    layout->addLayout(choices);
    layout->addWidget(manualGroup);
    layout->addWidget(pcGroup);

    setReadingOrder({format_, zone_, dateTime_[0], dateTime_[1], dateTime_[2], dateTime_[3],
                     dateTime_[4], dateTime_[5], manualOk_, pcClock_, pcClockOk_});
    describeButton(manualOk_, "Send this date and time to the marked cameras");
    describeButton(pcClockOk_, "Send this PC's date and time to the marked cameras");

    connect(manualOk_, &QPushButton::clicked, this, &DateTimePage::onManualOk);
    connect(pcClockOk_, &QPushButton::clicked, this, &DateTimePage::onPcClockOk);
}

void DateTimePage::refreshGrid() {
    if (table_ == nullptr || table_->discoveryEnabled == 0) {
        return;
    }
    grid_->setRedraw(false);
    settleAnswers();
    nextRow_ = 1;
    const int topRow = grid_->TopRow();
    // The rewrite moves the cursor over every cell; it goes back where the keyboard left it.
    const int cursorRow = grid_->Row();
    const auto records = table_->liveRecords();
    for (int index = 0; index < static_cast<int>(records.size()); ++index) {
        if (table_->stopRequested == 1) {
            return;
        }
        const auto& record = records[index];
        if (!isListed(record) || !admittedByFilter(record)) {
            continue;
        }
        if (nextRow_ >= grid_->Rows()) {
            grid_->AddItem(QString(), grid_->Rows());
        }
        writeRow(nextRow_, dateTimeRowCells(record, index));
        grid_->setSpokenText(nextRow_, kMarkColumn,
                             spokenMark(grid_->TextMatrix(nextRow_, kMarkColumn)));
        markRow(nextRow_, &record);
        ++nextRow_;
    }
    while (grid_->Rows() > kMinimumRows && nextRow_ < grid_->Rows()) {
        grid_->RemoveItem(grid_->Rows() - 1);
    }
    for (int row = nextRow_; row < kMinimumRows; ++row) {
        writeRow(row, std::vector<std::string>(columnCount()));
        grid_->setSpokenText(row, kMarkColumn, {});
        markRow(row, nullptr);
    }
    // A camera no longer listed loses its mark, so it is not sent to when it returns.
    table_->modify([](TableData& data) {
        for (auto& record : data.records) {
            if (!isListed(record) && record.dateTimeMark[0] != '\0') {
                copyField(record.dateTimeMark, "");
            }
        }
    });
    placeScrollBar(topRow);
    grid_->setRow(std::clamp(cursorRow, 1, grid_->Rows() - 1));
    grid_->setRedraw(true);
    pcClock_->setText(pcClockText(clock_()));
}

// The receive thread leaves −1 or −2 in the slot of an answered date and time request; only
// this page frees such slots. A slot whose camera has left the table stays taken.
void DateTimePage::settleAnswers() {
    table_->modify([](TableData& data) {
        for (auto& slot : data.pending) {
            if (slot.state != PendingRequest::kDateTimeAccepted &&
                slot.state != PendingRequest::kDateTimeRefused) {
                continue;
            }
            const auto mac = fieldText(slot.mac);
            for (auto& record : data.records) {
                if (!record.isFree() && fieldText(record.mac) == mac) {
                    copyField(record.dateTimeMark,
                              slot.state == PendingRequest::kDateTimeAccepted ? "OK" : "NG");
                    slot.state = PendingRequest::kFree;
                    break;
                }
            }
        }
    });
}

// The mark and the table index stand at the right of their cells.
Qt::Alignment DateTimePage::cellAlignment(int column) const {
    return column == kMarkColumn || column == kIndexColumn ? Qt::AlignRight : Qt::AlignLeft;
}

// Space marks or unmarks the camera on the list's cursor row, as a click on it does: the way to
// choose cameras without a mouse.
void DateTimePage::onKeyPress(int& key) {
    if (key == ' ') {
        toggleMark(grid_->Row());
    }
}

// A header click sorts (not on the mark or clock columns); a click on a camera toggles its mark.
void DateTimePage::gridClick() {
    if (grid_->MouseRow() != 0) {
        toggleMark(grid_->Row());
        return;
    }
    const int column = grid_->MouseCol();
    if (column == kMarkColumn || column == 3) {
        return;
    }
    emit sortColumn(column, 0);
    grid_->setHighLight(0);
    grid_->setRedraw(false);
    grid_->Clear();
    writeHeaders();
}

void DateTimePage::toggleMark(int row) {
    if (table_ == nullptr || row < 1 || row >= grid_->Rows() ||
        grid_->TextMatrix(row, kAddressColumn).isEmpty()) {
        return;
    }
    const bool marked = grid_->TextMatrix(row, kMarkColumn) == QLatin1String(">>");
    const std::string_view mark = marked ? std::string_view() : kChosenMark;
    const QString shown = QString::fromLatin1(mark.data(), static_cast<qsizetype>(mark.size()));
    grid_->setTextMatrix(row, kMarkColumn, shown);
    grid_->setSpokenText(row, kMarkColumn, spokenMark(shown));
    bool isNumber = false;
    const int index = grid_->TextMatrix(row, kIndexColumn).toInt(&isNumber);
    if (!isNumber || !isSelected(index, kTableSize)) {
        return;
    }
    table_->modify([&](TableData& data) { copyField(data.records[index].dateTimeMark, mark); });
}

void DateTimePage::onManualOk() {
    DateTimeSelections selections;
    selections.format = format_->currentIndex();
    selections.zone = zone_->currentIndex();
    selections.year = dateTime_[0]->currentIndex();
    selections.month = dateTime_[1]->currentIndex();
    selections.day = dateTime_[2]->currentIndex();
    selections.hour = dateTime_[3]->currentIndex();
    selections.minute = dateTime_[4]->currentIndex();
    selections.second = dateTime_[5]->currentIndex();
    sendChecked(checkManualDateTime(selections), DateTimeButton::Manual);
}

void DateTimePage::onPcClockOk() {
    sendChecked(readPcDateTime(format_->currentIndex(), zone_->currentIndex(), clock_),
                DateTimeButton::PcClock);
}

void DateTimePage::sendChecked(const DateTimeCheck& check, DateTimeButton button) {
    if (!check.values) {
        if (services_.messages != nullptr) {
            caution(*services_.messages,
                    QString::fromLatin1(check.message.data(),
                                        static_cast<qsizetype>(check.message.size())));
        }
        return;
    }
    if (table_ == nullptr) {
        return;
    }
    std::vector<DateTimeGridRow> rows;
    for (int row = 1; row < grid_->Rows(); ++row) {
        rows.push_back({grid_->TextMatrix(row, kMarkColumn).toLatin1().toStdString(),
                        grid_->TextMatrix(row, kIndexColumn).toLatin1().toStdString()});
    }
    const auto macs = markedCameraMacs(*table_, rows);
    sendDateTimeRequests(*table_, services_.send, macs, *check.values, button, pause_);
}

void DateTimePage::showEvent(QShowEvent* event) {
    SettingsPage::showEvent(event);
    grid_->setFocus();
}

}  // namespace pelmora
