#include "app/WindowSettings.h"

#include <QGuiApplication>
#include <QScreen>

namespace pelmora {
namespace {

const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kMaximizedKey = QStringLiteral("window/maximized");
const QString kPageKey = QStringLiteral("window/page");
const QString kLastFolderKey = QStringLiteral("lastFolder");
const QString kOnvifProbeKey = QStringLiteral("onvif/probeAddresses");
const QString kComparedListKey = QStringLiteral("network/comparedList");

bool fitsSomeScreen(const QRect& rect) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().contains(rect)) {
            return true;
        }
    }
    return false;
}

}  // namespace

WindowSettings::WindowSettings(const QString& file)
    : settings_(file.isEmpty() ? std::make_unique<QSettings>(QStringLiteral("pelmora"),
                                                             QStringLiteral("pelmora"))
                               : std::make_unique<QSettings>(file, QSettings::IniFormat)) {}

std::optional<QRect> WindowSettings::geometry() const {
    const QRect rect = settings_->value(kGeometryKey).toRect();
    if (!rect.isValid() || !fitsSomeScreen(rect)) {
        return std::nullopt;
    }
    return rect;
}

bool WindowSettings::maximized() const {
    return settings_->value(kMaximizedKey, false).toBool();
}

int WindowSettings::lastPage(int pages) const {
    bool ok = false;
    const int page = settings_->value(kPageKey, 0).toInt(&ok);
    return ok && page >= 0 && page < pages ? page : 0;
}

void WindowSettings::save(const QRect& normalGeometry, bool maximized, int page) {
    settings_->setValue(kGeometryKey, normalGeometry);
    settings_->setValue(kMaximizedKey, maximized);
    settings_->setValue(kPageKey, page);
    settings_->sync();
}

}  // namespace pelmora

namespace pelmora {

QString WindowSettings::lastFolder() const {
    return settings_->value(kLastFolderKey).toString();
}

void WindowSettings::saveLastFolder(const QString& folder) {
    if (folder.isEmpty() || folder == lastFolder()) {
        return;
    }
    settings_->setValue(kLastFolderKey, folder);
    settings_->sync();
}

QString WindowSettings::onvifProbeAddresses() const {
    return settings_->value(kOnvifProbeKey).toString();
}

void WindowSettings::saveOnvifProbeAddresses(const QString& addresses) {
    settings_->setValue(kOnvifProbeKey, addresses);
    settings_->sync();
}

QString WindowSettings::comparedList() const {
    return settings_->value(kComparedListKey).toString();
}

void WindowSettings::saveComparedList(const QString& path) {
    if (path == comparedList()) {
        return;
    }
    if (path.isEmpty()) {
        settings_->remove(kComparedListKey);
    } else {
        settings_->setValue(kComparedListKey, path);
    }
    settings_->sync();
}

}  // namespace pelmora
