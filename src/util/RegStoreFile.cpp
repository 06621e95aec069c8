#include "RegStoreFile.h"

#include "RegistryError.h"
#include "StorePlatform.h"

#include <cerrno>

namespace RegStoreFile {

std::string path()
{
    const std::string config = StorePlatform::configHomeFolder();
    if (config.empty())
        return {};
    return config + "/Quorvane/Travimetra.reg";
}

TRegStore load()
{
    std::string content;
    const int error = StorePlatform::readSmallFile(path(), kMaxFileSize, content);
    if (error == ENOENT)
        return TRegStore();
    if (error != 0)
        throw TRegistryError::fromErrno(error);
    return TRegStore::parse(content);
}

void save(const TRegStore& store)
{
    const int error = StorePlatform::replaceFileAtomically(path(), store.serialize(), 0600);
    if (error != 0)
        throw TRegistryError::fromErrno(error);
}

} // namespace RegStoreFile
