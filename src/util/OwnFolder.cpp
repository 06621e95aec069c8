#include "OwnFolder.h"

#include <climits>
#include <unistd.h>

std::string ownFolder()
{
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return {};
    std::string folder(self, std::size_t(length));
    const std::size_t slash = folder.rfind('/');
    if (slash == std::string::npos)
        return {};
    folder.erase(slash + 1);
    return folder;
}
