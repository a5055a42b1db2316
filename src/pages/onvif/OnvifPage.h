#pragma once
// The ONVIF page: the standards-based cameras of every maker on the LAN, listed as the main
// window's watch finds and reads them, sorted by a header click and narrowed by the window's
// filter. Below the list, the user name and password to read them with (kept only while the
// window is open), "Refresh" to probe and read again at once, and "Probe addresses…" for cameras
// on subnets a multicast probe cannot reach; then the chosen camera's settings, which OK, "Set
// clock from this PC" and Reboot send. Finding and reading are the window's watch's; a setting
// goes out on a thread of its own, so the window never waits on a camera.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <functional>
#include <vector>

#include <nlohmann/json.hpp>

#include "engine/LocalInterfaces.h"
#include "onvif/OnvifDiscovery.h"
#include "onvif/OnvifSetter.h"

#include "lan/LanSnapshot.h"
#include "pages/onvif/OnvifSettingsForm.h"
#include "protocol/Ipv4.h"
#include "widgets/KeptCredentials.h"
#include "widgets/OnvifCameraFilter.h"
#include "widgets/OnvifCameraModel.h"

namespace pelmora {

class ChangeJournal;
class MessagePort;

class OnvifPage final : public QWidget {
    Q_OBJECT

  public:
    explicit OnvifPage(QWidget* parent = nullptr);
    // Waits for a setting under way: its thread must end before the page.
    ~OnvifPage() override;
    // Ends the work under way (looking for a moved camera stops at once; a request finishes)
    // and waits for it: before what it writes to (the change log) goes.
    void stopWork();

    void setServices(MessagePort* messages, std::function<void(const QString&)> openUrl);
    // Where "Remember on this PC" keeps the user name and password of the chosen camera.
    void setKeyring(CredentialStore* keyring) { kept_->setStore(keyring); }
    QCheckBox* rememberBox() const { return kept_->box(); }
    // Our own cameras' addressing as the window lists them: an address one of them holds is
    // not given to an ONVIF camera.
    void setOwnCameras(std::function<std::vector<CameraAddressing>()> ownCameras) {
        ownCameras_ = std::move(ownCameras);
    }
    // Where the settings sent are recorded; null: nowhere.
    void setJournal(ChangeJournal* journal) { journal_ = journal; }
    // The window's filter; the page is told when it changes.
    void setFilter(const CameraFilter* filter);
    void filterChanged();

    // The cameras as they are now, in the order first heard.
    void showCameras(std::vector<OnvifListRow> cameras);
    // Cameras listed, and how many of them the filter shows.
    int listedCount() const { return model_->rowCount(); }
    int shownCount() const { return filter_->rowCount(); }

    QTableView* list() const { return list_; }
    OnvifCameraModel* model() const { return model_; }
    OnvifCameraFilter* shownModel() const { return filter_; }
    QLineEdit* userField() const { return user_; }
    QLineEdit* passwordField() const { return password_; }
    QPushButton* readButton() const { return read_; }
    QPushButton* refreshButton() const { return refresh_; }
    QPushButton* probeButton() const { return probe_; }

    // The list typed into "Probe addresses…": checked, and when it holds, asked for and
    // remembered; when refused, a box says why. True when it was taken.
    bool probeAddressesTyped(const QString& text);
    // The list last taken (or remembered from an earlier run), shown when the box opens again.
    QString probeAddressesText() const { return probeText_; }
    void setProbeAddressesText(const QString& text) { probeText_ = text; }

    // Opens the web page of the camera on the list's current row, if it has an address.
    void openCurrentWebPage();

    OnvifSettingsForm* form() const { return form_; }
    // Progress and the last setting's verification, in words.
    QLabel* settingStatus() const { return status_; }
    // Where the cameras answer probes, for looking for a moved camera.
    void setDiscoveryPort(std::uint16_t port) { discoveryPort_ = port; }
    // How long a moved camera is looked for at its new address.
    void setVerifyTimeout(std::chrono::milliseconds timeout) { verifyTimeout_ = timeout; }
    // OK, "Set clock from this PC" and Reboot; each runs on a thread of its own.
    void sendNetworkSettings();
    void setClockFromPc();
    void rebootCamera();
    // Whether a setting is under way.
    bool busy() const { return busy_; }
    // The cameras of the rows chosen that were read far enough to have a MAC, in list order.
    std::vector<onvif::OnvifCamera> chosenCameras() const;
    // "Assign addresses…" of the list's menu: asks for a plan for two or more chosen cameras.
    void assignAddresses();

    // No more than it needs: the window takes its size from the settings pages, and this page
    // fills whatever room they leave.
    QSize sizeHint() const override { return minimumSizeHint(); }

  signals:
    // "Read": the user name and password typed (an empty name: read without credentials).
    void credentialsGiven(const QString& user, const QString& password);
    void refreshAsked();
    // Directed probes to these addresses, typed as `text`.
    void probeAddressesAsked(const std::vector<pelmora::Ipv4>& addresses, const QString& text);
    // A camera took a setting: it is worth reading again.
    void settingTaken();
    // "Assign addresses…" for the cameras chosen (read, with their MACs), to be reached with
    // the credentials typed.
    void assignAddressesAsked(const std::vector<pelmora::onvif::OnvifCamera>& cameras,
                              const pelmora::onvif::HttpDigest& credentials);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showRowMenu(const QPoint& at);
    void askProbeAddresses();
    void giveCredentials();
    // The chosen camera changed: the form shows it.
    void currentCameraChanged();
    const onvif::OnvifCamera* chosenCamera() const;
    // Sends `requests` to the chosen camera on a thread of its own, then says how it went;
    // "No Response" offers Retry. After a move to `movedTo`, the camera is looked for there.
    struct Setting {
        onvif::OnvifCamera camera;
        std::vector<onvif::SettingRequest> requests;
        // For the change log: "network", "datetime" or "reboot", and what is set.
        std::string action;
        nlohmann::ordered_json settings;
        std::optional<Ipv4> movedTo;
    };
    void runSetting(Setting setting);
    void settled(const Setting& setting, const onvif::SettingResult& result);
    void lookForMovedCamera(const onvif::OnvifCamera& camera, Ipv4 address,
                            const onvif::HttpDigest& credentials);
    void runInBackground(std::function<void()> work);
    void setBusy(bool busy);

    MessagePort* messages_ = nullptr;
    std::function<void(const QString&)> openUrl_;
    OnvifCameraModel* model_;
    OnvifCameraFilter* filter_;
    QTableView* list_;
    QLineEdit* user_;
    QLineEdit* password_;
    KeptCredentials* kept_;
    QPushButton* read_;
    QPushButton* refresh_;
    QPushButton* probe_;
    QString probeText_;
    OnvifSettingsForm* form_;
    QLabel* status_;
    std::string formKey_;
    std::uint16_t discoveryPort_ = onvif::kDiscoveryPort;
    std::chrono::milliseconds verifyTimeout_{60000};
    bool busy_ = false;
    ChangeJournal* journal_ = nullptr;
    std::function<std::vector<CameraAddressing>()> ownCameras_;
    std::vector<QThread*> threads_;
    // Set as the page goes: looking for a moved camera stops.
    std::atomic<bool> closing_{false};
};

}  // namespace pelmora
