#include "widgets/OnvifCameraModel.h"

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QStyle>
#include <unordered_map>
#include <unordered_set>

#include "listing/OnvifListing.h"
#include "widgets/FormControls.h"

namespace pelmora {
namespace {

QString utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const char* const kAlsoOurs = QT_TRANSLATE_NOOP(
    "pelmora::OnvifCameraModel",
    "The same camera (same MAC) answers this tool's own enquiry: it is also on the Network, "
    "Bandwidth control, Date time and PPPoE pages");

// Rows that show the same; the camera behind them may still have been read anew.
bool sameRow(const OnvifListRow& a, const OnvifListRow& b) {
    return a.cells == b.cells && a.problem == b.problem && a.alsoOurs == b.alsoOurs &&
           a.url == b.url;
}

}  // namespace

OnvifListRow onvifListRow(std::string key, const onvif::OnvifCamera& camera, std::string problem,
                          bool alsoOurs) {
    OnvifListRow row;
    row.key = std::move(key);
    row.camera = camera;
    row.cells = onvifRowCells(camera);
    row.problem = std::move(problem);
    row.alsoOurs = alsoOurs;
    row.url = onvifWebPageUrl(camera);
    row.filterFields = onvifFilterFields(camera);
    if (const auto address = onvifCameraAddress(camera)) {
        row.address = ipv4ToNumber(*address);
    }
    if (camera.clockOffset) {
        row.clockSeconds = camera.clockOffset->count();
    }
    return row;
}

OnvifCameraModel::OnvifCameraModel(QObject* parent) : QAbstractTableModel(parent) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
        problemIcon_ = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    }
}

QStringList OnvifCameraModel::headers() {
    // In the language shown now, not the one of the first call.
    return {tr("MAC"),      tr("IP address"), tr("Manufacturer"), tr("Model"),
            tr("Firmware"), tr("Name"),       tr("Clock offset"), tr("Notes")};
}

// Gone cameras leave, changed rows are signalled, new cameras join at the foot: the views'
// selection and current row stay with their cameras.
void OnvifCameraModel::setCameras(std::vector<OnvifListRow> cameras) {
    std::unordered_map<std::string, std::size_t> incoming;
    for (std::size_t i = 0; i < cameras.size(); ++i) {
        incoming.emplace(cameras[i].key, i);
    }
    for (int row = static_cast<int>(rows_.size()) - 1; row >= 0; --row) {
        if (!incoming.contains(rows_[static_cast<std::size_t>(row)].key)) {
            beginRemoveRows({}, row, row);
            rows_.erase(rows_.begin() + row);
            endRemoveRows();
        }
    }
    std::unordered_set<std::string> present;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        auto& now = cameras[incoming.at(rows_[row].key)];
        present.insert(now.key);
        if (!sameRow(rows_[row], now)) {
            rows_[row] = std::move(now);
            const int r = static_cast<int>(row);
            emit dataChanged(index(r, 0), index(r, kOnvifColumns - 1));
        } else {
            rows_[row].camera = std::move(now.camera);
        }
    }
    std::vector<OnvifListRow> added;
    for (auto& camera : cameras) {
        if (!present.contains(camera.key) && !camera.key.empty()) {
            added.push_back(std::move(camera));
        }
    }
    if (!added.empty()) {
        const int first = static_cast<int>(rows_.size());
        beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
        std::move(added.begin(), added.end(), std::back_inserter(rows_));
        endInsertRows();
    }
}

const OnvifListRow* OnvifCameraModel::cameraAt(int row) const {
    return row >= 0 && row < static_cast<int>(rows_.size()) ? &rows_[static_cast<std::size_t>(row)]
                                                            : nullptr;
}

int OnvifCameraModel::rowOf(const std::string& key) const {
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (rows_[row].key == key) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

int OnvifCameraModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int OnvifCameraModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kOnvifColumns;
}

QString OnvifCameraModel::toolTip(const OnvifListRow& camera) const {
    QStringList lines;
    if (!camera.problem.empty()) {
        lines << utf8(camera.problem);
    }
    if (camera.alsoOurs) {
        lines << tr(kAlsoOurs);
    }
    return lines.join('\n');
}

QVariant OnvifCameraModel::sortKey(const OnvifListRow& camera, int column) const {
    // Unknown values sort after every known one.
    if (column == kOnvifAddressColumn) {
        return camera.address ? qint64(*camera.address) : std::numeric_limits<qint64>::max();
    }
    if (column == kOnvifClockColumn) {
        return camera.clockSeconds ? qint64(*camera.clockSeconds)
                                   : std::numeric_limits<qint64>::max();
    }
    const auto& text = camera.cells[static_cast<std::size_t>(column)];
    return text.empty() ? QString(QChar(0xFFFF)) : utf8(text).toCaseFolded();
}

QVariant OnvifCameraModel::data(const QModelIndex& index, int role) const {
    const OnvifListRow* camera = index.isValid() ? cameraAt(index.row()) : nullptr;
    if (camera == nullptr || index.column() >= kOnvifColumns) {
        return {};
    }
    const int column = index.column();
    const bool marked = !camera->problem.empty();
    switch (role) {
        case Qt::DisplayRole:
            return utf8(camera->cells[static_cast<std::size_t>(column)]);
        case kSortRole:
            return sortKey(*camera, column);
        case kUrlRole:
            return utf8(camera->url);
        case Qt::ToolTipRole: {
            const QString tip = toolTip(*camera);
            return tip.isEmpty() ? QVariant() : QVariant(plainToolTip(tip));
        }
        case Qt::AccessibleDescriptionRole: {
            const QString tip = toolTip(*camera);
            return tip.isEmpty() ? QVariant() : QVariant(tip);
        }
        case Qt::DecorationRole:
            return marked && column == 0 ? problemIcon_ : QVariant();
        case Qt::BackgroundRole:
            return marked ? QBrush(QColor(255, 236, 179)) : QVariant();
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        default:
            return {};
    }
}

QVariant OnvifCameraModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kOnvifColumns) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return headers()[section];
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return {};
}

Qt::ItemFlags OnvifCameraModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace pelmora
