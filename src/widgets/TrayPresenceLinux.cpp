#include "TrayPresence.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <cstring>
#include <memory>

// Two kinds of notification area live on a Linux desktop: the XEmbed tray,
// whose panel owns the selection _NET_SYSTEM_TRAY_S<screen>, and the
// StatusNotifier host reached over the session bus. The X server reports a
// change of the selection's owner through XFixes and the bus reports the
// watcher's name coming and going, so neither is asked at every tick.
namespace {

// The watcher StatusNotifier icons register with.
const char* const NotifierWatcher = "org.kde.StatusNotifierWatcher";

using Reply = std::unique_ptr<void, decltype(&std::free)>;

class TrayPresenceLinux final : public TrayPresence, public QAbstractNativeEventFilter
{
public:
    explicit TrayPresenceLinux(bool initial) : TrayPresence(initial)
    {
        watchSelection();
        watchBus(initial);
    }

    ~TrayPresenceLinux() override
    {
        if (m_selection != XCB_ATOM_NONE)
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t" || message == nullptr)
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != m_notifyEvent)
            return false;
        const auto* notify = static_cast<const xcb_xfixes_selection_notify_event_t*>(message);
        if (notify->selection != m_selection)
            return false;
        // A new owner, or the old one gone with its window or its connection.
        m_xOwned = notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER &&
                   notify->owner != XCB_WINDOW_NONE;
        reportBoth();
        // Qt's own tray code may want the event as well.
        return false;
    }

private:
    void watchSelection()
    {
        const auto* x11 =
            qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
        if (connection == nullptr)
            return;
        const xcb_query_extension_reply_t* xfixes =
            xcb_get_extension_data(connection, &xcb_xfixes_id);
        if (xfixes == nullptr || !xfixes->present)
            return;
        int screen = 0;
        char* host = nullptr;
        int display = 0;
        if (xcb_parse_display(nullptr, &host, &display, &screen))
            std::free(host);
        else
            screen = 0;
        xcb_screen_iterator_t roots = xcb_setup_roots_iterator(xcb_get_setup(connection));
        for (int i = 0; i < screen && roots.rem > 0; ++i)
            xcb_screen_next(&roots);
        if (roots.rem <= 0)
            return;
        const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen);
        Reply atom(xcb_intern_atom_reply(connection,
                                         xcb_intern_atom(connection, 0,
                                                         static_cast<std::uint16_t>(name.size()),
                                                         name.constData()),
                                         nullptr),
                   &std::free);
        if (!atom)
            return;
        m_selection = static_cast<xcb_intern_atom_reply_t*>(atom.get())->atom;
        m_notifyEvent =
            static_cast<std::uint8_t>(xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
        // Qt has already agreed a version of XFixes on this connection.
        xcb_xfixes_select_selection_input(
            connection, roots.data->root, m_selection,
            XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        // Asked once, after the watch is in place, so no change falls between.
        Reply owner(xcb_get_selection_owner_reply(
                        connection, xcb_get_selection_owner(connection, m_selection), nullptr),
                    &std::free);
        m_xOwned = owner && static_cast<xcb_get_selection_owner_reply_t*>(owner.get())->owner !=
                                XCB_WINDOW_NONE;
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    void watchBus(bool initial)
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return;
        // What is there now was part of `initial`: whatever it saw that is
        // not the X tray is the bus's.
        m_busHost = initial && !m_xOwned;
        m_busWatch =
            std::make_unique<QDBusServiceWatcher>(QString::fromLatin1(NotifierWatcher), bus,
                                                  QDBusServiceWatcher::WatchForRegistration |
                                                      QDBusServiceWatcher::WatchForUnregistration);
        connect(m_busWatch.get(), &QDBusServiceWatcher::serviceRegistered, this, [this] {
            m_busHost = true;
            reportBoth();
        });
        connect(m_busWatch.get(), &QDBusServiceWatcher::serviceUnregistered, this, [this] {
            m_busHost = false;
            reportBoth();
        });
    }

    void reportBoth() { report(m_xOwned || m_busHost); }

    xcb_atom_t m_selection = XCB_ATOM_NONE;
    std::uint8_t m_notifyEvent = 0;
    bool m_xOwned = false;
    bool m_busHost = false;
    std::unique_ptr<QDBusServiceWatcher> m_busWatch;
};

} // namespace

std::unique_ptr<TrayPresence> TrayPresence::create(bool initial)
{
    return std::make_unique<TrayPresenceLinux>(initial);
}
