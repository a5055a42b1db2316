#pragma once
// What every settings page shares: the camera list at the top, rewritten from the camera table
// on a timer with the selected camera kept by its MAC; selecting a row fills the page's form;
// a double-click opens the camera's web page; a header click asks the main window to sort.
// Pages keyed by MAC derive from this class and add their form below the list.

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "lan/LanSnapshot.h"
#include "listing/ListExport.h"
#include "model/CameraTable.h"
#include "settings/PageRules.h"
#include "widgets/CameraListModel.h"
#include "widgets/CameraListView.h"
#include "widgets/KeptCredentials.h"
#include "widgets/PageServices.h"

namespace pelmora {

struct GridColumn {
    QString header;  // empty: no header
    int twips;
};

class SettingsPage : public QWidget {
    Q_OBJECT

  public:
    SettingsPage(std::vector<GridColumn> columns, int refreshMilliseconds,
                 QWidget* parent = nullptr);

    // Given once by the main window after the pages exist; refreshing starts here.
    virtual void setTable(CameraTable* table, PageServices services);
    // The main window's latest diagnosis of the LAN, which marks the rows of cameras with a
    // problem, and the filter that narrows the list. Either may be null.
    void setLan(const LanSnapshot* lan, const CameraFilter* filter);

    virtual void refreshGrid();
    // The filter's text or "Problems only" changed; the rewrite follows.
    virtual void filterChanged() {}
    // The same rewrite, run between ticks because replies changed the list. It drops the form
    // only when the selected camera left the list, never for want of a selection: what is typed
    // before a camera is chosen lasts until the page's own tick.
    void rewriteForNewReplies();
    // Makes the row under the pointer (or the keyboard's row) the selected camera.
    virtual void selectRow();
    // Scrolls the list one row per wheel notch.
    void pageWheel(int delta);

    CameraListView* list() const { return list_; }
    // "Remember on this PC" and its keeping, on a page with credentials; else null.
    QCheckBox* rememberBox() const { return kept_ != nullptr ? kept_->box() : nullptr; }
    KeptCredentials* keptCredentials() const { return kept_; }

    // Told by the main window, which shows every page in the same space. A page shorter than
    // the tallest is padded at its foot to `height`, so that the list has seven rows at the
    // window's smallest size on every page.
    void padToHeight(int height);
    // Told once the window is laid out at its smallest, with the page's size there: the foot
    // takes any height beyond the page's own, and the form keeps the width it has there. Only
    // what the window grows beyond this reaches the list, its columns sharing extra width in
    // proportion to their widths.
    void settleAtSmallest(QSize pageSize);
    // The selected camera's MAC, or empty.
    QString selectedMac() const;
    // The camera whose settings the form shows, or empty. A request goes to this camera, not
    // to whichever row the list highlights now: a right-click or a page key can move the
    // highlight without filling the form again.
    const std::string& formCameraMac() const { return formCameraMac_; }

    // The cameras the list shows, the filter applied, in table order.
    std::vector<CameraRecord> listedRecords() const;
    // What "Export list…" writes: the listed cameras, unless a page narrows them.
    virtual std::vector<CameraRecord> exportedRecords() const { return listedRecords(); }
    // Writes the exported cameras to `path` as discover prints them; empty on success, else the
    // system's reason.
    std::string exportListTo(const QString& path, ListFormat format) const;
    // "Export list…": asks where, writes, and says so in a box when the file could not be
    // written.
    void exportList();
    // "History…": the selected camera's recorded setting requests, or every camera's.
    void showHistory();

  signals:
    // A header click: the main window sorts the table by this column. `pppoe` is 1 for the
    // PPPoE page's address column.
    void sortColumn(int column, int pppoe);

  protected:
    // Whether the list shows a camera: a live one with a MAC, on most pages.
    virtual bool listsCamera(const CameraRecord& record) const { return isListed(record); }
    // Whether the filter lets the camera into the list.
    bool admittedByFilter(const CameraRecord& record) const;
    // The same for a row that is no live camera, by its texts.
    bool admittedByFilter(std::span<const std::string> texts, bool hasProblem) const;
    // What the LAN diagnosis says is wrong with a camera, for its row's mark; empty: nothing.
    std::string problemOf(const CameraRecord& record) const;
    // One listed camera's row: its MAC, cells and problem.
    CameraListRow listRow(const CameraRecord& record, std::vector<std::string> cells) const;
    const LanSnapshot* lan() const { return lan_; }
    // The cells of one listed camera, columns 0 to 4.
    virtual std::vector<std::string> rowCells(const CameraRecord& record) const;
    // Page-specific: the form emptied, or filled from the selected camera.
    virtual void clearSelection() = 0;
    virtual void fillForm(const CameraRecord& record) = 0;
    // The second parameter of the sort request for a header click on `column`.
    virtual int sortFlag(int column) const;
    virtual void headerClick(int column);

    // Hooks into the list rewrite, for a page with rules of its own (the Network page).
    // Before the rewrite:
    virtual void beginRefresh() {}
    // Every record, listed or not, with the MAC of the selected camera (empty for none):
    virtual void noteRecord(const CameraRecord&, bool /*listed*/, const std::string& /*selected*/) {
    }
    // The listed cameras' rows, before they are shown: a page may mark them, and add rows after
    // them that are no cameras (missing ones). `listed_` counts the cameras' rows alone.
    virtual void finishRows(std::vector<CameraListRow>& /*rows*/) {}
    // Nothing is selected after a rewrite that changed something.
    virtual void selectionDropped() { clearSelection(); }
    // The first row to put back when the list scrolls.
    virtual int firstRowToRestore(int firstRow) const { return firstRow; }
    // After the rewrite, painting on again.
    virtual void endRefresh() {}

    // Makes a column at least `px` wide at the window's smallest.
    void widenColumn(int column, int px);

    // The order in which the focus walk (F6, Shift+F6) visits the form's controls after the
    // list: reading order, column by column.
    void setReadingOrder(std::initializer_list<QWidget*> controls);

    // The layout below the list that a page puts its form into. It keeps its size as the window
    // grows; the list takes the rest.
    QVBoxLayout* formArea();
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The list's context menu: "Export list…" and "History…", which every page offers, and what
    // a page adds after them.
    void contextMenuEvent(QContextMenuEvent* event) override;
    void addRecordActions(QMenu& menu);
    virtual void addListActions(QMenu& /*menu*/) {}

    // The page's credential fields and OK button, if it has them (the base class applies the
    // rule that enables OK). It adds "Remember on this PC", for the page to place.
    void setCredentialControls(QLineEdit* name, QLineEdit* password, QPushButton* ok,
                               std::size_t minimum);
    void updateOkFromCredentials();
    // The camera of the list's anchor row, looked up by its MAC.
    std::optional<CameraRecord> recordOfCurrentRow() const;
    // Fills the form from `record` and makes it the camera requests go to.
    void showInForm(const CameraRecord& record);
    // The form no longer shows a camera: nothing is sent until one is selected again.
    void forgetFormCamera();
    // The camera the form shows, as the table has it now; none once it has left the table.
    std::optional<CameraRecord> recordOfFormCamera() const;
    // The credential fields as typed, in the 8-bit form the camera receives.
    std::string adminNameText() const;
    std::string adminPasswordText() const;
    // Registers and sends a whole request datagram addressed to `record`; with "Remember on
    // this PC" ticked, the credentials it carries are kept for the camera.
    void sendSettingRequest(const CameraRecord& record, const std::string& request);
    // A request went out to `mac` with the credential fields' name and password.
    void credentialsUsed(const std::string& mac);

    CameraTable* table_ = nullptr;
    PageServices services_;
    CameraListView* list_;
    CameraListModel* model_;
    // Cameras listed by the last rewrite; the rows below them are blank.
    int listed_ = 0;
    QLineEdit* adminName_ = nullptr;
    QLineEdit* adminPassword_ = nullptr;
    QPushButton* okButton_ = nullptr;

    // Rows shown even with fewer cameras.
    static constexpr int kMinimumRows = 7;
    // The row a selection takes: the keyboard's row, else the row under the pointer, with a
    // press that came up over the header meaning the first row and a blank row meaning the last
    // listed camera. -1 stands for a header click.
    int rowToSelect() const;
    // A click on the list; the MAC-keyed pages select the camera.
    virtual void listClick() { selectRow(); }
    // The scroll bar and the first row shown after a rewrite.
    void placeScrollBar(int firstRow);

    // The list's mouse and keyboard events; the Network page has rules of its own.
    virtual void onPressed(Qt::MouseButton button, QPoint at);
    virtual void onMoved(Qt::MouseButtons buttons);
    virtual void onReleased(Qt::MouseButton button, QPoint at);
    virtual void onKeyReleased(Qt::Key key);
    virtual void onTyped(QChar character);
    virtual void openCameraPage();

    int pressedRow_ = -1;
    bool headerPressed_ = false;
    int firstRowAtPress_ = 0;
    bool keyboardSelect_ = false;
    int rowHeightPx_ = 17;

  private:
    std::vector<GridColumn> columns_;
    QTimer refreshTimer_;
    int refreshMilliseconds_;

  protected:
    int columnCount() const { return static_cast<int>(columns_.size()); }

  private:
    std::size_t minimumCredential_ = kMinCredentialLength;
    KeptCredentials* kept_ = nullptr;
    std::string formCameraMac_;
    bool rewritingForReplies_ = false;
    const LanSnapshot* lan_ = nullptr;
    const CameraFilter* filter_ = nullptr;
    void spreadColumns();
    QVBoxLayout* pageLayout_ = nullptr;
    QWidget* form_ = nullptr;
    QVBoxLayout* formArea_ = nullptr;
    QSpacerItem* foot_ = nullptr;
    int footHeight_ = 0;
    std::vector<int> baseColumnWidths_;
    int listWidthAtSmallest_ = 0;
};

// Camera text is 8-bit: each byte is the character of the same code.
inline QString cameraText(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace pelmora
