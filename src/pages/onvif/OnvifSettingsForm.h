#pragma once
// The ONVIF page's form for the chosen camera, filled from what reading it gave: its addressing
// (DHCP or fixed, shown dotted as on the Network page), name servers (automatic or up to two),
// HTTP port and time server. What the form says becomes a change holding only the parts that
// differ from what was read, so that only those are sent.

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QWidget>
#include <string>

#include "onvif/DeviceSettings.h"
#include "widgets/Ipv4Field.h"

namespace pelmora {

class OnvifSettingsForm final : public QWidget {
    Q_OBJECT

  public:
    explicit OnvifSettingsForm(QWidget* parent = nullptr);

    // The camera's settings as read; a camera not read with credentials leaves the form empty
    // and its buttons off.
    void fill(const onvif::OnvifCamera& camera);
    void clear();
    // While a setting is under way its buttons are off; what is typed stays.
    void setSending(bool sending);
    // Whether it shows a camera read with credentials.
    bool isFilled() const { return filled_; }

    // What differs from `read`: an empty change when nothing does.
    onvif::NetworkChange change(const onvif::OnvifCamera& read) const;

    QPushButton* okButton() const { return ok_; }
    QPushButton* clockButton() const { return clock_; }
    QPushButton* rebootButton() const { return reboot_; }
    QRadioButton* dhcpButton() const { return dhcp_; }
    QRadioButton* fixedButton() const { return fixed_; }
    Ipv4Field* ipField() const { return ip_; }
    Ipv4Field* maskField() const { return mask_; }
    Ipv4Field* gatewayField() const { return gateway_; }
    QRadioButton* dnsAutoButton() const { return dnsAuto_; }
    QRadioButton* dnsManualButton() const { return dnsManual_; }
    Ipv4Field* dnsField(int n) const { return n == 0 ? dns1_ : dns2_; }
    QSpinBox* portField() const { return port_; }
    QLineEdit* ntpField() const { return ntp_; }
    QCheckBox* ntpDhcpBox() const { return ntpDhcp_; }

  private:
    void enableFields();

    QRadioButton* dhcp_;
    QRadioButton* fixed_;
    Ipv4Field* ip_;
    Ipv4Field* mask_;
    Ipv4Field* gateway_;
    QRadioButton* dnsAuto_;
    QRadioButton* dnsManual_;
    Ipv4Field* dns1_;
    Ipv4Field* dns2_;
    QSpinBox* port_;
    QLineEdit* ntp_;
    QCheckBox* ntpDhcp_;
    QPushButton* ok_;
    QPushButton* clock_;
    QPushButton* reboot_;
    bool filled_ = false;
    bool sending_ = false;
};

}  // namespace pelmora
