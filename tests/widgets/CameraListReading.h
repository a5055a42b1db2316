#pragma once
// A camera list read as a person sees it: a cell's text, a column's header, what is wrong with a
// row's camera (empty: nothing) and where a cell shows. Rows count from 0.

#include <QPoint>
#include <QString>

#include "widgets/CameraListModel.h"
#include "widgets/CameraListView.h"

namespace pelmora::test {

inline QString cellText(const CameraListView& list, int row, int col) {
    const CameraListModel& model = *list.cameraModel();
    return model.data(model.index(row, col), Qt::DisplayRole).toString();
}

inline QString headerText(const CameraListView& list, int col) {
    return list.cameraModel()->headerData(col, Qt::Horizontal, Qt::DisplayRole).toString();
}

inline QString problemText(const CameraListView& list, int row) {
    const CameraListModel& model = *list.cameraModel();
    return model.data(model.index(row, 0), Qt::AccessibleDescriptionRole).toString();
}

inline QPoint cellCentre(const CameraListView& list, int row, int col) {
    return list.visualRect(list.cameraModel()->index(row, col)).center();
}

}  // namespace pelmora::test
