#pragma once
// The cameras a settings page lists, as an item model: one row per listed camera, keyed by its
// MAC, in the camera table's own order (the table sorts; the model never does). A page builds
// the rows it lists from the table's live records (its listing rule and the filter applied) and
// hands them over on every rewrite; the model tells its views only what changed: the rows of
// cameras that came or went, the rows whose texts or problem changed, and a layout change when a
// sort moved cameras, so that a view's selection and current row follow their cameras. Nothing
// changed, nothing is signalled; the model is never reset.

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace pelmora {

// One listed camera: its MAC (the row's key), its cells' texts as the camera's 8-bit bytes, and
// what the LAN diagnosis says is wrong with it (empty: nothing).
struct CameraListRow {
    std::string mac;
    std::vector<std::string> cells;
    std::string problem;
    // What a screen reader says for a cell instead of its text (">>" is read "marked"); missing
    // or empty: the text itself.
    std::vector<std::string> spoken;
    // A camera expected at the site that does not answer: shown greyed after the cameras, with
    // `note` saying so. It is no camera to the page: it has no MAC there, and is never selected.
    bool missing = false;
    std::string note;
};

class CameraListModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit CameraListModel(QStringList headers, QObject* parent = nullptr);

    // The listed cameras as they are now, in the order to show them.
    void setCameras(std::vector<CameraListRow> cameras);

    // The list shows at least this many rows: blank ones after the cameras.
    void setMinimumRows(int rows);

    // A column's cells are left-aligned unless set here; vertically centred either way.
    void setAlignment(int column, Qt::Alignment horizontal);

    // The row of the camera with this MAC, or -1. Missing cameras' rows are not cameras' rows
    // here: none of these three finds them.
    int rowOf(std::string_view mac) const;
    // The MAC of the camera on `row`, or empty.
    const std::string& macAt(int row) const;
    const CameraListRow* cameraAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    const CameraListRow* rowAt(int row) const;
    QVariant missingData(const CameraListRow& camera, std::size_t column, int role) const;
    int rowOfKey(std::string_view mac) const;
    void removeGone(const std::vector<CameraListRow>& cameras);
    void followNewOrder(const std::vector<CameraListRow>& cameras);
    void insertNew(const std::vector<CameraListRow>& cameras);
    void updateChanged(std::vector<CameraListRow>& cameras);
    void fitBlankRows();

    QStringList headers_;
    std::vector<Qt::Alignment> alignments_;
    std::vector<CameraListRow> rows_;
    int minimumRows_ = 0;
    int blankRows_ = 0;  // after the cameras
    QIcon problemIcon_;
};

}  // namespace pelmora
