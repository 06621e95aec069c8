#include "HeadlessLaunch.h"

#include "OwnFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace HeadlessLaunch {

bool wanted(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--headless") == 0)
            return true;
    return false;
}

int exec(int argc, char* argv[])
{
    const std::string folder = ownFolder();
    if (folder.empty()) {
        std::fprintf(stderr, "travimetra: cannot find its own executable: %s\n",
                     std::strerror(errno));
        return 1;
    }
    // Installed it is a helper, not a command of its own; in the build
    // folder it lies beside this one.
    std::string path = folder + "../libexec/travimetra/travimetra-headless";
    if (::access(path.c_str(), X_OK) != 0)
        path = folder + "travimetra-headless";
    std::vector<char*> args;
    args.push_back(path.data());
    for (int i = 1; i < argc; ++i)
        args.push_back(argv[i]);
    args.push_back(nullptr);
    ::execv(path.c_str(), args.data());
    std::fprintf(stderr, "travimetra: cannot run %s: %s\n", path.c_str(), std::strerror(errno));
    return 1;
}

} // namespace HeadlessLaunch
