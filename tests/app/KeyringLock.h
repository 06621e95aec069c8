#pragma once

// Locks and unlocks the keyring of a test's own Secret Service (a
// SecretServicePeer) the way the user would: Lock, and the unlock prompt
// answered with the keyring's password, through GNOME Keyring's own call for
// that. Needs the process's session bus to be the test's.

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <string>

namespace KeyringLock {

struct Secret
{
    QDBusObjectPath session;
    QByteArray parameters;
    QByteArray value;
    QString contentType;
};

inline QDBusArgument& operator<<(QDBusArgument& out, const Secret& secret)
{
    out.beginStructure();
    out << secret.session << secret.parameters << secret.value << secret.contentType;
    out.endStructure();
    return out;
}

inline const QDBusArgument& operator>>(const QDBusArgument& in, Secret& secret)
{
    in.beginStructure();
    in >> secret.session >> secret.parameters >> secret.value >> secret.contentType;
    in.endStructure();
    return in;
}

inline QDBusMessage call(const QString& interface, const QString& method, const QVariantList& args)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.secrets"), QStringLiteral("/org/freedesktop/secrets"),
        interface, method);
    message.setArguments(args);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 10000);
}

inline QDBusObjectPath defaultKeyring()
{
    const QDBusMessage reply = call(QStringLiteral("org.freedesktop.Secret.Service"),
                                    QStringLiteral("ReadAlias"), {QStringLiteral("default")});
    return reply.arguments().isEmpty() ? QDBusObjectPath()
                                       : qvariant_cast<QDBusObjectPath>(reply.arguments().at(0));
}

// Empty when done, else D-Bus's error.
inline std::string lock()
{
    qDBusRegisterMetaType<QList<QDBusObjectPath>>();
    const QDBusMessage reply =
        call(QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("Lock"),
             {QVariant::fromValue(QList<QDBusObjectPath>{defaultKeyring()})});
    return reply.type() == QDBusMessage::ErrorMessage ? reply.errorMessage().toStdString() : "";
}

inline std::string unlock(const std::string& password)
{
    qDBusRegisterMetaType<Secret>();
    const QDBusMessage session =
        call(QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("OpenSession"),
             {QStringLiteral("plain"), QVariant::fromValue(QDBusVariant(QString()))});
    if (session.type() == QDBusMessage::ErrorMessage || session.arguments().size() != 2)
        return "no session: " + session.errorMessage().toStdString();
    Secret secret{qvariant_cast<QDBusObjectPath>(session.arguments().at(1)), QByteArray(),
                  QByteArray::fromStdString(password), QStringLiteral("text/plain")};
    const QDBusMessage reply =
        call(QStringLiteral("org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface"),
             QStringLiteral("UnlockWithMasterPassword"),
             {QVariant::fromValue(defaultKeyring()), QVariant::fromValue(secret)});
    return reply.type() == QDBusMessage::ErrorMessage ? reply.errorMessage().toStdString() : "";
}

} // namespace KeyringLock

Q_DECLARE_METATYPE(KeyringLock::Secret)
