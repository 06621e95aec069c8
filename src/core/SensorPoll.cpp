#include "SensorPoll.h"

#include "ConvertError.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>

namespace SensorPoll {

const char* const kUpTimeOid = "1.3.6.1.2.1.1.3.0";
const char* const kUpTimeFallbackOid = "1.3.6.1.2.1.1.3";
const char* const kInOctetsPrefix = "1.3.6.1.2.1.2.2.1.10.";
const char* const kOutOctetsPrefix = "1.3.6.1.2.1.2.2.1.16.";
const char* const kHintReset = "Travimetra\n\r";

namespace {

// Time readings of the agent are in 1/100 s, of the local clock in ms.
constexpr int32_t kAgentDivisor = 100;
constexpr int32_t kLocalDivisor = 1000;

bool usesLocalClock(const TSensorRecord& sensor)
{
    return sensor.TimerToUse == 1;
}

// One time reading as text. An agent that answers the instance OID with an
// empty value gets asked for the bare OID; a reading that stays empty after
// that is "0". A failed read leaves the text empty, which the conversion
// later refuses.
std::string timeReading(const TSensorRecord& sensor, ISensorNetwork& network)
{
    if (usesLocalClock(sensor))
        return std::to_string(tickReading(network.tickCount()));
    std::string text;
    if (network.readValue(kUpTimeOid, sensor.Community, sensor.HostIP, text) && text.empty()) {
        network.readValue(kUpTimeFallbackOid, sensor.Community, sensor.HostIP, text);
        if (text.empty())
            text = "0";
    }
    return text;
}

int32_t counterReading(const TSensorRecord& sensor, const std::string& oid, ISensorNetwork& network)
{
    std::string text;
    network.readValue(oid, sensor.Community, sensor.HostIP, text);
    return text.empty() ? 0 : strToInt32(text);
}

// An agent's uptime only goes back when it started again (or after 497 days,
// when the 32-bit TimeTicks wrap); its counters then started again too.
bool agentRestarted(TSensorRecord& sensor, const std::string& upTimeText)
{
    int32_t reading = 0;
    if (!tryStrToInt32(upTimeText, reading))
        return false;
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

double counterRate(int32_t count, int32_t previous, double elapsed)
{
    if (!(elapsed > 0))
        return 0;
    return wrappingDifference(count, previous) / elapsed;
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
                     const std::string& upText)
{
    return sensor.HostName + " -> " + downText + " | " + upText;
}

TPollResult pollSensor(TSensorRecord& sensor, ISensorNetwork& network)
{
    TPollResult result;
    std::string reach;
    result.replied = network.readValue(kUpTimeOid, sensor.Community, sensor.HostIP, reach);
    if (result.replied) {
        const int32_t divisor = usesLocalClock(sensor) ? kLocalDivisor : kAgentDivisor;
        const std::string firstText = timeReading(sensor, network);
        sensor.DownCount = counterReading(sensor, sensor.DownOID, network);
        sensor.UpCount = counterReading(sensor, sensor.UpOID, network);
        const std::string secondText = timeReading(sensor, network);
        const int32_t second = strToInt32(secondText);
        const int32_t first = strToInt32(firstText);
        sensor.CurTime = midpointTime(first, second);
        // The difference to counters from before a restart is no rate; with
        // the local clock as time source nothing else would notice it.
        if (agentRestarted(sensor, reach)) {
            sensor.PrevDownCount = sensor.DownCount;
            sensor.PrevUpCount = sensor.UpCount;
        }

        const double elapsed = elapsedSeconds(sensor.CurTime, sensor.PrevTime, divisor);
        if (sensor.PrevDownCount == 0)
            sensor.PrevDownCount = sensor.DownCount;
        result.downRate = counterRate(sensor.DownCount, sensor.PrevDownCount, elapsed);
        result.downText = rateLabel("DL: ", result.downRate);
        if (sensor.PrevUpCount == 0)
            sensor.PrevUpCount = sensor.UpCount;
        result.upRate = counterRate(sensor.UpCount, sensor.PrevUpCount, elapsed);
        result.upText = rateLabel("UL: ", result.upRate);
    } else {
        // Both traces advance just above the bottom, so a silent agent is
        // visible on the graph.
        result.downText = "Error on DL sensor";
        result.downRate = 1;
        result.upText = "Error on UL sensor";
        result.upRate = 1;
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

    sensor.PrevUpCount = sensor.UpCount;
    sensor.PrevDownCount = sensor.DownCount;
    sensor.PrevTime = sensor.CurTime;
    return result;
}

} // namespace SensorPoll
