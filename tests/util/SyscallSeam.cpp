#include "SyscallSeam.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <dlfcn.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace SyscallSeam {
namespace {

std::string g_folder;
std::vector<Call> g_calls;
std::string g_failName;
std::string g_failSuffix;
int g_failError = 0;

template <typename F> F real(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

std::string pathOf(int fd)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[PATH_MAX];
    const ssize_t n = readlink(link, target, sizeof target - 1);
    return n > 0 ? std::string(target, std::size_t(n)) : std::string();
}

bool watched(const std::string& path)
{
    return !g_folder.empty() && path.compare(0, g_folder.size(), g_folder) == 0;
}

// Records a call on a watched path; true when it is to fail (errno is set).
bool see(const char* name, const std::string& path, const std::string& to = {})
{
    if (!watched(path))
        return false;
    g_calls.push_back({name, path, to});
    if (g_failName == name && path.size() >= g_failSuffix.size() &&
        path.compare(path.size() - g_failSuffix.size(), g_failSuffix.size(), g_failSuffix) == 0) {
        g_failName.clear();
        errno = g_failError;
        return true;
    }
    return false;
}

std::string absolute(const char* path)
{
    if (path[0] == '/')
        return path;
    char cwd[PATH_MAX];
    return getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + path : std::string(path);
}

} // namespace

void watch(const std::string& folder)
{
    g_calls.clear();
    g_folder = folder;
}

std::vector<Call> stop()
{
    g_folder.clear();
    g_failName.clear();
    return std::move(g_calls);
}

void failNext(const std::string& name, const std::string& suffix, int error)
{
    g_failName = name;
    g_failSuffix = suffix;
    g_failError = error;
}

} // namespace SyscallSeam

using SyscallSeam::absolute;
using SyscallSeam::pathOf;
using SyscallSeam::see;

extern "C" {

ssize_t write(int fd, const void* data, size_t size)
{
    static const auto next = SyscallSeam::real<ssize_t (*)(int, const void*, size_t)>("write");
    if (fd > 2 && see("write", pathOf(fd)))
        return -1;
    return next(fd, data, size);
}

int fsync(int fd)
{
    static const auto next = SyscallSeam::real<int (*)(int)>("fsync");
    if (see("fsync", pathOf(fd)))
        return -1;
    return next(fd);
}

int close(int fd)
{
    static const auto next = SyscallSeam::real<int (*)(int)>("close");
    const bool fail = fd > 2 && see("close", pathOf(fd));
    const int error = errno;
    const int result = next(fd);
    // Like a deferred write error on a network file system: closed all the same.
    if (fail) {
        errno = error;
        return -1;
    }
    return result;
}

int rename(const char* from, const char* to)
{
    static const auto next = SyscallSeam::real<int (*)(const char*, const char*)>("rename");
    if (see("rename", absolute(from), absolute(to)))
        return -1;
    return next(from, to);
}

int unlink(const char* path)
{
    static const auto next = SyscallSeam::real<int (*)(const char*)>("unlink");
    if (see("unlink", absolute(path)))
        return -1;
    return next(path);
}

int mkdir(const char* path, mode_t mode)
{
    static const auto next = SyscallSeam::real<int (*)(const char*, mode_t)>("mkdir");
    if (see("mkdir", absolute(path)))
        return -1;
    return next(path, mode);
}

} // extern "C"
