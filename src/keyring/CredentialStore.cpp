#include "keyring/CredentialStore.h"

#include <qt6keychain/keychain.h>

namespace pelmora {
namespace {

// The key no camera has: reading it tells a working service (entry not found) from none.
const QString kProbeKey = QStringLiteral("availability probe");

QString keyOf(const QString& mac) {
    return QString::fromStdString(credentialKey(mac.toStdString()));
}

// The jobs delete themselves once they have answered, and only then: one deleted while its call
// is under way would be called back all the same. So none has a parent, the store included; the
// store's own end only drops the answers (their connections go with it). No insecure fallback:
// without a Secret Service nothing is kept, rather than kept in a settings file in clear.
template <class Job>
Job* newJob(const QString& key) {
    auto* job = new Job(QString::fromLatin1(kCredentialService));
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(key);
    return job;
}

bool serviceMissing(QKeychain::Error error) {
    return error == QKeychain::NoBackendAvailable || error == QKeychain::NotImplemented ||
           error == QKeychain::OtherError;
}

}  // namespace

CredentialStore::CredentialStore(QObject* parent) : QObject(parent) {}

void CredentialStore::setAvailability(bool available, const QString& reason) {
    availability_ = available ? Availability::Available : Availability::Unavailable;
    reason_ = available ? QString() : reason;
    emit availabilityKnown(available);
}

void CredentialStore::probe() {
    auto* job = newJob<QKeychain::ReadPasswordJob>(kProbeKey);
    connect(job, &QKeychain::Job::finished, this, [this](QKeychain::Job* done) {
        const auto error = done->error();
        setAvailability(error == QKeychain::NoError || error == QKeychain::EntryNotFound,
                        done->errorString());
    });
    job->start();
}

void CredentialStore::load(const QString& mac,
                           std::function<void(std::optional<StoredCredentials>)> done) {
    const QString key = keyOf(mac);
    if (key.isEmpty() || availability_ == Availability::Unavailable) {
        done(std::nullopt);
        return;
    }
    auto* job = newJob<QKeychain::ReadPasswordJob>(key);
    connect(job, &QKeychain::Job::finished, this, [done = std::move(done)](QKeychain::Job* j) {
        const auto* read = static_cast<QKeychain::ReadPasswordJob*>(j);
        done(read->error() == QKeychain::NoError
                 ? parseCredentialSecret(read->textData().toStdString())
                 : std::nullopt);
    });
    job->start();
}

void CredentialStore::save(const QString& mac, const StoredCredentials& credentials,
                           std::function<void(QString)> done) {
    const QString key = keyOf(mac);
    if (key.isEmpty()) {
        done(tr("not a MAC address"));
        return;
    }
    auto* job = newJob<QKeychain::WritePasswordJob>(key);
    job->setTextData(QString::fromStdString(credentialSecret(credentials)));
    connect(job, &QKeychain::Job::finished, this,
            [this, done = std::move(done)](QKeychain::Job* j) {
                if (serviceMissing(j->error())) {
                    setAvailability(false, j->errorString());
                }
                done(j->error() == QKeychain::NoError ? QString() : j->errorString());
            });
    job->start();
}

void CredentialStore::forget(const QString& mac, std::function<void(QString)> done) {
    const QString key = keyOf(mac);
    auto* job = newJob<QKeychain::DeletePasswordJob>(key);
    connect(job, &QKeychain::Job::finished, this, [done = std::move(done)](QKeychain::Job* j) {
        // Forgetting what was never kept is no failure.
        const bool gone =
            j->error() == QKeychain::NoError || j->error() == QKeychain::EntryNotFound;
        done(gone ? QString() : j->errorString());
    });
    job->start();
}

}  // namespace pelmora
