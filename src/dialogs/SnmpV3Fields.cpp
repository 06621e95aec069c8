#include "SnmpV3Fields.h"

#include "HintSwitch.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

const AuthProtocol kAuthChoices[] = {AuthProtocol::SHA1,   AuthProtocol::SHA224,
                                     AuthProtocol::SHA256, AuthProtocol::SHA384,
                                     AuthProtocol::SHA512, AuthProtocol::MD5};
const PrivProtocol kPrivChoices[] = {PrivProtocol::AES128, PrivProtocol::DES};
const SecurityLevel kLevelChoices[] = {SecurityLevel::NoAuthNoPriv, SecurityLevel::AuthNoPriv,
                                       SecurityLevel::AuthPriv};

const QString kOldDevices = QStringLiteral(" (old devices only)");

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

// Selects the item holding value; the fallback's item when none does.
template <typename T> void select(QComboBox* combo, T value, T fallback)
{
    int i = combo->findData(int(value));
    if (i < 0)
        i = combo->findData(int(fallback));
    combo->setCurrentIndex(i);
}

template <typename T> T selected(const QComboBox* combo)
{
    return T(combo->currentData().toInt());
}

bool longEnough(const QLineEdit* edit)
{
    return edit->text().toUtf8().size() >= SnmpV3Fields::kMinPasswordLength;
}

} // namespace

SnmpV3Fields::SnmpV3Fields(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SnmpV3Fields"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);

    const auto label = [this, grid](const char* text, int row, int column) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        grid->addWidget(l, row, column);
        return l;
    };
    const auto edit = [this, grid](const char* name, int row, int column) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        grid->addWidget(e, row, column);
        return e;
    };
    const auto combo = [this, grid](const char* name, int row, int column) {
        auto* c = new QComboBox(this);
        c->setObjectName(QString::fromLatin1(name));
        grid->addWidget(c, row, column);
        return c;
    };

    label("User Name", 0, 0);
    m_userNameEdit = edit("V3UserNameEdit", 0, 1);
    label("Security Level", 0, 2);
    m_levelCB = combo("V3SecurityLevelCB", 0, 3);
    m_authLBL = label("Authentication", 1, 0);
    m_authCB = combo("V3AuthProtocolCB", 1, 1);
    m_authPasswordLBL = label("Password", 1, 2);
    m_authPasswordEdit = edit("V3AuthPasswordEdit", 1, 3);
    m_privLBL = label("Privacy", 2, 0);
    m_privCB = combo("V3PrivProtocolCB", 2, 1);
    m_privPasswordLBL = label("Password", 2, 2);
    m_privPasswordEdit = edit("V3PrivPasswordEdit", 2, 3);

    for (const SecurityLevel level : kLevelChoices)
        m_levelCB->addItem(qs(securityLevelName(level)), int(level));
    for (const AuthProtocol protocol : kAuthChoices)
        m_authCB->addItem(qs(authProtocolName(protocol)) +
                              (protocol == AuthProtocol::MD5 ? kOldDevices : QString()),
                          int(protocol));
    for (const PrivProtocol protocol : kPrivChoices)
        m_privCB->addItem(qs(privProtocolName(protocol)) +
                              (protocol == PrivProtocol::DES ? kOldDevices : QString()),
                          int(protocol));
    for (QLineEdit* password : {m_authPasswordEdit, m_privPasswordEdit})
        password->setEchoMode(QLineEdit::Password);

    connect(m_levelCB, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this] { levelChange(); });
    setDefaults();
}

void SnmpV3Fields::setDefaults()
{
    SnmpV3User user;
    user.Level = SecurityLevel::AuthPriv;
    user.Auth = AuthProtocol::SHA256;
    user.Priv = PrivProtocol::AES128;
    setUser(user);
}

void SnmpV3Fields::setUser(const SnmpV3User& user)
{
    m_userNameEdit->setText(qs(user.UserName));
    select(m_levelCB, user.Level, SecurityLevel::AuthPriv);
    select(m_authCB, user.Auth, AuthProtocol::SHA256);
    select(m_privCB, user.Priv, PrivProtocol::AES128);
    m_authPasswordEdit->setText(qs(user.AuthPassword));
    m_privPasswordEdit->setText(qs(user.PrivPassword));
    levelChange();
}

SnmpV3User SnmpV3Fields::user() const
{
    SnmpV3User user;
    user.UserName = m_userNameEdit->text().toStdString();
    user.Level = level();
    user.Auth = selected<AuthProtocol>(m_authCB);
    user.AuthPassword = m_authPasswordEdit->text().toStdString();
    user.Priv = selected<PrivProtocol>(m_privCB);
    user.PrivPassword = m_privPasswordEdit->text().toStdString();
    return user;
}

SecurityLevel SnmpV3Fields::level() const
{
    return selected<SecurityLevel>(m_levelCB);
}

QString SnmpV3Fields::problem() const
{
    if (m_userNameEdit->text().isEmpty())
        return QStringLiteral("Enter the SNMPv3 user name.");
    if (level() != SecurityLevel::NoAuthNoPriv && !longEnough(m_authPasswordEdit))
        return QStringLiteral("The authentication password must have at least %1 characters.")
            .arg(kMinPasswordLength);
    if (level() == SecurityLevel::AuthPriv && !longEnough(m_privPasswordEdit))
        return QStringLiteral("The privacy password must have at least %1 characters.")
            .arg(kMinPasswordLength);
    return {};
}

void SnmpV3Fields::levelChange()
{
    const bool authenticated = level() != SecurityLevel::NoAuthNoPriv;
    const bool privacy = level() == SecurityLevel::AuthPriv;
    for (QWidget* w : std::initializer_list<QWidget*>{m_authLBL, m_authCB, m_authPasswordLBL,
                                                      m_authPasswordEdit})
        w->setEnabled(authenticated);
    for (QWidget* w : std::initializer_list<QWidget*>{m_privLBL, m_privCB, m_privPasswordLBL,
                                                      m_privPasswordEdit})
        w->setEnabled(privacy);
}

void SnmpV3Fields::addHints(HintSwitch& hints)
{
    hints.add(m_userNameEdit, QStringLiteral("The SNMPv3 user the device knows."));
    hints.add(m_levelCB,
              QStringLiteral("authPriv signs and encrypts every request; authNoPriv only signs "
                             "them; noAuthNoPriv does neither."));
    hints.add(m_authCB, QStringLiteral("How requests are signed, as set up on the device. MD5 "
                                       "is only there for old devices."));
    hints.add(m_authPasswordEdit,
              QStringLiteral("The user's authentication password, at least 8 characters."));
    hints.add(m_privCB, QStringLiteral("How requests are encrypted, as set up on the device. DES "
                                       "is only there for old devices."));
    hints.add(m_privPasswordEdit,
              QStringLiteral("The user's privacy password, at least 8 characters."));
}
