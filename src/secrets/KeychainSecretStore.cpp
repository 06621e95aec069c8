#include "KeychainSecretStore.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QEventLoop>
#include <QTimer>
#include <memory>
#include <optional>
#include <qt6keychain/keychain.h>

namespace {

const QString kSecretService = QStringLiteral("org.freedesktop.secrets");
// A D-Bus question to the keyring itself, never one that waits for the user.
constexpr int kQuestionTimeoutMs = 5000;

const char* const kLockedText = "the desktop keyring is locked";

// Whether any keyring QtKeychain can use is on the session bus, running or
// startable on demand. QtKeychain reports a missing one as an ordinary error.
bool keyringOnBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QStringList names = {kSecretService, QStringLiteral("org.kde.kwalletd5"),
                               QStringLiteral("org.kde.kwalletd6")};
    const QDBusReply<QStringList> activatable = bus.interface()->activatableServiceNames();
    for (const QString& name : names) {
        if (bus.interface()->isServiceRegistered(name).value() ||
            (activatable.isValid() && activatable.value().contains(name)))
            return true;
    }
    return false;
}

QDBusMessage askSecretService(const QString& path, const QString& interface, const QString& method,
                              const QVariantList& arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kSecretService, path, interface, method);
    call.setArguments(arguments);
    call.setAutoStartService(false);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, kQuestionTimeoutMs);
}

struct Found
{
    bool unlocked = false;
    bool locked = false;
};

// The Secret Service's entries of this service under key, by lock state.
// QtKeychain keeps its entries with the attributes "server" and "user"; the
// search reads attributes only, so a locked keyring answers it too.
Found searchEntries(const QString& service, const QString& key)
{
    qDBusRegisterMetaType<QMap<QString, QString>>();
    qDBusRegisterMetaType<QList<QDBusObjectPath>>();
    const QMap<QString, QString> attributes = {{QStringLiteral("server"), service},
                                               {QStringLiteral("user"), key}};
    const QDBusMessage reply =
        askSecretService(QStringLiteral("/org/freedesktop/secrets"),
                         QStringLiteral("org.freedesktop.Secret.Service"),
                         QStringLiteral("SearchItems"), {QVariant::fromValue(attributes)});
    Found found;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2)
        return found;
    found.unlocked = !qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().at(0)).isEmpty();
    found.locked = !qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().at(1)).isEmpty();
    return found;
}

// Whether the keyring new entries go to is locked.
bool defaultCollectionLocked()
{
    const QDBusMessage reply = askSecretService(
        QStringLiteral("/org/freedesktop/secrets/aliases/default"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
        {QStringLiteral("org.freedesktop.Secret.Collection"), QStringLiteral("Locked")});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return qvariant_cast<QDBusVariant>(reply.arguments().at(0)).variant().toBool();
}

// What a finished job means. A locked keyring hides its entries from a read
// whose unlock prompt was dismissed, and refuses writes: neither is an
// absent entry or an absent keyring.
SecretStatus outcome(const QKeychain::Job& job, const QString& service, const QString& key,
                     std::string& error)
{
    error = job.errorString().toStdString();
    switch (job.error()) {
    case QKeychain::NoError:
        error.clear();
        return SecretStatus::Ok;
    case QKeychain::EntryNotFound:
        if (searchEntries(service, key).locked) {
            error = kLockedText;
            return SecretStatus::Locked;
        }
        return SecretStatus::NotFound;
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        return SecretStatus::Unavailable;
    default:
        if (!keyringOnBus())
            return SecretStatus::Unavailable;
        if (defaultCollectionLocked()) {
            error = kLockedText;
            return SecretStatus::Locked;
        }
        return SecretStatus::Failed;
    }
}

// Runs a job to its end (or the time-out) and maps its error. The job is
// the heap's and deletes itself when done, also after the time-out, while
// the keyring may still be working on it.
SecretStatus run(QKeychain::Job* job, const QString& service, const QString& key, int timeoutMs,
                 std::string& error, QByteArray* data = nullptr)
{
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(key);
    QEventLoop loop;
    auto status = std::make_shared<std::optional<SecretStatus>>();
    auto text = std::make_shared<std::string>();
    auto bytes = std::make_shared<QByteArray>();
    QObject::connect(job, &QKeychain::Job::finished, &loop, [=, &loop] {
        *status = outcome(*job, service, key, *text);
        if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(job))
            *bytes = read->binaryData();
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    job->start();
    if (!*status)
        loop.exec();
    if (!*status) {
        // A keyring that is there but silent is most likely showing its
        // unlock prompt to a user who has not answered yet.
        if (!keyringOnBus()) {
            error = "the keyring did not answer";
            return SecretStatus::Unavailable;
        }
        error = std::string(kLockedText) + " (its unlock prompt was not answered)";
        return SecretStatus::Locked;
    }
    error = *text;
    if (data)
        *data = *bytes;
    return **status;
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
    auto* job = new QKeychain::WritePasswordJob(qtText(m_service));
    job->setBinaryData(QByteArray(secret.data(), static_cast<qsizetype>(secret.size())));
    return run(job, qtText(m_service), qtText(key), TimeoutMs, error);
}

SecretStatus KeychainSecretStore::read(const std::string& key, std::string& secret,
                                       std::string& error)
{
    secret.clear();
    QByteArray data;
    const SecretStatus status = run(new QKeychain::ReadPasswordJob(qtText(m_service)),
                                    qtText(m_service), qtText(key), TimeoutMs, error, &data);
    if (status == SecretStatus::Ok)
        secret.assign(data.constData(), static_cast<std::size_t>(data.size()));
    return status;
}

void KeychainSecretStore::readLater(const std::string& key,
                                    std::function<void(const SecretReply&)> done)
{
    const QString service = qtText(m_service);
    const QString name = qtText(key);
    auto* job = new QKeychain::ReadPasswordJob(service);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(name);
    // No time-out: a locked keyring asks the user to unlock it, and the
    // answer takes what it takes; the program goes on meanwhile.
    QObject::connect(job, &QKeychain::Job::finished, job, [job, service, name, done] {
        SecretReply reply;
        reply.status = outcome(*job, service, name, reply.error);
        if (reply.status == SecretStatus::Ok) {
            const QByteArray data = job->binaryData();
            reply.secret.assign(data.constData(), static_cast<std::size_t>(data.size()));
        }
        done(reply);
    });
    job->start();
}

SecretStatus KeychainSecretStore::readable(const std::string& key)
{
    const Found found = searchEntries(qtText(m_service), qtText(key));
    if (found.unlocked)
        return SecretStatus::Ok;
    if (found.locked || defaultCollectionLocked())
        return SecretStatus::Locked;
    return SecretStatus::Ok;
}

bool KeychainSecretStore::present()
{
    return keyringOnBus();
}

SecretStatus KeychainSecretStore::remove(const std::string& key, std::string& error)
{
    const SecretStatus status = run(new QKeychain::DeletePasswordJob(qtText(m_service)),
                                    qtText(m_service), qtText(key), TimeoutMs, error);
    return status == SecretStatus::NotFound ? SecretStatus::Ok : status;
}
