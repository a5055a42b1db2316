#include "pages/pppoe/PppoePage.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "model/FixedText.h"
#include "widgets/FormControls.h"
#include "widgets/MessagePort.h"

namespace pelmora {
namespace {

// Form text in the 8-bit form the camera receives.
std::string bytesOf(const QLineEdit* edit) {
    return edit->text().toLatin1().toStdString();
}

QFrame* sunkenFrame(QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    return frame;
}

}  // namespace

PppoePage::PppoePage(QWidget* parent)
    : SettingsPage({{tr("MAC address"), 1700},
                    {tr("PPPoE IP address"), 1600},
                    {tr("Model"), 1350},
                    {tr("Serial No."), 1160},
                    {tr("Version No."), 1300},
                    {"", 7000}},
                   5000, parent),
      off_(new QRadioButton(tr("Off"), this)),
      on_(new QRadioButton(tr("On"), this)),
      dnsAuto_(new QRadioButton(tr("Obtain DNS server address automatically"), this)),
      dnsManual_(new QRadioButton(tr("Use the fo&llowing DNS server address"), this)),
      userId_(new QLineEdit(this)),
      pppoePassword_(new QLineEdit(this)),
      retyped_(new QLineEdit(this)),
      primaryDns_(new Ipv4Field(this)),
      secondaryDns_(new Ipv4Field(this)),
      cancel_(new QPushButton(tr("&Cancel"), this)) {
    for (QLineEdit* edit : {userId_, pppoePassword_, retyped_}) {
        // Bounded so that the encoded account always fits a pending request.
        edit->setMaxLength(kMaxPppoeAccountLength);
        acceptLatin1Only(edit);
    }
    makePasswordField(pppoePassword_);
    makePasswordField(retyped_);
    auto* name = new QLineEdit(this);
    auto* password = new QLineEdit(this);
    auto* ok = new QPushButton(tr("&OK"), this);
    setCredentialControls(name, password, ok, kMinPppoeCredentialLength);
    buildForm();

    for (QRadioButton* radio : {off_, on_, dnsAuto_, dnsManual_}) {
        connect(radio, &QRadioButton::clicked, this, &PppoePage::updateEnabling);
    }
    connect(ok, &QPushButton::clicked, this, &PppoePage::onOk);
    connect(cancel_, &QPushButton::clicked, this, &PppoePage::onCancel);

    setFunction(false);
    setDnsAuto(true);
}

void PppoePage::buildForm() {
    for (const auto& [first, second] : {std::pair{off_, on_}, std::pair{dnsAuto_, dnsManual_}}) {
        auto* group = new QButtonGroup(this);
        group->addButton(first);
        group->addButton(second);
    }
    const int fieldWidth = adminName_->fontMetrics().horizontalAdvance('M') * 14;

    auto* function = new QHBoxLayout;
    function->addWidget(off_);
    function->addWidget(on_);
    function->addStretch();

    auto* dnsFrame = sunkenFrame(this);
    auto* dns = new QGridLayout(dnsFrame);
    dns->addWidget(dnsAuto_, 0, 0, 1, 3);
    dns->addWidget(dnsManual_, 1, 0, 1, 3);
    const QString dnsNames[] = {tr("Primary DNS ser&ver address"),
                                tr("S&econdary DNS server address")};
    Ipv4Field* dnsFields[] = {primaryDns_, secondaryDns_};
    for (int i = 0; i < 2; ++i) {
        dnsLabels_[i] = buddyLabel(dnsNames[i], dnsFields[i], dnsFrame);
        dns->addWidget(dnsLabels_[i], i + 2, 0);
        dns->addWidget(dnsFields[i], i + 2, 1);
    }
    dns->setColumnStretch(2, 1);

    auto* settingsFrame = sunkenFrame(this);
    auto* settings = new QGridLayout(settingsFrame);
    const QString accountNames[] = {tr("&User ID"), tr("Pa&ssword"), tr("&Re-type password")};
    QLineEdit* accountEdits[] = {userId_, pppoePassword_, retyped_};
    for (int i = 0; i < 3; ++i) {
        accountLabels_[i] = buddyLabel(accountNames[i], accountEdits[i], settingsFrame);
        accountEdits[i]->setMaximumWidth(fieldWidth);
        settings->addWidget(accountLabels_[i], i, 0);
        settings->addWidget(accountEdits[i], i, 1);
    }
    settings->addWidget(dnsFrame, 3, 0, 1, 3);
    settings->setColumnStretch(2, 1);

    auto* credentials = new QGridLayout;
    adminName_->setMaximumWidth(fieldWidth);
    adminPassword_->setMaximumWidth(fieldWidth);
    credentials->addWidget(buddyLabel(tr("&Administrator name"), adminName_, this), 0, 0);
    credentials->addWidget(adminName_, 0, 1);
    credentials->addWidget(buddyLabel(tr("Administrator pass&word"), adminPassword_, this), 1, 0);
    credentials->addWidget(adminPassword_, 1, 1);
    credentials->addWidget(rememberBox(), 1, 2);
    credentials->setColumnStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancel_);

    auto* layout = formArea();
    layout->addLayout(function);
    layout->addWidget(settingsFrame);
    layout->addLayout(credentials);
    layout->addLayout(buttons);

    // "Off" and "On" have no letter of their own (Alt+O presses OK, N and F belong to the
    // window): the focus walk reaches them first after the list, and the arrow keys choose.
    setReadingOrder({off_, on_, userId_, pppoePassword_, retyped_, dnsAuto_, dnsManual_,
                     primaryDns_, secondaryDns_, adminName_, adminPassword_, rememberBox(),
                     okButton_, cancel_});
    describeButton(okButton_, tr("Send these PPPoE settings to the selected camera"));
    describeButton(cancel_, tr("Turn PPPoE off in the form and empty it"));
}

// ---- Listing ----

// Only cameras whose replies carry the PPPoE keys can take a PPPoE setting.
bool PppoePage::listsCamera(const CameraRecord& record) const {
    return isListed(record) && record.pppoeReported != 0;
}

std::vector<std::string> PppoePage::rowCells(const CameraRecord& record) const {
    return cameraRowCells(record, AddressColumn::PppoeIpAddress);
}

// The address column sorts by the PPPoE address.
int PppoePage::sortFlag(int column) const {
    return column == 1 ? 1 : 0;
}

// ---- Form ----

void PppoePage::updateEnabling() {
    const bool on = on_->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{accountLabels_[0], accountLabels_[1], accountLabels_[2],
                                         userId_, pppoePassword_, retyped_, dnsAuto_, dnsManual_}) {
        w->setEnabled(on);
    }
    const bool addresses = on && dnsManual_->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{dnsLabels_[0], dnsLabels_[1], primaryDns_,
                                                      secondaryDns_}) {
        w->setEnabled(addresses);
    }
}

void PppoePage::setFunction(bool on) {
    setRadio(on_, on);
    setRadio(off_, !on);
    updateEnabling();
}

void PppoePage::setDnsAuto(bool automatic) {
    setRadio(dnsAuto_, automatic);
    setRadio(dnsManual_, !automatic);
    updateEnabling();
}

void PppoePage::clearAccount() {
    for (QLineEdit* edit : {userId_, pppoePassword_, retyped_}) {
        edit->clear();
    }
}

void PppoePage::clearDnsFields() {
    primaryDns_->clear();
    secondaryDns_->clear();
}

// The camera never reports its account, so it is typed anew for every camera.
void PppoePage::fillForm(const CameraRecord& record) {
    setFunction(record.pppoeOn == 1);
    clearAccount();
    setDnsAuto(record.pppoeDnsAuto == 1);
    showAddress(primaryDns_, record.pppoeDns1);
    showAddress(secondaryDns_, record.pppoeDns2);
}

// The Off/On choice stays. The credentials go too, and with them OK.
void PppoePage::clearSelection() {
    forgetFormCamera();
    clearAccount();
    setDnsAuto(true);
    clearDnsFields();
    for (QLineEdit* edit : {adminName_, adminPassword_}) {
        if (!edit->text().isEmpty()) {
            edit->clear();
        }
    }
    okButton_->setEnabled(false);
}

PppoeSettings PppoePage::formSettings() const {
    PppoeSettings s;
    s.on = on_->isChecked();
    s.userId = bytesOf(userId_);
    s.password = bytesOf(pppoePassword_);
    s.dnsAuto = dnsAuto_->isChecked();
    s.primaryDns = primaryDns_->address();
    s.secondaryDns = secondaryDns_->address();
    return s;
}

void PppoePage::onOk() {
    const auto record = recordOfFormCamera();
    if (!record) {
        return;
    }
    const auto settings = formSettings();
    if (settings.on) {
        const auto verdict =
            checkPppoeAccount(settings.userId, settings.password, bytesOf(retyped_));
        if (verdict != PppoeAccountVerdict::Valid) {
            // Every field keeps what was typed.
            if (services_.messages != nullptr) {
                const auto message = pppoeAccountMessage(verdict);
                caution(
                    *services_.messages,
                    QString::fromLatin1(message.data(), static_cast<qsizetype>(message.size())));
            }
            return;
        }
    }
    sendSettingRequest(*record, buildPppoeRequest(fieldText(record->mac), adminNameText(),
                                                  adminPasswordText(), settings));
}

// Back to the starting state: Off, automatic DNS, nothing typed. The credentials are emptied
// while the camera is still highlighted, so the credential rule disables OK.
void PppoePage::onCancel() {
    setFunction(false);
    clearAccount();
    setDnsAuto(true);
    clearDnsFields();
    adminName_->clear();
    adminPassword_->clear();
    list_->showSelection(false);
    forgetFormCamera();
}

void PppoePage::disableOkWithoutCredentials() {
    if (adminName_->text().isEmpty() || adminPassword_->text().isEmpty()) {
        okButton_->setEnabled(false);
    }
}

void PppoePage::showEvent(QShowEvent* event) {
    SettingsPage::showEvent(event);
    disableOkWithoutCredentials();
    list_->setFocus();
}

void PppoePage::hideEvent(QHideEvent* event) {
    SettingsPage::hideEvent(event);
    disableOkWithoutCredentials();
}

}  // namespace pelmora
