#include "UsageHistoryLock.h"

#include "StorePlatform.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What another program wrote is shown to the user: bounded, one line,
// printable characters only.
std::string readHolder(int fd)
{
    char buffer[256];
    const ssize_t got = ::pread(fd, buffer, sizeof buffer, 0);
    std::string text;
    for (ssize_t i = 0; i < got; ++i) {
        const unsigned char c = static_cast<unsigned char>(buffer[i]);
        if (c == '\n')
            break;
        text.push_back(c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?');
    }
    return text;
}

} // namespace

TUsageHistoryLock::TUsageHistoryLock(std::string historyPath)
    : m_historyPath(std::move(historyPath)), m_path(m_historyPath + ".lock")
{
}

TUsageHistoryLock::~TUsageHistoryLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // closing the last descriptor releases the flock
}

std::string TUsageHistoryLock::describeThisProgram()
{
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0)
        host[0] = '\0';
    std::string text = "process " + std::to_string(::getpid());
    if (host[0] != '\0')
        text += std::string(" on ") + host;
    if (const char* session = std::getenv("XDG_SESSION_ID"); session && *session)
        text += std::string(", login session ") + session;
    else if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        text += std::string(", runtime folder ") + runtime;
    return text;
}

TUsageHistoryLock::TOutcome TUsageHistoryLock::take()
{
    if (m_fd >= 0)
        return TOutcome::Taken;
    m_holder.clear();
    m_error.clear();
    const std::size_t slash = m_historyPath.find_last_of('/');
    if (m_historyPath.empty() || slash == std::string::npos || slash == 0) {
        m_error = "No folder for the usage history (no home folder?)";
        return TOutcome::Unavailable;
    }
    if (const int error = StorePlatform::createFolders(m_historyPath.substr(0, slash))) {
        m_error = "Cannot create the folder of " + m_historyPath + ": " + std::strerror(error);
        return TOutcome::Unavailable;
    }
    const int fd =
        ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) {
        m_error = "Cannot open " + m_path + ": " + std::strerror(errno);
        return TOutcome::Unavailable;
    }
    struct stat info
    {
    };
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        m_error = "Cannot open " + m_path + ": it is not a regular file";
        return TOutcome::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK)
            m_holder = readHolder(fd);
        ::close(fd);
        if (error == EWOULDBLOCK) {
            if (m_holder.empty())
                m_holder = "another process";
            return TOutcome::HeldByOther;
        }
        m_error = "Cannot lock " + m_path + ": " + std::strerror(error);
        return TOutcome::Unavailable;
    }
    // Who writes: a full disk may refuse these bytes, which only leaves the
    // other program without a name to show.
    const std::string me = describeThisProgram() + "\n";
    if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, me.data(), me.size(), 0) < 0) {
        // nothing more to do: the lock itself is held
    }
    m_fd = fd;
    return TOutcome::Taken;
}
