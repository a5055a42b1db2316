#include "widgets/OnvifCameraFilter.h"

#include "widgets/OnvifCameraModel.h"

namespace pelmora {

OnvifCameraFilter::OnvifCameraFilter(QObject* parent) : QSortFilterProxyModel(parent) {
    setSortRole(OnvifCameraModel::kSortRole);
    // Rows change as cameras are read: the sort and the filter follow them.
    setDynamicSortFilter(true);
}

void OnvifCameraFilter::refilter() {
    invalidateRowsFilter();
}

bool OnvifCameraFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const auto* model = qobject_cast<const OnvifCameraModel*>(sourceModel());
    const OnvifListRow* camera = model != nullptr ? model->cameraAt(sourceRow) : nullptr;
    if (camera == nullptr) {
        return false;
    }
    return filter_ == nullptr ||
           filter_->admitsTexts(camera->filterFields, !camera->problem.empty());
}

}  // namespace pelmora
