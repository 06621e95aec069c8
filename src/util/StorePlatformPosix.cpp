#include "StorePlatform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace StorePlatform {

namespace {

std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/')
        return found->pw_dir;
    return {};
}

// The XDG base directory rules: the variable counts only when it holds an
// absolute path.
std::string xdgFolder(const char* variable, const char* fallbackBelowHome)
{
    const char* value = std::getenv(variable);
    std::string folder;
    if (value && value[0] == '/') {
        folder = value;
    } else {
        folder = homeFolder();
        if (folder.empty())
            return {};
        folder += fallbackBelowHome;
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

int writeAll(int fd, const std::string& content)
{
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t written = write(fd, content.data() + done, content.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += std::size_t(written);
    }
    return 0;
}

} // namespace

int makeFolders(const std::string& folder)
{
    if (folder.empty())
        return 0;
    struct stat info
    {
    };
    if (stat(folder.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
    const std::size_t slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        if (const int error = makeFolders(folder.substr(0, slash)))
            return error;
    }
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return errno;
    return 0;
}

std::string configHomeFolder()
{
    return xdgFolder("XDG_CONFIG_HOME", "/.config");
}

std::string stateHomeFolder()
{
    return xdgFolder("XDG_STATE_HOME", "/.local/state");
}

namespace {

// Whether only the folder's owner, being this user or root, can add or
// replace names in it.
bool privateFolder(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    struct stat info
    {
    };
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           (info.st_uid == geteuid() || info.st_uid == 0) &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

} // namespace

int readSmallFile(const std::string& path, std::size_t maxBytes, std::string& content,
                  LinkPolicy links, unsigned* owner, unsigned* mode)
{
    content.clear();
    if (path.empty())
        return ENOENT;
    int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
    if (links == LinkPolicy::Refuse || !privateFolder(path))
        flags |= O_NOFOLLOW;
    // Non-blocking so that a FIFO in the file's place cannot hang the open.
    const int fd = open(path.c_str(), flags);
    if (fd < 0)
        return errno;
    struct stat info
    {
    };
    int error = 0;
    if (fstat(fd, &info) != 0)
        error = errno;
    else if (S_ISDIR(info.st_mode))
        error = EISDIR;
    else if (!S_ISREG(info.st_mode))
        error = EINVAL;
    if (owner)
        *owner = unsigned(info.st_uid);
    if (mode)
        *mode = unsigned(info.st_mode & 07777);
    // The size on disk is only a hint; reading stops at the limit whatever it says.
    char buffer[65536];
    while (error == 0) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
        } else if (got == 0) {
            break;
        } else if (content.size() + std::size_t(got) > maxBytes) {
            error = EFBIG;
        } else {
            content.append(buffer, std::size_t(got));
        }
    }
    close(fd);
    if (error != 0)
        content.clear();
    return error;
}

int replaceFileAtomically(const std::string& path, const std::string& content, unsigned mode)
{
    if (path.empty())
        return ENOENT;
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    if (const int error = makeFolders(folder))
        return error;

    // One fixed name beside the file: a write cut off by a crash leaves at
    // most this one copy behind, and the next write takes its place, instead
    // of a new stray copy of the store (community strings and all) per crash.
    const std::string temporary = path + ".tmp";
    if (unlink(temporary.c_str()) != 0 && errno != ENOENT)
        return errno;
    const int fd =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode_t(mode));
    if (fd < 0)
        return errno;
    int error = 0;
    if (fchmod(fd, mode_t(mode)) != 0)
        error = errno;
    if (error == 0)
        error = writeAll(fd, content);
    if (error == 0 && fsync(fd) != 0)
        error = errno;
    if (close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && rename(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        unlink(temporary.c_str());
        return error;
    }
    // Make the rename itself durable.
    const int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return 0;
}

std::string dataHomeFolder()
{
    return xdgFolder("XDG_DATA_HOME", "/.local/share");
}

int createFolders(const std::string& folder)
{
    return makeFolders(folder);
}

int moveAside(const std::string& path, std::string& movedTo)
{
    movedTo.clear();
    struct stat info
    {
    };
    if (lstat(path.c_str(), &info) != 0)
        return errno;
    if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode))
        return EINVAL;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = path + ".unreadable-" + stamp;
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const std::string candidate = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        // Never over an earlier copy: RENAME_NOREPLACE refuses an existing name.
        if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, candidate.c_str(), RENAME_NOREPLACE) != 0) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        if (S_ISREG(info.st_mode))
            chmod(candidate.c_str(), 0600);
        movedTo = candidate;
        return 0;
    }
    return EEXIST;
}

} // namespace StorePlatform
