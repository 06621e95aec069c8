#include "KeychainSecretStore.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace {

// Whether any keyring QtKeychain can use is on the session bus, running or
// startable on demand. QtKeychain reports a missing one as an ordinary error.
bool keyringOnBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QStringList names = {QStringLiteral("org.freedesktop.secrets"),
                               QStringLiteral("org.kde.kwalletd5"),
                               QStringLiteral("org.kde.kwalletd6")};
    const QDBusReply<QStringList> activatable = bus.interface()->activatableServiceNames();
    for (const QString& name : names) {
        if (bus.interface()->isServiceRegistered(name).value() ||
            (activatable.isValid() && activatable.value().contains(name)))
            return true;
    }
    return false;
}

// Runs a job to its end (or the time-out) and maps its error.
SecretStatus run(QKeychain::Job& job, int timeoutMs, std::string& error)
{
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    job.start();
    if (!finished)
        loop.exec();
    if (!finished) {
        error = "the keyring did not answer";
        return SecretStatus::Unavailable;
    }
    error = job.errorString().toStdString();
    switch (job.error()) {
    case QKeychain::NoError:
        error.clear();
        return SecretStatus::Ok;
    case QKeychain::EntryNotFound:
        return SecretStatus::NotFound;
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        return SecretStatus::Unavailable;
    default:
        return keyringOnBus() ? SecretStatus::Failed : SecretStatus::Unavailable;
    }
}

QString qtText(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

KeychainSecretStore::KeychainSecretStore(std::string service) : m_service(std::move(service)) {}

SecretStatus KeychainSecretStore::store(const std::string& key, const std::string& secret,
                                        std::string& error)
{
    QKeychain::WritePasswordJob job(qtText(m_service));
    job.setKey(qtText(key));
    job.setBinaryData(QByteArray(secret.data(), static_cast<qsizetype>(secret.size())));
    return run(job, TimeoutMs, error);
}

SecretStatus KeychainSecretStore::read(const std::string& key, std::string& secret,
                                       std::string& error)
{
    secret.clear();
    QKeychain::ReadPasswordJob job(qtText(m_service));
    job.setKey(qtText(key));
    const SecretStatus status = run(job, TimeoutMs, error);
    if (status == SecretStatus::Ok) {
        const QByteArray data = job.binaryData();
        secret.assign(data.constData(), static_cast<std::size_t>(data.size()));
    }
    return status;
}

SecretStatus KeychainSecretStore::remove(const std::string& key, std::string& error)
{
    QKeychain::DeletePasswordJob job(qtText(m_service));
    job.setKey(qtText(key));
    const SecretStatus status = run(job, TimeoutMs, error);
    return status == SecretStatus::NotFound ? SecretStatus::Ok : status;
}
