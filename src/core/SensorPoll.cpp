#include "SensorPoll.h"

#include "BerTag.h"
#include "ConvertError.h"
#include "SensorPollV2c.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>

namespace SensorPoll {

const char* const kHintReset = "Travimetra\n\r";

namespace {

// Time readings of the agent are in 1/100 s, of the local clock in ms.
constexpr int32_t kAgentDivisor = 100;
constexpr int32_t kLocalDivisor = 1000;

// One SNMP get of one OID; nothing when the agent did not answer.
std::optional<SnmpValue> readOne(const TSensorTarget& target, const std::string& oid,
                                 ISnmpReader& network, std::string& otherSender)
{
    const TReadReply reply = network.read({target.host, target.community, {oid}, 0, {}});
    if (!reply.otherSender.empty())
        otherSender = reply.otherSender;
    if (!reply.answered || reply.values.empty())
        return std::nullopt;
    return reply.values.front();
}

// One time reading. An agent that answers the instance OID with an empty
// value gets asked for the bare OID; a reading that stays empty after that
// is 0. Nothing when the agent did not answer.
std::optional<SnmpValue> timeReading(const TSensorTarget& target, ISnmpReader& network,
                                     std::string& otherSender)
{
    if (target.timerToUse == TTimerToUse::LocalTickCount)
        return SnmpValue::ofInteger(tickReading(network.tickCount()));
    std::optional<SnmpValue> value = readOne(target, kUpTimeOid, network, otherSender);
    if (value && value->empty()) {
        value = readOne(target, kUpTimeFallbackOid, network, otherSender).value_or(SnmpValue{});
        if (value->empty())
            value = SnmpValue::ofInteger(0);
    }
    return value;
}

// Converts a reading; a value that is not a number leaves its conversion
// message in `report` (the first one only).
bool convert(const std::optional<SnmpValue>& value, int32_t& number, std::string& report)
{
    if (!value || value->empty())
        return false;
    try {
        number = v1Reading(*value);
        return true;
    } catch (const TConvertError& error) {
        if (report.empty())
            report = error.what();
        return false;
    }
}

// An agent's uptime only goes back when it started again (or after 497 days,
// when the 32-bit TimeTicks wrap); its counters then started again too.
bool agentRestarted(TSensorRecord& sensor, const SnmpValue& upTimeValue)
{
    int32_t reading = 0;
    try {
        if (upTimeValue.empty())
            return false;
        reading = v1Reading(upTimeValue);
    } catch (const TConvertError&) {
        return false;
    }
    const auto upTime = static_cast<uint32_t>(reading);
    const bool restarted =
        sensor.LastAgentUpTime >= 0 && upTime < static_cast<uint64_t>(sensor.LastAgentUpTime);
    sensor.LastAgentUpTime = upTime;
    return restarted;
}

double roundHalfEven(double value)
{
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return whole;
}

} // namespace

void buildCounterOids(TSensorRecord& sensor)
{
    const char* down = sensor.SwapedInOut ? kOutOctetsPrefix : kInOctetsPrefix;
    const char* up = sensor.SwapedInOut ? kInOctetsPrefix : kOutOctetsPrefix;
    sensor.DownOID = down + sensor.Sensor;
    sensor.UpOID = up + sensor.Sensor;
}

int32_t v1Reading(const SnmpValue& value)
{
    switch (value.kind) {
    case ValueKind::Unsigned:
        // The bits of a 32-bit counter, gauge or time; a wider number is
        // refused in the words it always was.
        if (value.type != BerTag::Counter64 ||
            value.number <= uint64_t(std::numeric_limits<int32_t>::max()))
            return static_cast<int32_t>(static_cast<uint32_t>(value.number));
        return strToInt32(std::to_string(value.number));
    case ValueKind::Integer: {
        const int64_t number = static_cast<int64_t>(value.number);
        if (number >= std::numeric_limits<int32_t>::min() &&
            number <= std::numeric_limits<int32_t>::max())
            return static_cast<int32_t>(number);
        return strToInt32(std::to_string(number));
    }
    case ValueKind::Text:
        return strToInt32(value.text);
    default:
        return strToInt32("");
    }
}

int32_t tickReading(uint32_t ticks)
{
    return static_cast<int32_t>(ticks);
}

int32_t wrappingDifference(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

double midpointTime(int32_t first, int32_t second)
{
    const auto sum =
        static_cast<int32_t>(static_cast<uint32_t>(second) + static_cast<uint32_t>(first));
    return sum / 2.0;
}

double elapsedSeconds(double curTime, double prevTime, int32_t divisor)
{
    return (curTime - prevTime) / divisor;
}

CounterStep counterStepOf(int32_t count, int32_t previous, double elapsed, double bytesPerSecond)
{
    // A signed difference below 0 is a step of 2^31 or more as unsigned
    // numbers: the counter went back.
    return boundedStep(static_cast<uint32_t>(previous), static_cast<uint32_t>(count),
                       CounterWidth::Bits32, bytesPerSecond, elapsed);
}

double counterRate(int32_t count, int32_t previous, double elapsed, double bytesPerSecond)
{
    return stepRate(counterStepOf(count, previous, elapsed, bytesPerSecond), elapsed);
}

CounterSpeeds counterSpeeds(const TSensorRecord& sensor)
{
    if (sensor.SpeedType != stDetected)
        return {};
    return {double(sensor.DownSpeed) * 1000 / 8, double(sensor.UpSpeed) * 1000 / 8};
}

RateRule rateRule(const TSensorRecord& sensor)
{
    return sensor.SteadyRates ? RateRule::Steady : RateRule::PerPoll;
}

int32_t roundRate(double rate)
{
    if (std::isnan(rate))
        return 0;
    const double rounded = roundHalfEven(rate);
    if (rounded >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (rounded <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(rounded);
}

std::string rateLabel(const char* prefix, double rate)
{
    // One decimal, halves away from zero, and no "-0.0" for a value that
    // rounds to nothing.
    const double tenths = std::round(rate / 1024.0 * 10.0);
    const char* point = std::localeconv()->decimal_point;
    std::string number;
    if (std::fabs(tenths) < 1e18) {
        const auto whole = static_cast<long long>(tenths);
        const long long magnitude = whole < 0 ? -whole : whole;
        number = (whole < 0 ? "-" : "") + std::to_string(magnitude / 10) + point +
                 std::to_string(magnitude % 10);
    } else {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.1f", rate / 1024.0);
        number = buffer;
    }
    return prefix + number + " kb/s";
}

int trayLevel(int32_t rate, int32_t speed)
{
    if (speed == 0)
        return rate == 0 ? 0 : 5;
    const double q = static_cast<double>(rate) / speed / 2.0;
    // Away from zero: any traffic at all shows at least level 1.
    const double x = q > 0 ? std::ceil(q) : std::floor(q);
    if (x == 0)
        return 0;
    if (x < 0 || x > 40)
        return 5;
    return static_cast<int>((x - 1) / 10) + 1;
}

int trayIconIndex(int32_t downRate, int32_t upRate, int32_t downSpeed, int32_t upSpeed)
{
    return 6 * trayLevel(downRate, downSpeed) + trayLevel(upRate, upSpeed);
}

int baseOffset(const TSensorRecord& sensor)
{
    if (!sensor.LighterLine || sensor.UpSpeed == sensor.DownSpeed)
        return 50;
    // A zero download speed gives no ratio at all.
    if (sensor.DownSpeed == 0)
        return 50;
    const double percent = roundHalfEven(static_cast<double>(sensor.UpSpeed) /
                                         static_cast<double>(sensor.DownSpeed) * 100.0);
    if (percent < 0)
        return 0;
    // An upload faster than the download puts the base line above the top
    // edge, as the ratio says. The offset is an 8-bit value: a ratio beyond
    // it would wrap round to a line somewhere inside the graph, so it stays
    // at the highest offset, still above the top.
    if (percent > kMaxBaseOffset)
        return kMaxBaseOffset;
    return static_cast<int>(percent);
}

std::string hintLine(const TSensorRecord& sensor, const std::string& downText,
                     const std::string& upText, const std::string& failure)
{
    std::string line = sensor.HostName + " -> " + downText + " | " + upText;
    if (!failure.empty())
        line += " (" + failure + ")";
    return line;
}

TSensorTarget targetOf(const TSensorRecord& sensor, bool pingFirst)
{
    TSensorTarget target;
    target.host = sensor.HostIP;
    target.community = sensor.Community;
    target.downOid = sensor.DownOID;
    target.upOid = sensor.UpOID;
    target.timerToUse = sensor.TimerToUse;
    target.pingFirst = pingFirst;
    if (readsInOneRequest(sensor.SnmpVersion))
        describeV2cTarget(sensor, target);
    return target;
}

std::vector<TSensorTarget> passTargets(const TMonitorSettings& settings)
{
    std::vector<TSensorTarget> targets;
    const std::size_t count =
        std::min(settings.Sensors.size(), std::size_t(std::max(0, settings.NumberOfHosts)));
    for (std::size_t i = 0; i < count; ++i) {
        if (settings.Sensors[i].Active) {
            targets.push_back(targetOf(settings.Sensors[i], settings.DoPing));
            targets.back().index = int(i);
        }
    }
    return targets;
}

TSensorReading readSensor(const TSensorTarget& target, ISnmpReader& network)
{
    TSensorReading reading;
    reading.index = target.index;
    if (target.pingFirst && network.pingRoundTrip(target.host) == -1) {
        reading.pingFailed = true;
        return reading;
    }
    if (readsInOneRequest(target.version))
        return readSensorV2c(target, network, std::move(reading));
    std::string& other = reading.otherSender;
    const std::optional<SnmpValue> reach = readOne(target, kUpTimeOid, network, other);
    reading.replied = reach.has_value();
    if (!reading.replied)
        return reading;
    reading.reach = *reach;
    reading.firstTime = timeReading(target, network, other);
    reading.down = readOne(target, target.downOid, network, other);
    reading.up = readOne(target, target.upOid, network, other);
    reading.secondTime = timeReading(target, network, other);
    return reading;
}

TPollResult applyReading(TSensorRecord& sensor, const TSensorReading& reading)
{
    TPollResult result;
    result.otherSender = reading.otherSender;
    if (reading.pingFailed) {
        result.pinged = false;
        result.downText = "Error on response";
        result.upText = "Error on response";
        return result;
    }

    if (reading.v2c.used) {
        applyV2cReading(sensor, reading, result);
    } else {
        // Counters read with the other version are no baseline any more;
        // a version 1 poll never leaves one in the series.
        if (sensor.GraphSeries.hasBaseline())
            sensor.GraphSeries.restart();
        applyV1Reading(sensor, reading, result);
    }
    result.interfaceNote = sensor.InterfaceNote;
    if (!result.replied && !reading.failure.empty()) {
        // A password the secret store could not give is the cause of any
        // refusal that follows from it.
        result.failure = sensor.SecretsNote.empty() ? reading.failure : sensor.SecretsNote;
    }

    if (sensor.SpeedType == stLive) {
        const int32_t down = roundRate(result.downRate);
        const int32_t up = roundRate(result.upRate);
        const int32_t candidate = up > down ? up : down;
        if (sensor.DownSpeed < candidate && sensor.UpSpeed < candidate) {
            sensor.DownSpeed = candidate;
            sensor.UpSpeed = candidate;
            result.newMaximum = candidate;
        }
    }
    return result;
}

void showError(TPollResult& result)
{
    // Both traces advance just above the bottom, so a silent agent is
    // visible on the graph.
    result.replied = false;
    result.downText = "Error on DL sensor";
    result.downRate = 1;
    result.upText = "Error on UL sensor";
    result.upRate = 1;
}

void applyV1Reading(TSensorRecord& sensor, const TSensorReading& reading, TPollResult& result)
{
    int32_t down = 0;
    int32_t up = 0;
    int32_t second = 0;
    int32_t first = 0;
    result.replied = reading.replied;
    if (result.replied) {
        // Every conversion is tried, so the report names the first bad text
        // in the order the readings were converted before.
        bool ok = convert(reading.down, down, result.report);
        ok = convert(reading.up, up, result.report) && ok;
        ok = convert(reading.secondTime, second, result.report) && ok;
        ok = convert(reading.firstTime, first, result.report) && ok;
        result.replied = ok;
    }

    if (result.replied) {
        const int32_t divisor =
            sensor.TimerToUse == TTimerToUse::LocalTickCount ? kLocalDivisor : kAgentDivisor;
        sensor.DownCount = down;
        sensor.UpCount = up;
        sensor.CurTime = midpointTime(first, second);
        // The difference to counters from before a restart is no rate; with
        // the local clock as time source nothing else would notice it.
        if (agentRestarted(sensor, reading.reach)) {
            sensor.PrevDownCount = sensor.DownCount;
            sensor.PrevUpCount = sensor.UpCount;
            sensor.GraphSeries.restart();
        }

        const double elapsed = elapsedSeconds(sensor.CurTime, sensor.PrevTime, divisor);
        const CounterSpeeds speeds = counterSpeeds(sensor);
        // Without previous readings (the first poll, a new layout) this poll
        // is the baseline of the refresh steps as well, as for every version.
        const bool baseline = sensor.PrevDownCount == 0 && sensor.PrevUpCount == 0;
        if (baseline)
            sensor.GraphSeries.restart();
        if (sensor.PrevDownCount == 0)
            sensor.PrevDownCount = sensor.DownCount;
        if (sensor.PrevUpCount == 0)
            sensor.PrevUpCount = sensor.UpCount;
        // The same rule as every other version.
        const StepRates rates =
            baseline
                ? StepRates{}
                : sensor.GraphSeries.rates(
                      elapsed,
                      counterStepOf(sensor.DownCount, sensor.PrevDownCount, elapsed, speeds.down),
                      counterStepOf(sensor.UpCount, sensor.PrevUpCount, elapsed, speeds.up),
                      rateRule(sensor));
        result.downRate = rates.down;
        result.downText = rateLabel("DL: ", result.downRate);
        result.upRate = rates.up;
        result.upText = rateLabel("UL: ", result.upRate);
        CounterSample sample;
        sample.time = sensor.CurTime;
        sample.divisor = divisor;
        // The counters arrive as signed 32-bit readings; their bits are the
        // agent's unsigned Counter32.
        sample.down = static_cast<uint32_t>(sensor.DownCount);
        sample.up = static_cast<uint32_t>(sensor.UpCount);
        sample.agentUpTime = sensor.LastAgentUpTime;
        sample.binding = sensor.CounterBinding;
        result.sample = sample;
    } else {
        // Nothing of this poll is kept: the moves below carry the last good
        // poll's values along.
        showError(result);
    }
    sensor.PrevUpCount = sensor.UpCount;
    sensor.PrevDownCount = sensor.DownCount;
    sensor.PrevTime = sensor.CurTime;
}

std::string answeredFromText(const std::string& address)
{
    return "The device answered from " + address + "; poll that address instead.";
}

std::optional<std::string> titleToolTip(const TPollResult& result)
{
    if (!result.otherSender.empty())
        return answeredFromText(result.otherSender);
    if (!result.failure.empty())
        return result.failure;
    if (!result.interfaceNote.empty())
        return result.interfaceNote;
    if (result.replied)
        return std::string();
    return std::nullopt;
}

uint32_t pollPeriod(int32_t intervalSeconds)
{
    const int64_t period = int64_t(intervalSeconds) * 1000;
    return static_cast<uint32_t>(
        std::clamp<int64_t>(period, 0, std::numeric_limits<uint32_t>::max()));
}

TPollResult pollSensor(TSensorRecord& sensor, ISnmpReader& network)
{
    return applyReading(sensor, readSensor(targetOf(sensor, false), network));
}

} // namespace SensorPoll
