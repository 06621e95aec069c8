#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

// What the X server knows about the windows of a display, read the way a
// window manager or a panel would read it (Xlib), so the tests see the
// program from outside.
class XWindowProbe
{
public:
    using Window = unsigned long;

    struct Geometry
    {
        int x = 0; // root coordinates of the top left corner
        int y = 0;
        int width = 0;
        int height = 0;
    };

    explicit XWindowProbe(const std::string& display);
    ~XWindowProbe();
    XWindowProbe(const XWindowProbe&) = delete;
    XWindowProbe& operator=(const XWindowProbe&) = delete;

    bool connected() const { return m_display != nullptr; }
    Geometry screen() const;

    // Every window of the process `pid` (by _NET_WM_PID) anywhere in the tree.
    std::vector<Window> windowsOf(pid_t pid) const;
    // The process's viewable top-level window titled `title`, if any.
    std::optional<Window> topLevel(pid_t pid, const std::string& title) const;
    // The process's viewable window that another client (the tray host) has
    // taken into one of its own windows.
    std::optional<Window> embedded(pid_t pid) const;
    // The owner of the notification area of screen 0, or 0.
    Window trayOwner() const;

    // Tells panels that this desktop has one workspace, as a window manager
    // would; without it tint2 waits 15 s for one before it docks anything.
    void announceOneDesktop();

    bool viewable(Window window) const;
    bool overrideRedirect(Window window) const;
    Geometry geometry(Window window) const;
    std::string title(Window window) const;
    Window parent(Window window) const;
    // Atom names of an ATOM-list property (_NET_WM_STATE, _NET_WM_WINDOW_TYPE).
    std::vector<std::string> atoms(Window window, const char* property) const;
    // 32-bit items of a CARDINAL or _MOTIF_WM_HINTS property.
    std::vector<std::uint32_t> cardinals(Window window, const char* property) const;

    // Rows of the window (top to bottom) that hold at least one pixel of the
    // colour 0xRRGGBB.
    std::vector<int> rowsWithColor(Window window, std::uint32_t rgb) const;

    // The window's pixels as 0xRRGGBB, row by row; empty when unreadable.
    struct Image
    {
        int width = 0;
        int height = 0;
        std::vector<std::uint32_t> pixels;
        std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
    };
    Image image(Window window) const;
    // What the screen shows in a rectangle of the root window (after any
    // compositor has drawn it).
    Image screenImage(const Geometry& area) const;

    // Paints the desktop background (the root window) in 0xRRGGBB.
    void setRootColor(std::uint32_t rgb);
    // A window manager / a compositor has taken the screen.
    bool windowManagerRunning() const;
    bool compositorRunning() const;
    // Place in the stacking order of the top-level window (or the window
    // manager's frame) that holds `window`: higher is nearer the viewer; -1
    // when it is not on the screen.
    int stackingIndex(Window window) const;
    // The minimum and maximum size the window asks for (WM_NORMAL_HINTS);
    // zero sizes when it names none.
    std::pair<Geometry, Geometry> sizeLimits(Window window) const;
    // Sends WM_DELETE_WINDOW, the close request a window manager's close
    // button, Alt+F4 or a session's end makes.
    void requestClose(Window window) const;

private:
    std::vector<Window> allWindows() const;

    struct _XDisplay* m_display = nullptr;
};
