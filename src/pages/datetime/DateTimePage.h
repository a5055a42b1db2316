#pragma once
// The "Date time" tab: every listed camera with its own clock, rewritten each second. A click
// marks or unmarks a camera; the form below the list sends a hand-picked date and time, or the
// PC's clock, to every marked camera, and each tick turns their answers into "OK" or "NG".

#include <QComboBox>
#include <QLineEdit>
#include <array>

#include "pages/SettingsPage.h"
#include "settings/datetime/DateTimeRequest.h"

namespace pelmora {

class DateTimePage final : public SettingsPage {
    Q_OBJECT

  public:
    explicit DateTimePage(QWidget* parent = nullptr);

    void refreshGrid() override;

    // The PC clock read by the tick and by the PC-clock button, and the wait between the
    // PC-clock button's requests; tests fix both.
    void setClock(LocalClock clock) { clock_ = std::move(clock); }
    void setPause(Pause pause) { pause_ = std::move(pause); }

    QComboBox* formatList() const { return format_; }
    QComboBox* zoneList() const { return zone_; }
    // Year, month, day, hour, minute, second, in that order.
    const std::array<QComboBox*, 6>& dateTimeLists() const { return dateTime_; }
    QLineEdit* pcClockEdit() const { return pcClock_; }
    QPushButton* manualOkButton() const { return manualOk_; }
    QPushButton* pcClockOkButton() const { return pcClockOk_; }

  protected:
    void clearSelection() override {}
    void fillForm(const CameraRecord&) override {}
    void listClick() override;
    void showEvent(QShowEvent* event) override;
    // This page has no selected camera: releases, arrow keys and double-clicks select nothing.
    void onReleased(Qt::MouseButton, QPoint) override {}
    void onKeyReleased(Qt::Key) override {}
    void onTyped(QChar character) override;
    void openCameraPage() override {}

  private:
    void onManualOk();
    void onPcClockOk();
    // Shows a refused check, or sends the values to every marked camera.
    void sendChecked(const DateTimeCheck& check, DateTimeButton button);
    // Turns the answered date and time requests into their cameras' "OK" or "NG" marks.
    void settleAnswers();
    void toggleMark(int row);

    QComboBox* format_;
    QComboBox* zone_;
    std::array<QComboBox*, 6> dateTime_{};
    QLineEdit* pcClock_;
    QPushButton* manualOk_;
    QPushButton* pcClockOk_;
    LocalClock clock_ = readLocalClock;
    Pause pause_ = sleepFor;
    // The table index of each listed camera's record, by row.
    std::vector<int> tableIndexes_;
};

}  // namespace pelmora
