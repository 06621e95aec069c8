#include "ShellWindowStates.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace ShellWindowStates {
namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::vector<xcb_atom_t> readStates(xcb_connection_t* connection, xcb_window_t window,
                                   xcb_atom_t property)
{
    std::vector<xcb_atom_t> states;
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, window, property, XCB_ATOM_ATOM, 0, 1024);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    if (!reply || reply->format != 32 || reply->type != XCB_ATOM_ATOM)
        return states;
    const int length = xcb_get_property_value_length(reply.get());
    if (length <= 0)
        return states;
    const auto* items = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    states.assign(items, items + std::size_t(length) / sizeof(xcb_atom_t));
    return states;
}

// The request a window manager acts on for a mapped window.
void ask(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window, xcb_atom_t property,
         bool add, xcb_atom_t first, xcb_atom_t second)
{
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = property;
    event.data.data32[0] = add ? 1 : 0; // _NET_WM_STATE_ADD / _REMOVE
    event.data.data32[1] = first;
    event.data.data32[2] = second;
    event.data.data32[3] = 1; // from an application
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

} // namespace

void apply(QWidget* window, bool above)
{
    if (!window || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!id || !screen)
        return;

    const xcb_atom_t state = atom(connection, "_NET_WM_STATE");
    const xcb_atom_t skipTaskbar = atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    const xcb_atom_t skipPager = atom(connection, "_NET_WM_STATE_SKIP_PAGER");
    const xcb_atom_t aboveState = atom(connection, "_NET_WM_STATE_ABOVE");
    if (!state || !skipTaskbar || !skipPager || !aboveState)
        return;

    // The property: what the window manager reads when it takes the window
    // on, and what panels read when there is no window manager.
    std::vector<xcb_atom_t> states = readStates(connection, id, state);
    const auto set = [&states](xcb_atom_t item, bool on) {
        const auto at = std::find(states.begin(), states.end(), item);
        if (on && at == states.end())
            states.push_back(item);
        else if (!on && at != states.end())
            states.erase(at);
    };
    set(skipTaskbar, true);
    set(skipPager, true);
    set(aboveState, above);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(states.size()), states.data());

    // The requests: a window manager that manages the window already keeps
    // its own copy of the states and changes it only when asked.
    ask(connection, screen->root, id, state, true, skipTaskbar, skipPager);
    ask(connection, screen->root, id, state, above, aboveState, xcb_atom_t(XCB_ATOM_NONE));
    xcb_flush(connection);
}

} // namespace ShellWindowStates
