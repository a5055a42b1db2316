#include "pages/onvif/OnvifPage.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

#include "changelog/ChangeJournal.h"
#include "changelog/OnvifRecording.h"
#include "changelog/PlanLock.h"
#include "changelog/StateDirectory.h"
#include "listing/OnvifListing.h"
#include "onvif/AddressVerification.h"
#include "onvif/ProbeTargets.h"
#include "settings/onvif/OnvifClockRules.h"
#include "settings/onvif/OnvifNetworkRules.h"
#include "widgets/FormControls.h"
#include "widgets/MessagePort.h"

namespace pelmora {
namespace {

// Wide enough for a MAC, an address, the words of a clock offset.
constexpr int kColumnWidths[kOnvifColumns] = {116, 88, 80, 70, 58, 84, 124, 160};

}  // namespace

OnvifPage::OnvifPage(QWidget* parent)
    : QWidget(parent),
      model_(new OnvifCameraModel(this)),
      filter_(new OnvifCameraFilter(this)),
      list_(new QTableView(this)),
      user_(new QLineEdit(this)),
      password_(new QLineEdit(this)),
      kept_(new KeptCredentials(user_, password_, this)),
      read_(new QPushButton(tr("Re&ad"), this)),
      refresh_(new QPushButton(tr("R&efresh"), this)),
      probe_(new QPushButton(tr("Probe addre&sses…"), this)),
      form_(new OnvifSettingsForm(this)),
      status_(new QLabel(this)) {
    filter_->setSourceModel(model_);
    list_->setModel(filter_);
    list_->setAccessibleName(tr("ONVIF cameras"));
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows for "Assign addresses…"; the current row is the one the form shows.
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, &OnvifPage::showRowMenu);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSortingEnabled(true);
    // Until a header is clicked, the cameras show in the order they were first heard.
    list_->sortByColumn(-1, Qt::AscendingOrder);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 4);
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->setWordWrap(false);
    for (int column = 0; column < kOnvifColumns; ++column) {
        list_->setColumnWidth(column, kColumnWidths[column]);
    }
    list_->installEventFilter(this);
    connect(list_, &QTableView::doubleClicked, this, [this] { openCurrentWebPage(); });

    user_->setAccessibleName(tr("User name"));
    password_->setAccessibleName(tr("Password"));
    makePasswordField(password_);
    describeButton(read_, tr("Read every ONVIF camera again with this user name and password"));
    describeButton(refresh_, tr("Probe for ONVIF cameras now and read every one again"));
    describeButton(probe_, tr("Send the probe to addresses a multicast probe cannot reach"));
    connect(read_, &QPushButton::clicked, this, &OnvifPage::giveCredentials);
    connect(password_, &QLineEdit::returnPressed, this, &OnvifPage::giveCredentials);
    connect(refresh_, &QPushButton::clicked, this, &OnvifPage::refreshAsked);
    connect(probe_, &QPushButton::clicked, this, &OnvifPage::askProbeAddresses);

    auto* credentials = new QHBoxLayout;
    credentials->addWidget(buddyLabel(tr("&User name"), user_, this));
    credentials->addWidget(user_, 1);
    credentials->addWidget(buddyLabel(tr("Pass&word"), password_, this));
    credentials->addWidget(password_, 1);
    credentials->addWidget(read_);
    credentials->addSpacing(12);
    credentials->addWidget(refresh_);
    credentials->addWidget(probe_);
    status_->setTextFormat(Qt::PlainText);
    status_->setAccessibleName(tr("Setting status"));
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &OnvifPage::currentCameraChanged);
    connect(form_->okButton(), &QPushButton::clicked, this, &OnvifPage::sendNetworkSettings);
    connect(form_->clockButton(), &QPushButton::clicked, this, &OnvifPage::setClockFromPc);
    connect(form_->rebootButton(), &QPushButton::clicked, this, &OnvifPage::rebootCamera);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(credentials);
    // On a line of its own: beside the fields it would squeeze them; the list gives the room.
    layout->addWidget(kept_->box());
    layout->addWidget(form_);
    layout->addWidget(status_);
    setTabOrder(list_, user_);
    setTabOrder(user_, password_);
    setTabOrder(password_, kept_->box());
    setTabOrder(kept_->box(), read_);
    setTabOrder(read_, refresh_);
    setTabOrder(refresh_, probe_);
}

void OnvifPage::setServices(MessagePort* messages, std::function<void(const QString&)> openUrl) {
    messages_ = messages;
    openUrl_ = std::move(openUrl);
}

void OnvifPage::setFilter(const CameraFilter* filter) {
    filter_->setFilter(filter);
    filter_->refilter();
}

void OnvifPage::filterChanged() {
    filter_->refilter();
}

OnvifPage::~OnvifPage() {
    stopWork();
}

void OnvifPage::stopWork() {
    closing_ = true;
    for (QThread* thread : threads_) {
        thread->wait();
        delete thread;
    }
    threads_.clear();
}

void OnvifPage::showCameras(std::vector<OnvifListRow> cameras) {
    model_->setCameras(std::move(cameras));
    // A camera shown unread in the form is shown again once it is read.
    const auto* camera = chosenCamera();
    if (camera == nullptr) {
        if (!formKey_.empty()) {
            formKey_.clear();
            form_->clear();
        }
    } else if (!form_->isFilled() && camera->access == onvif::Access::Read && !busy_) {
        form_->fill(*camera);
    }
}

const onvif::OnvifCamera* OnvifPage::chosenCamera() const {
    const int row = model_->rowOf(formKey_);
    const OnvifListRow* camera = formKey_.empty() ? nullptr : model_->cameraAt(row);
    return camera != nullptr ? &camera->camera : nullptr;
}

void OnvifPage::currentCameraChanged() {
    const QModelIndex current = filter_->mapToSource(list_->currentIndex());
    const OnvifListRow* row = model_->cameraAt(current.row());
    formKey_ = row != nullptr ? row->key : std::string{};
    kept_->cameraChosen(row != nullptr && row->camera.mac ? row->camera.mac->text()
                                                          : std::string{});
    if (row != nullptr) {
        form_->fill(row->camera);
    } else {
        form_->clear();
    }
    setBusy(busy_);
}

void OnvifPage::setBusy(bool busy) {
    busy_ = busy;
    // One setting at a time: a second press would send the same change again.
    form_->setSending(busy);
}

void OnvifPage::runInBackground(std::function<void()> work) {
    QThread* thread = QThread::create(std::move(work));
    threads_.push_back(thread);
    connect(thread, &QThread::finished, this, [this, thread] {
        // Not when stopWork has waited for it and let it go already.
        if (std::erase(threads_, thread) > 0) {
            thread->deleteLater();
        }
    });
    thread->start();
}

void OnvifPage::sendNetworkSettings() {
    const auto* camera = chosenCamera();
    if (camera == nullptr || busy_) {
        return;
    }
    const auto change = form_->change(*camera);
    if (const auto refusal = checkOnvifNetworkChange(*camera, change)) {
        caution(*messages_,
                QString::fromLatin1(refusal->data(), static_cast<qsizetype>(refusal->size())));
        return;
    }
    // Two devices on one address is the worst a setting can leave behind.
    if (const auto moved = movedToAddress(*camera, change)) {
        std::vector<onvif::OnvifCamera> listed;
        for (int row = 0; row < model_->rowCount(); ++row) {
            listed.push_back(model_->cameraAt(row)->camera);
        }
        const auto ours = ownCameras_ ? ownCameras_() : std::vector<CameraAddressing>{};
        if (const auto holder = addressHolder(*moved, *camera, listed, ours)) {
            caution(*messages_, tr("%1 is in use by %2")
                                    .arg(QString::fromStdString(formatIpv4(*moved)),
                                         QString::fromStdString(*holder)));
            return;
        }
    }
    std::string error;
    auto requests = onvif::networkRequests(*camera, change, &error);
    if (!requests) {
        caution(*messages_, QString::fromStdString(error));
        return;
    }
    if (requests->empty()) {
        information(*messages_, tr("No setting changed"));
        return;
    }
    runSetting({*camera, std::move(*requests), "network", loggedNetworkChange(change),
                movedToAddress(*camera, change)});
}

void OnvifPage::setClockFromPc() {
    const auto* camera = chosenCamera();
    if (camera == nullptr || busy_) {
        return;
    }
    const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    const auto zone = pcPosixZone(std::getenv("TZ"));
    runSetting({*camera,
                {onvif::clockRequest(now, zone)},
                "datetime",
                {{"clockUtc", onvif::formatCreated(now)}, {"posixZone", zone}},
                std::nullopt});
}

void OnvifPage::rebootCamera() {
    const auto* camera = chosenCamera();
    if (camera == nullptr || busy_) {
        return;
    }
    runSetting({*camera, {onvif::rebootRequest()}, "reboot", {{"reboot", 1}}, std::nullopt});
}

// The device at the camera's service address is confirmed by MAC first; nothing goes to another.
void OnvifPage::runSetting(Setting setting) {
    if (user_->text().isEmpty() || !setting.camera.mac) {
        caution(*messages_, tr("Type the User name and Password the camera was read with"));
        return;
    }
    setBusy(true);
    const QString mac = QString::fromStdString(setting.camera.mac->text());
    status_->setText(tr("Sending to %1…").arg(mac));
    const onvif::HttpDigest credentials{user_->text().toStdString(),
                                        password_->text().toStdString()};
    kept_->used(setting.camera.mac->text());
    runInBackground([this, setting, credentials, journal = journal_] {
        // A move holds the plan lock until the camera is found at its new address, so that no
        // plan or other run gives the same address meanwhile.
        PlanLock lock;
        if (setting.movedTo) {
            lock = PlanLock(stateDirectory());
            if (!lock.held()) {
                const onvif::SettingResult busy{
                    onvif::SettingOutcome::WrongDevice, lock.trouble(), {}, false, {}};
                QMetaObject::invokeMethod(
                    this, [this, setting, busy] { settled(setting, busy); }, Qt::QueuedConnection);
                return;
            }
        }
        onvif::OnvifSetter setter(setting.camera.serviceAddress, credentials);
        if (setting.camera.clockOffset) {
            setter.setClockOffset(*setting.camera.clockOffset);
        }
        auto result = setter.confirmDevice(*setting.camera.mac);
        if (result.outcome == onvif::SettingOutcome::Accepted) {
            result = sendRecorded(setter, journal, setting.camera, setting.action, setting.settings,
                                  setting.requests);
        }
        QMetaObject::invokeMethod(
            this, [this, setting, result] { settled(setting, result); }, Qt::QueuedConnection);
        if (result.outcome == onvif::SettingOutcome::Accepted && setting.movedTo &&
            !result.rebootNeeded) {
            lookForMovedCamera(setting.camera, *setting.movedTo, credentials);
        }
    });
}

void OnvifPage::settled(const Setting& setting, const onvif::SettingResult& result) {
    status_->clear();
    setBusy(false);
    const QString words = QString::fromStdString(result.words);
    switch (result.outcome) {
        case onvif::SettingOutcome::Accepted:
            emit settingTaken();
            if (result.rebootNeeded) {
                if (messages_->askYes(
                        QCoreApplication::translate("pelmora::MessagePort", "Information"),
                        resultWords(QStringLiteral("Setting OK")) + '\n' +
                            tr("The camera must restart to use its new settings. Restart it "
                               "now?"))) {
                    runSetting({setting.camera,
                                {onvif::rebootRequest()},
                                "reboot",
                                {{"reboot", 1}},
                                std::nullopt});
                }
                return;
            }
            information(*messages_, resultWords(words));
            return;
        case onvif::SettingOutcome::WrongDevice:
            information(*messages_, words, MessagePort::Icon::Stop);
            return;
        case onvif::SettingOutcome::Refused:
            information(*messages_, resultWords(words));
            return;
        case onvif::SettingOutcome::NoResponse:
            if (messages_->askRetry(
                    QCoreApplication::translate("pelmora::MessagePort", "Information"),
                    resultWords(QStringLiteral("No Response")))) {
                runSetting(setting);
            }
            return;
    }
}

// On the setting's own thread, the lock still held: the page says where it looks and how it
// went.
void OnvifPage::lookForMovedCamera(const onvif::OnvifCamera& camera, Ipv4 address,
                                   const onvif::HttpDigest& credentials) {
    const QString mac = QString::fromStdString(camera.mac->text());
    const QString where = QString::fromStdString(formatIpv4(address));
    const auto say = [this](QString text) {
        QMetaObject::invokeMethod(
            this, [this, text] { status_->setText(text); }, Qt::QueuedConnection);
    };
    say(tr("Looking for %1 at %2…").arg(mac, where));
    const bool found = onvif::verifyAtAddress(address, *camera.mac, credentials, discoveryPort_,
                                              verifyTimeout_, &closing_);
    say(found ? tr("%1 verified at %2").arg(mac, where)
              : tr("%1 not confirmed at %2").arg(mac, where));
}

void OnvifPage::giveCredentials() {
    emit credentialsGiven(user_->text(), password_->text());
}

void OnvifPage::openCurrentWebPage() {
    const QModelIndex current = list_->currentIndex();
    if (!current.isValid() || !openUrl_) {
        return;
    }
    const QString url = current.siblingAtColumn(0).data(OnvifCameraModel::kUrlRole).toString();
    if (!url.isEmpty()) {
        openUrl_(url);
    }
}

bool OnvifPage::probeAddressesTyped(const QString& text) {
    std::string error;
    const auto addresses = onvif::parseProbeTargets(text.trimmed().toStdString(), &error);
    if (!addresses) {
        if (messages_ != nullptr) {
            caution(*messages_, tr("Probe addresses: %1").arg(QString::fromStdString(error)));
        }
        return false;
    }
    probeText_ = text.trimmed();
    emit probeAddressesAsked(*addresses, probeText_);
    return true;
}

// A small box of its own rather than an input dialog, so that its field carries a name and a
// label that screen readers read.
void OnvifPage::askProbeAddresses() {
    QDialog box(this);
    box.setWindowTitle(tr("Probe addresses"));
    auto* field = new QLineEdit(probeText_, &box);
    field->setAccessibleName(tr("Addresses to probe"));
    field->setPlaceholderText("10.2.0.0/24,10.3.0.7");
    auto* label =
        buddyLabel(tr("&Addresses and ranges, separated by commas (at most %1 addresses):")
                       .arg(onvif::kMaxProbeTargets),
                   field, &box);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
    connect(buttons, &QDialogButtonBox::accepted, &box, [&] {
        if (probeAddressesTyped(field->text())) {
            box.accept();
        }
    });
    connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(label);
    layout->addWidget(field);
    layout->addWidget(buttons);
    box.resize(460, box.sizeHint().height());
    box.exec();
}

// The chosen rows' menu: the menu key or a right click.
void OnvifPage::showRowMenu(const QPoint& at) {
    QMenu menu(this);
    QAction* assign = menu.addAction(tr("&Assign addresses…"));
    assign->setEnabled(chosenCameras().size() > 1 && !busy_);
    QAction* forget = menu.addAction(tr("&Forget saved password"));
    forget->setEnabled(kept_->keptForChosen());
    QAction* chosen = menu.exec(list_->viewport()->mapToGlobal(at));
    if (chosen == assign) {
        assignAddresses();
    } else if (chosen == forget) {
        kept_->forgetChosen();
    }
}

std::vector<onvif::OnvifCamera> OnvifPage::chosenCameras() const {
    std::vector<onvif::OnvifCamera> chosen;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows()) {
        const OnvifListRow* row = model_->cameraAt(filter_->mapToSource(index).row());
        if (row != nullptr && row->camera.mac) {
            chosen.push_back(row->camera);
        }
    }
    return chosen;
}

void OnvifPage::assignAddresses() {
    auto chosen = chosenCameras();
    if (chosen.size() > 1 && !busy_) {
        emit assignAddressesAsked(chosen,
                                  {user_->text().toStdString(), password_->text().toStdString()});
    }
}

// Enter on the list opens the current camera's web page, as a double-click does.
bool OnvifPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const auto key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openCurrentWebPage();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace pelmora
