#include "WindowCover.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <map>
#include <memory>

// The X server sends VisibilityNotify to the clients that ask for it: fully
// obscured when no pixel of the window can be seen, and (partially)
// unobscured again when one can. Under a compositor every window counts as
// unobscured, which is right: its picture may be shown elsewhere.
namespace WindowCover {
namespace {

class Watch final : public QAbstractNativeEventFilter
{
public:
    static Watch& instance()
    {
        static Watch* watch = [] {
            auto* created = new Watch();
            QCoreApplication::instance()->installNativeEventFilter(created);
            return created;
        }();
        return *watch;
    }

    void watch(QWidget* window)
    {
        const auto* x11 =
            qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
        if (connection == nullptr || window == nullptr)
            return;
        const auto id = static_cast<xcb_window_t>(window->winId());
        const auto known = m_windows.find(id);
        if (known != m_windows.end() && known->second.window == window)
            return;
        // The event mask is this connection's own: Qt's selection is kept and
        // visibility changes are added to it.
        std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
            xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id),
                                            nullptr),
            &std::free);
        if (!attributes)
            return;
        const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
        xcb_change_window_attributes(connection, id, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection);
        m_windows[id] = Followed{window, false};
    }

    bool covered(const QWidget* window) const
    {
        if (window == nullptr || !window->testAttribute(Qt::WA_WState_Created))
            return false;
        const auto found = m_windows.find(static_cast<xcb_window_t>(window->internalWinId()));
        return found != m_windows.end() && found->second.window == window && found->second.covered;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t" || message == nullptr)
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const int type = event->response_type & 0x7f;
        if (type == XCB_DESTROY_NOTIFY) {
            m_windows.erase(static_cast<const xcb_destroy_notify_event_t*>(message)->window);
            return false;
        }
        if (type != XCB_VISIBILITY_NOTIFY)
            return false;
        const auto* notify = static_cast<const xcb_visibility_notify_event_t*>(message);
        const auto found = m_windows.find(notify->window);
        if (found == m_windows.end())
            return false;
        Followed& followed = found->second;
        const bool wasCovered = followed.covered;
        followed.covered = notify->state == XCB_VISIBILITY_FULLY_OBSCURED;
        if (wasCovered && !followed.covered && followed.window)
            QCoreApplication::postEvent(followed.window, new QEvent(uncoveredEvent()));
        return false;
    }

private:
    struct Followed
    {
        QPointer<QWidget> window;
        bool covered = false;
    };
    std::map<xcb_window_t, Followed> m_windows;
};

} // namespace

void watch(QWidget* window)
{
    Watch::instance().watch(window);
}

bool covered(const QWidget* window)
{
    return Watch::instance().covered(window);
}

QEvent::Type uncoveredEvent()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

} // namespace WindowCover
