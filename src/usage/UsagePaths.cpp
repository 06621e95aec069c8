#include "UsagePaths.h"

#include "StorePlatform.h"

std::string usageDatabasePath()
{
    const std::string folder = StorePlatform::dataHomeFolder();
    return folder.empty() ? std::string() : folder + "/Travimetra/usage.sqlite";
}
