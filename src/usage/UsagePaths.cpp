#include "UsagePaths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

std::string usageDatabasePath()
{
    // XDG base directory rules: the variable counts only as an absolute path.
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string folder;
    if (data && data[0] == '/') {
        folder = data;
    } else {
        const char* home = std::getenv("HOME");
        if (home && home[0] == '/') {
            folder = home;
        } else {
            std::vector<char> buffer(16384);
            passwd entry{};
            passwd* found = nullptr;
            if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
                !found->pw_dir || found->pw_dir[0] != '/')
                return {};
            folder = found->pw_dir;
        }
        folder += "/.local/share";
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder + "/Travimetra/usage.sqlite";
}
