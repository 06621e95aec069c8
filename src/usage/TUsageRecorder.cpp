#include "TUsageRecorder.h"

#include "BillingPeriod.h"
#include "QuotaNotice.h"
#include "UsageDatabaseError.h"

TUsageRecorder::TUsageRecorder(const std::string& path,
                               std::function<void(const std::string&)> report)
    : m_report(std::move(report))
{
    try {
        std::string notice;
        m_db = TUsageDatabase::openForWriting(path, notice);
        if (!notice.empty() && m_report)
            m_report(notice);
    } catch (const TUsageDatabaseError& error) {
        if (m_report)
            m_report(std::string("Usage is not recorded: ") + error.what());
    }
}

TUsageRecorder::~TUsageRecorder() = default;

void TUsageRecorder::setSensors(std::vector<TUsageSensorConfig> sensors)
{
    m_sensors = std::move(sensors);
    m_namesChanged = true;
}

void TUsageRecorder::flush(int64_t now)
{
    m_lastWrite = now;
    if (!m_db) {
        m_accounting.takeBatch();
        return;
    }
    if (!m_accounting.hasPending() && !m_namesChanged)
        return;
    // Names go with the first write after they changed, not every minute.
    std::vector<TUsageSensor> names;
    if (m_namesChanged)
        for (const TUsageSensorConfig& s : m_sensors)
            names.push_back({s.key, s.name});
    try {
        m_db->write(m_accounting.pending(), names, now);
        m_accounting.takeBatch();
        m_namesChanged = false;
        m_writeFailed = false;
    } catch (const TUsageDatabaseError& error) {
        // The batch stays gathered and goes with the next write; the user
        // hears of it once, not every minute.
        if (!m_writeFailed && m_report)
            m_report(std::string("The usage history cannot be written: ") + error.what());
        m_writeFailed = true;
    }
}

std::vector<std::string> TUsageRecorder::afterPass(int64_t now)
{
    if (now - m_lastWrite < kWriteEverySeconds && now >= m_lastWrite)
        return {};
    flush(now);
    return checkQuotas(now);
}

std::vector<std::string> TUsageRecorder::checkQuotas(int64_t now)
{
    std::vector<std::string> messages;
    if (!m_db || m_writeFailed)
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
