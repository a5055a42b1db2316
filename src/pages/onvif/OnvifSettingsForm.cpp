#include "pages/onvif/OnvifSettingsForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "lan/LanDiagnosis.h"
#include "settings/onvif/OnvifNetworkRules.h"
#include "widgets/FormControls.h"

namespace pelmora {

OnvifSettingsForm::OnvifSettingsForm(QWidget* parent)
    : QWidget(parent),
      dhcp_(new QRadioButton(tr("Obtain an IP address automatically"), this)),
      fixed_(new QRadioButton(tr("Use the following IP address"), this)),
      ip_(new Ipv4Field(this)),
      mask_(new Ipv4Field(this)),
      gateway_(new Ipv4Field(this)),
      dnsAuto_(new QRadioButton(tr("Obtain DNS server address automatically"), this)),
      dnsManual_(new QRadioButton(tr("Use the following DNS server address"), this)),
      dns1_(new Ipv4Field(this)),
      dns2_(new Ipv4Field(this)),
      port_(new QSpinBox(this)),
      ntp_(new QLineEdit(this)),
      ntpDhcp_(new QCheckBox(tr("NTP server from DHCP"), this)),
      ok_(new QPushButton(tr("&OK"), this)),
      clock_(new QPushButton(tr("Set cloc&k from this PC"), this)),
      reboot_(new QPushButton(tr("&Reboot"), this)) {
    auto* addressing = new QButtonGroup(this);
    addressing->addButton(dhcp_);
    addressing->addButton(fixed_);
    auto* dns = new QButtonGroup(this);
    dns->addButton(dnsAuto_);
    dns->addButton(dnsManual_);
    port_->setRange(1, 65535);
    port_->setAccessibleName(tr("HTTP port No."));
    ntp_->setAccessibleName(tr("NTP server"));
    ntp_->setPlaceholderText(tr("address or host name"));
    ntp_->setMaxLength(253);
    describeButton(ok_, tr("Send the network settings that changed to the chosen camera"));
    describeButton(clock_, tr("Set the chosen camera's clock and time zone from this PC's"));
    describeButton(reboot_, tr("Restart the chosen camera"));

    auto* grid = new QGridLayout;
    grid->addWidget(dhcp_, 0, 0, 1, 2);
    grid->addWidget(fixed_, 1, 0, 1, 2);
    grid->addWidget(buddyLabel(tr("&IP address"), ip_, this), 2, 0);
    grid->addWidget(ip_, 2, 1);
    grid->addWidget(buddyLabel(tr("Subnet &mask"), mask_, this), 3, 0);
    grid->addWidget(mask_, 3, 1);
    grid->addWidget(buddyLabel(tr("Default &gateway"), gateway_, this), 4, 0);
    grid->addWidget(gateway_, 4, 1);
    grid->addWidget(dnsAuto_, 0, 2, 1, 2);
    grid->addWidget(dnsManual_, 1, 2, 1, 2);
    grid->addWidget(buddyLabel(tr("Primary DNS ser&ver"), dns1_, this), 2, 2);
    grid->addWidget(dns1_, 2, 3);
    grid->addWidget(buddyLabel(tr("Se&condary DNS server"), dns2_, this), 3, 2);
    grid->addWidget(dns2_, 3, 3);
    grid->addWidget(buddyLabel(tr("&HTTP port No."), port_, this), 4, 2);
    grid->addWidget(port_, 4, 3);
    grid->addWidget(buddyLabel(tr("N&TP server"), ntp_, this), 5, 0);
    grid->addWidget(ntp_, 5, 1);
    grid->addWidget(ntpDhcp_, 5, 2, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(clock_);
    buttons->addWidget(reboot_);
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    for (auto* radio : {dhcp_, fixed_, dnsAuto_, dnsManual_}) {
        connect(radio, &QRadioButton::toggled, this, &OnvifSettingsForm::enableFields);
    }
    connect(ntpDhcp_, &QCheckBox::toggled, this, &OnvifSettingsForm::enableFields);
    clear();
}

void OnvifSettingsForm::clear() {
    filled_ = false;
    for (auto* field : {ip_, mask_, gateway_, dns1_, dns2_}) {
        field->clear();
    }
    setRadio(dhcp_, false);
    setRadio(fixed_, false);
    setRadio(dnsAuto_, false);
    setRadio(dnsManual_, false);
    port_->setValue(80);
    ntp_->clear();
    ntpDhcp_->setChecked(false);
    enableFields();
}

void OnvifSettingsForm::fill(const onvif::OnvifCamera& camera) {
    clear();
    // Only what reading with credentials gave is worth changing from.
    filled_ = camera.access == onvif::Access::Read && !camera.interfaceToken.empty();
    if (!filled_) {
        enableFields();
        return;
    }
    setRadio(camera.dhcp.value_or(false) ? dhcp_ : fixed_, true);
    showAddress(ip_, camera.ipAddress.value_or(Ipv4{}));
    showAddress(mask_, camera.prefixLength ? maskOfPrefix(*camera.prefixLength) : Ipv4{});
    showAddress(gateway_, camera.gateway.value_or(Ipv4{}));
    setRadio(camera.dnsAuto.value_or(false) ? dnsAuto_ : dnsManual_, true);
    if (!camera.dnsAuto.value_or(false)) {
        showAddress(dns1_, camera.dns.size() > 0 ? camera.dns[0] : Ipv4{});
        showAddress(dns2_, camera.dns.size() > 1 ? camera.dns[1] : Ipv4{});
    }
    port_->setValue(camera.webPort.value_or(80));
    enableFields();
}

void OnvifSettingsForm::enableFields() {
    const bool fixed = filled_ && fixed_->isChecked();
    const bool manualDns = filled_ && dnsManual_->isChecked();
    for (auto* widget :
         std::initializer_list<QWidget*>{dhcp_, fixed_, dnsAuto_, dnsManual_, port_, ntpDhcp_}) {
        widget->setEnabled(filled_);
    }
    for (auto* field : {ip_, mask_, gateway_}) {
        field->setEnabled(fixed);
    }
    for (auto* field : {dns1_, dns2_}) {
        field->setEnabled(manualDns);
    }
    ntp_->setEnabled(filled_ && !ntpDhcp_->isChecked());
    for (auto* button : {ok_, clock_, reboot_}) {
        button->setEnabled(filled_ && !sending_);
    }
}

void OnvifSettingsForm::setSending(bool sending) {
    sending_ = sending;
    enableFields();
}

onvif::NetworkChange OnvifSettingsForm::change(const onvif::OnvifCamera& read) const {
    onvif::NetworkChange change;
    if (!filled_) {
        return change;
    }
    if (dhcp_->isChecked() && read.dhcp != true) {
        change.dhcp = true;
    }
    if (fixed_->isChecked()) {
        const auto prefix = prefixOfMask(mask_->address());
        const bool same =
            read.dhcp == false && read.ipAddress == ip_->address() && read.prefixLength == prefix;
        if (!same) {
            change.dhcp = false;
            change.ipAddress = ip_->address();
            // A mask with a gap has no prefix: 0, which the page's mask check refuses.
            change.prefixLength = prefix.value_or(0);
        }
        if (gateway_->address() != read.gateway.value_or(Ipv4{})) {
            change.gateway = gateway_->address();
        }
    }
    if (dnsAuto_->isChecked() && read.dnsAuto != true) {
        change.dnsFromDhcp = true;
    } else if (dnsManual_->isChecked()) {
        std::vector<Ipv4> servers;
        for (auto* field : {dns1_, dns2_}) {
            if (!field->isBlank()) {
                servers.push_back(field->address());
            }
        }
        if (read.dnsAuto != false || servers != read.dns) {
            change.dnsFromDhcp = false;
            change.dns = servers;
        }
    }
    if (port_->value() != read.webPort.value_or(80)) {
        change.httpPort = port_->value();
    }
    if (ntpDhcp_->isChecked()) {
        change.ntpFromDhcp = true;
    } else if (!ntp_->text().trimmed().isEmpty()) {
        change.ntpFromDhcp = false;
        change.ntpServer = ntp_->text().trimmed().toStdString();
    }
    return change;
}

}  // namespace pelmora
