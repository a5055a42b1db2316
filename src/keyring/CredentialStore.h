#pragma once
// The window's door to the desktop's Secret Service: administrator names and passwords kept per
// camera (by MAC) when the person asks for it, read back when the camera is chosen again, and
// forgotten on request. Nothing is written anywhere else: with no Secret Service there is no
// keeping at all, never a file in clear. Every call answers later, on the thread that made it,
// so a slow or absent service never holds up the window.

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "keyring/CredentialSecret.h"

namespace pelmora {

class CredentialStore : public QObject {
    Q_OBJECT

  public:
    enum class Availability { Unknown, Available, Unavailable };

    explicit CredentialStore(QObject* parent = nullptr);

    // Asks once whether a Secret Service answers; `availabilityKnown` follows.
    void probe();
    Availability availability() const { return availability_; }
    // Why credentials cannot be kept, for a tool tip; empty while they can.
    const QString& unavailableReason() const { return reason_; }

    // `done` gets the stored pair, or nothing when none is kept or it cannot be read.
    void load(const QString& mac, std::function<void(std::optional<StoredCredentials>)> done);
    // `done` gets an empty text on success, else the reason. Forgetting what was never kept
    // succeeds.
    void save(const QString& mac, const StoredCredentials& credentials,
              std::function<void(QString)> done);
    void forget(const QString& mac, std::function<void(QString)> done);

  signals:
    void availabilityKnown(bool available);

  private:
    void setAvailability(bool available, const QString& reason);

    Availability availability_ = Availability::Unknown;
    QString reason_;
};

}  // namespace pelmora
