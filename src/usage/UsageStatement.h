#pragma once

#include <cstdint>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

// The usage database's small wrapper of SQLite: one prepared statement,
// finalised with its scope; every failure raises TUsageDatabaseError, marked
// damaged when SQLite says the file itself is broken.
class TStatement
{
public:
    TStatement(sqlite3* db, const char* sql);
    ~TStatement();
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    TStatement& bind(int index, int64_t value);
    TStatement& bind(int index, const std::string& value);
    // True while a row is there.
    bool step();
    // Steps to the end and makes the statement ready for new bindings.
    void run();
    int64_t integer(int column) const;
    // An octet sum; a negative one can only come from a damaged file.
    uint64_t octets(int column) const;
    std::string text(int column) const;

private:
    [[noreturn]] void fail(const char* what) const;
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

namespace UsageSql {

// Runs statements that return no rows.
void exec(sqlite3* db, const char* sql);
// The system's reason of the connection's last failure, " (text)", or empty.
std::string systemText(sqlite3* db);
// The connection's last failure as the error to raise.
[[noreturn]] void fail(sqlite3* db, const std::string& context);
// SQLite's result codes that mean the file is broken, not merely unwritable.
bool isDamage(int resultCode);

} // namespace UsageSql
