#pragma once
// The ONVIF page's sort and filter over an OnvifCameraModel: the window's filter text and
// "Problems only" decide which cameras show; a header click sorts by the column's sort key.

#include <QSortFilterProxyModel>

#include "lan/LanSnapshot.h"

namespace pelmora {

class OnvifCameraFilter final : public QSortFilterProxyModel {
    Q_OBJECT

  public:
    explicit OnvifCameraFilter(QObject* parent = nullptr);

    // The main window's filter, read at every check; null lets every camera through.
    void setFilter(const CameraFilter* filter) { filter_ = filter; }
    // The filter changed: the shown rows are chosen again.
    void refilter();

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

  private:
    const CameraFilter* filter_ = nullptr;
};

}  // namespace pelmora
