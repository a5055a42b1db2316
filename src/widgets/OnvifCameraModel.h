#pragma once
// The ONVIF cameras the ONVIF page lists, as an item model: one row per camera, keyed by the
// endpoint that identifies it, in the order first heard (a proxy sorts and filters). Each
// rewrite tells the views only what changed, so a selected camera stays selected.

#include <QAbstractTableModel>
#include <QIcon>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "listing/OnvifRowText.h"

namespace pelmora {

struct OnvifListRow {
    std::string key;
    OnvifRowCells cells;
    // What the LAN diagnosis says is wrong, a sentence a line; empty: nothing.
    std::string problem;
    // A camera of ours with the same MAC answers our enquiry: one camera, listed on both.
    bool alsoOurs = false;
    std::string url;
    std::array<std::string, 6> filterFields;
    std::optional<std::uint32_t> address;
    std::optional<long long> clockSeconds;
    // The camera as read, for the form and the requests.
    onvif::OnvifCamera camera;
};

OnvifListRow onvifListRow(std::string key, const onvif::OnvifCamera& camera, std::string problem,
                          bool alsoOurs);

class OnvifCameraModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    // What a column sorts by: addresses and clock offsets by value, texts without regard to case.
    static constexpr int kSortRole = Qt::UserRole + 1;
    // The camera's web page address.
    static constexpr int kUrlRole = Qt::UserRole + 2;

    explicit OnvifCameraModel(QObject* parent = nullptr);

    void setCameras(std::vector<OnvifListRow> cameras);
    const OnvifListRow* cameraAt(int row) const;
    // The row of the camera with this key, or -1.
    int rowOf(const std::string& key) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    static QStringList headers();

  private:
    QVariant sortKey(const OnvifListRow& camera, int column) const;
    QString toolTip(const OnvifListRow& camera) const;

    std::vector<OnvifListRow> rows_;
    QIcon problemIcon_;
};

}  // namespace pelmora
