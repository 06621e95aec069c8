#include "srcGeneral.h"

#include "RegSession.h"
#include "RegStoreFile.h"
#include "VersionBlock.h"

#include <cerrno>
#include <optional>

// ---- Path shortening ----

namespace {

bool isUtf8Continuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

std::string ShortenPath(const std::string& path, int maxLength)
{
    if (maxLength >= 0 && path.size() <= std::size_t(maxLength))
        return path;
    const std::size_t slash = path.rfind('/');
    const std::string tail = slash == std::string::npos ? std::string() : path.substr(slash);
    const long long front = (long long)maxLength - (long long)tail.size() - 3;
    std::size_t keep = front > 0 ? std::size_t(front) : 0;
    // Never cut a UTF-8 character in two: the display would show a broken one.
    while (keep > 0 && keep < path.size() && isUtf8Continuation(path[keep]))
        --keep;
    return path.substr(0, keep) + "..." + tail;
}

// ---- Version information ----

namespace {

struct TVersionState
{
    std::optional<TVersionBlock> Block;
    bool Loaded = false;
    std::string TranslationKey;
};

TVersionState& versionState()
{
    static TVersionState state;
    return state;
}

} // namespace

void LoadVersionInfo(const std::string& fileName)
{
    TVersionState& state = versionState();
    TVersionBlock block;
    state.Loaded = readVersionBlockFromFile(fileName, block);
    if (!state.Loaded) {
        state.Block.reset();
        return;
    }
    state.TranslationKey = block.translationKey();
    state.Block = std::move(block);
}

std::string GetVersionValue(const std::string& name)
{
    const TVersionState& state = versionState();
    std::string value;
    if (state.Block &&
        state.Block->query("\\StringFileInfo\\" + state.TranslationKey + "\\" + name, value))
        return value;
    return "No such VersionInfo";
}

// ---- Settings store values ----

namespace {

std::string fullKeyPath(TRegRoot root, const std::string& keyPath)
{
    const char* rootName = "";
    switch (root) {
    case TRegRoot::CurrentUser:
        rootName = "HKEY_CURRENT_USER";
        break;
    }
    return std::string(rootName) + "\\" + keyPath;
}

int kindOfType(uint32_t type)
{
    switch (type) {
    case REG_SZ:
        return rdString;
    case REG_EXPAND_SZ:
        return rdExpandString;
    case REG_DWORD:
        return rdInteger;
    case REG_BINARY:
        return rdBinary;
    default:
        return rdUnknown;
    }
}

TRegVariant readFrom(const TRegStore& store, const std::string& fullPath, const std::string& name)
{
    const TRegKey* key = store.findKey(fullPath);
    if (!key)
        throw TRegistryError::fromErrno(ENOENT);
    const TRegValue* value = key->findValue(name);
    if (!value)
        throw TRegistryError::cantRead();
    switch (value->Type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_BINARY:
        return value->Data;
    case REG_DWORD:
        if (value->Data.size() == 4) {
            uint32_t number = 0;
            for (int i = 3; i >= 0; --i)
                number = (number << 8) | static_cast<unsigned char>(value->Data[std::size_t(i)]);
            return int32_t(number);
        }
        break;
    default:
        break;
    }
    throw TRegistryError::cantRead();
}

std::string dwordBytes(int32_t number)
{
    const auto bits = uint32_t(number);
    std::string data;
    for (int i = 0; i < 4; ++i)
        data.push_back(char((bits >> (8 * i)) & 0xFF));
    return data;
}

int32_t integerOf(const TRegVariant& value)
{
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag ? 1 : 0;
    if (const auto* number = std::get_if<int32_t>(&value))
        return *number;
    return strToInt32(std::get<std::string>(value));
}

// Returns false when the kind is not one that can be written.
bool writeTo(TRegStore& store, const std::string& fullPath, const std::string& name,
             const TRegVariant& value, int kind)
{
    TRegKey& key = store.createKey(fullPath);
    if (kind == rdUnknown) {
        const TRegValue* stored = key.findValue(name);
        kind = stored ? kindOfType(stored->Type) : rdUnknown;
    }
    switch (kind) {
    case rdString:
        key.setValue(name, REG_SZ, regVariantText(value));
        return true;
    case rdExpandString:
        key.setValue(name, REG_EXPAND_SZ, regVariantText(value));
        return true;
    case rdInteger:
        key.setValue(name, REG_DWORD, dwordBytes(integerOf(value)));
        return true;
    case rdBinary:
        key.setValue(name, REG_BINARY, regVariantText(value));
        return true;
    default:
        return false;
    }
}

} // namespace

TRegVariant ReadRegValue(TRegRoot root, const std::string& keyPath, const std::string& name)
{
    const std::string fullPath = fullKeyPath(root, keyPath);
    if (TRegSession* session = TRegSession::current())
        return readFrom(session->store(), fullPath, name);
    return readFrom(RegStoreFile::load(), fullPath, name);
}

void WriteRegValue(TRegRoot root, const std::string& keyPath, const std::string& name,
                   const TRegVariant& value, int kind)
{
    const std::string fullPath = fullKeyPath(root, keyPath);
    if (!TRegStore::isStorablePath(fullPath) || !TRegStore::isStorableName(name))
        throw TRegistryError::cantWrite();
    // A text that is not a number fails before anything is touched.
    if (kind == rdInteger)
        integerOf(value);

    if (TRegSession* session = TRegSession::current()) {
        TRegStore& store = session->store();
        const bool written = writeTo(store, fullPath, name, value, kind);
        session->markChanged();
        if (!written)
            throw TRegistryError::cantWrite();
        return;
    }
    TRegStore store = RegStoreFile::load();
    const bool written = writeTo(store, fullPath, name, value, kind);
    // The key exists from now on, even when the value could not be written.
    RegStoreFile::save(store);
    if (!written)
        throw TRegistryError::cantWrite();
}
