#include "RegStoreFile.h"

#include "RegistryError.h"
#include "StorePlatform.h"

#include <cerrno>
#include <string>

namespace RegStoreFile {

std::string path()
{
    const std::string config = StorePlatform::configHomeFolder();
    if (config.empty())
        return {};
    return config + "/Quorvane/Travimetra.reg";
}

namespace {
std::string g_setAside;
bool g_readOnly = false;
} // namespace

TReadOnlyScope::TReadOnlyScope() : m_was(g_readOnly)
{
    g_readOnly = true;
}

TReadOnlyScope::~TReadOnlyScope()
{
    g_readOnly = m_was;
}

void save(const TRegStore& store);

TRegStore load()
{
    std::string content;
    const std::string file = path();
    const int error = StorePlatform::readSmallFile(file, kMaxFileSize, content);
    if (error == ENOENT)
        return TRegStore();
    bool complete = error == 0;
    TRegStore store = complete ? TRegStore::parse(content, &complete) : TRegStore();
    if (!complete && !g_readOnly) {
        // What the file holds beyond what was understood would be lost with
        // the next write: keep the whole file aside first.
        std::string movedTo;
        if (const int moveError = StorePlatform::moveAside(file, movedTo))
            throw TRegistryError::fromErrno(error != 0 ? error : moveError);
        g_setAside = movedTo;
        // What was understood takes the file's place at once, whoever asked.
        save(store);
    }
    return store;
}

std::string takeSetAside()
{
    std::string movedTo;
    movedTo.swap(g_setAside);
    return movedTo;
}

void save(const TRegStore& store)
{
    if (g_readOnly)
        throw TRegistryError::fromErrno(EROFS);
    const std::string content = store.serialize();
    // What the reader would refuse is never written: the file on disk stays
    // as it was, and the caller hears why.
    if (content.size() > kMaxFileSize)
        throw TRegistryError(EFBIG, "The settings were not saved: they take " +
                                        std::to_string(content.size()) + " bytes, more than the " +
                                        std::to_string(kMaxFileSize / (1024 * 1024)) +
                                        " MiB a settings file may hold.");
    bool complete = false;
    TRegStore::parse(content, &complete);
    if (!complete)
        throw TRegistryError::cantWrite();
    const int error = StorePlatform::replaceFileAtomically(path(), content, 0600);
    if (error != 0)
        throw TRegistryError::fromErrno(error);
}

} // namespace RegStoreFile
