#pragma once
// What the window remembers between runs: its place and size, whether it was maximised, the
// page last shown, the folder last saved into, the addresses last given to the ONVIF page's
// directed probe and the saved list the cameras were last compared with. The one place the
// settings keys are spelled.
// Nothing typed into a form is kept.

#include <QRect>
#include <QSettings>
#include <QString>
#include <memory>
#include <optional>

namespace pelmora {

class WindowSettings {
  public:
    // `file` empty: the platform's usual place for this user's settings.
    explicit WindowSettings(const QString& file = {});

    // The saved place and size, unless it no longer fits on any screen (a monitor was unplugged,
    // the resolution dropped): then the window opens as on its first start.
    std::optional<QRect> geometry() const;
    bool maximized() const;
    // The page last shown; 0 when none was saved or the value is out of range.
    int lastPage(int pages) const;

    void save(const QRect& normalGeometry, bool maximized, int page);

    // The folder the file dialogs last saved into; empty when none was kept.
    QString lastFolder() const;
    void saveLastFolder(const QString& folder);

    // As typed ("10.2.0.0/24,10.3.0.7"); empty when none was given.
    QString onvifProbeAddresses() const;
    void saveOnvifProbeAddresses(const QString& addresses);

    // The file of the saved list the Network page compared with last; empty when none.
    QString comparedList() const;
    void saveComparedList(const QString& path);

  private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace pelmora
