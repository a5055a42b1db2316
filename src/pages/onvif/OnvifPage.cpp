#include "pages/onvif/OnvifPage.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "onvif/ProbeTargets.h"
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
      read_(new QPushButton("Re&ad", this)),
      refresh_(new QPushButton("R&efresh", this)),
      probe_(new QPushButton("Probe addre&sses\xE2\x80\xA6", this)) {
    filter_->setSourceModel(model_);
    list_->setModel(filter_);
    list_->setAccessibleName("ONVIF cameras");
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
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

    user_->setAccessibleName("User name");
    password_->setAccessibleName("Password");
    makePasswordField(password_);
    describeButton(read_, "Read every ONVIF camera again with this user name and password");
    describeButton(refresh_, "Probe for ONVIF cameras now and read every one again");
    describeButton(probe_, "Send the probe to addresses a multicast probe cannot reach");
    connect(read_, &QPushButton::clicked, this, &OnvifPage::giveCredentials);
    connect(password_, &QLineEdit::returnPressed, this, &OnvifPage::giveCredentials);
    connect(refresh_, &QPushButton::clicked, this, &OnvifPage::refreshAsked);
    connect(probe_, &QPushButton::clicked, this, &OnvifPage::askProbeAddresses);

    auto* credentials = new QHBoxLayout;
    credentials->addWidget(buddyLabel("&User name", user_, this));
    credentials->addWidget(user_, 1);
    credentials->addWidget(buddyLabel("Pass&word", password_, this));
    credentials->addWidget(password_, 1);
    credentials->addWidget(read_);
    credentials->addSpacing(12);
    credentials->addWidget(refresh_);
    credentials->addWidget(probe_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(credentials);
    setTabOrder(list_, user_);
    setTabOrder(user_, password_);
    setTabOrder(password_, read_);
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

void OnvifPage::showCameras(std::vector<OnvifListRow> cameras) {
    model_->setCameras(std::move(cameras));
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
            caution(*messages_, QString::fromStdString("Probe addresses: " + error));
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
    box.setWindowTitle("Probe addresses");
    auto* field = new QLineEdit(probeText_, &box);
    field->setAccessibleName("Addresses to probe");
    field->setPlaceholderText("10.2.0.0/24,10.3.0.7");
    auto* label = buddyLabel(
        QStringLiteral("&Addresses and ranges, separated by commas (at most %1 addresses):")
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
