#include "widgets/CameraListModel.h"

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QStyle>
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "widgets/FormControls.h"

namespace pelmora {

namespace {

// Camera text is 8-bit: each byte is the character of the same code.
QString latin1(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Calls `signal(first, last)` once for every run of consecutive rows in `rows` (ascending).
template <class Signal>
void forEachRun(const std::vector<int>& rows, Signal&& signal) {
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1) {
            ++j;
        }
        signal(rows[i], rows[j]);
        i = j + 1;
    }
}

}  // namespace

CameraListModel::CameraListModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent),
      headers_(std::move(headers)),
      alignments_(static_cast<std::size_t>(headers_.size()), Qt::AlignLeft) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
        problemIcon_ = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    }
}

void CameraListModel::setAlignment(int column, Qt::Alignment horizontal) {
    if (column >= 0 && column < static_cast<int>(alignments_.size())) {
        alignments_[static_cast<std::size_t>(column)] = horizontal;
    }
}

void CameraListModel::setMinimumRows(int rows) {
    minimumRows_ = std::max(0, rows);
    fitBlankRows();
}

void CameraListModel::setCameras(std::vector<CameraListRow> cameras) {
    removeGone(cameras);
    followNewOrder(cameras);
    insertNew(cameras);
    fitBlankRows();
    updateChanged(cameras);
}

// Blank rows come and go at the foot, after the cameras have come and gone above them.
void CameraListModel::fitBlankRows() {
    const int cameras = static_cast<int>(rows_.size());
    const int wanted = std::max(0, minimumRows_ - cameras);
    if (wanted > blankRows_) {
        beginInsertRows({}, cameras + blankRows_, cameras + wanted - 1);
        blankRows_ = wanted;
        endInsertRows();
    } else if (wanted < blankRows_) {
        beginRemoveRows({}, cameras + wanted, cameras + blankRows_ - 1);
        blankRows_ = wanted;
        endRemoveRows();
    }
}

// Cameras no longer listed leave, bottom run first so the rows above keep their numbers.
void CameraListModel::removeGone(const std::vector<CameraListRow>& cameras) {
    std::unordered_set<std::string> listed;
    for (const auto& camera : cameras) {
        listed.insert(camera.mac);
    }
    std::vector<int> gone;
    for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
        if (!listed.contains(rows_[static_cast<std::size_t>(row)].mac)) {
            gone.push_back(row);
        }
    }
    std::vector<std::pair<int, int>> runs;
    forEachRun(gone, [&](int first, int last) { runs.emplace_back(first, last); });
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        beginRemoveRows({}, run->first, run->second);
        rows_.erase(rows_.begin() + run->first, rows_.begin() + run->second + 1);
        endRemoveRows();
    }
}

// The cameras still listed take the order the table gives them now (a sort moved them): a
// layout change that carries the views' selection and current row along with their cameras.
void CameraListModel::followNewOrder(const std::vector<CameraListRow>& cameras) {
    std::unordered_map<std::string, std::size_t> position;
    for (std::size_t i = 0; i < cameras.size(); ++i) {
        position.emplace(cameras[i].mac, i);
    }
    const auto before = [&](const CameraListRow& a, const CameraListRow& b) {
        return position.at(a.mac) < position.at(b.mac);
    };
    if (std::is_sorted(rows_.begin(), rows_.end(), before)) {
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList persistent = persistentIndexList();
    std::vector<std::string> macs;
    macs.reserve(static_cast<std::size_t>(persistent.size()));
    for (const QModelIndex& index : persistent) {
        const CameraListRow* row = rowAt(index.row());
        macs.push_back(row != nullptr ? row->mac : std::string());
    }
    std::stable_sort(rows_.begin(), rows_.end(), before);
    QModelIndexList moved;
    moved.reserve(persistent.size());
    for (qsizetype i = 0; i < persistent.size(); ++i) {
        const bool blank = persistent[i].row() >= static_cast<int>(rows_.size());
        moved.append(
            blank ? persistent[i]
                  : index(rowOfKey(macs[static_cast<std::size_t>(i)]), persistent[i].column()));
    }
    changePersistentIndexList(persistent, moved);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// Cameras new to the list come in where the table has them, in runs.
void CameraListModel::insertNew(const std::vector<CameraListRow>& cameras) {
    std::size_t at = 0;
    while (at < cameras.size()) {
        if (at < rows_.size() && rows_[at].mac == cameras[at].mac) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < cameras.size() && (at >= rows_.size() || cameras[end].mac != rows_[at].mac)) {
            ++end;
        }
        beginInsertRows({}, static_cast<int>(at), static_cast<int>(end - 1));
        rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at),
                     cameras.begin() + static_cast<std::ptrdiff_t>(at),
                     cameras.begin() + static_cast<std::ptrdiff_t>(end));
        endInsertRows();
        at = end;
    }
}

// Rows whose texts or problem changed are signalled in runs; unchanged rows cost no signal.
void CameraListModel::updateChanged(std::vector<CameraListRow>& cameras) {
    std::vector<int> changed;
    for (std::size_t row = 0; row < rows_.size() && row < cameras.size(); ++row) {
        CameraListRow& now = cameras[row];
        CameraListRow& shown = rows_[row];
        if (shown.cells != now.cells || shown.problem != now.problem ||
            shown.spoken != now.spoken || shown.missing != now.missing || shown.note != now.note) {
            shown = std::move(now);
            changed.push_back(static_cast<int>(row));
        }
    }
    forEachRun(changed, [this](int first, int last) {
        emit dataChanged(index(first, 0), index(last, columnCount() - 1));
    });
}

int CameraListModel::rowOfKey(std::string_view mac) const {
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (rows_[row].mac == mac) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

int CameraListModel::rowOf(std::string_view mac) const {
    const int row = rowOfKey(mac);
    return cameraAt(row) != nullptr ? row : -1;
}

const std::string& CameraListModel::macAt(int row) const {
    static const std::string kNone;
    const CameraListRow* camera = cameraAt(row);
    return camera != nullptr ? camera->mac : kNone;
}

const CameraListRow* CameraListModel::rowAt(int row) const {
    return row >= 0 && row < static_cast<int>(rows_.size()) ? &rows_[static_cast<std::size_t>(row)]
                                                            : nullptr;
}

const CameraListRow* CameraListModel::cameraAt(int row) const {
    const CameraListRow* camera = rowAt(row);
    return camera != nullptr && !camera->missing ? camera : nullptr;
}

int CameraListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size()) + blankRows_;
}

int CameraListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant CameraListModel::data(const QModelIndex& index, int role) const {
    const CameraListRow* camera = index.isValid() ? rowAt(index.row()) : nullptr;
    if (camera == nullptr) {
        return {};
    }
    const auto column = static_cast<std::size_t>(index.column());
    if (camera->missing) {
        return missingData(*camera, column, role);
    }
    const bool marked = !camera->problem.empty();
    switch (role) {
        case Qt::DisplayRole:
            return column < camera->cells.size() ? latin1(camera->cells[column]) : QString();
        case Qt::AccessibleTextRole:
            return column < camera->spoken.size() && !camera->spoken[column].empty()
                       ? QVariant(latin1(camera->spoken[column]))
                       : QVariant();
        case Qt::ToolTipRole:
            return marked ? plainToolTip(latin1(camera->problem)) : QVariant();
        case Qt::AccessibleDescriptionRole:
            return marked ? latin1(camera->problem) : QVariant();
        case Qt::DecorationRole:
            return marked && column == 0 ? problemIcon_ : QVariant();
        case Qt::BackgroundRole:
            // The tint says it again, so the mark does not rest on the icon alone.
            return marked ? QBrush(QColor(255, 236, 179)) : QVariant();
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(alignments_[column] | Qt::AlignVCenter);
        default:
            return {};
    }
}

// A missing camera's row: greyed as disabled text is, its note in the last cell and said again
// as the row's tool tip and description.
QVariant CameraListModel::missingData(const CameraListRow& camera, std::size_t column,
                                      int role) const {
    switch (role) {
        case Qt::DisplayRole:
            return column < camera.cells.size() ? QString::fromStdString(camera.cells[column])
                                                : QString();
        case Qt::ForegroundRole:
            return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        case Qt::ToolTipRole:
            return plainToolTip(QString::fromStdString(camera.note));
        case Qt::AccessibleDescriptionRole:
            return QString::fromStdString(camera.note);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(alignments_[column] | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant CameraListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= headers_.size()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return headers_[section];
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return {};
}

Qt::ItemFlags CameraListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    const CameraListRow* camera = rowAt(index.row());
    return camera != nullptr && camera->missing ? Qt::ItemIsEnabled
                                                : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace pelmora
