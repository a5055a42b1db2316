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
constexpr int kIndexColumn = 4;  // of the row's cells: the table index, not shown
// The hand-picked date and time's lists, as screen readers announce them.
constexpr std::array<const char*, 6> kDateTimeListNames{
    QT_TRANSLATE_NOOP("pelmora::DateTimePage", "Year"),
    QT_TRANSLATE_NOOP("pelmora::DateTimePage", "Month"),
    QT_TRANSLATE_NOOP("pelmora::DateTimePage", "Day"),
    QT_TRANSLATE_NOOP("pelmora::DateTimePage", "Hour"),
    QT_TRANSLATE_NOOP("pelmora::DateTimePage", "Minute"),
    QT_TRANSLATE_NOOP("pelmora::DateTimePage", "Second")};

QComboBox* numberList(QWidget* parent, NumberList list) {
    auto* box = new QComboBox(parent);
    for (const auto& text : numberListTexts(list)) {
        box->addItem(QString::fromStdString(text));
    }
    // The page never preselects a value: an unchosen list is refused by the checks.
    box->setCurrentIndex(-1);
    return box;
}

// What a screen reader says for a mark: ">>" alone would be read as two signs. In the 8-bit
// form the list's cells take.
std::string spokenMark(const std::string& mark) {
    if (mark != ">>") {
        return {};
    }
    return QCoreApplication::translate("pelmora::DateTimePage", "marked").toLatin1().toStdString();
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
                    {tr("IP address"), 2300},
                    {tr("Model"), 1800},
                    {tr("Current date time"), 3000}},
                   1000, parent),
      format_(new QComboBox(this)),
      zone_(new QComboBox(this)),
      pcClock_(new QLineEdit(this)),
      manualOk_(new QPushButton(tr("&OK"), this)),
      pcClockOk_(new QPushButton(tr("O&K"), this)) {
    for (const auto& choice : kDateFormats) {
        format_->addItem(QString::fromLatin1(choice.listText.data(),
                                             static_cast<qsizetype>(choice.listText.size())));
    }
    for (const auto zone : kTimeZoneTexts) {
        zone_->addItem(QString::fromLatin1(zone.data(), static_cast<qsizetype>(zone.size())));
    }
    // The mark stands at the right of its cell.
    model_->setAlignment(kMarkColumn, Qt::AlignRight);
    // A camera with a problem shows its warning icon beside its mark, not under it.
    const int iconPx = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, list_);
    widenColumn(kMarkColumn, iconPx + list_->fontMetrics().horizontalAdvance("NG") +
                                 3 * list_->fontMetrics().horizontalAdvance(' ') + 8);
    format_->setCurrentIndex(-1);
    zone_->setCurrentIndex(-1);
    // The lists that drop down are read by the same names as their boxes.
    format_->view()->setAccessibleName(tr("Date time format"));
    zone_->view()->setAccessibleName(tr("Time zone selecting"));
    zone_->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    auto* choices = new QGridLayout;
    choices->addWidget(buddyLabel(tr("Date &time format"), format_, this), 0, 0);
    choices->addWidget(format_, 0, 1, Qt::AlignLeft);
    choices->addWidget(buddyLabel(tr("Time &zone selecting"), zone_, this), 1, 0);
    choices->addWidget(zone_, 1, 1, Qt::AlignLeft);
    choices->setColumnStretch(1, 1);

    // A group's letter moves the keyboard to its first list.
    auto* manualGroup = new QGroupBox(tr("&Manual current date time setting"), this);
    auto* manual = new QHBoxLayout(manualGroup);
    const std::array<NumberList, 6> lists{kYearList, kMonthList,  kDayList,
                                          kHourList, kMinuteList, kSecondList};
    // The separators that follow each list: "2001-01-01  00:00:00".
    const std::array<const char*, 6> after{"-", "-", "", ":", ":", ""};
    manual->addWidget(plainLabel("20", manualGroup));
    for (std::size_t i = 0; i < lists.size(); ++i) {
        dateTime_[i] = numberList(manualGroup, lists[i]);
        dateTime_[i]->setAccessibleName(tr(kDateTimeListNames[i]));
        dateTime_[i]->view()->setAccessibleName(tr(kDateTimeListNames[i]));
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

    auto* pcGroup = new QGroupBox(tr("PC &current date time setting"), this);
    auto* pc = new QHBoxLayout(pcGroup);
    pcClock_->setParent(pcGroup);
    pcClock_->setReadOnly(true);
    pcClock_->setAccessibleName(tr("PC current date time"));
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
    describeButton(manualOk_, tr("Send this date and time to the marked cameras"));
    describeButton(pcClockOk_, tr("Send this PC's date and time to the marked cameras"));

    connect(manualOk_, &QPushButton::clicked, this, &DateTimePage::onManualOk);
    connect(pcClockOk_, &QPushButton::clicked, this, &DateTimePage::onPcClockOk);
}

void DateTimePage::refreshGrid() {
    if (table_ == nullptr || table_->discoveryEnabled == 0) {
        return;
    }
    list_->pauseUpdates(true);
    settleAnswers();
    const int firstRow = list_->firstVisibleRow();
    const int cursorRow = list_->anchorRow();
    const auto records = table_->liveRecords();
    std::vector<CameraListRow> rows;
    tableIndexes_.clear();
    for (int index = 0; index < static_cast<int>(records.size()); ++index) {
        if (table_->stopRequested == 1) {
            return;
        }
        const auto& record = records[index];
        if (!isListed(record) || !admittedByFilter(record)) {
            continue;
        }
        rows.push_back(listRow(record, dateTimeRowCells(record, index)));
        tableIndexes_.push_back(index);
    }
    listed_ = static_cast<int>(rows.size());
    for (auto& row : rows) {
        row.spoken = {spokenMark(row.cells[kMarkColumn])};
    }
    model_->setCameras(std::move(rows));
    // A camera no longer listed loses its mark, so it is not sent to when it returns.
    table_->modify([](TableData& data) {
        for (auto& record : data.records) {
            if (!isListed(record) && record.dateTimeMark[0] != '\0') {
                copyField(record.dateTimeMark, "");
            }
        }
    });
    placeScrollBar(firstRow);
    list_->setAnchorRow(std::clamp(cursorRow, 0, list_->rowCount() - 1));
    list_->pauseUpdates(false);
    if (!list_->updatesEnabled()) {
        list_->setUpdatesEnabled(true);  // the first tick after a sort
    }
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

// Space marks or unmarks the camera on the list's anchor row, as a click on it does: the way to
// choose cameras without a mouse.
void DateTimePage::onTyped(QChar character) {
    if (character == QLatin1Char(' ')) {
        toggleMark(list_->anchorRow());
    }
}

// A header click sorts (not on the mark or clock columns); a click on a camera toggles its mark.
void DateTimePage::listClick() {
    if (list_->pointerRow() >= 0) {
        toggleMark(list_->anchorRow());
        return;
    }
    const int column = list_->pointerColumn();
    if (column == kMarkColumn || column == 3) {
        return;
    }
    emit sortColumn(column, 0);
    // The list stays as it stood, blank underneath, until the next tick lists the cameras in
    // their new order: nothing can be marked on a row that may now hold another camera.
    list_->showSelection(false);
    list_->setUpdatesEnabled(false);
    model_->setCameras({});
    tableIndexes_.clear();
    listed_ = 0;
}

void DateTimePage::toggleMark(int row) {
    const CameraListRow* camera = model_->cameraAt(row);
    if (table_ == nullptr || camera == nullptr || camera->cells[kAddressColumn].empty()) {
        return;
    }
    const bool marked = camera->cells[kMarkColumn] == ">>";
    const std::string_view mark = marked ? std::string_view() : kChosenMark;
    CameraListRow shown = *camera;
    shown.cells[kMarkColumn] = std::string(mark);
    shown.spoken = {spokenMark(shown.cells[kMarkColumn])};
    std::vector<CameraListRow> rows;
    for (int r = 0; r < listed_; ++r) {
        rows.push_back(r == row ? shown : *model_->cameraAt(r));
    }
    model_->setCameras(std::move(rows));
    const int index = tableIndexes_[static_cast<std::size_t>(row)];
    if (!isSelected(index, kTableSize)) {
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
    // Every row shown, blank ones included, as the list stands.
    std::vector<DateTimeGridRow> rows;
    for (int row = 0; row < list_->rowCount(); ++row) {
        const CameraListRow* camera = model_->cameraAt(row);
        rows.push_back(camera == nullptr ? DateTimeGridRow{}
                                         : DateTimeGridRow{camera->cells[kMarkColumn],
                                                           camera->cells[kIndexColumn]});
    }
    const auto macs = markedCameraMacs(*table_, rows);
    sendDateTimeRequests(*table_, services_.send, macs, *check.values, button, pause_);
}

void DateTimePage::showEvent(QShowEvent* event) {
    SettingsPage::showEvent(event);
    list_->setFocus();
}

}  // namespace pelmora
