#pragma once
// The "PPPoE" tab: the cameras that report PPPoE, the selected camera's PPPoE state, and OK to
// switch its dial-up off, or on with an account and automatic or fixed DNS servers.

#include <QLabel>
#include <QRadioButton>
#include <array>

#include "pages/SettingsPage.h"
#include "settings/pppoe/PppoeRequest.h"
#include "widgets/Ipv4Field.h"

namespace pelmora {

class PppoePage final : public SettingsPage {
    Q_OBJECT

  public:
    explicit PppoePage(QWidget* parent = nullptr);

    QRadioButton* offRadio() const { return off_; }
    QRadioButton* onRadio() const { return on_; }
    QRadioButton* dnsAutoRadio() const { return dnsAuto_; }
    QRadioButton* dnsManualRadio() const { return dnsManual_; }
    QLineEdit* userIdEdit() const { return userId_; }
    QLineEdit* pppoePasswordEdit() const { return pppoePassword_; }
    QLineEdit* retypedEdit() const { return retyped_; }
    Ipv4Field* primaryDnsField() const { return primaryDns_; }
    Ipv4Field* secondaryDnsField() const { return secondaryDns_; }
    QLineEdit* nameEdit() const { return adminName_; }
    QLineEdit* passwordEdit() const { return adminPassword_; }
    QPushButton* okButton() const { return okButton_; }
    QPushButton* cancelButton() const { return cancel_; }

  protected:
    bool listsCamera(const CameraRecord& record) const override;
    std::vector<std::string> rowCells(const CameraRecord& record) const override;
    int sortFlag(int column) const override;
    void clearSelection() override;
    void fillForm(const CameraRecord& record) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void buildForm();
    // Sets every control's enablement from the radios: the account group and the DNS radios
    // follow "On"; the DNS addresses need "On" and manual DNS as well. Run after every click on
    // a radio and whenever the page sets the radios itself.
    void updateEnabling();
    void setFunction(bool on);
    void setDnsAuto(bool automatic);
    void clearAccount();
    void clearDnsFields();
    PppoeSettings formSettings() const;
    void disableOkWithoutCredentials();

    void onOk();
    void onCancel();

    QRadioButton* off_;
    QRadioButton* on_;
    QRadioButton* dnsAuto_;
    QRadioButton* dnsManual_;
    QLineEdit* userId_;
    QLineEdit* pppoePassword_;
    QLineEdit* retyped_;
    Ipv4Field* primaryDns_;
    Ipv4Field* secondaryDns_;
    std::array<QLabel*, 3> accountLabels_{};
    std::array<QLabel*, 2> dnsLabels_{};
    QPushButton* cancel_;
};

}  // namespace pelmora
