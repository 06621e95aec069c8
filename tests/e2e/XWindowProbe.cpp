#include "XWindowProbe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace {

// Windows can vanish between listing and asking; such errors mean "gone".
int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace

XWindowProbe::XWindowProbe(const std::string& display)
{
    XSetErrorHandler(ignoreErrors);
    m_display = XOpenDisplay(display.c_str());
}

XWindowProbe::~XWindowProbe()
{
    if (m_display)
        XCloseDisplay(m_display);
}

XWindowProbe::Geometry XWindowProbe::screen() const
{
    Geometry g;
    g.width = DisplayWidth(m_display, DefaultScreen(m_display));
    g.height = DisplayHeight(m_display, DefaultScreen(m_display));
    return g;
}

std::vector<XWindowProbe::Window> XWindowProbe::allWindows() const
{
    std::vector<Window> out;
    std::vector<Window> pending{DefaultRootWindow(m_display)};
    while (!pending.empty()) {
        const Window w = pending.back();
        pending.pop_back();
        ::Window root = 0, parent = 0;
        ::Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(m_display, w, &root, &parent, &children, &count))
            continue;
        for (unsigned i = 0; i < count; ++i) {
            out.push_back(children[i]);
            pending.push_back(children[i]);
        }
        if (children)
            XFree(children);
    }
    return out;
}

std::vector<XWindowProbe::Window> XWindowProbe::windowsOf(pid_t pid) const
{
    std::vector<Window> out;
    for (Window w : allWindows()) {
        const auto value = cardinals(w, "_NET_WM_PID");
        if (value.size() == 1 && static_cast<pid_t>(value[0]) == pid)
            out.push_back(w);
    }
    return out;
}

std::optional<XWindowProbe::Window> XWindowProbe::topLevel(pid_t pid,
                                                           const std::string& wanted) const
{
    const Window root = DefaultRootWindow(m_display);
    // Without a window manager a top-level window is a child of the root;
    // with one, of the manager's frame. Either way it carries the title.
    (void)root;
    for (Window w : windowsOf(pid)) {
        if (viewable(w) && !overrideRedirect(w) && title(w) == wanted)
            return w;
    }
    return std::nullopt;
}

std::optional<XWindowProbe::Window> XWindowProbe::embedded(pid_t pid) const
{
    const Window root = DefaultRootWindow(m_display);
    const auto mine = windowsOf(pid);
    for (Window w : mine) {
        const Window p = parent(w);
        if (p == 0 || p == root || !viewable(w))
            continue;
        // Not a child of one of the program's own windows, nor a window a
        // window manager manages in its frame (those carry WM_STATE).
        if (std::find(mine.begin(), mine.end(), p) == mine.end() &&
            cardinals(w, "WM_STATE").empty())
            return w;
    }
    return std::nullopt;
}

XWindowProbe::Window XWindowProbe::trayOwner() const
{
    const Atom selection = XInternAtom(m_display, "_NET_SYSTEM_TRAY_S0", False);
    return XGetSelectionOwner(m_display, selection);
}

void XWindowProbe::announceOneDesktop()
{
    const Window root = DefaultRootWindow(m_display);
    const long one = 1, zero = 0;
    XChangeProperty(m_display, root, XInternAtom(m_display, "_NET_NUMBER_OF_DESKTOPS", False),
                    XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&one),
                    1);
    XChangeProperty(m_display, root, XInternAtom(m_display, "_NET_CURRENT_DESKTOP", False),
                    XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&zero),
                    1);
    XSync(m_display, False);
}

bool XWindowProbe::viewable(Window window) const
{
    XWindowAttributes a;
    return XGetWindowAttributes(m_display, window, &a) && a.map_state == IsViewable;
}

bool XWindowProbe::overrideRedirect(Window window) const
{
    XWindowAttributes a;
    return XGetWindowAttributes(m_display, window, &a) && a.override_redirect;
}

XWindowProbe::Geometry XWindowProbe::geometry(Window window) const
{
    Geometry g;
    XWindowAttributes a;
    if (!XGetWindowAttributes(m_display, window, &a))
        return g;
    ::Window child = 0;
    XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), 0, 0, &g.x, &g.y,
                          &child);
    g.width = a.width;
    g.height = a.height;
    return g;
}

std::string XWindowProbe::title(Window window) const
{
    const Atom name = XInternAtom(m_display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(m_display, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string out;
    if (XGetWindowProperty(m_display, window, name, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        if (type == utf8 && format == 8)
            out.assign(reinterpret_cast<const char*>(data), count);
        XFree(data);
    }
    return out;
}

XWindowProbe::Window XWindowProbe::parent(Window window) const
{
    ::Window root = 0, parent = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(m_display, window, &root, &parent, &children, &count))
        return 0;
    if (children)
        XFree(children);
    return parent;
}

std::vector<std::string> XWindowProbe::atoms(Window window, const char* property) const
{
    std::vector<std::string> out;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_display, window, XInternAtom(m_display, property, False), 0, 1024,
                           False, XA_ATOM, &type, &format, &count, &after, &data) != Success ||
        !data)
        return out;
    if (type == XA_ATOM && format == 32) {
        const auto* list = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            char* name = XGetAtomName(m_display, list[i]);
            if (name) {
                out.emplace_back(name);
                XFree(name);
            }
        }
    }
    XFree(data);
    return out;
}

std::vector<std::uint32_t> XWindowProbe::cardinals(Window window, const char* property) const
{
    std::vector<std::uint32_t> out;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_display, window, XInternAtom(m_display, property, False), 0, 1024,
                           False, AnyPropertyType, &type, &format, &count, &after,
                           &data) != Success ||
        !data)
        return out;
    if (format == 32) {
        // Xlib hands 32-bit items over as longs.
        const auto* items = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i)
            out.push_back(static_cast<std::uint32_t>(items[i]));
    }
    XFree(data);
    return out;
}

std::vector<int> XWindowProbe::rowsWithColor(Window window, std::uint32_t rgb) const
{
    std::vector<int> rows;
    XWindowAttributes a;
    if (!XGetWindowAttributes(m_display, window, &a))
        return rows;
    XImage* image = XGetImage(m_display, window, 0, 0, static_cast<unsigned>(a.width),
                              static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
    if (!image)
        return rows;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if ((XGetPixel(image, x, y) & 0xFFFFFFu) == rgb) {
                rows.push_back(y);
                break;
            }
        }
    }
    XDestroyImage(image);
    return rows;
}

namespace {

XWindowProbe::Image readImage(Display* display, ::Window window, int x, int y, int width,
                              int height)
{
    XWindowProbe::Image out;
    if (width <= 0 || height <= 0)
        return out;
    XImage* image = XGetImage(display, window, x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image)
        return out;
    out.width = width;
    out.height = height;
    out.pixels.resize(std::size_t(width) * height);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            out.pixels[std::size_t(row) * width + column] =
                static_cast<std::uint32_t>(XGetPixel(image, column, row) & 0xFFFFFFu);
    XDestroyImage(image);
    return out;
}

} // namespace

XWindowProbe::Image XWindowProbe::image(Window window) const
{
    XWindowAttributes a;
    if (!XGetWindowAttributes(m_display, window, &a))
        return {};
    return readImage(m_display, window, 0, 0, a.width, a.height);
}

XWindowProbe::Image XWindowProbe::screenImage(const Geometry& area) const
{
    return readImage(m_display, DefaultRootWindow(m_display), area.x, area.y, area.width,
                     area.height);
}

bool XWindowProbe::windowManagerRunning() const
{
    const auto check = cardinals(DefaultRootWindow(m_display), "_NET_SUPPORTING_WM_CHECK");
    return check.size() == 1 && check[0] != 0 &&
           !cardinals(check[0], "_NET_SUPPORTING_WM_CHECK").empty();
}

bool XWindowProbe::compositorRunning() const
{
    const Atom selection = XInternAtom(m_display, "_NET_WM_CM_S0", False);
    return XGetSelectionOwner(m_display, selection) != 0;
}

int XWindowProbe::stackingIndex(Window window) const
{
    const Window root = DefaultRootWindow(m_display);
    Window top = window;
    while (top != 0) {
        const Window up = parent(top);
        if (up == root)
            break;
        top = up;
    }
    if (top == 0)
        return -1;
    ::Window r = 0, p = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    int index = -1;
    if (XQueryTree(m_display, root, &r, &p, &children, &count)) {
        // Bottom-most first.
        for (unsigned i = 0; i < count; ++i)
            if (children[i] == top)
                index = static_cast<int>(i);
        if (children)
            XFree(children);
    }
    return index;
}

std::pair<XWindowProbe::Geometry, XWindowProbe::Geometry>
XWindowProbe::sizeLimits(Window window) const
{
    Geometry minimum, maximum;
    XSizeHints hints{};
    long supplied = 0;
    if (XGetWMNormalHints(m_display, window, &hints, &supplied)) {
        if (hints.flags & PMinSize) {
            minimum.width = hints.min_width;
            minimum.height = hints.min_height;
        }
        if (hints.flags & PMaxSize) {
            maximum.width = hints.max_width;
            maximum.height = hints.max_height;
        }
    }
    return {minimum, maximum};
}

void XWindowProbe::requestClose(Window window) const
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_display, window, False, NoEventMask, &event);
    XSync(m_display, False);
}

void XWindowProbe::setRootColor(std::uint32_t rgb)
{
    const Window root = DefaultRootWindow(m_display);
    XSetWindowBackground(m_display, root, rgb);
    XClearWindow(m_display, root);
    // A compositor draws the background from the desktop's wallpaper
    // pixmap, as wallpaper setters announce it, not from the root window.
    const int depth = DefaultDepth(m_display, DefaultScreen(m_display));
    const Pixmap wallpaper = XCreatePixmap(m_display, root, 8, 8, static_cast<unsigned>(depth));
    GC gc = XCreateGC(m_display, wallpaper, 0, nullptr);
    XSetForeground(m_display, gc, rgb);
    XFillRectangle(m_display, wallpaper, gc, 0, 0, 8, 8);
    XFreeGC(m_display, gc);
    for (const char* name : {"_XROOTPMAP_ID", "_XSETROOT_ID"})
        XChangeProperty(m_display, root, XInternAtom(m_display, name, False), XA_PIXMAP, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&wallpaper), 1);
    XSync(m_display, False);
}
