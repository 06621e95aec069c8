#include "LogFileAppend.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const char* what, const std::string& path, int error)
{
    throw TLogFileError(std::string(what) + " log file \"" + path + "\": " + std::strerror(error));
}

} // namespace

void appendToLogFile(const std::string& path, const std::string& text)
{
    // A name with a NUL would silently name another file.
    if (path.empty() || path.find('\0') != std::string::npos)
        fail("Cannot open", path, ENOENT);
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0)
        fail("Cannot open", path, errno);
    // A write that runs out of space part-way leaves the start of a line,
    // which the next line would be glued to; it is cut off again.
    struct stat info
    {
    };
    const off_t lineStart = ::fstat(fd, &info) == 0 ? info.st_size : -1;
    const auto cutAndFail = [&](int error) {
        if (lineStart >= 0)
            (void)!::ftruncate(fd, lineStart);
        ::close(fd);
        fail("Cannot write", path, error);
    };
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            cutAndFail(errno);
        }
        if (n == 0)
            cutAndFail(ENOSPC);
        written += std::size_t(n);
    }
    // Network file systems may report a failed write only here.
    if (::close(fd) != 0 && errno != EINTR)
        fail("Cannot write", path, errno);
}
