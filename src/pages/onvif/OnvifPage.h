#pragma once
// The ONVIF page: the standards-based cameras of every maker on the LAN, listed as the main
// window's watch finds and reads them, sorted by a header click and narrowed by the window's
// filter. Below the list, the user name and password to read them with (kept only while the
// window is open), "Refresh" to probe and read again at once, and "Probe addresses…" for cameras
// on subnets a multicast probe cannot reach. The page never touches the network itself: it asks
// the window, whose watch works on threads of its own.

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QWidget>
#include <functional>
#include <vector>

#include "lan/LanSnapshot.h"
#include "protocol/Ipv4.h"
#include "widgets/OnvifCameraFilter.h"
#include "widgets/OnvifCameraModel.h"

namespace pelmora {

class MessagePort;

class OnvifPage final : public QWidget {
    Q_OBJECT

  public:
    explicit OnvifPage(QWidget* parent = nullptr);

    void setServices(MessagePort* messages, std::function<void(const QString&)> openUrl);
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

    // No more than it needs: the window takes its size from the settings pages, and this page
    // fills whatever room they leave.
    QSize sizeHint() const override { return minimumSizeHint(); }

  signals:
    // "Read": the user name and password typed (an empty name: read without credentials).
    void credentialsGiven(const QString& user, const QString& password);
    void refreshAsked();
    // Directed probes to these addresses, typed as `text`.
    void probeAddressesAsked(const std::vector<pelmora::Ipv4>& addresses, const QString& text);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void askProbeAddresses();
    void giveCredentials();

    MessagePort* messages_ = nullptr;
    std::function<void(const QString&)> openUrl_;
    OnvifCameraModel* model_;
    OnvifCameraFilter* filter_;
    QTableView* list_;
    QLineEdit* user_;
    QLineEdit* password_;
    QPushButton* read_;
    QPushButton* refresh_;
    QPushButton* probe_;
    QString probeText_;
};

}  // namespace pelmora
