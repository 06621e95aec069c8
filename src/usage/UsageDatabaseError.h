#pragma once

#include <stdexcept>
#include <string>

// A failure of the usage database, with SQLite's own text in the message.
// `damaged` says the file itself is broken (not a database, pages that fail
// the integrity check): only then may it be set aside. A file that cannot be
// written for now (permissions, a full disk, a lock) is not damaged.
class TUsageDatabaseError : public std::runtime_error
{
public:
    explicit TUsageDatabaseError(const std::string& message, bool damaged = false)
        : std::runtime_error(message), m_damaged(damaged)
    {
    }
    bool damaged() const { return m_damaged; }

private:
    bool m_damaged;
};
