#include "pages/network/NetworkPage.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>

#include "model/FixedText.h"
#include "pages/network/AssignAddressesDialog.h"
#include "settings/network/NetworkSubmit.h"
#include "widgets/FileFolder.h"
#include "widgets/FormControls.h"
#include "widgets/MessagePort.h"

namespace pelmora {
namespace {

constexpr int kAddressCopyColumn = 5;
constexpr int kPortColumn = 6;

bool isZero(const Ipv4& address) {
    return address == Ipv4{};
}

QString addressText(const Ipv4& address) {
    return QString::fromStdString(formatIpv4(address));
}

}  // namespace

NetworkPage::NetworkPage(QWidget* parent)
    : SettingsPage({{"MAC address", 1700},
                    {"IP address", 1600},
                    {"Model", 1350},
                    {"Serial No.", 1160},
                    {"Version No.", 7000},
                    {"", 0},
                    {"", 0}},
                   5000, parent),
      dhcp_(new QRadioButton("Obtain an IP address automatically", this)),
      fixed_(new QRadioButton("&Use the following IP address", this)),
      dnsAuto_(new QRadioButton("Obtain DNS server address automatically", this)),
      dnsManual_(new QRadioButton("Use the fo&llowing DNS server address", this)),
      port80_(new QRadioButton("80", this)),
      otherPort_(new QRadioButton(this)),
      ip_(new Ipv4Field(this)),
      mask_(new Ipv4Field(this)),
      gateway_(new Ipv4Field(this)),
      portLabel_(plainLabel("&HTTP port No.", this)),
      portHint_(plainLabel("(1024 to 65535)", this)),
      nameLabel_(plainLabel("&Administrator name", this)),
      passwordLabel_(plainLabel("Administrator pass&word", this)),
      portEdit_(new QLineEdit(this)),
      reboot_(new QPushButton("&Reboot", this)),
      cancel_(new QPushButton("&Cancel", this)) {
    // The lease and port columns exist for the copied row text only.
    keepColumnsOffView(kAddressCopyColumn);
    for (auto& field : dns_) {
        field = new Ipv4Field(this);
    }
    auto* name = new QLineEdit(this);
    auto* password = new QLineEdit(this);
    auto* ok = new QPushButton("&OK", this);
    setCredentialControls(name, password, ok, kMinCredentialLength);
    nameLabel_->setBuddy(name);
    passwordLabel_->setBuddy(password);
    // Reboot follows OK; the values read here are written back when a camera is selected.
    for (QLineEdit* edit : {name, password}) {
        connect(edit, &QLineEdit::textChanged, this, [this] {
            if (grid_->HighLight() == 1) {
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
    grid_->installEventFilter(this);

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
    const char* addressNames[] = {"&IP address", "Subnet &mask", "Default &gateway"};
    Ipv4Field* addressFields[] = {ip_, mask_, gateway_};
    std::vector<std::pair<QLabel*, Ipv4Field*>> addressRows;
    for (std::size_t i = 0; i < addressLabels_.size(); ++i) {
        addressLabels_[i] = buddyLabel(addressNames[i], addressFields[i], this);
        addressRows.emplace_back(addressLabels_[i], addressFields[i]);
    }
    const char* dnsNames[] = {"Primary DNS ser&ver address", "S&econdary DNS server address",
                              "&Third DNS server address", "Fourth DNS &server address"};
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
    otherPort_->setAccessibleName("Other HTTP port");
    portEdit_->setAccessibleName("HTTP port No.");
    // Alt+H goes to the port's field when another port is chosen, else to "80".
    portLabel_->setBuddy(port80_);
    connect(otherPort_, &QRadioButton::toggled, this, [this](bool other) {
        portLabel_->setBuddy(other ? static_cast<QWidget*>(portEdit_) : port80_);
    });
    setReadingOrder({dhcp_, fixed_, ip_, mask_, gateway_, port80_, otherPort_, portEdit_, dnsAuto_,
                     dnsManual_, dns_[0], dns_[1], dns_[2], dns_[3], adminName_, adminPassword_,
                     reboot_, cancel_, okButton_});
    describeButton(okButton_, "Send these settings to the selected camera");
    describeButton(reboot_, "Restart the selected camera");
    describeButton(cancel_, "Empty the form");
}

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

// ---- Grid ----

void NetworkPage::writeCameraRow(int row, const CameraRecord& record) {
    writeRow(row, cameraRowCells(record, AddressColumn::IpAddress));
    // The hidden columns carry a DHCP camera's lease and every camera's port for the row text;
    // a fixed camera's address column 5 keeps what it held.
    if (record.dhcp == 1) {
        grid_->setTextMatrix(row, kAddressCopyColumn, addressText(record.ipAddress));
    }
    grid_->setTextMatrix(row, kPortColumn, QString::number(record.webPort));
}

void NetworkPage::headerClick(int column) {
    // A header click drops the credentials along with the selection.
    afterHeaderClick_ = true;
    SettingsPage::headerClick(column);
    afterHeaderClick_ = false;
}

void NetworkPage::beginRefresh() {
    refreshKeys_ = selectedKeys();
    selectedRecord_.reset();
}

// The form follows the camera it shows, which is the highlighted one unless a right-click or a
// page key has moved the highlight since.
void NetworkPage::noteRecord(const CameraRecord& record, bool listed, const QString&) {
    if (formCameraMac().empty() || fieldText(record.mac) != formCameraMac()) {
        return;
    }
    if (listed) {
        selectedRecord_ = record;
    } else {
        // The camera stopped answering: its settings and credentials leave the form with it.
        clearCredentials();
        emptyForm();
    }
}

int NetworkPage::blankColumnCount() const {
    // The port column is left as it stands.
    return kWholeRow + 1;
}

void NetworkPage::selectionDropped() {
    // A form that showed a camera is emptied whole, the port choice included; with none shown a
    // timer refresh leaves what was typed in the port field. A timer refresh also leaves typed
    // credentials alone.
    if (afterHeaderClick_ || !formCameraMac().empty()) {
        emptyForm();
    } else {
        resetForm();
    }
    if (afterHeaderClick_) {
        clearCredentials();
    }
}

int NetworkPage::topRowToRestore(int topRow) const {
    // Restoring a top row too near the end would leave blank space: the last rows fill the view.
    const int shown = grid_->fullyVisibleRows();
    const int top = grid_->Rows() < topRow + shown ? grid_->Rows() - shown : topRow;
    return std::max(top, 1);
}

void NetworkPage::endRefresh() {
    // A DHCP camera shows its current lease in the disabled fields, while the form still shows
    // that camera (a rewrite that dropped the selection has emptied the form).
    if (dhcp_->isChecked() && selectedRecord_ &&
        fieldText(selectedRecord_->mac) == formCameraMac()) {
        if (isZero(selectedRecord_->ipAddress)) {
            for (Ipv4Field* field : {ip_, mask_, gateway_}) {
                field->clear();
            }
        } else {
            ip_->setAddress(selectedRecord_->ipAddress);
            mask_->setAddress(selectedRecord_->subnetMask);
            gateway_->setAddress(selectedRecord_->gateway);
        }
    }
    reselectKeys(refreshKeys_);
}

std::pair<int, int> NetworkPage::selectionRange() const {
    return std::minmax(grid_->Row(), grid_->RowSel());
}

// The selected rows as "MAC:serial" keys, so that the selection follows its cameras.
QStringList NetworkPage::selectedKeys() const {
    QStringList keys;
    const auto [lo, hi] = selectionRange();
    const auto& leftOut = grid_->rowsLeftOut();
    for (int row = lo; row <= hi && row < grid_->Rows(); ++row) {
        if (!grid_->TextMatrix(row, 0).isEmpty() &&
            std::find(leftOut.begin(), leftOut.end(), row) == leftOut.end()) {
            keys << grid_->TextMatrix(row, 0) + ":" + grid_->TextMatrix(row, 3);
        }
    }
    return keys;
}

// Scattered cameras (after a sort) are covered by one range from the first to the last, but
// the cameras that came to stand between them are left out of it: a selection never gains a
// camera nobody chose.
void NetworkPage::reselectKeys(const QStringList& keys) {
    int first = 0;
    int last = 0;
    std::vector<int> others;
    for (int row = 1; row < grid_->Rows(); ++row) {
        if (keys.contains(grid_->TextMatrix(row, 0) + ":" + grid_->TextMatrix(row, 3))) {
            first = first == 0 ? row : first;
            last = row;
        } else if (first != 0) {
            others.push_back(row);
        }
    }
    if (first != 0) {
        std::erase_if(others, [last](int row) { return row > last; });
        grid_->setCol(0);
        grid_->setRow(first);
        grid_->setRowSel(last);
        grid_->setColSel(kWholeRow);
        grid_->setRowsLeftOut(std::move(others));
    }
}

void NetworkPage::restoreSelection(int lo, int hi, const std::vector<int>& leftOut) {
    grid_->setCol(0);
    grid_->setRow(lo);
    grid_->setRowSel(hi);
    grid_->setColSel(kWholeRow);
    grid_->setRowsLeftOut(leftOut);
}

std::vector<int> NetworkPage::chosenRows() const {
    std::vector<int> rows;
    const auto [lo, hi] = selectionRange();
    for (int row = lo; row <= hi && row < grid_->Rows(); ++row) {
        if (grid_->isRowSelected(row) && !grid_->TextMatrix(row, 0).isEmpty()) {
            rows.push_back(row);
        }
    }
    return rows;
}

void NetworkPage::filterChanged() {
    // Rows a new filter brings in were never chosen, and rows it hides would be acted on unseen.
    if (grid_->HighLight() != 0 && grid_->Row() != grid_->RowSel()) {
        grid_->setRow(grid_->Row());
        grid_->setHighLight(0);
        emptyForm();
    }
}

void NetworkPage::selectRow() {
    // A setting request goes to one camera: several rows empty and disable the form.
    const bool single = grid_->HighLight() <= 0 || grid_->RowSel() == grid_->Row();
    setFormEnabled(single);
    if (!single) {
        return;
    }
    const int row = rowToSelect();
    if (row == 0) {
        headerClick(grid_->MouseCol());
        return;
    }
    grid_->setRow(row);
    grid_->setCol(0);
    grid_->setColSel(kWholeRow);
    if (grid_->TextMatrix(row, 0).isEmpty()) {
        resetForm();
        return;
    }
    const auto record = recordOfCurrentRow();
    if (!record) {
        cameraGone();
        return;
    }
    grid_->setHighLight(1);
    showInForm(*record);
}

// The camera aged out of the table since the last refresh: there is nothing to show or address.
void NetworkPage::cameraGone() {
    grid_->setHighLight(0);
    resetForm();
}

void NetworkPage::openCameraPage() {
    const int row = grid_->MouseRow();
    if (row == 0 || table_ == nullptr) {
        return;
    }
    const auto record = table_->findByMac(grid_->TextMatrix(row, 0).toLatin1().toStdString());
    if (!record) {
        return;
    }
    if (const auto url = cameraPageUrl(*record); url && services_.openUrl) {
        services_.openUrl(QString::fromStdString(*url));
    }
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
    if (submitReboot(*table_, services_.send, formCameraMac(), adminNameText(),
                     adminPasswordText()) == SubmitStatus::CameraGone) {
        cameraGone();
    }
}

void NetworkPage::onCancel() {
    emptyForm();
    clearCredentials();
    grid_->setHighLight(0);
}

// ---- Mouse and keyboard ----

void NetworkPage::onMouseDown(int button, int, int x, int y) {
    if (nextRow_ <= 1) {
        grid_->setHighLight(0);
        return;
    }
    mouseDownRow_ = grid_->MouseRow();
    grid_->setHighLight(mouseDownRow_ > 0 ? 1 : 0);
    headerPressed_ = button == 1 && mouseDownRow_ == 0;
    if (headerPressed_) {
        topRowAtPress_ = grid_->TopRow();
    }
    if (y > nextRow_ * rowHeightPx_) {
        grid_->setRow(nextRow_ - 1);
        grid_->setColSel(kWholeRow);
        if (x < 0 || x > grid_->width()) {
            selectRow();
        }
    }
    // A right-click outside the selection narrows it to the clicked row; inside, the context
    // menu acts on the whole selection.
    if (button == 2 && mouseDownRow_ != 0 && !grid_->isRowSelected(mouseDownRow_)) {
        grid_->setRow(mouseDownRow_);
        grid_->setCol(0);
        grid_->setColSel(kWholeRow);
    }
}

void NetworkPage::onMouseMove(int button, int, int, int) {
    // A drag keeps its rows selected; the form empties because no single camera is addressed.
    if (grid_->HighLight() == 1 && grid_->RowSel() != grid_->Row()) {
        for (Ipv4Field* field : {ip_, mask_, gateway_, dns_[0], dns_[1], dns_[2], dns_[3]}) {
            field->clear();
            field->setEnabled(false);
        }
        for (QLabel* label : {addressLabels_[0], addressLabels_[1], addressLabels_[2],
                              dnsLabels_[0], dnsLabels_[1], dnsLabels_[2], dnsLabels_[3]}) {
            label->setEnabled(false);
        }
        clearCredentials();
        setSendButtonsEnabled(false);
        forgetFormCamera();
    }
    if (button == 1 && headerPressed_ && grid_->TopRow() != topRowAtPress_) {
        grid_->setTopRow(topRowAtPress_);
    }
}

// A release outside the grid stretches the selection to the row level with the pointer.
void NetworkPage::onMouseUp(int button, int, int x, int y) {
    if (button != 1) {
        return;
    }
    if (nextRow_ <= 1) {
        grid_->setHighLight(0);
        return;
    }
    const bool inside = x >= 0 && x <= grid_->width();
    if (y < rowHeightPx_) {
        if (grid_->MouseRow() != 0) {
            grid_->setRow(1);
            grid_->setRowSel(nextRow_ - 1);
            grid_->setColSel(kWholeRow);
        }
        if (mouseDownRow_ > 0) {
            selectRow();
        }
    } else if (y > grid_->height()) {
        grid_->setRowSel(nextRow_ - 1);
        grid_->setColSel(kWholeRow);
        selectRow();
    } else if (y > nextRow_ * rowHeightPx_) {
        grid_->setRowSel(nextRow_ - 1);
        grid_->setColSel(kWholeRow);
        if (!inside) {
            selectRow();
        }
    } else if (!inside) {
        grid_->setRowSel(std::clamp(grid_->TopRow() + y / rowHeightPx_ - 1, 1, grid_->Rows() - 1));
        grid_->setColSel(kWholeRow);
        selectRow();
    }
}

void NetworkPage::onKeyUp(int& key, int) {
    if ((key == kKeyUp || key == kKeyDown || key == kKeyPageUp || key == kKeyPageDown) &&
        grid_->RowSel() < nextRow_) {
        keyboardSelect_ = true;
        selectRow();
        keyboardSelect_ = false;
    }
    trimSelection();
}

// Typing in the list drops the selection and returns the form to its defaults.
void NetworkPage::onKeyPress(int&) {
    setFormEnabled(true);
    grid_->setHighLight(0);
    resetForm();
    setRadio(port80_, true);
    setRadio(otherPort_, false);
    clearCredentials();
    trimSelection();
}

void NetworkPage::trimSelection() {
    int row = grid_->Row();
    int rowSel = grid_->RowSel();
    const std::vector<int> leftOut = grid_->rowsLeftOut();
    if (row > rowSel) {
        return;
    }
    for (int r = row; r <= rowSel; ++r) {
        if (grid_->TextMatrix(r, 0).isEmpty()) {
            const int end = std::max(r - 1, 1);
            if (row == rowSel) {
                row = end;
            }
            rowSel = end;
            break;
        }
    }
    grid_->setCol(0);
    grid_->setRow(row);
    grid_->setRowSel(rowSel);
    grid_->setColSel(kWholeRow);
    grid_->setRowsLeftOut(leftOut);
}

bool NetworkPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress &&
        gridKeyDown(*static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return SettingsPage::eventFilter(watched, event);
}

// The list's own keys, before the grid and the window see them; true swallows the key.
bool NetworkPage::gridKeyDown(const QKeyEvent& key) {
    const bool ctrl = (key.modifiers() & Qt::ControlModifier) != 0;
    if (ctrl && key.key() == Qt::Key_A && grid_->HighLight() != 0 && nextRow_ > 1) {
        grid_->setCol(0);
        grid_->setRow(1);
        grid_->setRowSel(nextRow_ - 1);
        grid_->setColSel(kWholeRow);
        if (nextRow_ == 2) {
            setFormEnabled(true);
            grid_->setRow(1);
            keyboardSelect_ = true;
            selectRow();
            keyboardSelect_ = false;
        } else {
            setFormEnabled(false);
        }
        return true;
    }
    if (ctrl && key.key() == Qt::Key_C && grid_->HighLight() != 0) {
        const auto [lo, hi] = selectionRange();
        const std::vector<int> leftOut = grid_->rowsLeftOut();
        copyRows(lo, hi);
        restoreSelection(lo, hi, leftOut);
        return true;
    }
    // The menu key or Shift+F10 opens the list's menu at the keyboard's row, as a right-click
    // on that row does.
    if (key.key() == Qt::Key_Menu ||
        (key.key() == Qt::Key_F10 && key.modifiers() == Qt::ShiftModifier)) {
        const QRect cell = grid_->visualRect(grid_->model()->index(grid_->Row() - 1, 0));
        const QPoint at = grid_->viewport()->mapTo(this, cell.center());
        QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, at, mapToGlobal(at));
        contextMenuEvent(&menuEvent);
        return true;
    }
    if (key.key() == Qt::Key_Escape) {
        return true;
    }
    if (key.key() == Qt::Key_Down) {
        // Down stops at the last listed camera.
        const int below = grid_->RowSel() + 1;
        return below <= nextRow_ && below < grid_->Rows() && grid_->TextMatrix(below, 0).isEmpty();
    }
    if (key.key() == Qt::Key_PageDown && grid_->RowSel() + grid_->fullyVisibleRows() > nextRow_ &&
        nextRow_ > 1) {
        grid_->setCol(0);
        grid_->setRow(nextRow_ - 1);
        grid_->setColSel(kWholeRow);
        return nextRow_ < kMinimumRows;
    }
    return false;
}

// ---- Copy ----

QString NetworkPage::rowText(int row) const {
    const QString mac = grid_->TextMatrix(row, 0).trimmed();
    if (mac.isEmpty()) {
        return {};
    }
    const auto cell = [this, row](int col) { return grid_->TextMatrix(row, col); };
    QString line = mac;
    // Column 1 says only "DHCP" for a DHCP camera; its lease stands in the hidden column.
    line += cell(1) == "DHCP" ? " DHCP " + cell(kAddressCopyColumn) : " FIXED " + cell(1);
    line += " " + cell(kPortColumn) + " " + cell(2) + " " + cell(3) + " " + cell(4) + "\r\n";
    return line;
}

void NetworkPage::copyRows(int lo, int hi) {
    QString text;
    const auto& leftOut = grid_->rowsLeftOut();
    for (int row = lo; row <= hi; ++row) {
        if (std::find(leftOut.begin(), leftOut.end(), row) == leftOut.end()) {
            text += rowText(row);
        }
    }
    QGuiApplication::clipboard()->setText(text);
}

void NetworkPage::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint at = grid_->mapFromGlobal(event->globalPos());
    const int bottom = std::min(rowHeightPx_ * nextRow_, grid_->height());
    // The row actions only over a listed camera's row inside the grid; elsewhere on the grid,
    // what every page offers.
    if (grid_->HighLight() < 1 || at.x() <= 0 || at.x() >= grid_->width() ||
        at.y() <= rowHeightPx_ || at.y() >= bottom) {
        SettingsPage::contextMenuEvent(event);
        return;
    }
    QMenu menu(this);
    QAction* copy = menu.addAction("&Copy");
    const int clicked = grid_->Row() == grid_->RowSel() ? grid_->Row() : 0;
    QAction* suggest = menu.addAction("&Suggest a free address");
    suggest->setEnabled(clicked > 0 && canSuggestAddress(clicked));
    QAction* assign = menu.addAction("&Assign addresses…");
    assign->setEnabled(chosenRows().size() > 1);
    menu.addSeparator();
    addRecordActions(menu);
    QAction* chosen = menu.exec(event->globalPos());
    // Every row action takes the cameras chosen, never the rows between them.
    const auto [lo, hi] = selectionRange();
    const std::vector<int> leftOut = grid_->rowsLeftOut();
    const std::vector<int> rows = chosenRows();
    if (chosen == copy) {
        QString text;
        for (const int row : rows) {
            text += rowText(row);
        }
        QGuiApplication::clipboard()->setText(text);
    }
    if (chosen == suggest) {
        suggestAddress(clicked);
        return;
    }
    if (chosen == assign) {
        std::vector<std::string> macs;
        for (const int row : rows) {
            macs.push_back(grid_->TextMatrix(row, 0).toLatin1().toStdString());
        }
        assignAddresses(std::move(macs));
    }
    restoreSelection(lo, hi, leftOut);
    grid_->viewport()->update();
}

void NetworkPage::assignAddresses(std::vector<std::string> macs) {
    AssignAddressesDialog dialog(
        std::move(macs), *table_, services_, lan(),
        [this] { return askSavePath(this, "Save plan", "plan.csv", "CSV (*.csv)"); }, this);
    dialog.exec();
}

std::vector<CameraRecord> NetworkPage::exportedRecords() const {
    auto records = listedRecords();
    const std::vector<int> rows = chosenRows();
    if (rows.size() < 2) {
        return records;
    }
    QStringList macs;
    for (const int row : rows) {
        macs << grid_->TextMatrix(row, 0);
    }
    std::erase_if(records, [&](const CameraRecord& r) {
        return !macs.contains(cameraText(std::string(fieldText(r.mac))));
    });
    return records;
}

// ---- A free address for a camera out of reach ----

std::optional<SuggestedAddressing> NetworkPage::addressFor(int row) const {
    if (lan() == nullptr || row < 1 || row >= nextRow_) {
        return std::nullopt;
    }
    const std::string mac = grid_->TextMatrix(row, 0).toLatin1().toStdString();
    const CameraDiagnosis* diagnosis = lan()->find(mac);
    if (diagnosis == nullptr || diagnosis->interface < 0 ||
        (diagnosis->problems & (kProblemOtherSubnet | kProblemDuplicateIp)) == 0) {
        return std::nullopt;
    }
    const auto& on = lan()->interfaces()[static_cast<std::size_t>(diagnosis->interface)];
    if (on.loopback) {
        return std::nullopt;
    }
    return suggestFreeAddress(on, lan()->cameras(), lan()->interfaces());
}

bool NetworkPage::canSuggestAddress(int row) const {
    return addressFor(row).has_value();
}

// Selects the camera and fills the form with a fixed address that puts it on this PC's
// network. Nothing is sent: the person reviews the form and presses OK as always.
void NetworkPage::suggestAddress(int row) {
    const auto suggestion = addressFor(row);
    if (!suggestion) {
        return;
    }
    grid_->setCol(0);
    grid_->setRow(row);
    grid_->setColSel(kWholeRow);
    keyboardSelect_ = true;
    selectRow();
    keyboardSelect_ = false;
    if (formCameraMac().empty()) {
        return;
    }
    setRadio(dhcp_, false);
    setRadio(fixed_, true);
    applyFixedRule();
    ip_->setAddress(suggestion->ipAddress);
    mask_->setAddress(suggestion->subnetMask);
    showAddress(gateway_, suggestion->gateway);
    if (services_.messages != nullptr) {
        services_.messages->show(
            "Suggest a free address",
            QString("%1 is not used by any camera that answered, but a device that is not a "
                    "camera may still use it. Check before pressing OK.")
                .arg(QString::fromStdString(formatIpv4(suggestion->ipAddress))),
            MessagePort::Icon::Information);
    }
}

void NetworkPage::showEvent(QShowEvent* event) {
    SettingsPage::showEvent(event);
    grid_->setFocus();
}

}  // namespace pelmora
