#include "pages/network/AssignAddressesDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHeaderView>
#include <QSaveFile>
#include <QVBoxLayout>
#include <algorithm>

#include "model/FixedText.h"
#include "pages/SettingsPage.h"
#include "pages/network/AssignAddressesTable.h"
#include "settings/PageRules.h"
#include "widgets/FormControls.h"

namespace pelmora {

using namespace assign_addresses;

namespace {

QTableWidgetItem* plainItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

// "1st", "2nd", "3rd", "4th", "11th", "12th", "13th", "21st", ... in English; each language
// writes the four forms its own way ("1.").
QString ordinal(std::size_t n) {
    const std::size_t lastTwo = n % 100;
    const std::size_t last = n % 10;
    const char* form = lastTwo >= 11 && lastTwo <= 13
                           ? QT_TRANSLATE_NOOP("pelmora::AssignAddressesDialog", "%1th")
                       : last == 1 ? QT_TRANSLATE_NOOP("pelmora::AssignAddressesDialog", "%1st")
                       : last == 2 ? QT_TRANSLATE_NOOP("pelmora::AssignAddressesDialog", "%1nd")
                       : last == 3 ? QT_TRANSLATE_NOOP("pelmora::AssignAddressesDialog", "%1rd")
                                   : QT_TRANSLATE_NOOP("pelmora::AssignAddressesDialog", "%1th");
    return AssignAddressesDialog::tr(form).arg(n);
}

}  // namespace

AssignAddressesDialog::AssignAddressesDialog(std::vector<std::string> macs, CameraTable& table,
                                             PageServices services, const LanSnapshot* lan,
                                             SavePath savePath, QWidget* parent,
                                             OnvifPlanParty onvif)
    : QDialog(parent),
      macs_(std::move(macs)),
      table_(table),
      services_(std::move(services)),
      lan_(lan),
      savePath_(std::move(savePath)),
      onvif_(std::move(onvif)),
      start_(new Ipv4Field(this)),
      step_(new QSpinBox(this)),
      mask_(new Ipv4Field(this)),
      gateway_(new Ipv4Field(this)),
      dns1_(new Ipv4Field(this)),
      name_(new QLineEdit(this)),
      password_(new QLineEdit(this)),
      confirmSeconds_(new QSpinBox(this)),
      preview_(new QTableWidget(0, 6, this)),
      reasons_(plainLabel({}, this)),
      progress_(plainLabel({}, this)),
      apply_(new QPushButton(tr("&Apply"), this)),
      stop_(new QPushButton(tr("St&op"), this)),
      retry_(new QPushButton(tr("&Retry failed"), this)),
      save_(new QPushButton(tr("&Save plan…"), this)),
      results_(macs_.size()) {
    setWindowTitle(tr("Assign addresses"));
    step_->setRange(1, 255);
    mask_->setAddress({255, 255, 255, 0});
    confirmSeconds_->setRange(1, 3600);
    confirmSeconds_->setValue(60);
    confirmSeconds_->setSuffix(tr(" s"));
    makePasswordField(password_);
    for (QLineEdit* edit : {name_, password_}) {
        edit->setMaxLength(kMaxCredentialLength);
        acceptLatin1Only(edit);
        connect(edit, &QLineEdit::textChanged, this, &AssignAddressesDialog::updateButtons);
    }
    start_->setAccessibleName(tr("First address"));
    step_->setAccessibleName(tr("Step"));
    mask_->setAccessibleName(tr("Subnet mask"));
    gateway_->setAccessibleName(tr("Default gateway"));
    dns1_->setAccessibleName(tr("Primary DNS server address"));
    name_->setAccessibleName(tr("Administrator name"));
    password_->setAccessibleName(tr("Administrator password"));
    confirmSeconds_->setAccessibleName(tr("Wait for confirmation, seconds"));
    preview_->setAccessibleName(tr("Planned addresses"));
    progress_->setAccessibleName(tr("Progress"));

    auto* fields = new QFormLayout;
    fields->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    fields->addRow(tr("&First address"), start_);
    fields->addRow(tr("S&tep"), step_);
    fields->addRow(tr("Subnet &mask"), mask_);
    fields->addRow(tr("Default &gateway"), gateway_);
    fields->addRow(tr("Primary &DNS server"), dns1_);
    fields->addRow(tr("Administrator &name"), name_);
    fields->addRow(tr("Administrator pass&word"), password_);
    fields->addRow(tr("Wait for &confirmation"), confirmSeconds_);

    preview_->setHorizontalHeaderLabels({tr("MAC address"), tr("Model"), tr("Current address"),
                                         tr("Planned address"), tr("Notes"), tr("Result")});
    preview_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    preview_->horizontalHeader()->setStretchLastSection(true);
    preview_->verticalHeader()->hide();
    preview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    reasons_->setWordWrap(true);
    reasons_->hide();
    progress_->hide();
    // The table takes the room the dialog has: one line a camera, a result cut short shows whole
    // in its tool tip.
    preview_->setWordWrap(false);
    preview_->verticalHeader()->setDefaultSectionSize(preview_->fontMetrics().height() + 8);

    auto* note = plainLabel(
        tr("The plan is checked as a whole. Apply sends it one camera at a time and waits for "
           "each camera to report its new settings; Stop ends it before the next camera. Save "
           "plan writes it as CSV for pelmora-cli apply-plan."),
        this);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    for (QPushButton* button : {apply_, stop_, retry_, save_}) {
        buttons->addButton(button, QDialogButtonBox::ActionRole);
    }
    describeButton(apply_, tr("Send the plan to its cameras, one at a time"));
    describeButton(stop_, tr("Stop before the next camera"));
    describeButton(retry_, tr("Send the plan again to the cameras that failed"));
    describeButton(save_, tr("Save the plan as CSV for pelmora-cli apply-plan"));
    // Enter in an address field must not apply, save or close the dialog.
    noEnterButtons(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(save_, &QPushButton::clicked, this, &AssignAddressesDialog::savePlan);
    connect(apply_, &QPushButton::clicked, this, &AssignAddressesDialog::applyPlan);
    connect(retry_, &QPushButton::clicked, this, &AssignAddressesDialog::retryFailed);
    connect(stop_, &QPushButton::clicked, this, &AssignAddressesDialog::requestStop);
    connect(&advanceTimer_, &QTimer::timeout, this, &AssignAddressesDialog::advance);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(preview_, 1);
    layout->addWidget(reasons_);
    layout->addWidget(progress_);
    layout->addWidget(note);
    layout->addWidget(buttons);

    for (Ipv4Field* field : {start_, mask_, gateway_, dns1_}) {
        connect(field, &Ipv4Field::changed, this, &AssignAddressesDialog::updatePreview);
    }
    connect(step_, &QSpinBox::valueChanged, this, &AssignAddressesDialog::updatePreview);
    if (!needsAdministrator()) {
        for (QLineEdit* edit : {name_, password_}) {
            edit->setToolTip(
                tr("ONVIF cameras are sent the user name and password of the ONVIF page"));
        }
    }
    resize(760, 600);
    updatePreview();
}

AssignAddressesDialog::~AssignAddressesDialog() {
    if (run_ && services_.routeAnswers) {
        services_.routeAnswers({}, {});
    }
}

PlanCheck AssignAddressesDialog::checkAgainstListing(const std::vector<PlanRow>& rows) const {
    std::vector<CameraRecord> listed;
    for (const auto& record : table_.liveRecords()) {
        if (isListed(record)) {
            listed.push_back(record);
        }
    }
    const std::vector<LocalInterface> none;
    // The ONVIF cameras the window lists hold their addresses too.
    std::vector<OtherHolder> others;
    if (lan_ != nullptr) {
        for (const auto& other : lan_->others()) {
            const auto name = other.addressing.mac.empty() ? other.name : other.addressing.mac;
            for (const Ipv4& address : {other.addressing.ipAddress, other.answeredFrom}) {
                if (address != Ipv4{}) {
                    others.push_back({address, name});
                }
            }
        }
    }
    return checkPlan(rows, listed, lan_ != nullptr ? lan_->interfaces() : none, others,
                     onvif_.cameras);
}

const onvif::OnvifCamera* AssignAddressesDialog::onvifCamera(const std::string& mac) const {
    for (const auto& camera : onvif_.cameras) {
        if (camera.mac && camera.mac->text() == mac) {
            return &camera;
        }
    }
    return nullptr;
}

bool AssignAddressesDialog::needsAdministrator() const {
    return std::any_of(macs_.begin(), macs_.end(),
                       [this](const std::string& mac) { return onvifCamera(mac) == nullptr; });
}

// Rebuilt on every change: the plan from the fields, checked against every listed camera and
// this PC's addresses.
void AssignAddressesDialog::updatePreview() {
    if (planFixed_) {
        return;
    }
    rows_.clear();
    QStringList problems;
    PlanCheck check;
    if (start_->isBlank()) {
        // Nothing is refused yet: the plan is only not made.
        showLine(reasons_, tr("Type the first address."));
    } else {
        std::array<std::optional<Ipv4>, kDnsServers> dns{};
        if (!dns1_->isBlank()) {
            dns[0] = dns1_->address();
        }
        const auto gateway =
            gateway_->isBlank() ? std::nullopt : std::optional<Ipv4>(gateway_->address());
        auto plan = makeAddressPlan(
            macs_, start_->address(), static_cast<unsigned>(step_->value()), mask_->address(),
            gateway, dns, std::nullopt,
            lan_ != nullptr ? lan_->interfaces() : std::span<const LocalInterface>());
        if (!plan.error.empty()) {
            problems << QString::fromLatin1(plan.error.data(),
                                            static_cast<qsizetype>(plan.error.size()));
        } else {
            check = checkAgainstListing(plan.rows);
            for (const auto& reason : check.refusals) {
                problems << cameraText(reason);
            }
            rows_ = std::move(plan.rows);
        }
    }

    preview_->setRowCount(static_cast<int>(macs_.size()));
    for (int row = 0; row < static_cast<int>(macs_.size()); ++row) {
        const std::string& mac = macs_[static_cast<std::size_t>(row)];
        const auto record = table_.findByMac(mac);
        const auto* onvifCamera = this->onvifCamera(mac);
        preview_->setItem(row, 0, plainItem(cameraText(mac)));
        preview_->setItem(
            row, 1,
            plainItem(record ? cameraText(std::string(fieldText(record->model)))
                      : onvifCamera != nullptr
                          ? QString::fromStdString(onvifCamera->information.model.value_or(""))
                          : QString()));
        QString current;
        QString planned;
        QString notes;
        if (static_cast<std::size_t>(row) < check.cameras.size()) {
            const auto& camera = check.cameras[static_cast<std::size_t>(row)];
            current = addressText(camera.current);
            planned = addressText(camera.planned);
            notes = camera.unchanged ? tr("unchanged") : camera.refused ? tr("refused") : QString();
        } else if (record) {
            current = addressText(currentSettings(*record));
        }
        preview_->setItem(row, 2, plainItem(current));
        preview_->setItem(row, 3, plainItem(planned));
        preview_->setItem(row, kNotesColumn, plainItem(notes));
        preview_->setItem(row, kResultColumn, plainItem({}));
    }
    // The sending order, once the plan stands.
    if (problems.isEmpty()) {
        for (std::size_t k = 0; k < check.order.size(); ++k) {
            auto* notes = preview_->item(static_cast<int>(check.order[k]), kNotesColumn);
            notes->setText(tr("%1 of %2 to send").arg(ordinal(k + 1)).arg(check.order.size()));
        }
    }
    if (!start_->isBlank()) {
        showLine(reasons_,
                 problems.isEmpty() ? QString() : tr("Plan refused:") + '\n' + problems.join('\n'));
    }
    updateButtons();
}

void AssignAddressesDialog::updateButtons() {
    const bool planStands = reasons_->text().isEmpty() && !rows_.empty();
    const bool credentials =
        !needsAdministrator() ||
        credentialsAllowOk(true, name_->text().toLatin1().toStdString(),
                           password_->text().toLatin1().toStdString(), kMinCredentialLength);
    const bool anyFailed = std::any_of(results_.begin(), results_.end(),
                                       [](const auto& r) { return !r.empty() && !succeeded(r); });
    save_->setEnabled(planStands && !applying());
    apply_->setEnabled(planStands && credentials && !planFixed_ && !applying());
    retry_->setEnabled(planFixed_ && credentials && anyFailed && !applying());
    stop_->setEnabled(applying() && !run_->applier().stopAsked());
    for (QWidget* w : std::initializer_list<QWidget*>{start_, step_, mask_, gateway_, dns1_}) {
        w->setEnabled(!planFixed_);
    }
    // ONVIF cameras are reached with the ONVIF page's user name and password.
    name_->setEnabled(!applying() && needsAdministrator());
    password_->setEnabled(!applying() && needsAdministrator());
    confirmSeconds_->setEnabled(!applying());
}

int AssignAddressesDialog::rowOf(const std::string& mac) const {
    const auto at = std::find(macs_.begin(), macs_.end(), mac);
    return at == macs_.end() ? -1 : static_cast<int>(at - macs_.begin());
}

void AssignAddressesDialog::reject() {
    if (applying()) {
        requestStop();
        return;
    }
    QDialog::reject();
}

void AssignAddressesDialog::savePlan() {
    const QString path = savePath_ ? savePath_() : QString();
    if (path.isEmpty()) {
        return;
    }
    // Written beside the target and renamed into place: never half a file under its name.
    QSaveFile file(path);
    const std::string text = formatPlan(rows_);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.commit()) {
        showLine(reasons_, tr("The plan was not saved: %1").arg(file.errorString()));
        return;
    }
    // The dialog stays, with what was typed and any results, for an Apply or another save.
    showLine(progress_, tr("Plan saved to %1").arg(QDir::toNativeSeparators(path)));
}

}  // namespace pelmora
