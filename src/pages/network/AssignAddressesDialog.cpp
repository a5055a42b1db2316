#include "pages/network/AssignAddressesDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QSaveFile>
#include <QVBoxLayout>

#include "model/FixedText.h"
#include "widgets/FormControls.h"
#include "widgets/MessagePort.h"
#include "widgets/SettingsPage.h"

namespace pelmora {
namespace {

QString addressText(const NetworkSettings& s) {
    return s.dhcp ? QStringLiteral("DHCP") : QString::fromStdString(formatIpv4(s.ipAddress));
}

QTableWidgetItem* plainItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

AssignAddressesDialog::AssignAddressesDialog(std::vector<std::string> macs,
                                             const CameraTable& table, const LanSnapshot* lan,
                                             SavePath savePath, QWidget* parent)
    : QDialog(parent),
      macs_(std::move(macs)),
      table_(table),
      lan_(lan),
      savePath_(std::move(savePath)),
      start_(new Ipv4Field(this)),
      step_(new QSpinBox(this)),
      mask_(new Ipv4Field(this)),
      gateway_(new Ipv4Field(this)),
      dns1_(new Ipv4Field(this)),
      preview_(new QTableWidget(0, 5, this)),
      reasons_(plainLabel({}, this)),
      save_(new QPushButton("&Save plan…", this)) {
    setWindowTitle("Assign addresses");
    step_->setRange(1, 255);
    mask_->setAddress({255, 255, 255, 0});
    start_->setAccessibleName("First address");
    step_->setAccessibleName("Step");
    mask_->setAccessibleName("Subnet mask");
    gateway_->setAccessibleName("Default gateway");
    dns1_->setAccessibleName("Primary DNS server address");
    preview_->setAccessibleName("Planned addresses");

    auto* fields = new QFormLayout;
    fields->addRow("&First address", start_);
    fields->addRow("S&tep", step_);
    fields->addRow("Subnet &mask", mask_);
    fields->addRow("Default &gateway", gateway_);
    fields->addRow("Primary &DNS server", dns1_);

    preview_->setHorizontalHeaderLabels(
        {"MAC address", "Model", "Current address", "Planned address", "Notes"});
    preview_->horizontalHeader()->setStretchLastSection(true);
    preview_->verticalHeader()->hide();
    preview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    reasons_->setWordWrap(true);

    auto* note = plainLabel(
        "The plan is checked as a whole and saved as CSV for pelmora-cli apply-plan, which sends "
        "it one camera at a time and confirms each. Nothing is sent from here.",
        this);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(save_, QDialogButtonBox::ActionRole);
    // Enter in an address field must not save or close the dialog.
    noEnterButtons(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(save_, &QPushButton::clicked, this, &AssignAddressesDialog::savePlan);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(preview_, 1);
    layout->addWidget(reasons_);
    layout->addWidget(note);
    layout->addWidget(buttons);

    for (Ipv4Field* field : {start_, mask_, gateway_, dns1_}) {
        connect(field, &Ipv4Field::changed, this, &AssignAddressesDialog::updatePreview);
    }
    connect(step_, &QSpinBox::valueChanged, this, &AssignAddressesDialog::updatePreview);
    resize(640, 420);
    updatePreview();
}

// Rebuilt on every change: the plan from the fields, checked against every listed camera and
// this PC's addresses.
void AssignAddressesDialog::updatePreview() {
    rows_.clear();
    QStringList problems;
    std::vector<CameraRecord> listed;
    for (const auto& record : table_.liveRecords()) {
        if (isListed(record)) {
            listed.push_back(record);
        }
    }
    PlanCheck check;
    if (start_->isBlank()) {
        problems << "Type the first address.";
    } else {
        std::array<std::optional<Ipv4>, kDnsServers> dns{};
        if (!dns1_->isBlank()) {
            dns[0] = dns1_->address();
        }
        const auto gateway =
            gateway_->isBlank() ? std::nullopt : std::optional<Ipv4>(gateway_->address());
        auto plan = makeAddressPlan(macs_, start_->address(), static_cast<unsigned>(step_->value()),
                                    mask_->address(), gateway, dns, std::nullopt);
        if (!plan.error.empty()) {
            problems << QString::fromLatin1(plan.error.data(),
                                            static_cast<qsizetype>(plan.error.size()));
        } else {
            const std::vector<LocalInterface> none;
            check = checkPlan(plan.rows, listed, lan_ != nullptr ? lan_->interfaces() : none);
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
        preview_->setItem(row, 0, plainItem(cameraText(mac)));
        preview_->setItem(
            row, 1,
            plainItem(record ? cameraText(std::string(fieldText(record->model))) : QString()));
        QString current;
        QString planned;
        QString notes;
        if (static_cast<std::size_t>(row) < check.cameras.size()) {
            const auto& camera = check.cameras[static_cast<std::size_t>(row)];
            current = addressText(camera.current);
            planned = addressText(camera.planned);
            notes = camera.unchanged ? "unchanged" : camera.refused ? "refused" : QString();
        } else if (record) {
            current = addressText(currentSettings(*record));
        }
        preview_->setItem(row, 2, plainItem(current));
        preview_->setItem(row, 3, plainItem(planned));
        preview_->setItem(row, 4, plainItem(notes));
    }
    // The sending order, once the plan stands.
    if (problems.isEmpty()) {
        for (std::size_t k = 0; k < check.order.size(); ++k) {
            auto* notes = preview_->item(static_cast<int>(check.order[k]), 4);
            notes->setText(QString("sent %1 of %2").arg(k + 1).arg(check.order.size()));
        }
    }
    reasons_->setText(problems.isEmpty() ? QString() : "Plan refused:\n" + problems.join('\n'));
    save_->setEnabled(problems.isEmpty() && !rows_.empty());
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
        reasons_->setText("The plan was not saved: " + file.errorString());
        return;
    }
    accept();
}

}  // namespace pelmora
