#pragma once

#include <QObject>

#include <memory>

// Whether the desktop has a notification area, learnt from the desktop's own
// announcements: a panel that starts or quits is noticed when it happens,
// and nothing is asked of the display server while nothing changes.
class TrayPresence : public QObject
{
    Q_OBJECT

public:
    // The watch for the platform the application runs on; `initial` is the
    // presence as the caller knows it now.
    static std::unique_ptr<TrayPresence> create(bool initial);

    bool available() const { return m_available; }

signals:
    // Sent once per change, never twice with the same value.
    void changed(bool available);

protected:
    explicit TrayPresence(bool initial) : m_available(initial) {}
    // Implementations report what they learnt; repeats are dropped here.
    void report(bool available);

private:
    bool m_available;
};
