#pragma once
// The main window: owns the camera table, shows the four settings pages as tabs, runs the
// discovery engine from its two timers, sorts the table when a page asks, and stops the engine
// when it closes. A fifth tab lists the ONVIF cameras its watch finds, diagnosed with ours.

#include <unistd.h>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "app/TableBridge.h"
#include "app/WindowSettings.h"
#include "changelog/ChangeJournal.h"
#include "engine/DiscoveryEngine.h"
#include "keyring/CredentialStore.h"
#include "lan/LanSnapshot.h"
#include "model/CameraTable.h"
#include "onvif/OnvifWatch.h"
#include "widgets/MessagePort.h"

namespace pelmora {

class SettingsPage;
class BandwidthPage;
class NetworkPage;
class OnvifPage;

struct MainDialogOptions {
    SendTarget target = SendTarget::broadcast();
    // Where messages go; null: real message boxes.
    MessagePort* messages = nullptr;
    // Opens a camera's web page; null: the desktop's browser.
    std::function<void(const QString&)> openUrl;
    // Where the engine's diagnostic lines are written; they are dropped, never waited on, while
    // it is full.
    int diagnostics = STDOUT_FILENO;
    // Where the window's place, size and last page are kept; empty: the platform's usual place.
    QString settingsFile;
    // How ONVIF cameras are looked for; nothing: not at all (the ONVIF page stays empty).
    std::optional<onvif::OnvifWatchOptions> onvif;
};

class MainDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit MainDialog(MainDialogOptions options = {}, QWidget* parent = nullptr);
    ~MainDialog() override;

    // Resets the table, creates the pages and starts the engine, sending the first enquiry at
    // once. A fatal socket error (its exit code) leaves the window unusable.
    std::optional<int> start();

    // Shows the page of the current tab; a different page starts sorting afresh.
    void selectPage();
    // A page asked for a sort by grid column; `pppoe` 1 maps column 1 to the PPPoE address.
    void sortColumn(int column, int pppoe);

    CameraTable& table() { return table_; }
    TableBridge& bridge() { return bridge_; }
    DiscoveryEngine& engine() { return *engine_; }
    QTabWidget* tabs() const { return tabs_; }
    SettingsPage* page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
    // The settings page shown; null while the ONVIF page is.
    SettingsPage* currentPage() const { return currentPage_; }
    OnvifPage* onvifPage() const { return onvifPage_; }
    // The watch, while ONVIF cameras are looked for.
    onvif::OnvifWatch* onvifWatch() const { return onvifWatch_.get(); }
    // The ONVIF cameras as the window last took them from the watch.
    const std::vector<onvif::OnvifCamera>& onvifCameras() const { return onvifCameras_; }
    // Says once what keeps ONVIF cameras from being heard fully; empty otherwise.
    QLabel* onvifNotice() const { return onvifNotice_; }
    BandwidthPage* bandwidthPage() const;
    NetworkPage* networkPage() const;
    // The status bar: the cameras listed, the last enquiry, and the network notice.
    QLabel* statusLine() const { return status_; }
    QLabel* cameraCountLabel() const { return cameraCount_; }
    QLabel* lastEnquiryLabel() const { return lastEnquiry_; }
    // Empty until the change log could not be written; then says so, once.
    QLabel* changeLogNotice() const { return changeLogNotice_; }
    QLineEdit* filterField() const { return filterText_; }
    QCheckBox* problemsOnlyBox() const { return problemsOnly_; }
    // List rewrites made for replies between the ticks, so far.
    int liveRewrites() const { return liveRewrites_; }

    // The status bar's camera count: "12 cameras", with a filter on "7 of 12 cameras shown",
    // then " · 3 ONVIF" when ONVIF cameras are among them, then " · 3 with problems" when
    // cameras are marked with a problem. A camera that answers both ways counts once.
    struct CameraCounts {
        int listed = 0;
        int shown = 0;
        bool filtered = false;
        int withProblems = 0;
        // Of those listed, the ONVIF cameras: " · 3 ONVIF" after the count when there are any.
        int onvif = 0;
    };
    static QString cameraCountText(const CameraCounts& counts);

    // The caption from a product version written "1, 0, 0, 0" and a special-build text.
    static QString captionFor(const QString& productVersion, const QString& specialBuild);

  signals:
    // The engine failed for good; the program ends with this code.
    void fatalError(int exitCode);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void stopEngine();
    void enquire();
    void showEnquiryTime();
    void refreshLan();
    // " · Table full: …" while the full table turns cameras away; empty otherwise.
    QString tableFullNotice() const;
    void applyFilter();
    void restoreWindow();
    void rememberWindow();
    void selectTab(int index);
    void walkFocus(bool forward);
    void startOnvif();
    void takeOnvifCameras();
    // The ONVIF page's rows from the last diagnosis.
    void showOnvifRows();
    void countCameras();

    // Before the table, which points to it: every setting request sent is recorded.
    ChangeJournal journal_;
    CameraTable table_;
    std::unique_ptr<MessagePort> ownMessages_;
    MessagePort* messages_;
    TableBridge bridge_;
    std::unique_ptr<DiscoveryEngine> engine_;
    std::function<void(const QString&)> openUrl_;
    QTabWidget* tabs_;
    QLabel* status_;
    QLabel* cameraCount_;
    QLabel* lastEnquiry_;
    QLabel* changeLogNotice_;
    QLineEdit* filterText_;
    QCheckBox* problemsOnly_;
    LanSnapshot lan_;
    CameraFilter filter_;
    WindowSettings settings_;
    // Where "Remember on this PC" keeps credentials; asked once at start whether it can.
    CredentialStore keyring_;
    std::array<SettingsPage*, 4> pages_{};
    SettingsPage* currentPage_ = nullptr;
    OnvifPage* onvifPage_ = nullptr;
    QLabel* onvifNotice_;
    std::optional<onvif::OnvifWatchOptions> onvifOptions_;
    std::unique_ptr<onvif::OnvifWatch> onvifWatch_;
    std::vector<onvif::OnvifCamera> onvifCameras_;
    // Gathers the watch's news into one rewrite, as for our cameras' replies.
    QTimer onvifRewriteTimer_;
    QTimer enquiryTimer_;
    QTimer agingTimer_;
    // Gathers the replies of a burst into one rewrite of the shown grid.
    QTimer liveRewriteTimer_;
    int liveRewrites_ = 0;
    bool shownBefore_ = false;
};

}  // namespace pelmora
