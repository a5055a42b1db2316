#include "pages/network/NetworkPage.h"

// The Network form's rules: what each radio enables and fills, and the form's states (enabled,
// reset, emptied, filled from a camera).

#include "model/FixedText.h"
#include "widgets/FormControls.h"

namespace pelmora {
namespace {

bool isZero(const Ipv4& address) {
    return address == Ipv4{};
}

}  // namespace

// ---- Radio rules ----

// The IP address, subnet mask and default gateway fields with their labels; contents stay.
void NetworkPage::setAddressFieldsEnabled(bool on) {
    for (QLabel* label : addressLabels_) {
        label->setEnabled(on);
    }
    for (Ipv4Field* field : {ip_, mask_, gateway_}) {
        field->setEnabled(on);
    }
}

void NetworkPage::applyDhcpRule() {
    setAddressFieldsEnabled(false);
    dnsAuto_->setEnabled(true);
    dnsManual_->setEnabled(true);
}

// A fixed address always goes with manual DNS.
void NetworkPage::applyFixedRule() {
    setAddressFieldsEnabled(true);
    dnsAuto_->setEnabled(false);
    setRadio(dnsAuto_, false);
    dnsManual_->setEnabled(true);
    setRadio(dnsManual_, true);
    applyDnsManualRule();
}

void NetworkPage::applyDnsAutoRule() {
    // The manual entries are kept for a switch back, even across another camera's selection.
    if (dns_[0]->isEnabledTo(this)) {
        for (std::size_t i = 0; i < kDnsServers; ++i) {
            rememberedDns_[i] = dns_[i]->address();
        }
    }
    for (std::size_t i = 0; i < kDnsServers; ++i) {
        dns_[i]->clear();
        dns_[i]->setEnabled(false);
        dnsLabels_[i]->setEnabled(false);
    }
}

void NetworkPage::applyDnsManualRule() {
    if (!dns_[0]->isEnabledTo(this)) {
        for (std::size_t i = 0; i < kDnsServers; ++i) {
            if (!isZero(rememberedDns_[i])) {
                dns_[i]->setAddress(rememberedDns_[i]);
            }
        }
    }
    for (std::size_t i = 0; i < kDnsServers; ++i) {
        dns_[i]->setEnabled(true);
        dnsLabels_[i]->setEnabled(true);
    }
}

void NetworkPage::applyPort80Rule() {
    setRadio(port80_, true);
    setRadio(otherPort_, false);
    portEdit_->setEnabled(false);
}

void NetworkPage::applyOtherPortRule() {
    setRadio(port80_, false);
    setRadio(otherPort_, true);
    portEdit_->setEnabled(true);
}

// ---- Form states ----

void NetworkPage::setFormEnabled(bool on) {
    if (on) {
        for (QWidget* w : std::initializer_list<QWidget*>{
                 ip_, mask_, gateway_, portLabel_, nameLabel_, passwordLabel_, portHint_, dhcp_,
                 fixed_, dnsAuto_, dnsManual_, port80_, otherPort_, adminName_, adminPassword_}) {
            w->setEnabled(true);
        }
        for (std::size_t i = 0; i < kDnsServers; ++i) {
            dns_[i]->setEnabled(true);
            dnsLabels_[i]->setEnabled(true);
        }
        for (QLabel* label : addressLabels_) {
            label->setEnabled(true);
        }
        return;
    }
    for (Ipv4Field* field : {ip_, mask_, gateway_, dns_[0], dns_[1], dns_[2], dns_[3]}) {
        field->clear();
        field->setEnabled(false);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{
             dnsLabels_[0], dnsLabels_[1], dnsLabels_[2], dnsLabels_[3], portLabel_, nameLabel_,
             passwordLabel_, portHint_, addressLabels_[0], addressLabels_[1], addressLabels_[2],
             dhcp_, fixed_, dnsAuto_, dnsManual_, port80_, otherPort_, portEdit_}) {
        w->setEnabled(false);
    }
    for (QRadioButton* radio : {dhcp_, fixed_, dnsAuto_, dnsManual_, port80_, otherPort_}) {
        setRadio(radio, false);
    }
    portText_.clear();
    portEdit_->clear();
    forgetFormCamera();
    // Emptied while a row is highlighted, the credential rule disables OK and Reboot.
    adminName_->clear();
    adminName_->setEnabled(false);
    adminPassword_->clear();
    adminPassword_->setEnabled(false);
}

void NetworkPage::resetForm() {
    for (Ipv4Field* field : {ip_, mask_, gateway_}) {
        field->clear();
    }
    setRadio(dhcp_, true);
    setRadio(fixed_, false);
    applyDhcpRule();
    setRadio(dnsAuto_, true);
    setRadio(dnsManual_, false);
    applyDnsAutoRule();
    portText_.clear();
    if (port80_->isEnabledTo(this) && otherPort_->isEnabledTo(this) && !port80_->isChecked() &&
        !otherPort_->isChecked()) {
        setRadio(port80_, true);
    }
    setSendButtonsEnabled(false);
    forgetFormCamera();
}

void NetworkPage::emptyForm() {
    setFormEnabled(true);
    resetForm();
    applyPort80Rule();
    portEdit_->clear();
}

void NetworkPage::clearCredentials() {
    adminName_->clear();
    nameValue_.clear();
    adminPassword_->clear();
    passwordValue_.clear();
}

void NetworkPage::clearSelection() {
    resetForm();
    clearCredentials();
}

void NetworkPage::setSendButtonsEnabled(bool on) {
    okButton_->setEnabled(on);
    reboot_->setEnabled(on);
}

void NetworkPage::fillForm(const CameraRecord& record) {
    const bool dhcp = record.dhcp == 1;
    setRadio(dhcp_, dhcp);
    setRadio(fixed_, !dhcp);
    dhcp ? applyDhcpRule() : applyFixedRule();
    showAddress(ip_, record.ipAddress);
    showAddress(mask_, record.subnetMask);
    showAddress(gateway_, record.gateway);
    if (record.dnsAuto == 1 && dhcp) {
        setRadio(dnsAuto_, true);
        setRadio(dnsManual_, false);
        applyDnsAutoRule();
        for (Ipv4Field* field : dns_) {
            field->clear();
        }
    } else {
        // Automatic DNS reported with a fixed address is shown as manual DNS.
        setRadio(dnsAuto_, false);
        setRadio(dnsManual_, true);
        applyDnsManualRule();
        const Ipv4* servers[] = {&record.dns1, &record.dns2, &record.dns3, &record.dns4};
        for (std::size_t i = 0; i < kDnsServers; ++i) {
            showAddress(dns_[i], *servers[i]);
        }
    }
    if (record.webPort == 80) {
        applyPort80Rule();
        portText_.clear();
    } else {
        applyOtherPortRule();
        portText_ = QString::number(record.webPort);
    }
    portEdit_->setText(portText_);
    // The values last read go back; with a camera highlighted this reapplies the OK rule.
    const QString name = nameValue_;
    const QString password = passwordValue_;
    adminName_->setText(name);
    adminPassword_->setText(password);
}

}  // namespace pelmora
