#include "ProcessProbes.h"

#include <dirent.h>
#include <fstream>
#include <unistd.h>

namespace ProcessProbes {

int openFileDescriptors()
{
    DIR* dir = opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int count = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    closedir(dir);
    // The directory stream's own descriptor is not the program's.
    return count - 1;
}

std::string descriptorTargets()
{
    std::string list;
    DIR* dir = opendir("/proc/self/fd");
    if (!dir)
        return list;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        char target[512] = {};
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        list += std::string(entry->d_name) + " -> " + (n > 0 ? target : "?") + "\n";
    }
    closedir(dir);
    return list;
}

long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

} // namespace ProcessProbes
