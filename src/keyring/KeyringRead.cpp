#include "keyring/KeyringRead.h"

#include <qt6keychain/keychain.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <memory>

namespace pelmora {

KeyringRead readKeptCredentials(const std::string& mac, std::chrono::milliseconds timeout) {
    KeyringRead result;
    const auto key = credentialKey(mac);
    if (key.empty()) {
        result.reason = "not a MAC address: " + mac;
        return result;
    }
    // The jobs answer through an event loop, which needs an application object.
    std::unique_ptr<QCoreApplication> application;
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "pelmora-cli";
        static char* argv[] = {name, nullptr};
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    // Deleted once it has answered; one that never does is left alone, since deleting it with
    // its call under way would have it called back all the same.
    auto* pending = new QKeychain::ReadPasswordJob(QString::fromLatin1(kCredentialService));
    pending->setAutoDelete(false);
    pending->setInsecureFallback(false);
    pending->setKey(QString::fromStdString(key));
    QEventLoop loop;
    bool finished = false;
    QObject::connect(pending, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    pending->start();
    if (!finished) {
        loop.exec();
    }
    if (!finished) {
        result.reason = "the Secret Service did not answer within " +
                        std::to_string(timeout.count() / 1000) + " s";
        return result;
    }
    const std::unique_ptr<QKeychain::ReadPasswordJob> answered(pending);
    const auto& job = *answered;
    switch (job.error()) {
        case QKeychain::NoError:
            result.serviceReachable = true;
            result.credentials = parseCredentialSecret(job.textData().toStdString());
            if (!result.credentials) {
                result.reason = "what is kept for " + key + " is not a name and password";
            }
            break;
        case QKeychain::EntryNotFound:
            result.serviceReachable = true;
            result.reason = "no password is kept for " + key;
            break;
        default:
            result.reason =
                "no Secret Service is reachable (" + job.errorString().toStdString() + ")";
            break;
    }
    return result;
}

}  // namespace pelmora
