#pragma once
// The "Network" tab: the selected camera's addressing (DHCP or a fixed address, automatic or
// manual DNS, HTTP port), sent to the camera with OK, a reboot button, and a camera list that
// accepts a selection of several rows to copy as text.

#include <QButtonGroup>
#include <QLabel>
#include <QRadioButton>
#include <array>
#include <optional>

#include "diff/CameraListDiff.h"
#include "pages/SettingsPage.h"
#include "settings/network/NetworkSettings.h"
#include "widgets/Ipv4Field.h"

namespace pelmora {

struct OnvifPlanParty;

class NetworkPage final : public SettingsPage {
    Q_OBJECT

  public:
    explicit NetworkPage(QWidget* parent = nullptr);

    void selectRow() override;

    // The form's controls, for the main window's focus handling and for tests.
    QRadioButton* dhcpRadio() const { return dhcp_; }
    QRadioButton* fixedRadio() const { return fixed_; }
    QRadioButton* dnsAutoRadio() const { return dnsAuto_; }
    QRadioButton* dnsManualRadio() const { return dnsManual_; }
    QRadioButton* port80Radio() const { return port80_; }
    QRadioButton* otherPortRadio() const { return otherPort_; }
    Ipv4Field* ipField() const { return ip_; }
    Ipv4Field* maskField() const { return mask_; }
    Ipv4Field* gatewayField() const { return gateway_; }
    Ipv4Field* dnsField(int index) const { return dns_[static_cast<std::size_t>(index)]; }
    QLineEdit* portEdit() const { return portEdit_; }
    QLineEdit* nameEdit() const { return adminName_; }
    QLineEdit* passwordEdit() const { return adminPassword_; }
    QPushButton* okButton() const { return okButton_; }
    QPushButton* rebootButton() const { return reboot_; }
    QPushButton* cancelButton() const { return cancel_; }

    // Manual DNS entries kept while DNS is automatic; all 0.0.0.0 until first saved.
    const std::array<Ipv4, kDnsServers>& rememberedDns() const { return rememberedDns_; }

    // The camera of one list row as a text line ending in CR LF, from its record as the table
    // has it now (cameraRowText); empty for a row without a camera.
    QString rowText(int row) const;
    // Rows `lo` to `hi` as text lines, put on the clipboard.
    void copyRows(int lo, int hi);
    // Pulls the far end of a downward selection back so that it covers no empty row.
    void trimSelection();

    // For a camera on another subnet or sharing its address: whether a free address can be
    // suggested, and filling the form with it (nothing is sent).
    bool canSuggestAddress(int row) const;
    void suggestAddress(int row);

    void setFormEnabled(bool on);
    void resetForm();
    // Every control back as the page opened: DHCP, automatic DNS, port 80 with the port field
    // empty and disabled, all enabled. The credentials are not touched.
    void emptyForm();
    void clearCredentials();

    // With several rows selected, "Export list…" writes only those cameras.
    std::vector<CameraRecord> exportedRecords() const override;
    // The rows of the cameras the person chose, in list order: those shown selected.
    std::vector<int> chosenRows() const;
    // A new filter drops a selection of several rows: nothing is selected afterwards.
    void filterChanged() override;
    // "Assign addresses…" for ONVIF cameras chosen on the ONVIF page, checked against this
    // page's cameras too.
    void assignOnvifAddresses(OnvifPlanParty party);

    // "Compare with a saved list…": the cameras of a list exported earlier (CSV or JSON) that do
    // not answer are listed greyed after the live ones, and the live ones the list lacks or has
    // at another address or with another model are marked. On failure, false with the reason;
    // the comparison before stays.
    bool compareWithList(const QString& path, QString* reason = nullptr);
    void stopComparing();
    // The list compared now; empty when none.
    const QString& comparedList() const { return comparedList_; }
    // Its cameras that do not answer, as the last rewrite found them.
    int missingCount() const { return missing_; }
    // Asks for the list, then compares, saying so in a box when it cannot be read.
    void askListToCompare();

  protected:
    void clearSelection() override;
    void fillForm(const CameraRecord& record) override;
    void headerClick(int column) override;
    void openCameraPage() override;
    void onPressed(Qt::MouseButton button, QPoint at) override;
    void onMoved(Qt::MouseButtons buttons) override;
    void onReleased(Qt::MouseButton button, QPoint at) override;
    void onKeyReleased(Qt::Key key) override;
    void onTyped(QChar character) override;
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void finishRows(std::vector<CameraListRow>& rows) override;
    void addListActions(QMenu& menu) override;
    void buildForm();
    void nameForKeyboard();
    void beginRefresh() override;
    void noteRecord(const CameraRecord& record, bool listed, const std::string& selected) override;
    void selectionDropped() override;
    int firstRowToRestore(int firstRow) const override;
    void endRefresh() override;
    std::string keyOfRow(int row) const;
    std::vector<std::string> selectedKeys() const;
    void reselectKeys(const std::vector<std::string>& keys);
    bool listKeyDown(const QKeyEvent& key);

    // The rules each radio applies when clicked, and when the page sets the radios itself.
    void applyDhcpRule();
    void applyFixedRule();
    void applyDnsAutoRule();
    void applyDnsManualRule();
    void applyPort80Rule();
    void applyOtherPortRule();

    void onOk();
    void onReboot();
    void onCancel();
    void cameraGone();
    void setAddressFieldsEnabled(bool on);
    void setSendButtonsEnabled(bool on);
    NetworkSettings formSettings() const;
    std::pair<int, int> selectionRange() const;
    // Puts a selection of rows `lo` to `hi` back, without the rows it left out.
    void restoreSelection(int lo, int hi, const std::vector<int>& leftOut);
    void assignAddresses(std::vector<std::string> macs, OnvifPlanParty party);
    std::optional<SuggestedAddressing> addressFor(int row) const;

    QRadioButton* dhcp_;
    QRadioButton* fixed_;
    QRadioButton* dnsAuto_;
    QRadioButton* dnsManual_;
    QRadioButton* port80_;
    QRadioButton* otherPort_;
    Ipv4Field* ip_;
    Ipv4Field* mask_;
    Ipv4Field* gateway_;
    std::array<Ipv4Field*, kDnsServers> dns_{};
    std::array<QLabel*, 3> addressLabels_{};
    std::array<QLabel*, kDnsServers> dnsLabels_{};
    QLabel* portLabel_;
    QLabel* portHint_;
    QLabel* nameLabel_;
    QLabel* passwordLabel_;
    QLineEdit* portEdit_;
    QPushButton* reboot_;
    QPushButton* cancel_;

    std::array<Ipv4, kDnsServers> rememberedDns_{};
    // The port value bound to the port field, and the credentials as last read from theirs.
    QString portText_;
    QString nameValue_;
    QString passwordValue_;

    // Carried through one list rewrite: the selection's keys, the selected camera's record, and
    // whether a header click started it.
    std::vector<std::string> refreshKeys_;
    std::optional<CameraRecord> selectedRecord_;
    bool afterHeaderClick_ = false;

    // Our cameras of the list compared, and its file.
    std::optional<CameraList> expected_;
    QString comparedList_;
    int missing_ = 0;
};

}  // namespace pelmora
