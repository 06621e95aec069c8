#pragma once

#include <stdexcept>
#include <string>

// A failure of the usage database, with SQLite's own text in the message.
class TUsageDatabaseError : public std::runtime_error
{
public:
    explicit TUsageDatabaseError(const std::string& message) : std::runtime_error(message) {}
};
