#include "UsageSummary.h"

#include "QuotaNotice.h"

#include <cstdio>
#include <ctime>

namespace UsageSummary {

TUsageSummary summarize(const TUsageDatabase& db, const TUsageSensorConfig& sensor, int64_t now)
{
    TUsageSummary s;
    s.sensor = sensor;
    const TCalendarDay today = TCalendarDay::localDayOf(now);
    const int startDay = sensor.settings.PeriodStartDay;
    s.current = TBillingPeriod::containing(today, startDay);
    s.last = s.current.previous(startDay);
    s.today = db.total(sensor.key, today.key(), today.plusDays(1).key());
    s.yesterday = db.total(sensor.key, today.plusDays(-1).key(), today.key());
    s.thisPeriod = db.total(sensor.key, s.current.first.key(), s.current.next.key());
    s.lastPeriod = db.total(sensor.key, s.last.first.key(), s.last.next.key());
    s.thisPeriodClosed = db.closedTotal(sensor.key, s.current.first.key(), s.current.next.key());
    s.lastPeriodClosed = db.closedTotal(sensor.key, s.last.first.key(), s.last.next.key());
    s.thisPeriodGaps =
        db.gaps(sensor.key, s.current.first.localStart(), s.current.next.localStart());
    s.lastPeriodGaps = db.gaps(sensor.key, s.last.first.localStart(), s.last.next.localStart());
    const uint64_t quota = QuotaNotice::quotaOctets(sensor.settings.QuotaGB);
    if (quota > 0) {
        const uint64_t used = QuotaNotice::countedOctets(sensor.settings.QuotaKind,
                                                         s.thisPeriod.down, s.thisPeriod.up);
        s.quotaShare = static_cast<double>(used) / static_cast<double>(quota);
        const int64_t start = s.current.first.localStart();
        const int64_t end = s.current.next.localStart();
        s.projected =
            projectToPeriodEnd(static_cast<double>(used), static_cast<double>(now - start),
                               static_cast<double>(end - start));
    }
    return s;
}

std::vector<TDayOctets> periodDays(const TUsageDatabase& db, const std::string& key,
                                   const TBillingPeriod& period)
{
    const std::vector<TDayOctets> stored = db.days(key, period.first.key(), period.next.key());
    std::vector<TDayOctets> all;
    std::size_t next = 0;
    for (TCalendarDay d = period.first; d < period.next; d = d.plusDays(1)) {
        TDayOctets row{d.key(), {}};
        if (next < stored.size() && stored[next].day == d.key())
            row.octets = stored[next++].octets;
        all.push_back(row);
    }
    return all;
}

namespace {

std::string timeText(int64_t wallTime)
{
    const auto t = static_cast<std::time_t>(wallTime);
    std::tm parts{};
    localtime_r(&t, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &parts);
    return text;
}

} // namespace

std::vector<std::string> closedLines(const TUsageSummary& summary, bool lastPeriod)
{
    const TOctets& closed = lastPeriod ? summary.lastPeriodClosed : summary.thisPeriodClosed;
    const auto& gaps = lastPeriod ? summary.lastPeriodGaps : summary.thisPeriodGaps;
    std::vector<std::string> lines;
    if (closed.down > 0 || closed.up > 0)
        lines.push_back("Counted while closed: " + octetsText(closed.down) + " down, " +
                        octetsText(closed.up) + " up");
    // A laptop closed every night gives a gap a day: the newest few are
    // named, the rest counted.
    constexpr std::size_t kNamedGaps = 5;
    const std::size_t first = gaps.size() > kNamedGaps ? gaps.size() - kNamedGaps : 0;
    if (first > 0)
        lines.push_back("Not counted (gaps): " + std::to_string(first) + " earlier spans");
    for (std::size_t i = first; i < gaps.size(); ++i) {
        const TClosedSpanRecord& gap = gaps[i];
        lines.push_back("Not counted (gap): " + timeText(gap.from) + " to " + timeText(gap.to) +
                        ", " + ClosedSpan::gapReason(gap.verdict));
    }
    return lines;
}

std::string octetsText(uint64_t octets)
{
    static const char* const units[] = {"kB", "MB", "GB", "TB", "PB", "EB"};
    if (octets < 1000)
        return std::to_string(octets) + " B";
    double value = static_cast<double>(octets) / 1000.0;
    int unit = 0;
    while (value >= 999.995 && unit < 5) {
        value /= 1000.0;
        ++unit;
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f %s", value, units[unit]);
    return buffer;
}

std::string csvField(const std::string& text)
{
    std::string out = "\"";
    if (!text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@'))
        out += '\'';
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

std::string periodCsv(const std::string& sensorName, const std::vector<TDayOctets>& days)
{
    std::string csv = "sensor,date,download_octets,upload_octets\n";
    for (const TDayOctets& d : days)
        csv += csvField(sensorName) + "," + TCalendarDay::fromKey(d.day).text() + "," +
               std::to_string(d.octets.down) + "," + std::to_string(d.octets.up) + "\n";
    return csv;
}

} // namespace UsageSummary
