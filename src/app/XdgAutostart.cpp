#include "XdgAutostart.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace XdgAutostart {

namespace {

std::string configHome()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config";
}

// The Exec key takes the program as one quoted argument: inside the quotes
// ", `, $ and \ are escaped with a backslash, and the value itself escapes
// every backslash once more; % is a field code unless doubled.
std::string quotedExec(const std::string& path)
{
    std::string quoted = "\"";
    for (const char c : path) {
        if (c == '"' || c == '`' || c == '$')
            quoted += "\\\\";
        if (c == '\\')
            quoted += "\\\\\\";
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

// A string value escapes the backslash; the caller has refused line breaks.
std::string stringValue(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        if (c == '\\')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

bool makeFolder(const std::string& path)
{
    if (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST)
        return true;
    return false;
}

bool writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

} // namespace

std::string entryPath()
{
    return configHome() + "/autostart/Travimetra.desktop";
}

std::optional<std::string> entryText(const std::string& executable)
{
    if (executable.empty() || executable[0] != '/' ||
        executable.find_first_of(std::string("\n\r\0", 3)) != std::string::npos)
        return std::nullopt;
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Travimetra\n"
           "Comment=Network traffic monitor\n"
           "Exec=" +
           quotedExec(executable) +
           "\n"
           // A desktop skips the entry when the program is gone, and shows
           // the program's icon in its list of start-up applications.
           "TryExec=" +
           stringValue(executable) +
           "\n"
           "Icon=com.quorvane.Travimetra\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool writeEntry(const std::string& executable)
{
    const auto text = entryText(executable);
    if (!text)
        return false;
    // The autostart folder appears only when something first needs it.
    const std::string config = configHome();
    if (!makeFolder(config) || !makeFolder(config + "/autostart"))
        return false;
    const std::string path = entryPath();
    const std::string temporary = path + ".tmp";
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, *text) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool removeEntry()
{
    return ::unlink(entryPath().c_str()) == 0 || errno == ENOENT;
}

} // namespace XdgAutostart
