#include "TUsageRecorder.h"

#include "BillingPeriod.h"
#include "QuotaNotice.h"
#include "UsageDatabaseError.h"

#include <chrono>

TUsageRecorder::TUsageRecorder(const std::string& path,
                               std::function<void(const std::string&)> report)
    : m_path(path), m_lock(path), m_report(std::move(report))
{
    // The lock first: a history another program writes is not opened for
    // writing at all.
    open();
}

TUsageRecorder::~TUsageRecorder()
{
    if (m_check.valid())
        m_check.wait();
}

void TUsageRecorder::tellOnce(TState state, const std::string& text)
{
    if (m_told == state)
        return;
    m_told = state;
    if (m_report)
        m_report(text);
}

namespace {

std::string whatToDo(const std::string& path)
{
    return ". Usage is counted in memory and written as soon as it can be: make room on "
           "the disk and make " +
           path + " and its folder writable for you.";
}

} // namespace

bool TUsageRecorder::open()
{
    const TUsageHistoryLock::TOutcome lock = m_lock.take();
    if (lock == TUsageHistoryLock::TOutcome::HeldByOther) {
        m_state = TState::OtherWriter;
        tellOnce(TState::OtherWriter, "Usage is recorded by the Travimetra of " + m_lock.holder() +
                                          "; this one does not record it.");
        return false;
    }
    try {
        if (lock != TUsageHistoryLock::TOutcome::Taken)
            throw TUsageDatabaseError(m_lock.error());
        std::string notice;
        replaceDatabase(TUsageDatabase::openForWriting(m_path, notice));
        if (!notice.empty() && m_report)
            m_report(notice);
        // What the agents counted while the program was closed is stepped
        // from the readings the last run kept.
        m_accounting.resumeFrom(m_db->keptSamples());
    } catch (const TUsageDatabaseError& error) {
        m_state = TState::Waiting;
        tellOnce(TState::Waiting,
                 std::string("Usage is not recorded for now: ") + error.what() + whatToDo(m_path));
        return false;
    }
    m_state = TState::Writing;
    m_told = TState::Writing;
    m_namesChanged = true;
    return true;
}

// The database object stays the same once made: the usage window holds it,
// and reads the new file after a damaged one was set aside.
void TUsageRecorder::replaceDatabase(std::unique_ptr<TUsageDatabase> db)
{
    if (m_db)
        m_db->adopt(*db);
    else
        m_db = std::move(db);
}

void TUsageRecorder::setSensors(std::vector<TUsageSensorConfig> sensors)
{
    m_sensors = std::move(sensors);
    m_namesChanged = true;
}

void TUsageRecorder::flush(int64_t now)
{
    m_lastWrite = now;
    takeIntegrityAnswer(false);
    if (m_state != TState::Writing && !open()) {
        // Another program counts this traffic; keeping it would count it twice.
        if (m_state == TState::OtherWriter)
            m_accounting.takeBatch();
        return;
    }
    if (!m_accounting.hasPending() && !m_namesChanged && m_moves.empty())
        return;
    write(now);
}

void TUsageRecorder::moveKey(const std::string& from, const std::string& to)
{
    if (from == to)
        return;
    m_accounting.forget(from);
    m_moves.emplace_back(from, to);
}

void TUsageRecorder::write(int64_t now)
{
    // Names go with the first write after they changed, not every minute.
    std::vector<TUsageSensor> names;
    if (m_namesChanged)
        for (const TUsageSensorConfig& s : m_sensors)
            names.push_back({s.key, s.name});
    for (int attempt = 0; attempt < 2 && isOpen(); ++attempt) {
        try {
            m_db->write(m_accounting.pending(), names, now, m_accounting.carry(), m_moves);
            m_accounting.takeBatch();
            m_moves.clear();
            m_namesChanged = false;
            m_writeFailed = false;
            m_told = TState::Writing;
            return;
        } catch (const TUsageDatabaseError& error) {
            // A failed write is when the whole file is worth reading: a
            // damaged one is set aside and the batch goes into the new one.
            const std::string damage =
                error.damaged()
                    ? error.what()
                    : (m_writeFailed ? std::string() : TUsageDatabase::damageOf(m_path));
            m_writeFailed = true;
            if (!damage.empty() && attempt == 0) {
                setAside(damage);
                continue;
            }
            // The batch stays gathered and goes with the next write; the
            // user hears of it once, not every minute.
            tellOnce(TState::Waiting, std::string("The usage history cannot be written: ") +
                                          error.what() + whatToDo(m_path));
            return;
        }
    }
}

void TUsageRecorder::setAside(const std::string& why)
{
    if (m_check.valid())
        m_check.wait(); // its answer is about the file that goes now
    m_check = {};
    // Closed before it moves: SQLite would otherwise tidy the journal of the
    // new file, which has the old one's name.
    m_db->close();
    try {
        const std::string aside = TUsageDatabase::moveAside(m_path);
        if (m_report)
            m_report(TUsageDatabase::setAsideNotice(why, aside));
        std::string notice;
        replaceDatabase(TUsageDatabase::openForWriting(m_path, notice));
        m_namesChanged = true;
    } catch (const TUsageDatabaseError& error) {
        m_state = TState::Waiting;
        tellOnce(TState::Waiting,
                 std::string("Usage is not recorded for now: ") + error.what() + whatToDo(m_path));
    }
}

void TUsageRecorder::startIntegrityCheck(int64_t now)
{
    m_nextCheck = now + kCheckEverySeconds;
    m_check =
        std::async(std::launch::async, [path = m_path] { return TUsageDatabase::damageOf(path); });
}

void TUsageRecorder::takeIntegrityAnswer(bool wait)
{
    if (!m_check.valid())
        return;
    if (!wait && m_check.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return;
    const std::string damage = m_check.get();
    if (!damage.empty() && isOpen())
        setAside(damage);
}

void TUsageRecorder::finishIntegrityCheck()
{
    takeIntegrityAnswer(true);
}

std::vector<std::string> TUsageRecorder::afterPass(int64_t now)
{
    // While another program records, what this one saw is dropped pass by
    // pass: when the other ends, at most one pass is counted by both.
    if (m_state == TState::OtherWriter && !open()) {
        m_accounting.takeBatch();
        return {};
    }
    takeIntegrityAnswer(false);
    // Once a day (and soon after the start), on a connection of its own:
    // the start never waits for the whole file to be read. A clock set back
    // starts the next check at once rather than a month late.
    if (isOpen() && !m_check.valid() &&
        (m_nextCheck == 0 || now >= m_nextCheck || now < m_nextCheck - kCheckEverySeconds))
        startIntegrityCheck(now);
    if (now - m_lastWrite < kWriteEverySeconds && now >= m_lastWrite)
        return {};
    flush(now);
    return checkQuotas(now);
}

std::vector<std::string> TUsageRecorder::checkQuotas(int64_t now)
{
    std::vector<std::string> messages;
    if (!isOpen() || m_writeFailed)
        return messages;
    const TCalendarDay today = TCalendarDay::localDayOf(now);
    for (const TUsageSensorConfig& s : m_sensors) {
        const uint64_t quota = QuotaNotice::quotaOctets(s.settings.QuotaGB);
        if (quota == 0)
            continue;
        try {
            const TBillingPeriod period =
                TBillingPeriod::containing(today, s.settings.PeriodStartDay);
            const TOctets used = m_db->total(s.key, period.first.key(), period.next.key());
            const uint64_t counted =
                QuotaNotice::countedOctets(s.settings.QuotaKind, used.down, used.up);
            const int due =
                QuotaNotice::dueLevel(counted, quota, m_db->noticeLevel(s.key, period.first.key()));
            if (due == 0)
                continue;
            m_db->setNoticeLevel(s.key, period.first.key(), due);
            messages.push_back(QuotaNotice::message(s.name, due, counted, s.settings.QuotaGB));
        } catch (const TUsageDatabaseError&) {
            // A read that fails now is tried again after the next write.
        }
    }
    return messages;
}
