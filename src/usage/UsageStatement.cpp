#include "UsageStatement.h"

#include "UsageDatabaseError.h"

#include <sqlite3.h>

#include <cstring>

namespace UsageSql {

bool isDamage(int resultCode)
{
    const int primary = resultCode & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

std::string systemText(sqlite3* db)
{
    // "disk I/O error" alone does not tell the user the disk is full.
    const int error = sqlite3_system_errno(db);
    return error != 0 ? std::string(" (") + std::strerror(error) + ")" : std::string();
}

void fail(sqlite3* db, const std::string& context)
{
    throw TUsageDatabaseError(context + ": " + sqlite3_errmsg(db) + systemText(db),
                              isDamage(sqlite3_errcode(db)));
}

void exec(sqlite3* db, const char* sql)
{
    if (!db)
        throw TUsageDatabaseError("The usage history is not open.");
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string text = (error ? error : sqlite3_errmsg(db)) + systemText(db);
        sqlite3_free(error);
        throw TUsageDatabaseError("Usage database: " + text, isDamage(sqlite3_errcode(db)));
    }
}

} // namespace UsageSql

TStatement::TStatement(sqlite3* db, const char* sql) : m_db(db)
{
    if (!db)
        throw TUsageDatabaseError("The usage history is not open.");
    if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
        fail("prepare");
}

TStatement::~TStatement()
{
    sqlite3_finalize(m_stmt);
}

TStatement& TStatement::bind(int index, int64_t value)
{
    sqlite3_bind_int64(m_stmt, index, value);
    return *this;
}

TStatement& TStatement::bind(int index, const std::string& value)
{
    sqlite3_bind_text(m_stmt, index, value.data(), static_cast<int>(value.size()),
                      SQLITE_TRANSIENT);
    return *this;
}

bool TStatement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        fail("step");
    return false;
}

void TStatement::run()
{
    while (step()) {
    }
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int64_t TStatement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

uint64_t TStatement::octets(int column) const
{
    // Octet sums are kept as SQLite integers (signed 64-bit).
    const int64_t v = sqlite3_column_int64(m_stmt, column);
    if (v < 0)
        throw TUsageDatabaseError("A usage total in the database is negative.", true);
    return static_cast<uint64_t>(v);
}

std::string TStatement::text(int column) const
{
    const auto* p = sqlite3_column_text(m_stmt, column);
    return p ? std::string(reinterpret_cast<const char*>(p),
                           static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)))
             : std::string();
}

void TStatement::fail(const char* what) const
{
    UsageSql::fail(m_db, std::string("Usage database ") + what);
}
