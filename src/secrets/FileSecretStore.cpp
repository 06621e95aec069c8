#include "FileSecretStore.h"

#include "StorePlatform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t kOwnerOnly = S_IRUSR | S_IWUSR;
// Two passwords for each of 256 sensors take some 50 KB; nothing larger is
// read into memory.
constexpr std::size_t kMaxFileBytes = 1024 * 1024;

std::string toHex(const std::string& bytes)
{
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        out += digits[(static_cast<unsigned char>(c) >> 4) & 0xF];
        out += digits[static_cast<unsigned char>(c) & 0xF];
    }
    return out;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool fromHex(const std::string& hex, std::string& bytes)
{
    bytes.clear();
    if (hex.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexDigit(hex[i]);
        const int low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

std::string systemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

// Why the file in the secrets' place was not read, in the user's words.
std::string refusal(const std::string& path, int error)
{
    switch (error) {
    case ELOOP:
        return path + " is a symbolic link; the passwords are read only from the file itself";
    case EISDIR:
        return path + " is a folder, not a file";
    case EINVAL:
        return path + " is not a regular file (a pipe, socket or device is in its place)";
    case EFBIG:
        return path + " is larger than a file of passwords can be";
    default:
        return path + ": " + std::strerror(error);
    }
}

bool writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

FileSecretStore::FileSecretStore(std::string path) : m_path(std::move(path)) {}

bool FileSecretStore::load(std::map<std::string, std::string>& entries, std::string& error) const
{
    entries.clear();
    std::string text;
    unsigned owner = 0;
    unsigned mode = 0;
    // The program makes this file itself: a link in its place is someone
    // else's doing and never followed, whoever can write the folder.
    const int readError = StorePlatform::readSmallFile(
        m_path, kMaxFileBytes, text, StorePlatform::LinkPolicy::Refuse, &owner, &mode);
    if (readError == ENOENT)
        return true;
    if (readError != 0) {
        error = refusal(m_path, readError);
        return false;
    }
    if (owner != unsigned(::geteuid())) {
        error = m_path + " belongs to another user";
        return false;
    }
    if ((mode & (S_IRWXG | S_IRWXO)) != 0) {
        error = m_path + " is not a private file of this user (it must have mode 0600)";
        return false;
    }
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::size_t equals = line.find('=');
        std::string key;
        std::string secret;
        if (line.empty() || line[0] == '#')
            continue;
        if (equals == std::string::npos || !fromHex(line.substr(0, equals), key) ||
            !fromHex(line.substr(equals + 1), secret)) {
            error = m_path + " is damaged";
            return false;
        }
        entries[key] = secret;
    }
    return true;
}

bool FileSecretStore::save(const std::map<std::string, std::string>& entries,
                           std::string& error) const
{
    std::string text = "# Travimetra passwords, kept here because no keyring was available\n";
    for (const auto& [key, secret] : entries)
        text += toHex(key) + "=" + toHex(secret) + "\n";
    const std::string temporary = m_path + ".tmp";
    ::unlink(temporary.c_str());
    // Created private, never widened afterwards: no moment where others may read it.
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, kOwnerOnly);
    if (fd < 0) {
        error = systemError(temporary);
        return false;
    }
    const bool written = ::fchmod(fd, kOwnerOnly) == 0 && writeAll(fd, text) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ::close(fd);
    if (!written || ::rename(temporary.c_str(), m_path.c_str()) != 0) {
        errno = written ? errno : savedErrno;
        error = systemError(m_path);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

SecretStatus FileSecretStore::store(const std::string& key, const std::string& secret,
                                    std::string& error)
{
    std::map<std::string, std::string> entries;
    if (!load(entries, error))
        return SecretStatus::Failed;
    entries[key] = secret;
    return save(entries, error) ? SecretStatus::Ok : SecretStatus::Failed;
}

SecretStatus FileSecretStore::read(const std::string& key, std::string& secret, std::string& error)
{
    secret.clear();
    std::map<std::string, std::string> entries;
    if (!load(entries, error))
        return SecretStatus::Failed;
    const auto it = entries.find(key);
    if (it == entries.end())
        return SecretStatus::NotFound;
    secret = it->second;
    return SecretStatus::Ok;
}

SecretStatus FileSecretStore::remove(const std::string& key, std::string& error)
{
    std::map<std::string, std::string> entries;
    if (!load(entries, error))
        return SecretStatus::Failed;
    if (entries.erase(key) == 0)
        return SecretStatus::Ok;
    return save(entries, error) ? SecretStatus::Ok : SecretStatus::Failed;
}
