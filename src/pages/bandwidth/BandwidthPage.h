#pragma once
// The "Bandwidth control" tab: the selected camera's current limit, the limits it accepts, and
// OK to send the chosen one.

#include <QLabel>
#include <QListWidget>

#include "pages/SettingsPage.h"

namespace pelmora {

class BandwidthPage final : public SettingsPage {
    Q_OBJECT

  public:
    explicit BandwidthPage(QWidget* parent = nullptr);

    // A setting was accepted without a message text: while this page is shown, the limit last
    // requested here becomes the selected camera's current one at once.
    void pageRefresh();

    QLabel* currentBandLabel() const { return currentBand_; }
    QListWidget* bandList() const { return bands_; }
    QPushButton* okButton() const { return okButton_; }
    QPushButton* cancelButton() const { return cancel_; }
    QLineEdit* nameEdit() const { return adminName_; }
    QLineEdit* passwordEdit() const { return adminPassword_; }

  protected:
    void clearSelection() override;
    void fillForm(const CameraRecord& record) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void onOk();
    void onCancel();
    void disableOkWithoutCredentials();

    QLabel* currentBand_;
    QListWidget* bands_;
    QPushButton* cancel_;
    std::string requestedBand_;
    // The camera the last request went to: an acknowledgement shows the new limit on it.
    std::string requestedMac_;
    bool cameraSelected_ = false;
};

}  // namespace pelmora
