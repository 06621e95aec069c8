#include "TUsageWindow.h"
#include "UsageDemoHistory.h"
#include "UsageQtApplication.h"
#include "usage/UsageTestSupport.h"

#include "BillingPeriod.h"

#include <QFile>
#include <QLabel>

#include <gtest/gtest.h>

#include <map>

namespace {

class TUsageWindowTest : public UsageFixture
{
protected:
    void SetUp() override
    {
        UsageFixture::SetUp();
        usageQtApplication();
        std::string notice;
        m_db = TUsageDatabase::openForWriting(dbPath(), notice);
        m_now = localNoon(2026, 11, 10) + 1800;
        // Known octets written straight as minutes: day d of October and
        // November gets d × 10^8 octets down, a quarter up, in one minute.
        TUsageBatch batch;
        for (const int month : {10, 11}) {
            for (int day = 1; day <= 31 && !(month == 11 && day > 10); ++day) {
                const uint64_t octets = static_cast<uint64_t>(day) * 100000000ULL;
                const int64_t at = localNoon(2026, month, day);
                batch[{"10.0.0.1#2", at}] = {{octets, octets / 4},
                                             TCalendarDay::localDayOf(at).key()};
                m_byDay[TCalendarDay::localDayOf(at).key()] += octets;
            }
        }
        // The last 24 hours: one row every 10 minutes for the rate chart.
        for (int64_t t = m_now - 86400 + 600; t <= m_now - 600; t += 600) {
            // A minute may already hold a day's octets: add, do not replace.
            TMinuteOctets& slot = batch[{"10.0.0.1#2", t - t % 60}];
            slot.octets.down += 6000;
            slot.octets.up += 600;
            slot.localDay = TCalendarDay::localDayOf(t).key();
            m_byDay[TCalendarDay::localDayOf(t).key()] += 6000;
        }
        // Traffic on the far side of each bound: the minute after the rate
        // chart's last, the day after today, the day after this period.
        for (const int64_t at : {m_now + 60, localNoon(2026, 11, 11), localNoon(2026, 12, 1)}) {
            batch[{"10.0.0.1#2", at}] = {{700000000, 7000}, TCalendarDay::localDayOf(at).key()};
            m_byDay[TCalendarDay::localDayOf(at).key()] += 700000000;
        }
        m_fed = batch;
        m_db->write(batch, {{"10.0.0.1#2", "Router"}}, m_now);
        m_sensors = {{"10.0.0.1#2", "Router", {1, 10, TQuotaKind::Download}},
                     {"10.0.0.2#1", "Empty", {}}};
    }

    uint64_t storedDown(int32_t from, int32_t to) const
    {
        return m_db->total("10.0.0.1#2", from, to).down;
    }

    std::unique_ptr<TUsageWindow> open()
    {
        return std::make_unique<TUsageWindow>(*m_db, m_sensors, TRateUnit::MegabitsPerSecond,
                                              [this] { return m_now; });
    }

    std::unique_ptr<TUsageDatabase> m_db;
    std::vector<TUsageSensorConfig> m_sensors;
    std::map<int32_t, uint64_t> m_byDay;
    TUsageBatch m_fed;
    int64_t m_now = 0;
};

QString octets(uint64_t value)
{
    return QString::fromStdString(UsageSummary::octetsText(value));
}

TEST_F(TUsageWindowTest, TotalsAreTheDatabasesNumbers)
{
    auto window = open();
    struct Row
    {
        int row;
        int32_t from;
        int32_t to;
    };
    const Row rows[] = {
        {0, 20261110, 20261111}, // today
        {1, 20261109, 20261110}, // yesterday
        {2, 20261101, 20261201}, // this period
        {3, 20261001, 20261101}, // last period
    };
    for (const Row& r : rows) {
        uint64_t fed = 0; // what SetUp wrote for those days
        for (const auto& [day, octets] : m_byDay)
            if (day >= r.from && day < r.to)
                fed += octets;
        EXPECT_EQ(storedDown(r.from, r.to), fed) << r.row;
        EXPECT_EQ(window->totalText(r.row, 0), octets(fed)) << r.row;
        EXPECT_EQ(window->totalText(r.row, 1), octets(m_db->total("10.0.0.1#2", r.from, r.to).up))
            << r.row;
    }
}

TEST_F(TUsageWindowTest, BarsShowEveryDayOfTheChosenPeriod)
{
    auto window = open();
    struct PeriodCase
    {
        bool last;
        std::size_t days;
        int32_t first;
    };
    for (const PeriodCase c : {PeriodCase{false, 30, 20261101}, PeriodCase{true, 31, 20261001}}) {
        window->selectPeriod(c.last);
        const auto days = window->shownDays();
        ASSERT_EQ(days.size(), c.days);
        EXPECT_EQ(days.front().day, c.first);
        // Over a gigabyte on the busiest day: the bars are in GB.
        EXPECT_EQ(window->barUnit(), "GB");
        const QList<qreal> down = window->barHeights(0);
        const QList<qreal> up = window->barHeights(1);
        ASSERT_EQ(down.size(), static_cast<int>(c.days));
        ASSERT_EQ(up.size(), static_cast<int>(c.days));
        for (std::size_t i = 0; i < days.size(); ++i) {
            const TDayOctets& d = days[i];
            const int32_t next = TCalendarDay::fromKey(d.day).plusDays(1).key();
            EXPECT_EQ(d.octets.down, storedDown(d.day, next)) << d.day;
            EXPECT_DOUBLE_EQ(down[int(i)], static_cast<double>(d.octets.down) / 1e9) << d.day;
            EXPECT_DOUBLE_EQ(up[int(i)], static_cast<double>(d.octets.up) / 1e9) << d.day;
        }
    }
}

TEST_F(TUsageWindowTest, ItSaysWhatWasCountedWhileClosedAndNamesTheGaps)
{
    auto window = open();
    auto* closed = window->findChild<QLabel*>("ClosedLBL");
    ASSERT_NE(closed, nullptr);
    EXPECT_EQ(closed->text(), ""); // the program ran all along
    TUsageCarry carry;
    const int64_t night = localNoon(2026, 11, 8) + 9 * 3600; // 21:00
    carry.spans.push_back(
        {"10.0.0.1#2", night, night + 10 * 3600, ClosedSpanVerdict::Counted, {700000, 7000}});
    carry.spans.push_back(
        {"10.0.0.1#2", night + 86400, night + 86400 + 3600, ClosedSpanVerdict::AgentRestarted, {}});
    m_db->write({}, {}, m_now, carry);
    window->refresh();
    EXPECT_EQ(closed->text().toStdString(), "Counted while closed: 700.00 kB down, 7.00 kB up\n"
                                            "Not counted (gap): 2026-11-09 21:00 to 2026-11-09 "
                                            "22:00, the agent restarted");
    // The totals include it.
    EXPECT_EQ(window->totalText(2, 0), octets(storedDown(20261101, 20261201)));
    EXPECT_EQ(m_db->closedTotal("10.0.0.1#2", 20261101, 20261201).down, 700000u);
}

TEST_F(TUsageWindowTest, QuotaShareAndProjection)
{
    auto window = open();
    const uint64_t used = storedDown(20261101, 20261201);
    const double share = static_cast<double>(used) / 10e9 * 100.0;
    EXPECT_TRUE(window->quotaText().startsWith(
        QString("Quota: %1 % of 10 GB used").arg(QString::number(share, 'f', 1))))
        << window->quotaText().toStdString();
    // 9.5 days... of a 30-day period have passed: the projection is larger
    // than what was used, and names the period's last day.
    EXPECT_TRUE(window->quotaText().endsWith("expected by 2026-11-30"));
    window->selectSensor(1);
    EXPECT_EQ(window->quotaText(), "No quota");
    EXPECT_EQ(window->totalText(2, 0), octets(0));
}

// Each point is the octets fed for its minute (or ten minutes, over a week)
// as Mbit/s, up to the minute before the next.
TEST_F(TUsageWindowTest, RateChartShowsTheFedOctetsAsRates)
{
    auto window = open();
    for (const bool week : {false, true}) {
        window->selectWeek(week);
        const int64_t span = week ? 7 * 86400 : 86400;
        const int64_t step = week ? 600 : 60;
        std::map<int64_t, TOctets> buckets;
        for (const auto& [at, slot] : m_fed) {
            if (at.second >= m_now - span && at.second < m_now + 60) {
                TOctets& bucket = buckets[at.second - at.second % step];
                bucket.down += slot.octets.down;
                bucket.up += slot.octets.up;
            }
        }
        const QList<QPointF> down = window->rateLine(0);
        const QList<QPointF> up = window->rateLine(1);
        ASSERT_EQ(down.size(), static_cast<int>(buckets.size())) << week;
        ASSERT_EQ(up.size(), down.size()) << week;
        int i = 0;
        for (const auto& [start, octets] : buckets) {
            EXPECT_EQ(down[i].x(), static_cast<double>(start) * 1000.0) << week << " " << i;
            EXPECT_DOUBLE_EQ(down[i].y(), static_cast<double>(octets.down) * 8 / step / 1e6) << i;
            EXPECT_DOUBLE_EQ(up[i].y(), static_cast<double>(octets.up) * 8 / step / 1e6) << i;
            ++i;
        }
    }
}

TEST_F(TUsageWindowTest, CsvExportOfTheShownPeriod)
{
    auto window = open();
    window->selectPeriod(true);
    const QString path = QString::fromStdString((m_root / "october.csv").string());
    QString error;
    ASSERT_TRUE(window->exportCsv(path, error)) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 32); // header and 31 days
    EXPECT_EQ(lines[0], "sensor,date,download_octets,upload_octets");
    uint64_t sum = 0;
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(',');
        ASSERT_EQ(fields.size(), 4);
        EXPECT_EQ(fields[0], "\"Router\"");
        sum += fields[2].toULongLong();
    }
    EXPECT_EQ(sum, storedDown(20261001, 20261101));
    EXPECT_FALSE(window->exportCsv("/proc/no-such-folder/x.csv", error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(TUsageWindowTest, WithoutSensorsItSaysSo)
{
    TUsageWindow window(*m_db, {}, TRateUnit::KibibytesPerSecond, [this] { return m_now; });
    EXPECT_EQ(window.messageText(), "No usage has been recorded yet.");
}

} // namespace
