#pragma once

#include <stdexcept>
#include <string>

// System error codes of the settings store that have no errno counterpart.
constexpr int ERROR_CANTREAD = 1012;
constexpr int ERROR_CANTWRITE = 1013;

// Raised by the settings-store primitives. The message is the system's text for
// the error code, so callers can show it as it is.
class TRegistryError : public std::runtime_error
{
public:
    TRegistryError(int code, const std::string& message);

    // An errno value from the file layer, with the C library's text for it.
    static TRegistryError fromErrno(int errnoValue);
    // A value that is absent or of a kind the reader does not handle.
    static TRegistryError cantRead();
    // A value that cannot be stored in the requested kind.
    static TRegistryError cantWrite();

    int code() const { return m_code; }

private:
    int m_code;
};
