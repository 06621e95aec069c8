#include "RegistryError.h"

#include <cstring>

TRegistryError::TRegistryError(int code, const std::string& message)
    : std::runtime_error(message), m_code(code)
{
}

TRegistryError TRegistryError::fromErrno(int errnoValue)
{
    return TRegistryError(errnoValue, std::strerror(errnoValue));
}

TRegistryError TRegistryError::cantRead()
{
    return TRegistryError(ERROR_CANTREAD, "The configuration registry key could not be read.");
}

TRegistryError TRegistryError::cantWrite()
{
    return TRegistryError(ERROR_CANTWRITE, "The configuration registry key could not be written.");
}
