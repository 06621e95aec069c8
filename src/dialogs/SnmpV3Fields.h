#pragma once

#include "SnmpV3User.h"

#include <QWidget>

class HintSwitch;
class QComboBox;
class QLabel;
class QLineEdit;

// The device dialog's SNMPv3 user: name, security level, authentication and
// privacy protocols and their passwords. Fields the chosen level does not use
// are disabled; the passwords are masked.
class SnmpV3Fields : public QWidget
{
    Q_OBJECT

public:
    explicit SnmpV3Fields(QWidget* parent = nullptr);

    // What a new SNMPv3 device starts with: authenticated and private, with
    // the current protocols.
    void setDefaults();
    void setUser(const SnmpV3User& user);
    SnmpV3User user() const;

    // Why the fields cannot make a request, as a message for the user; empty
    // when they can. Agents refuse passwords shorter than 8 octets.
    QString problem() const;
    static constexpr int kMinPasswordLength = 8;

    void addHints(HintSwitch& hints);

private:
    void levelChange();
    SecurityLevel level() const;

    QLineEdit* m_userNameEdit = nullptr;
    QComboBox* m_levelCB = nullptr;
    QLabel* m_authLBL = nullptr;
    QComboBox* m_authCB = nullptr;
    QLabel* m_authPasswordLBL = nullptr;
    QLineEdit* m_authPasswordEdit = nullptr;
    QLabel* m_privLBL = nullptr;
    QComboBox* m_privCB = nullptr;
    QLabel* m_privPasswordLBL = nullptr;
    QLineEdit* m_privPasswordEdit = nullptr;
};
