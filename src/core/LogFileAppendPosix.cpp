#include "LogFileAppend.h"

#include "StorePlatform.h"
#include "srcRegOptions.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const char* what, const std::string& path, const std::string& reason)
{
    throw TLogFileError(std::string(what) + " log file \"" + path + "\": " + reason);
}

[[noreturn]] void fail(const char* what, const std::string& path, int error)
{
    fail(what, path, std::strerror(error));
}

std::string withoutTrailingSlashes(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return withoutTrailingSlashes(path.substr(0, slash + 1));
}

// Only a regular file is a log: a FIFO would block the writer or feed a
// reader, a device is no place for lines, a folder cannot take them.
[[noreturn]] void failNotRegular(const std::string& path, mode_t mode)
{
    if (S_ISDIR(mode))
        fail("Cannot open", path, EISDIR);
    fail("Cannot open", path, "Not a regular file");
}

} // namespace

void appendToLogFile(const std::string& path, const std::string& text)
{
    // A name with a NUL would silently name another file.
    if (path.empty() || path.find('\0') != std::string::npos)
        fail("Cannot open", path, ENOENT);
    const std::string folder = folderOf(path);
    struct stat info
    {
    };
    // The program's own default folder is made on the first write; a folder
    // the user chose is theirs to make.
    if (::stat(folder.c_str(), &info) != 0 && errno == ENOENT &&
        folder == withoutTrailingSlashes(defaultLogFolder())) {
        if (const int error = StorePlatform::makeFolders(folder))
            fail("Cannot open", path, error);
    }
    if (::lstat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode))
        failNotRegular(path, info.st_mode);

    // Never waits (a FIFO without a reader fails at once), and in a folder
    // where others may plant a symbolic link, none is followed.
    int flags = O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    if (::stat(folder.c_str(), &info) == 0 && (info.st_mode & S_IWOTH) != 0)
        flags |= O_NOFOLLOW;
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0)
        fail("Cannot open", path, errno);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const mode_t mode = info.st_mode;
        ::close(fd);
        failNotRegular(path, mode);
    }
    // A write that runs out of space part-way leaves the start of a line,
    // which the next line would be glued to; it is cut off again.
    const off_t lineStart = info.st_size;
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
