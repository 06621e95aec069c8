#include "TrafficLog.h"

#include "ControlCharacters.h"
#include "ConvertError.h"
#include "SensorPollV2c.h"

#include <algorithm>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace TrafficLog {

namespace {

using SensorPoll::kUpTimeFallbackOid;
using SensorPoll::kUpTimeOid;

// Uptime is in hundredths of a second, the local clock in milliseconds.
constexpr int32_t kAgentDivisor = 100;
constexpr int32_t kLocalDivisor = 1000;

// One SNMPv1 get of one OID; nothing when the agent did not answer.
std::optional<SnmpValue> readOne(const TSensorRecord& sensor, const std::string& oid,
                                 ISnmpReader& reader)
{
    const TReadReply reply = reader.read({sensor.HostIP, sensor.Community, {oid}, 0, {}});
    if (!reply.answered || reply.values.empty())
        return std::nullopt;
    return reply.values.front();
}

std::optional<int32_t> readCounter(const TSensorRecord& sensor, const std::string& oid,
                                   ISnmpReader& reader)
{
    // An unreadable counter taken as 0 would log a rate that looks real
    // whenever the previous reading was past 2^31; no line is better.
    const std::optional<SnmpValue> value = readOne(sensor, oid, reader);
    if (!value || value->empty())
        return std::nullopt;
    return SensorPoll::v1Reading(*value);
}

std::optional<TLogReadings> readV2c(const TSensorRecord& sensor, ITrafficLogIO& io)
{
    if (sensor.TimerToUse != TTimerToUse::AgentUpTime &&
        sensor.TimerToUse != TTimerToUse::LocalTickCount)
        return std::nullopt;
    SensorPoll::TSensorTarget target = SensorPoll::targetOf(sensor, false);
    if (!target.countersChosen && sensor.LogSeries.hasBaseline()) {
        // Before the poll chose, the log's own baseline tells the width: a
        // passing exception then skips the tick instead of changing widths.
        target.countersChosen = true;
        target.highCapacity = sensor.LogSeries.last().width == CounterWidth::Bits64;
    }
    const SensorPoll::TV2cReading got = SensorPoll::readCountersV2c(target, io);
    if (!got.valid)
        return std::nullopt;
    TLogReadings readings;
    readings.v2c = true;
    CounterSample& sample = readings.sample;
    if (sensor.TimerToUse == TTimerToUse::AgentUpTime) {
        sample.time = got.upTime;
        sample.divisor = kAgentDivisor;
    } else {
        // As for version 1: the clock read before the counters.
        sample.time = got.firstTick;
        sample.divisor = kLocalDivisor;
    }
    sample.width = got.highCapacity ? CounterWidth::Bits64 : CounterWidth::Bits32;
    sample.down = got.down;
    sample.up = got.up;
    sample.agentUpTime = got.upTime;
    // Counters the poll chose anew since the last tick (the interface moved,
    // the agent restarted) are no step from the log's baseline.
    sample.binding = sensor.CounterBinding;
    return readings;
}

} // namespace

uint32_t logPeriod(int32_t logTime, TLogSecMinType logSecMinType)
{
    int64_t unit = 0;
    if (logSecMinType == TLogSecMinType::Seconds)
        unit = 1000;
    else if (logSecMinType == TLogSecMinType::Minutes)
        unit = 60000;
    const int64_t period = int64_t(logTime) * unit;
    if (period <= 0 || period > int64_t(std::numeric_limits<uint32_t>::max()))
        return 0;
    return uint32_t(period);
}

std::string fileNamePart(const std::string& name)
{
    std::string part = ControlCharacters::replaced(name, '_');
    for (char& c : part) {
        if (c == '/')
            c = '_';
    }
    return part;
}

std::string perSensorFileName(const std::string& folder, const TSensorRecord& sensor)
{
    // The address and ".log" are what tell the files apart; a long name is
    // cut first so that the whole stays within what a file system allows.
    const std::string tail = ".log";
    std::string address = "@" + fileNamePart(sensor.HostIP);
    address = std::string(ControlCharacters::cutUtf8(address, kMaxFileNameBytes - tail.size()));
    const std::string name = fileNamePart(sensor.HostName);
    const std::string_view cut =
        ControlCharacters::cutUtf8(name, kMaxFileNameBytes - tail.size() - address.size());
    return folder + "/" + std::string(cut) + address + tail;
}

namespace {

// One field of a log line from a name: a line break in it would start a
// record of the agent's making, a separator would add a field that moves
// every rate after it. Both become a space; every other byte stays.
std::string logField(std::string_view text)
{
    std::string field = ControlCharacters::replaced(text);
    std::replace(field.begin(), field.end(), ';', ' ');
    return field;
}

} // namespace

std::string logLine(const std::string& stamp, const TSensorRecord& sensor, double rDown, double rUp,
                    const std::string& decimalPoint)
{
    using namespace LogTextFormat;
    return stamp + ";" + logField(sensor.HostName) + ";" + logField(sensor.HostIP) + ";" +
           formatGeneral(rDown, decimalPoint) + ";" + formatOneDecimal(rDown / 1024, decimalPoint) +
           ";" + formatGeneral(rUp, decimalPoint) + ";" +
           formatOneDecimal(rUp / 1024, decimalPoint) + "\n";
}

std::string syslogText(const TSensorRecord& sensor, double rDown, double rUp,
                       const std::string& decimalPoint)
{
    using namespace LogTextFormat;
    return ControlCharacters::replaced(sensor.HostName + " [" + sensor.SensorName + "@" +
                                       sensor.HostIP + "] ") +
           formatOneDecimal(rDown / 1024, decimalPoint) +
           " Up: " + formatOneDecimal(rUp / 1024, decimalPoint);
}

std::optional<TLogReadings> readSensor(const TSensorRecord& sensor, ITrafficLogIO& io)
{
    if (SensorPoll::readsInOneRequest(sensor.SnmpVersion))
        return readV2c(sensor, io);
    TLogReadings readings;
    if (sensor.TimerToUse == TTimerToUse::AgentUpTime) {
        std::optional<SnmpValue> upTime = readOne(sensor, kUpTimeOid, io);
        if (!upTime)
            return std::nullopt;
        if (upTime->empty()) {
            // Some agents answer only the bare object.
            upTime = readOne(sensor, kUpTimeFallbackOid, io).value_or(SnmpValue{});
            if (upTime->empty())
                upTime = SnmpValue::ofInteger(0);
        }
        readings.time = SensorPoll::v1Reading(*upTime);
        readings.divisor = kAgentDivisor;
    } else if (sensor.TimerToUse == TTimerToUse::LocalTickCount) {
        readings.time = static_cast<int32_t>(io.tickCount());
        readings.divisor = kLocalDivisor;
    } else {
        return std::nullopt;
    }

    const std::optional<int32_t> down = readCounter(sensor, sensor.DownOID, io);
    if (!down)
        return std::nullopt;
    const std::optional<int32_t> up = readCounter(sensor, sensor.UpOID, io);
    if (!up)
        return std::nullopt;
    readings.down = *down;
    readings.up = *up;
    return readings;
}

namespace {

// A version 1 sensor's steps since the log's previous readings; nothing for
// a tick without elapsed time or whose clock went back.
struct TLogSteps
{
    double seconds = 0;
    CounterStep down;
    CounterStep up;
};

std::optional<TLogSteps> logSteps(const TSensorRecord& sensor, const TLogReadings& readings)
{
    const int32_t ticks = SensorPoll::wrappingDifference(readings.time, sensor.LogPrevTime);
    if (ticks <= 0 || readings.divisor <= 0)
        return std::nullopt;
    TLogSteps steps;
    steps.seconds = double(ticks) / readings.divisor;
    const int32_t previousDown =
        sensor.LogPrevDownCount == 0 ? readings.down : sensor.LogPrevDownCount;
    const int32_t previousUp = sensor.LogPrevUpCount == 0 ? readings.up : sensor.LogPrevUpCount;
    const CounterSpeeds speeds = SensorPoll::counterSpeeds(sensor);
    steps.down = SensorPoll::counterStepOf(readings.down, previousDown, steps.seconds, speeds.down);
    steps.up = SensorPoll::counterStepOf(readings.up, previousUp, steps.seconds, speeds.up);
    return steps;
}

// The version 1 rates by the sensor's rule, with what `series` learnt of the
// agent's refresh steps (it keeps no baseline for version 1).
TLogRates ruledLogRates(const TSensorRecord& sensor, const TLogReadings& readings,
                        CounterSeries& series)
{
    // A series with a baseline counted another version's counters; readings
    // without previous ones are the baseline of the refresh steps too.
    const bool baseline = sensor.LogPrevDownCount == 0 && sensor.LogPrevUpCount == 0;
    if (series.hasBaseline() || baseline)
        series.restart();
    const std::optional<TLogSteps> steps = logSteps(sensor, readings);
    if (!steps || baseline)
        return {};
    const StepRates rates =
        series.rates(steps->seconds, steps->down, steps->up, SensorPoll::rateRule(sensor));
    return {rates.down, rates.up};
}

} // namespace

TLogRates logRates(const TSensorRecord& sensor, const TLogReadings& readings)
{
    const std::optional<TLogSteps> steps = logSteps(sensor, readings);
    if (!steps)
        return {};
    return {stepRate(steps->down, steps->seconds), stepRate(steps->up, steps->seconds)};
}

void keepReadings(TSensorRecord& sensor, const TLogReadings& readings)
{
    // Each kind of reading leaves the other kind without a baseline, so a
    // sensor switched between versions starts its log afresh.
    sensor.LogPrevDownCount = readings.down;
    sensor.LogPrevUpCount = readings.up;
    sensor.LogPrevTime = readings.time;
    if (!readings.v2c)
        sensor.LogSeries.restart();
}

void WriteOneLog(const TMonitorSettings& settings, ITrafficLogIO& io, const TLocaleFormats& formats,
                 const std::string& path, TLogType mode, int index, double rDown, double rUp)
{
    if (index < 0 || std::size_t(index) >= settings.Sensors.size())
        throw std::out_of_range("No sensor " + std::to_string(index) + " to log");
    const TSensorRecord& sensor = settings.Sensors[std::size_t(index)];
    const std::string fileName = mode == ltFilePerSensor ? perSensorFileName(path, sensor) : path;
    const std::string stamp = LogTextFormat::formatTimeStamp(io.localNow(), formats);
    io.appendToFile(fileName, logLine(stamp, sensor, rDown, rUp, formats.decimalPoint));
}

namespace {

// The line (or message) of sensor `index` at these rates.
void writeLine(const TMonitorSettings& settings, ITrafficLogIO& io, const TLocaleFormats& formats,
               int index, const TLogRates& rates)
{
    if (!settings.EnableLog)
        return;
    const TSensorRecord& sensor = settings.Sensors[std::size_t(index)];
    switch (settings.LogType) {
    case ltOneFile:
        WriteOneLog(settings, io, formats, settings.LogFile, ltOneFile, index, rates.down,
                    rates.up);
        break;
    case ltFilePerSensor:
        WriteOneLog(settings, io, formats, settings.LogFolder, ltFilePerSensor, index, rates.down,
                    rates.up);
        break;
    case ltSyslog:
        // Delivery is not confirmed: a lost datagram is a lost line.
        io.sendSyslog(settings.SysLogServer, kSyslogFacility, kSyslogSeverity,
                      syslogText(sensor, rates.down, rates.up, formats.decimalPoint));
        break;
    default:
        break;
    }
}

TTickRead readCaught(const TSensorRecord& sensor, ITrafficLogIO& io)
{
    TTickRead read;
    try {
        read.readings = readSensor(sensor, io);
    } catch (...) {
        read.error = std::current_exception();
    }
    return read;
}

} // namespace

namespace {

// One sensor's line from this tick's readings, then its new baseline.
void logOne(TMonitorSettings& settings, ITrafficLogIO& io, const TLocaleFormats& formats,
            std::size_t index, const TLogReadings& readings)
{
    TSensorRecord& sensor = settings.Sensors[index];
    // Stepped on a copy: a line that cannot be written keeps the previous
    // baseline and refresh steps.
    CounterSeries series = sensor.LogSeries;
    TLogRates rates;
    if (readings.v2c) {
        const SeriesStep step = series.step(readings.sample, SensorPoll::counterSpeeds(sensor),
                                            SensorPoll::rateRule(sensor));
        rates = {step.downRate(), step.upRate()};
    } else {
        rates = ruledLogRates(sensor, readings, series);
    }
    writeLine(settings, io, formats, int(index), rates);
    keepReadings(sensor, readings);
    sensor.LogSeries = series;
}

} // namespace

void writeTick(TMonitorSettings& settings, ITrafficLogIO& io, const TLocaleFormats& formats,
               const std::vector<TTickRead>& reads)
{
    for (std::size_t i = 0; i < settings.Sensors.size() && i < reads.size(); ++i) {
        if (!settings.Sensors[i].Active)
            continue;
        if (reads[i].error)
            std::rethrow_exception(reads[i].error);
        if (reads[i].readings)
            logOne(settings, io, formats, i, *reads[i].readings);
    }
}

void logTick(TMonitorSettings& settings, ITrafficLogIO& io, const TLocaleFormats& formats)
{
    for (std::size_t i = 0; i < settings.Sensors.size(); ++i) {
        if (!settings.Sensors[i].Active)
            continue;
        if (const std::optional<TLogReadings> readings = readSensor(settings.Sensors[i], io))
            logOne(settings, io, formats, i, *readings);
    }
}

std::chrono::milliseconds readDeadline(int32_t logTime, TLogSecMinType logSecMinType)
{
    return std::chrono::milliseconds(logPeriod(logTime, logSecMinType) / 2);
}

std::vector<TTickRead> readTogether(const TMonitorSettings& settings,
                                    const std::shared_ptr<ITrafficLogIO>& io,
                                    std::chrono::milliseconds deadline)
{
    // Shared with the reading threads, which may end after this tick did.
    struct Shared
    {
        std::mutex mutex;
        std::condition_variable changed;
        std::vector<TTickRead> reads;
        std::vector<bool> done;
        std::size_t left = 0;
    };
    const auto shared = std::make_shared<Shared>();
    shared->reads.resize(settings.Sensors.size());
    shared->done.resize(settings.Sensors.size());
    const auto until = std::chrono::steady_clock::now() + deadline;
    for (std::size_t i = 0; i < settings.Sensors.size(); ++i) {
        if (!settings.Sensors[i].Active)
            continue;
        auto read = [shared, io, i, sensor = settings.Sensors[i]] {
            TTickRead got = readCaught(sensor, *io);
            const std::lock_guard<std::mutex> lock(shared->mutex);
            shared->reads[i] = std::move(got);
            shared->done[i] = true;
            --shared->left;
            shared->changed.notify_all();
        };
        {
            const std::lock_guard<std::mutex> lock(shared->mutex);
            ++shared->left;
        }
        try {
            std::thread(std::move(read)).detach();
        } catch (const std::system_error&) {
            read(); // no thread to be had: read it here
        }
    }
    std::unique_lock<std::mutex> lock(shared->mutex);
    shared->changed.wait_until(lock, until, [&] { return shared->left == 0; });
    std::vector<TTickRead> reads(settings.Sensors.size());
    for (std::size_t i = 0; i < reads.size(); ++i) {
        if (shared->done[i])
            reads[i] = shared->reads[i];
    }
    return reads;
}

TMonitorSettings detachedCopy(const TMonitorSettings& settings)
{
    TMonitorSettings copy = settings;
    // The controls belong to the window's thread; the copy must not even
    // share their ownership.
    for (TSensorRecord& sensor : copy.Sensors)
        sensor.Controls.reset();
    return copy;
}

TDetachedTick logTogether(TMonitorSettings copy, const std::shared_ptr<ITrafficLogIO>& io,
                          const TLocaleFormats& formats)
{
    TDetachedTick tick;
    try {
        writeTick(copy, *io, formats,
                  readTogether(copy, io, readDeadline(copy.LogTime, copy.LogSecMinType)));
    } catch (const std::exception& error) {
        tick.report = error.what();
    }
    tick.settings = std::move(copy);
    return tick;
}

TDetachedTick logDetached(TMonitorSettings copy, ITrafficLogIO& io, const TLocaleFormats& formats)
{
    TDetachedTick tick;
    try {
        logTick(copy, io, formats);
    } catch (const std::exception& error) {
        tick.report = error.what();
    }
    tick.settings = std::move(copy);
    return tick;
}

void keepLogged(TMonitorSettings& settings, const TMonitorSettings& logged)
{
    for (std::size_t i = 0; i < logged.Sensors.size() && i < settings.Sensors.size(); ++i) {
        const TSensorRecord& from = logged.Sensors[i];
        TSensorRecord& to = settings.Sensors[i];
        // A sensor edited meanwhile starts its log afresh.
        if (from.HostIP != to.HostIP || from.DownOID != to.DownOID || from.UpOID != to.UpOID ||
            from.SnmpVersion != to.SnmpVersion)
            continue;
        to.LogPrevDownCount = from.LogPrevDownCount;
        to.LogPrevUpCount = from.LogPrevUpCount;
        to.LogPrevTime = from.LogPrevTime;
        to.LogSeries = from.LogSeries;
    }
}

} // namespace TrafficLog
