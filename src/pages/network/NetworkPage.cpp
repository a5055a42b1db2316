#include "pages/network/NetworkPage.h"

// The page's form: its controls and layout, and what OK, Reboot and Cancel send. The rules of its
// radios and its states are in NetworkFormStates.cpp, the list's selection in
// NetworkSelection.cpp, the actions on its rows in NetworkRowActions.cpp.

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "model/FixedText.h"
#include "settings/network/NetworkSubmit.h"
#include "widgets/FormControls.h"
#include "widgets/MessagePort.h"

namespace pelmora {

NetworkPage::NetworkPage(QWidget* parent)
    : SettingsPage({{tr("MAC address"), 1700},
                    {tr("IP address"), 1600},
                    {tr("Model"), 1350},
                    {tr("Serial No."), 1160},
                    {tr("Version No."), 7000}},
                   5000, parent),
      dhcp_(new QRadioButton(tr("Obtain an IP address automatically"), this)),
      fixed_(new QRadioButton(tr("&Use the following IP address"), this)),
      dnsAuto_(new QRadioButton(tr("Obtain DNS server address automatically"), this)),
      dnsManual_(new QRadioButton(tr("Use the fo&llowing DNS server address"), this)),
      port80_(new QRadioButton("80", this)),
      otherPort_(new QRadioButton(this)),
      ip_(new Ipv4Field(this)),
      mask_(new Ipv4Field(this)),
      gateway_(new Ipv4Field(this)),
      portLabel_(plainLabel(tr("&HTTP port No."), this)),
      portHint_(plainLabel(tr("(1024 to 65535)"), this)),
      nameLabel_(plainLabel(tr("&Administrator name"), this)),
      passwordLabel_(plainLabel(tr("Administrator pass&word"), this)),
      portEdit_(new QLineEdit(this)),
      reboot_(new QPushButton(tr("&Reboot"), this)),
      cancel_(new QPushButton(tr("&Cancel"), this)) {
    for (auto& field : dns_) {
        field = new Ipv4Field(this);
    }
    auto* name = new QLineEdit(this);
    auto* password = new QLineEdit(this);
    auto* ok = new QPushButton(tr("&OK"), this);
    setCredentialControls(name, password, ok, kMinCredentialLength);
    nameLabel_->setBuddy(name);
    passwordLabel_->setBuddy(password);
    // Reboot follows OK; the values read here are written back when a camera is selected.
    for (QLineEdit* edit : {name, password}) {
        connect(edit, &QLineEdit::textChanged, this, [this] {
            if (list_->selectionShown()) {
                nameValue_ = adminName_->text();
                passwordValue_ = adminPassword_->text();
                reboot_->setEnabled(okButton_->isEnabled());
            }
        });
    }
    reboot_->setEnabled(false);
    portEdit_->setMaxLength(static_cast<int>(kMaxWebPortText));
    portEdit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]*"), portEdit_));
    buildForm();
    nameForKeyboard();

    connect(dhcp_, &QRadioButton::clicked, this, &NetworkPage::applyDhcpRule);
    connect(fixed_, &QRadioButton::clicked, this, &NetworkPage::applyFixedRule);
    connect(dnsAuto_, &QRadioButton::clicked, this, &NetworkPage::applyDnsAutoRule);
    connect(dnsManual_, &QRadioButton::clicked, this, &NetworkPage::applyDnsManualRule);
    connect(port80_, &QRadioButton::clicked, this, &NetworkPage::applyPort80Rule);
    connect(otherPort_, &QRadioButton::clicked, this, &NetworkPage::applyOtherPortRule);
    connect(ok, &QPushButton::clicked, this, &NetworkPage::onOk);
    connect(reboot_, &QPushButton::clicked, this, &NetworkPage::onReboot);
    connect(cancel_, &QPushButton::clicked, this, &NetworkPage::onCancel);
    list_->installEventFilter(this);

    dhcp_->setChecked(true);
    applyDhcpRule();
    dnsAuto_->setChecked(true);
    applyDnsAutoRule();
    applyPort80Rule();
}

void NetworkPage::buildForm() {
    const std::pair<QRadioButton*, QRadioButton*> pairs[] = {
        {dhcp_, fixed_}, {dnsAuto_, dnsManual_}, {port80_, otherPort_}};
    for (const auto& [first, second] : pairs) {
        auto* group = new QButtonGroup(this);
        group->addButton(first);
        group->addButton(second);
    }
    const int fieldWidth = adminName_->fontMetrics().horizontalAdvance('M') * 11;
    const auto framed = [this](const std::vector<std::pair<QLabel*, Ipv4Field*>>& rows) {
        auto* frame = new QFrame(this);
        frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        auto* layout = new QGridLayout(frame);
        for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
            layout->addWidget(rows[r].first, r, 0);
            layout->addWidget(rows[r].second, r, 1);
        }
        layout->setColumnStretch(0, 1);
        return frame;
    };
    const QString addressNames[] = {tr("&IP address"), tr("Subnet &mask"), tr("Default &gateway")};
    Ipv4Field* addressFields[] = {ip_, mask_, gateway_};
    std::vector<std::pair<QLabel*, Ipv4Field*>> addressRows;
    for (std::size_t i = 0; i < addressLabels_.size(); ++i) {
        addressLabels_[i] = buddyLabel(addressNames[i], addressFields[i], this);
        addressRows.emplace_back(addressLabels_[i], addressFields[i]);
    }
    const QString dnsNames[] = {tr("Primary DNS ser&ver address"),
                                tr("S&econdary DNS server address"),
                                tr("&Third DNS server address"), tr("Fourth DNS &server address")};
    std::vector<std::pair<QLabel*, Ipv4Field*>> dnsRows;
    for (std::size_t i = 0; i < kDnsServers; ++i) {
        dnsLabels_[i] = buddyLabel(dnsNames[i], dns_[i], this);
        dnsRows.emplace_back(dnsLabels_[i], dns_[i]);
    }

    auto* left = new QVBoxLayout;
    left->addWidget(dhcp_);
    left->addWidget(fixed_);
    left->addWidget(framed(addressRows));
    auto* port = new QHBoxLayout;
    port->addWidget(portLabel_);
    port->addWidget(port80_);
    port->addWidget(otherPort_);
    portEdit_->setFixedWidth(portEdit_->fontMetrics().horizontalAdvance("000000") + 12);
    port->addWidget(portEdit_);
    port->addWidget(portHint_);
    port->addStretch();
    left->addLayout(port);
    left->addStretch();

    auto* right = new QVBoxLayout;
    right->addWidget(dnsAuto_);
    right->addWidget(dnsManual_);
    right->addWidget(framed(dnsRows));
    right->addStretch();

    auto* credentials = new QGridLayout;
    adminName_->setMaximumWidth(fieldWidth);
    adminPassword_->setMaximumWidth(fieldWidth);
    credentials->addWidget(nameLabel_, 0, 0);
    credentials->addWidget(adminName_, 0, 1);
    credentials->addWidget(passwordLabel_, 1, 0);
    credentials->addWidget(adminPassword_, 1, 1);
    credentials->addWidget(rememberBox(), 1, 2);
    credentials->setColumnStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(reboot_);
    buttons->addWidget(cancel_);
    buttons->addWidget(okButton_);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    auto* layout = formArea();
    layout->addLayout(columns);
    layout->addLayout(credentials);
    layout->addLayout(buttons);
}

// Names for screen readers where no label gives one, the keys that reach each control (the
// mnemonics above, and the focus walk in reading order), and the buttons' tool tips.
void NetworkPage::nameForKeyboard() {
    otherPort_->setAccessibleName(tr("Other HTTP port"));
    portEdit_->setAccessibleName(tr("HTTP port No."));
    // Alt+H goes to the port's field when another port is chosen, else to "80".
    portLabel_->setBuddy(port80_);
    connect(otherPort_, &QRadioButton::toggled, this, [this](bool other) {
        portLabel_->setBuddy(other ? static_cast<QWidget*>(portEdit_) : port80_);
    });
    setReadingOrder({dhcp_,          fixed_,        ip_,       mask_,    gateway_,
                     port80_,        otherPort_,    portEdit_, dnsAuto_, dnsManual_,
                     dns_[0],        dns_[1],       dns_[2],   dns_[3],  adminName_,
                     adminPassword_, rememberBox(), reboot_,   cancel_,  okButton_});
    describeButton(okButton_, tr("Send these settings to the selected camera"));
    describeButton(reboot_, tr("Restart the selected camera"));
    describeButton(cancel_, tr("Empty the form"));
}

// ---- Buttons ----

NetworkSettings NetworkPage::formSettings() const {
    NetworkSettings s;
    s.dhcp = dhcp_->isChecked();
    s.ipAddress = ip_->address();
    s.subnetMask = mask_->address();
    s.gateway = gateway_->address();
    s.gatewayBlank = gateway_->isBlank();
    s.dnsAuto = dnsAuto_->isChecked();
    for (std::size_t i = 0; i < kDnsServers; ++i) {
        s.dns[i] = DnsEntry{dns_[i]->address(), dns_[i]->isBlank()};
    }
    s.webPort80 = port80_->isChecked();
    s.webPortText = portText_.toLatin1().toStdString();
    return s;
}

void NetworkPage::onOk() {
    if (table_ == nullptr) {
        return;
    }
    nameValue_ = adminName_->text();
    passwordValue_ = adminPassword_->text();
    portText_ = portEdit_->text();
    const auto result = submitNetworkSettings(*table_, services_.send, formCameraMac(),
                                              adminNameText(), adminPasswordText(), formSettings());
    switch (result.status) {
        case SubmitStatus::Refused: {
            if (services_.messages != nullptr && result.refusal) {
                caution(
                    *services_.messages,
                    QString::fromLatin1(result.refusal->message.data(),
                                        static_cast<qsizetype>(result.refusal->message.size())));
            }
            const NetworkField focus =
                result.refusal ? result.refusal->focus : NetworkField::Unchanged;
            if (focus == NetworkField::IpAddress) {
                ip_->setFocus();
            } else if (focus == NetworkField::SubnetMask) {
                mask_->setFocus();
            } else if (focus == NetworkField::Gateway) {
                gateway_->setFocus();
            }
            break;
        }
        case SubmitStatus::CameraGone:
            cameraGone();
            break;
        case SubmitStatus::Sent:
            credentialsUsed(formCameraMac());
            refreshGrid();
            break;
        case SubmitStatus::SendFailed:
            break;
    }
}

void NetworkPage::onReboot() {
    if (table_ == nullptr) {
        return;
    }
    const auto status = submitReboot(*table_, services_.send, formCameraMac(), adminNameText(),
                                     adminPasswordText());
    if (status == SubmitStatus::CameraGone) {
        cameraGone();
    } else if (status == SubmitStatus::Sent) {
        credentialsUsed(formCameraMac());
    }
}

void NetworkPage::onCancel() {
    emptyForm();
    clearCredentials();
    list_->showSelection(false);
}

void NetworkPage::showEvent(QShowEvent* event) {
    SettingsPage::showEvent(event);
    list_->setFocus();
}

}  // namespace pelmora
