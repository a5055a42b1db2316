#include "widgets/KeptCredentials.h"

#include <QMessageBox>
#include <QPointer>

#include "keyring/CredentialStore.h"
#include "widgets/FormControls.h"

namespace pelmora {

KeptCredentials::KeptCredentials(QLineEdit* name, QLineEdit* password, QWidget* page)
    : QObject(page),
      name_(name),
      password_(password),
      page_(page),
      box_(new QCheckBox(tr("Remember on this PC"), page)) {
    // No letter of its own: every letter of it already moves somewhere on the Network page. The
    // focus walk reaches it after the password.
    updateBox();
}

void KeptCredentials::setStore(CredentialStore* store) {
    store_ = store;
    if (store_ != nullptr) {
        connect(store_, &CredentialStore::availabilityKnown, this, &KeptCredentials::updateBox);
    }
    updateBox();
}

void KeptCredentials::updateBox() {
    const auto availability =
        store_ != nullptr ? store_->availability() : CredentialStore::Availability::Unavailable;
    box_->setEnabled(availability == CredentialStore::Availability::Available);
    if (!box_->isEnabled()) {
        box_->setChecked(false);
    }
    QString tip;
    switch (availability) {
        case CredentialStore::Availability::Available:
            tip = tr("Keep this name and password for this camera in the desktop's keyring");
            break;
        case CredentialStore::Availability::Unknown:
            tip = tr("Looking for the desktop's keyring…");
            break;
        case CredentialStore::Availability::Unavailable:
            tip = store_ == nullptr || store_->unavailableReason().isEmpty()
                      ? tr("Passwords cannot be kept: no Secret Service is reachable")
                      : tr("Passwords cannot be kept: no Secret Service is reachable (%1)")
                            .arg(store_->unavailableReason());
            break;
    }
    box_->setToolTip(plainToolTip(tip));
    box_->setAccessibleDescription(tip);
}

void KeptCredentials::cameraChosen(const std::string& mac) {
    chosen_ = mac;
    kept_.clear();
    box_->setChecked(false);
    if (!box_->isEnabled() || mac.empty()) {
        return;
    }
    QPointer<KeptCredentials> self(this);
    store_->load(QString::fromStdString(mac), [self, mac](std::optional<StoredCredentials> kept) {
        if (self.isNull() || !kept || self->chosen_ != mac) {
            return;
        }
        self->name_->setText(QString::fromStdString(kept->name));
        self->password_->setText(QString::fromStdString(kept->password));
        self->box_->setChecked(true);
        self->kept_ = mac;
    });
}

void KeptCredentials::used(const std::string& mac) {
    if (!box_->isEnabled() || !box_->isChecked() || mac.empty()) {
        return;
    }
    QPointer<KeptCredentials> self(this);
    store_->save(QString::fromStdString(mac),
                 {name_->text().toStdString(), password_->text().toStdString()},
                 [self, mac](const QString& trouble) {
                     if (!self.isNull() && trouble.isEmpty()) {
                         self->kept_ = mac;
                     }
                 });
}

void KeptCredentials::forgetChosen() {
    if (!keptForChosen() || store_ == nullptr) {
        return;
    }
    const std::string mac = kept_;
    QPointer<KeptCredentials> self(this);
    store_->forget(QString::fromStdString(mac), [self, mac](const QString& trouble) {
        if (self.isNull()) {
            return;
        }
        if (!trouble.isEmpty()) {
            QMessageBox box(QMessageBox::Warning, tr("Forget saved password"),
                            tr("The saved password could not be removed.") + '\n' + trouble,
                            QMessageBox::Ok, self->page_);
            box.setTextFormat(Qt::PlainText);
            box.exec();
            return;
        }
        if (self->kept_ == mac) {
            self->kept_.clear();
            self->box_->setChecked(false);
        }
    });
}

}  // namespace pelmora
