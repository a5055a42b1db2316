#include "pages/bandwidth/BandwidthPage.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "model/FixedText.h"
#include "settings/bandwidth/BandwidthForm.h"
#include "widgets/FormControls.h"

namespace pelmora {

BandwidthPage::BandwidthPage(QWidget* parent)
    : SettingsPage({{tr("MAC address"), 1700},
                    {tr("IP address"), 1600},
                    {tr("Model"), 1350},
                    {tr("Serial No."), 1160},
                    {tr("Version No."), 1300},
                    {"", 7000}},
                   5000, parent),
      currentBand_(new QLabel(this)),
      bands_(new QListWidget(this)),
      cancel_(new QPushButton(tr("&Cancel"), this)) {
    currentBand_->setTextFormat(Qt::PlainText);
    currentBand_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    currentBand_->setMinimumWidth(80);
    bands_->setSelectionMode(QAbstractItemView::SingleSelection);
    // A list takes no name from its label; it is given the label's words.
    bands_->setAccessibleName(tr("Setting bandwidth"));
    bands_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* name = new QLineEdit(this);
    auto* password = new QLineEdit(this);
    // Room for 16 characters; the list shows a handful of values at once.
    const int fieldWidth = name->fontMetrics().horizontalAdvance('M') * 14;
    name->setMaximumWidth(fieldWidth);
    password->setMaximumWidth(fieldWidth);
    bands_->setMaximumWidth(fieldWidth);
    bands_->setMaximumHeight(bands_->fontMetrics().height() * 6);
    auto* ok = new QPushButton(tr("&OK"), this);
    setCredentialControls(name, password, ok, kMinCredentialLength);

    auto* form = new QGridLayout;
    form->addWidget(new QLabel(tr("Current bandwidth"), this), 0, 0);
    auto* current = new QHBoxLayout;
    current->addWidget(currentBand_);
    current->addWidget(new QLabel(tr("(Mbps)"), this));
    current->addStretch();
    form->addLayout(current, 0, 1);
    form->addWidget(buddyLabel(tr("&Setting bandwidth"), bands_, this), 1, 0, Qt::AlignTop);
    form->addWidget(bands_, 1, 1);
    form->addWidget(buddyLabel(tr("&Administrator name"), name, this), 2, 0);
    form->addWidget(name, 2, 1);
    form->addWidget(buddyLabel(tr("Administrator pass&word"), password, this), 3, 0);
    form->addWidget(password, 3, 1);
    form->addWidget(rememberBox(), 3, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel_);
    form->addLayout(buttons, 4, 0, 1, 2);
    form->setColumnStretch(1, 1);

    auto* layout = formArea();
    layout->addLayout(form);

    connect(ok, &QPushButton::clicked, this, &BandwidthPage::onOk);
    connect(cancel_, &QPushButton::clicked, this, &BandwidthPage::onCancel);
    setReadingOrder({bands_, name, password, rememberBox(), ok, cancel_});
    describeButton(ok, tr("Send the chosen bandwidth to the selected camera"));
    describeButton(cancel_, tr("Show the selected camera's settings again"));
}

// Runs on every refresh while no camera is selected: widgets already empty are left alone, since
// clearing a label asks the whole window for a new layout and a repaint.
void BandwidthPage::clearSelection() {
    forgetFormCamera();
    for (QLineEdit* edit : {adminName_, adminPassword_}) {
        if (!edit->text().isEmpty()) {
            edit->clear();
        }
    }
    if (!currentBand_->text().isEmpty()) {
        currentBand_->clear();
    }
    if (bands_->count() != 0) {
        bands_->clear();
    }
    okButton_->setEnabled(false);
}

void BandwidthPage::fillForm(const CameraRecord& record) {
    const auto form = bandwidthFormFor(record);
    currentBand_->setText(cameraText(form.currentBand));
    bands_->clear();
    for (const auto& choice : form.choices) {
        bands_->addItem(cameraText(choice));
    }
    cameraSelected_ = true;
}

void BandwidthPage::onOk() {
    const auto record = recordOfFormCamera();
    const auto* item = bands_->currentItem();
    if (!record || item == nullptr || !item->isSelected()) {
        return;
    }
    requestedBand_ = item->text().toLatin1().toStdString();
    requestedMac_ = std::string(fieldText(record->mac));
    sendSettingRequest(*record, buildBandwidthRequest(fieldText(record->mac), adminNameText(),
                                                      adminPasswordText(), requestedBand_));
}

void BandwidthPage::onCancel() {
    if (cameraSelected_) {
        selectRow();
    }
}

void BandwidthPage::pageRefresh() {
    if (!isVisible()) {
        return;
    }
    currentBand_->setText(cameraText(requestedBand_));
    if (requestedMac_.empty() || table_ == nullptr) {
        return;
    }
    table_->modify([&](TableData& data) {
        for (int i = 0; i < data.count; ++i) {
            if (fieldText(data.records[i].mac) == requestedMac_) {
                copyField(data.records[i].currentBand, requestedBand_);
                break;
            }
        }
    });
}

void BandwidthPage::disableOkWithoutCredentials() {
    if (adminName_->text().isEmpty() || adminPassword_->text().isEmpty()) {
        okButton_->setEnabled(false);
    }
}

void BandwidthPage::showEvent(QShowEvent* event) {
    SettingsPage::showEvent(event);
    disableOkWithoutCredentials();
    list_->setFocus();
}

void BandwidthPage::hideEvent(QHideEvent* event) {
    SettingsPage::hideEvent(event);
    disableOkWithoutCredentials();
}

}  // namespace pelmora
