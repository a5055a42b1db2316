#include "app/MainDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTime>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <chrono>

#include "app/ProductVersion.h"
#include "changelog/StateDirectory.h"
#include "engine/LocalInterfaces.h"
#include "listing/OnvifDiagnosis.h"
#include "onvif/DiscoveryCollector.h"
#include "onvif/ProbeTargets.h"
#include "pages/bandwidth/BandwidthPage.h"
#include "pages/datetime/DateTimePage.h"
#include "pages/network/AssignAddressesDialog.h"
#include "pages/network/NetworkPage.h"
#include "pages/onvif/OnvifPage.h"
#include "pages/pppoe/PppoePage.h"
#include "widgets/FileFolder.h"
#include "widgets/FormControls.h"

namespace pelmora {
namespace {

constexpr int kNetworkTab = 0;
constexpr int kBandwidthTab = 1;
constexpr int kOnvifTab = 4;

// Each count's words, translated where they are shown.
const std::array<std::pair<Problem, const char*>, kProblemKinds> kProblemCounts{{
    {kProblemDuplicateIp, QT_TRANSLATE_NOOP("pelmora::MainDialog", "%1 share an address")},
    {kProblemOtherSubnet, QT_TRANSLATE_NOOP("pelmora::MainDialog", "%1 on another subnet")},
    {kProblemPcAddress, QT_TRANSLATE_NOOP("pelmora::MainDialog", "%1 on an address of this PC")},
    {kProblemNetworkOrBroadcast,
     QT_TRANSLATE_NOOP("pelmora::MainDialog", "%1 on a network or broadcast address")},
    {kProblemBadMask,
     QT_TRANSLATE_NOOP("pelmora::MainDialog", "%1 with a subnet mask that is not usable")},
    {kProblemGatewayOutsideSubnet,
     QT_TRANSLATE_NOOP("pelmora::MainDialog", "%1 with a gateway outside the subnet")},
    {kProblemClockOff, QT_TRANSLATE_NOOP("pelmora::MainDialog", "%1 with a clock off")},
}};
// How long replies are gathered before the shown list is rewritten for them.
constexpr std::chrono::milliseconds kLiveRewriteDelay{100};

}  // namespace

// Its texts go through MainDialog::tr, not tr: lupdate loses the class at the first lambda of
// the list below.
MainDialog::MainDialog(MainDialogOptions options, QWidget* parent)
    : QDialog(parent),
      journal_("pelmora", ChangeLogFile(stateDirectory()),
               // Either thread, once; the notice goes up on the UI thread.
               [this](const std::string& reason) {
                   QMetaObject::invokeMethod(
                       this,
                       [this, text = QString::fromStdString(reason)] {
                           changeLogNotice_->setText(MainDialog::tr("Change log not written"));
                           changeLogNotice_->setToolTip(text);
                       },
                       Qt::QueuedConnection);
               }),
      ownMessages_(options.messages ? nullptr : std::make_unique<QtMessagePort>(this)),
      messages_(options.messages ? options.messages : ownMessages_.get()),
      bridge_(messages_),
      engine_(std::make_unique<DiscoveryEngine>(
          table_, &bridge_, EngineOptions{options.target, options.diagnostics})),
      openUrl_(options.openUrl ? std::move(options.openUrl)
                               : [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); }),
      tabs_(new QTabWidget(this)),
      status_(new QLabel(this)),
      cameraCount_(new QLabel(this)),
      lastEnquiry_(new QLabel(this)),
      changeLogNotice_(new QLabel(this)),
      filterText_(new QLineEdit(this)),
      problemsOnly_(new QCheckBox(MainDialog::tr("Problems onl&y"), this)),
      settings_(options.settingsFile),
      onvifNotice_(new QLabel(this)),
      onvifOptions_(std::move(options.onvif)) {
    setWindowTitle("Pelmora");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    auto* statusBar = new QStatusBar(this);
    // Screen readers find the status bar by this name; each label in it is read by its text, and
    // a change of text is announced to them as a change of name.
    statusBar->setAccessibleName(MainDialog::tr("Status"));
    for (QLabel* label : {cameraCount_, lastEnquiry_, status_, changeLogNotice_, onvifNotice_}) {
        label->setTextFormat(Qt::PlainText);
        statusBar->addWidget(label);
    }
    // The filter narrows every page's list.
    auto* filterRow = new QHBoxLayout;
    auto* filterLabel = new QLabel(MainDialog::tr("&Filter"), this);
    filterLabel->setBuddy(filterText_);
    filterText_->setPlaceholderText(MainDialog::tr("MAC, address, model or serial"));
    filterText_->setAccessibleName(MainDialog::tr("Filter"));
    filterText_->setClearButtonEnabled(true);
    // The clear button comes with the field without a name; screen readers need one.
    for (auto* button : filterText_->findChildren<QToolButton*>()) {
        button->setAccessibleName(MainDialog::tr("Clear filter"));
    }
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(filterText_, 1);
    filterRow->addWidget(problemsOnly_);
    describeButton(problemsOnly_,
                   MainDialog::tr("List only the cameras with an addressing problem"));
    connect(filterText_, &QLineEdit::textChanged, this, &MainDialog::applyFilter);
    connect(problemsOnly_, &QCheckBox::toggled, this, &MainDialog::applyFilter);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(tabs_, 1);
    layout->addWidget(statusBar);
    table_.setNotifier(&bridge_);
    // An answer's log line is written on the UI thread, not on the receive thread.
    journal_.setWake([this] {
        QMetaObject::invokeMethod(
            this, [this] { journal_.flush(); }, Qt::QueuedConnection);
    });
    table_.setJournal(&journal_);
    // Ctrl+S exports the shown page's list.
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, [this] {
        if (currentPage_ != nullptr) {
            currentPage_->exportList();
        }
    });
    connect(&bridge_, &TableBridge::fatalError, this, &MainDialog::fatalError);
    connect(&bridge_, &TableBridge::diagnosticsToWrite, this,
            [this] { engine_->drainDiagnostics(); });
    connect(&bridge_, &TableBridge::networkReachable, this, [this](bool reachable) {
        status_->setText(reachable ? QString() : MainDialog::tr("Network unreachable — retrying"));
    });
    // Cameras show as they answer, not only on the page's next tick: the first notice of a burst
    // starts a short wait, and one rewrite then shows every reply that came meanwhile.
    liveRewriteTimer_.setSingleShot(true);
    liveRewriteTimer_.setInterval(kLiveRewriteDelay);
    connect(&bridge_, &TableBridge::listChangedSoon, this, [this] {
        if (!liveRewriteTimer_.isActive()) {
            liveRewriteTimer_.start();
        }
    });
    connect(&liveRewriteTimer_, &QTimer::timeout, this, [this] {
        bridge_.listChangeHandled();
        refreshLan();
        if (currentPage_ != nullptr) {
            ++liveRewrites_;
            currentPage_->rewriteForNewReplies();
        }
    });
    onvifRewriteTimer_.setSingleShot(true);
    onvifRewriteTimer_.setInterval(kLiveRewriteDelay);
    connect(&onvifRewriteTimer_, &QTimer::timeout, this, &MainDialog::takeOnvifCameras);
    connect(&enquiryTimer_, &QTimer::timeout, this, &MainDialog::enquire);
    connect(&agingTimer_, &QTimer::timeout, this, [this] {
        engine_->agingTick();
        refreshLan();
    });
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { selectPage(); });
    qApp->installEventFilter(this);
}

MainDialog::~MainDialog() {
    stopEngine();
}

std::optional<int> MainDialog::start() {
    table_.resetTable();
    setWindowTitle(captionFor(kProductVersion, kSpecialBuild));
    pages_ = {new NetworkPage(this), new BandwidthPage(this), new DateTimePage(this),
              new PppoePage(this)};
    // Every letter of "ONVIF" already moves to a control of some page: its tab is reached with
    // Tab and Shift+Tab, as every tab is.
    const QString titles[] = {tr("&Network"), tr("&Bandwidth control"), tr("&Date time"),
                              tr("&PPPoE"), QStringLiteral("ONVIF")};
    const PageServices services{
        [this](std::string_view text) { return engine_->sendDatagram(text); },
        messages_,
        openUrl_,
        [this](const std::string& mac, AnswerHandler handler) {
            bridge_.routeAnswers(mac, std::move(handler));
        },
        [this] { engine_->enquiryTick(); },
        &keyring_};
    keyring_.probe();
    const QSignalBlocker quiet(tabs_);
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        auto* page = pages_[i];
        tabs_->addTab(page, titles[i]);
        page->setTable(&table_, services);
        page->setLan(&lan_, &filter_);
        page->list()->viewport()->installEventFilter(this);
        connect(page, &SettingsPage::sortColumn, this, &MainDialog::sortColumn);
        // Enter presses nothing, or a second Enter after a result box would send the same
        // request again.
        noEnterButtons(page);
    }
    onvifPage_ = new OnvifPage(this);
    tabs_->addTab(onvifPage_, titles[kOnvifTab]);
    onvifPage_->setServices(messages_, openUrl_);
    onvifPage_->setKeyring(&keyring_);
    onvifPage_->setJournal(&journal_);
    onvifPage_->setOwnCameras([this] { return lan_.cameras(); });
    onvifPage_->setFilter(&filter_);
    noEnterButtons(onvifPage_);
    for (int i = 0; i < tabs_->count(); ++i) {
        const QString key = QKeySequence::mnemonic(titles[i]).toString(QKeySequence::NativeText);
        const QString title = QString(titles[i]).remove('&');
        tabs_->setTabToolTip(i, key.isEmpty()
                                    ? tr("%1 (Tab and Shift+Tab)").arg(title)
                                    : tr("%1 (%2, or Tab and Shift+Tab)").arg(title, key));
    }
    // The focus walk starts at the filter row, then the tabs, then the page.
    setTabOrder(filterText_, problemsOnly_);
    setTabOrder(problemsOnly_, tabs_->tabBar());
    connect(&bridge_, &TableBridge::pageRefresh, bandwidthPage(), &BandwidthPage::pageRefresh);
    restoreWindow();
    setLastFolder(settings_.lastFolder());
    // The list compared on the last run is compared again; one that has gone since is let go.
    if (const QString compared = settings_.comparedList(); !compared.isEmpty()) {
        networkPage()->compareWithList(compared);
    }
    selectPage();
    if (const auto error = engine_->start()) {
        engine_->reportFatal(*error);
        return exitCodeOf(*error);
    }
    startOnvif();
    refreshLan();
    showEnquiryTime();
    enquiryTimer_.start(kEnquiryPeriod);
    agingTimer_.start(kAgingPeriod);
    return std::nullopt;
}

// The window's smallest size is its size before it could grow: the largest page and the status
// bar. Every page learns that size, so only growth beyond it reaches the lists. A saved place
// and size, and the last page, come back if they still fit a screen.
void MainDialog::restoreWindow() {
    QSize pageSize;
    for (auto* page : pages_) {
        pageSize = pageSize.expandedTo(page->sizeHint());
    }
    for (auto* page : pages_) {
        page->padToHeight(pageSize.height());
    }
    layout()->activate();
    setMinimumSize(sizeHint());
    resize(minimumSize());
    tabs_->setCurrentIndex(settings_.lastPage(tabs_->count()));
}

// The pages learn their true size at the smallest only once the window is laid out for the first
// time; the saved place and size are applied after that.
void MainDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shownBefore_) {
        return;
    }
    shownBefore_ = true;
    if (currentPage_ != nullptr) {
        const QSize pageSize = currentPage_->size();
        for (auto* page : pages_) {
            page->settleAtSmallest(pageSize);
        }
    }
    if (const auto geometry = settings_.geometry()) {
        setGeometry(*geometry);
    }
    if (settings_.maximized()) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

// The watch runs on threads of its own; what it finds reaches the window as a queued call, so
// nothing here ever waits on a camera.
void MainDialog::startOnvif() {
    onvifPage_->setProbeAddressesText(settings_.onvifProbeAddresses());
    if (!onvifOptions_) {
        for (QWidget* control : {static_cast<QWidget*>(onvifPage_->readButton()),
                                 static_cast<QWidget*>(onvifPage_->refreshButton()),
                                 static_cast<QWidget*>(onvifPage_->probeButton())}) {
            control->setEnabled(false);
        }
        return;
    }
    const auto later = [this](auto call) {
        QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
    };
    onvifWatch_ = std::make_unique<onvif::OnvifWatch>(
        *onvifOptions_,
        [this, later] {
            later([this] {
                if (!onvifRewriteTimer_.isActive()) {
                    onvifRewriteTimer_.start();
                }
            });
        },
        // "Note: …" and "Warning: …" lines, each said once by the watch.
        [this, later](const std::string& line) {
            later([this, text = QString::fromStdString(line)] {
                // Short, so that the status bar never widens the window; the lines themselves
                // are its tool tip and what a screen reader reads of it.
                onvifNotice_->setText(tr("ONVIF search limited"));
                const QString before = onvifNotice_->accessibleDescription();
                const QString lines = before.isEmpty() ? text : before + '\n' + text;
                onvifNotice_->setAccessibleDescription(lines);
                onvifNotice_->setToolTip(plainToolTip(lines));
            });
        });
    connect(onvifPage_, &OnvifPage::credentialsGiven, this,
            [this](const QString& user, const QString& password) {
                onvifWatch_->setCredentials(user.isEmpty()
                                                ? std::nullopt
                                                : std::optional(onvif::HttpDigest{
                                                      user.toStdString(), password.toStdString()}));
            });
    connect(onvifPage_, &OnvifPage::refreshAsked, this, [this] { onvifWatch_->refresh(); });
    // A camera that took a setting is read again, so the list shows what it has now.
    connect(onvifPage_, &OnvifPage::settingTaken, this, [this] { onvifWatch_->refresh(); });
    onvifPage_->setDiscoveryPort(onvifOptions_->discovery.port);
    // A plan for ONVIF cameras is checked against every camera listed, ours included, and
    // applied as the Network page applies one.
    connect(onvifPage_, &OnvifPage::assignAddressesAsked, this,
            [this](const std::vector<onvif::OnvifCamera>& cameras,
                   const onvif::HttpDigest& credentials) {
                OnvifPlanParty party;
                party.cameras = cameras;
                party.access.credentials = credentials;
                party.access.discoveryPort = onvifOptions_->discovery.port;
                party.access.journal = &journal_;
                networkPage()->assignOnvifAddresses(std::move(party));
                onvifWatch_->refresh();
            });
    connect(onvifPage_, &OnvifPage::probeAddressesAsked, this,
            [this](const std::vector<Ipv4>& addresses, const QString& text) {
                settings_.saveOnvifProbeAddresses(text);
                onvifWatch_->probeAddresses(addresses);
            });
    onvifWatch_->start();
    // The addresses remembered from the last run are probed again: the cameras behind a router
    // that the person looked for then are looked for now. Not by a window kept from multicast
    // (one talking to a simulator): it probes only the addresses it was started with.
    if (const QString remembered = settings_.onvifProbeAddresses();
        !remembered.isEmpty() && onvifOptions_->discovery.multicast) {
        std::string error;
        if (auto addresses = onvif::parseProbeTargets(remembered.toStdString(), &error)) {
            onvifWatch_->probeAddresses(std::move(*addresses));
        }
    }
}

void MainDialog::takeOnvifCameras() {
    onvifCameras_ = onvifWatch_ ? onvifWatch_->cameras() : std::vector<onvif::OnvifCamera>{};
    refreshLan();
    // An address shared with an ONVIF camera marks our camera too.
    if (currentPage_ != nullptr) {
        currentPage_->rewriteForNewReplies();
    }
}

void MainDialog::rememberWindow() {
    settings_.save(normalGeometry(), isMaximized(), tabs_->currentIndex());
    settings_.saveLastFolder(lastFolder());
    settings_.saveComparedList(networkPage()->comparedList());
}

void MainDialog::enquire() {
    engine_->enquiryTick();
    if (table_.discoveryEnabled == 1) {
        showEnquiryTime();
    }
}

void MainDialog::showEnquiryTime() {
    lastEnquiry_->setText(tr("Last enquiry %1").arg(QTime::currentTime().toString("HH:mm:ss")));
}

QString MainDialog::cameraCountText(const CameraCounts& counts) {
    // The count comes first in every language: the soak probe reads it from there.
    QString text = counts.listed == 1 ? tr("1 camera") : tr("%1 cameras").arg(counts.listed);
    if (counts.filtered) {
        text = tr("%1 of %2 shown").arg(counts.shown).arg(text);
    }
    if (counts.onvif > 0) {
        text += QStringLiteral(" · ") + tr("%1 ONVIF").arg(counts.onvif);
    }
    if (counts.withProblems > 0) {
        text += QStringLiteral(" · ") + tr("%1 with problems").arg(counts.withProblems);
    }
    return text;
}

// Diagnoses the listed cameras, ours and the ONVIF ones together, against this PC's interfaces
// for the pages' next rewrite, and counts them in the status bar: as many as the Network page
// lists unfiltered and the ONVIF cameras that are not among them, how many the filter shows, and
// how many are marked with a problem, each kind named in the tool tip.
void MainDialog::refreshLan() {
    std::vector<OtherCamera> others;
    others.reserve(onvifCameras_.size());
    for (const auto& camera : onvifCameras_) {
        others.push_back(onvifAsOtherCamera(camera));
    }
    lan_ = LanSnapshot(listedAddressing(table_), engine_->localInterfaces(), std::move(others));
    showOnvifRows();
    countCameras();
}

void MainDialog::showOnvifRows() {
    if (onvifPage_ == nullptr) {
        return;
    }
    std::vector<OnvifListRow> rows;
    rows.reserve(onvifCameras_.size());
    for (std::size_t i = 0; i < onvifCameras_.size(); ++i) {
        const auto& camera = onvifCameras_[i];
        onvif::DiscoveryMatch match;
        match.endpoint = camera.endpoint;
        match.xaddrs = camera.xaddrs;
        const bool alsoOurs = camera.mac && lan_.find(camera.mac->text()) != nullptr;
        rows.push_back(onvifListRow(onvif::DiscoveryCollector::endpointKey(match), camera,
                                    lan_.otherProblemText(i), alsoOurs));
    }
    onvifPage_->showCameras(std::move(rows));
}

void MainDialog::countCameras() {
    CameraCounts counts;
    counts.listed = static_cast<int>(lan_.cameras().size());
    counts.filtered = !filter_.isEmpty();
    if (counts.filtered && currentPage_ != nullptr) {
        counts.shown = static_cast<int>(currentPage_->listedRecords().size());
    } else if (counts.filtered && onvifPage_ != nullptr) {
        counts.shown = onvifPage_->shownCount();
    }
    for (const auto& camera : lan_.cameras()) {
        const CameraDiagnosis* diagnosis = lan_.find(camera.mac);
        counts.withProblems += diagnosis != nullptr && diagnosis->problems != 0 ? 1 : 0;
    }
    // An ONVIF camera with the MAC of one of ours is that camera: counted once, with a problem
    // when either side has one.
    counts.onvif = static_cast<int>(lan_.others().size());
    for (std::size_t i = 0; i < lan_.others().size(); ++i) {
        const CameraDiagnosis* ours = lan_.find(lan_.others()[i].addressing.mac);
        const bool marked = lan_.otherDiagnosis(i).problems != 0;
        if (ours == nullptr || lan_.others()[i].addressing.mac.empty()) {
            ++counts.listed;
            counts.withProblems += marked ? 1 : 0;
        } else if (ours->problems == 0) {
            counts.withProblems += marked ? 1 : 0;
        }
    }
    QStringList kinds;
    for (const auto& [problem, words] : kProblemCounts) {
        if (const int n = lan_.camerasWith(problem); n > 0) {
            kinds << tr(words).arg(n);
        }
    }
    QString missing;
    if (const int n = networkPage()->missingCount(); n > 0) {
        missing = tr(" · %1 missing").arg(n);
    }
    cameraCount_->setText(cameraCountText(counts) + missing + tableFullNotice());
    cameraCount_->setToolTip(kinds.isEmpty() ? QString() : plainToolTip(kinds.join('\n')));
}

// A full table takes in no new camera until a record leaves: the list is not all there is.
QString MainDialog::tableFullNotice() const {
    if (!table_.overflow().othersWaiting) {
        return {};
    }
    return QStringLiteral(" · ") + tr("Table full: %1 cameras; others wait").arg(kTableSize);
}

void MainDialog::applyFilter() {
    filter_.text = filterText_->text().toLatin1().toStdString();
    filter_.problemsOnly = problemsOnly_->isChecked();
    for (auto* page : pages_) {
        if (page != nullptr) {
            page->filterChanged();
        }
    }
    if (onvifPage_ != nullptr) {
        onvifPage_->filterChanged();
    }
    if (currentPage_ != nullptr) {
        currentPage_->rewriteForNewReplies();
    }
    refreshLan();
}

NetworkPage* MainDialog::networkPage() const {
    return static_cast<NetworkPage*>(pages_[kNetworkTab]);
}

BandwidthPage* MainDialog::bandwidthPage() const {
    return static_cast<BandwidthPage*>(pages_[kBandwidthTab]);
}

void MainDialog::selectPage() {
    const int index = std::max(tabs_->currentIndex(), 0);
    auto* page =
        index < static_cast<int>(pages_.size()) ? pages_[static_cast<std::size_t>(index)] : nullptr;
    if (page != currentPage_) {
        table_.resetSortState();
    }
    currentPage_ = page;
}

void MainDialog::sortColumn(int column, int pppoe) {
    table_.sortByColumn(pppoe == 1 ? column + 10 : column);
}

QString MainDialog::captionFor(const QString& productVersion, const QString& specialBuild) {
    // "1, 4, 1, 9" gives "ver1.4.1": the characters at 0, 3 and 6.
    if (productVersion.size() < 7) {
        return "Pelmora";
    }
    return QString("Pelmora ver%1.%2.%3%4")
        .arg(productVersion[0])
        .arg(productVersion[3])
        .arg(productVersion[6])
        .arg(specialBuild);
}

void MainDialog::closeEvent(QCloseEvent* event) {
    rememberWindow();
    stopEngine();
    QDialog::closeEvent(event);
}

void MainDialog::stopEngine() {
    enquiryTimer_.stop();
    agingTimer_.stop();
    if (onvifWatch_) {
        onvifWatch_->stop();
    }
    if (onvifPage_ != nullptr) {
        onvifPage_->stopWork();
    }
    if (engine_) {
        if (const auto error = engine_->stop()) {
            engine_->reportFatal(*error);
        }
    }
    journal_.flush();
}

}  // namespace pelmora
