#pragma once

#include <string>

// One writer per history: a lock file beside the history
// ("<history>.lock", in its data folder), held with flock() for as long as
// the program writes it. The system drops the lock with the process, so a
// crash leaves nothing stale. Two login sessions of one user share the data
// folder but not the runtime folder: this lock, not the window's, keeps the
// second from counting the same traffic again. The holder writes who it is
// into the file, for the other to say which program records.
class TUsageHistoryLock
{
public:
    enum class TOutcome
    {
        Taken,       // this program is the history's writer
        HeldByOther, // another program writes it; see holder()
        Unavailable  // no lock could be made; see error()
    };

    explicit TUsageHistoryLock(std::string historyPath);
    ~TUsageHistoryLock();
    TUsageHistoryLock(const TUsageHistoryLock&) = delete;
    TUsageHistoryLock& operator=(const TUsageHistoryLock&) = delete;

    // Tries once, without waiting; a held lock stays held.
    TOutcome take();
    bool held() const { return m_fd >= 0; }
    // Who holds it, as that program wrote it ("process 123 on host, login
    // session 4"), when take() said HeldByOther.
    const std::string& holder() const { return m_holder; }
    const std::string& error() const { return m_error; }
    const std::string& path() const { return m_path; }

    // What this program writes into the lock file.
    static std::string describeThisProgram();

private:
    std::string m_historyPath;
    std::string m_path;
    std::string m_holder;
    std::string m_error;
    int m_fd = -1;
};
