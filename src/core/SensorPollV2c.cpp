#include "SensorPollV2c.h"

#include "ConvertError.h"
#include "CounterStep.h"
#include "InterfaceCounters.h"
#include "InterfaceRebinding.h"
#include "SnmpBinding.h"

#include <limits>

namespace SensorPoll {

namespace {

constexpr int32_t kAgentDivisor = 100;
constexpr int32_t kLocalDivisor = 1000;
constexpr uint64_t kMaxUpTime = std::numeric_limits<uint32_t>::max();

TReadReply get(const TSensorTarget& target, std::vector<std::string> oids, ISnmpReader& network,
               TSensorReading& reading)
{
    TReadReply reply = network.read(
        {target.host, target.community, std::move(oids), storedNumber(target.version), target.v3});
    if (!reply.otherSender.empty())
        reading.otherSender = reply.otherSender;
    reading.failure = reply.failure;
    return reply;
}

// The value of binding i when the agent gave it as a number a counter can
// be: an octet string that reads "12345" is text, not a counter.
const SnmpValue* counterOf(const TReadReply& reply, std::size_t i)
{
    const SnmpValue* value = reply.valueAt(i);
    return value && value->isCounter() ? value : nullptr;
}

CounterOids countersOf(const TSensorTarget& target, int32_t index, bool highCapacity)
{
    CounterOids oids = counterOidsFor(index, highCapacity, highCapacity);
    if (target.swapped)
        std::swap(oids.in, oids.out);
    return oids;
}

// What one request for uptime and both counters brought.
struct Sample
{
    bool answered = false;
    bool upTime = false;   // the uptime came as a number
    bool counters = false; // both counters came as numbers
    bool rebooted = false; // the agent said it started again
};

// One request for uptime and both counters; v2c.valid when all three came.
Sample sample(const TSensorTarget& target, const CounterOids& oids, ISnmpReader& network,
              TSensorReading& reading)
{
    TV2cReading& v2c = reading.v2c;
    if (target.timerToUse == TTimerToUse::LocalTickCount)
        v2c.firstTick = network.tickCount();
    const TReadReply reply = get(target, {kUpTimeOid, oids.in, oids.out}, network, reading);
    if (target.timerToUse == TTimerToUse::LocalTickCount)
        v2c.secondTick = network.tickCount();
    Sample outcome;
    outcome.answered = reading.replied = reply.answered;
    outcome.rebooted = reply.agentRestarted;
    v2c.engineBoots = reply.engineBoots;
    if (!reply.answered)
        return outcome;
    const SnmpValue* upTime = reply.valueAt(0);
    const SnmpValue* down = counterOf(reply, 1);
    const SnmpValue* up = counterOf(reply, 2);
    const uint64_t counterMax = oids.width == CounterWidth::Bits64
                                    ? std::numeric_limits<uint64_t>::max()
                                    : uint64_t(std::numeric_limits<uint32_t>::max());
    uint64_t time = 0;
    outcome.upTime = upTime && unsignedOf(*upTime, kMaxUpTime, time);
    outcome.counters = down && up && unsignedOf(*down, counterMax, v2c.down) &&
                       unsignedOf(*up, counterMax, v2c.up);
    v2c.valid = outcome.upTime && outcome.counters;
    v2c.upTime = static_cast<uint32_t>(time);
    v2c.highCapacity = oids.width == CounterWidth::Bits64;
    return outcome;
}

// Where the sensor's interface is now. False when that could not be read.
bool findInterface(const TSensorTarget& target, ISnmpReader& network, TSensorReading& reading,
                   RebindDecision& decision)
{
    decision = {RebindOutcome::Keep, target.ifIndex};
    if (target.sensorName.empty())
        return true;
    const std::string descr = std::string(kIfDescrColumn) + "." + std::to_string(target.ifIndex);
    const TReadReply reply = get(target, {descr}, network, reading);
    reading.replied = reply.answered;
    if (!reply.answered)
        return false;
    if (const SnmpValue* name = reply.valueAt(0);
        name && name->kind == ValueKind::Text && name->text == target.sensorName)
        return true;
    std::vector<std::pair<std::string, std::string>> rows;
    if (!network.walk({target.host,
                       target.community,
                       {kIfDescrColumn},
                       storedNumber(target.version),
                       target.v3},
                      rows))
        return false;
    decision =
        rebindInterface(target.ifIndex, target.sensorName, walkedInterfaces(kIfDescrColumn, rows));
    return true;
}

// The 64-bit counters of the interface, or the 32-bit ones (a second
// request) when the agent lacks them. False when the agent did not answer.
bool sampleWidest(const TSensorTarget& target, int32_t index, ISnmpReader& network,
                  TSensorReading& reading)
{
    if (!sample(target, countersOf(target, index, true), network, reading).answered)
        return false;
    if (!reading.v2c.valid) {
        reading.v2c.highCapacity = false;
        sample(target, countersOf(target, index, false), network, reading);
    }
    return true;
}

void interfaceNote(TSensorRecord& sensor, std::string note)
{
    sensor.InterfaceNote = std::move(note);
}

} // namespace

std::string countersKey(const TSensorRecord& sensor)
{
    return sensor.HostIP + "/" + sensor.Community + "/" + sensor.Sensor +
           (sensor.SwapedInOut ? "/s" : "");
}

bool readsInOneRequest(TSnmpVersion version)
{
    return version == TSnmpVersion::V2c || version == TSnmpVersion::V3;
}

void describeV2cTarget(const TSensorRecord& sensor, TSensorTarget& target)
{
    target.version = sensor.SnmpVersion == TSnmpVersion::V3 ? TSnmpVersion::V3 : TSnmpVersion::V2c;
    if (target.version == TSnmpVersion::V3)
        target.v3 = sensor.V3;
    int32_t index = 0;
    target.ifIndex = tryStrToInt32(sensor.Sensor, index) ? index : 0;
    target.sensorName = sensor.SensorName;
    target.swapped = sensor.SwapedInOut;
    target.countersChosen =
        !sensor.CountersFor.empty() && sensor.CountersFor == countersKey(sensor);
    target.highCapacity = sensor.HighCapacity;
    target.lastUpTime = sensor.LastAgentUpTime;
    target.nameCheckPending = sensor.NameCheckPending;
}

TSensorReading readSensorV2c(const TSensorTarget& target, ISnmpReader& network,
                             TSensorReading reading)
{
    reading.v2c.used = true;
    RebindDecision decision;
    bool decided = false;
    if (target.countersChosen && !target.nameCheckPending) {
        const Sample got = sample(target, countersOf(target, target.ifIndex, target.highCapacity),
                                  network, reading);
        if (!got.answered)
            return reading;
        // An SNMPv3 agent also says so itself (its engine boots went up),
        // whatever its uptime shows.
        const bool restarted =
            got.rebooted ||
            (got.upTime && target.lastUpTime >= 0 &&
             agentRestarted(static_cast<uint32_t>(target.lastUpTime), reading.v2c.upTime));
        if (!restarted) {
            if (reading.v2c.valid || got.counters || !got.upTime)
                return reading;
            // The counters are gone from the interface's number: a dial-up
            // interface comes back under a new one without any restart.
            if (!findInterface(target, network, reading, decision) ||
                decision.outcome == RebindOutcome::Keep)
                return reading;
            decided = true;
        }
        // The agent started again, or the interface moved: its interfaces may
        // be numbered anew and may have lost their 64-bit counters.
        reading.v2c = TV2cReading{};
        reading.v2c.used = true;
    }
    TV2cReading& v2c = reading.v2c;
    v2c.chosen = true;
    if (!decided && !findInterface(target, network, reading, decision))
        return reading;
    if (decision.outcome == RebindOutcome::NotFound ||
        decision.outcome == RebindOutcome::Ambiguous) {
        v2c.interfaceLost = true;
        return reading;
    }
    if (decision.index != target.ifIndex)
        v2c.reboundIndex = decision.index;
    sampleWidest(target, decision.index, network, reading);
    return reading;
}

TV2cReading readCountersV2c(const TSensorTarget& target, ISnmpReader& network)
{
    TSensorReading reading;
    reading.v2c.used = true;
    if (target.countersChosen)
        sample(target, countersOf(target, target.ifIndex, target.highCapacity), network, reading);
    else
        sampleWidest(target, target.ifIndex, network, reading);
    return reading.v2c;
}

void applyV2cReading(TSensorRecord& sensor, const TSensorReading& reading, TPollResult& result)
{
    const TV2cReading& v2c = reading.v2c;
    if (v2c.interfaceLost) {
        // Graphing whatever interface has the number now would be a lie.
        sensor.NameCheckPending = true;
        sensor.GraphSeries.restart();
        interfaceNote(sensor,
                      "The device has no interface named \"" + sensor.SensorName + "\" any more.");
        showError(result);
        return;
    }
    if (v2c.reboundIndex) {
        result.formerIndex = sensor.Sensor;
        sensor.Sensor = std::to_string(*v2c.reboundIndex);
        buildCounterOids(sensor);
        result.storeChanged = true;
        interfaceNote(sensor, "The interface \"" + sensor.SensorName + "\" is now number " +
                                  sensor.Sensor + "; the sensor follows it.");
    } else if (v2c.chosen && sensor.NameCheckPending && reading.replied) {
        interfaceNote(sensor, "");
    }
    if (!reading.replied || !v2c.valid) {
        showError(result);
        return;
    }
    if (v2c.chosen) {
        sensor.CountersFor = countersKey(sensor);
        sensor.HighCapacity = v2c.highCapacity;
        ++sensor.CounterBinding;
        sensor.NameCheckPending = false;
    }
    const bool local = sensor.TimerToUse == TTimerToUse::LocalTickCount;
    sensor.CurTime = local ? midpointTime(tickReading(v2c.firstTick), tickReading(v2c.secondTick))
                           : double(v2c.upTime);
    sensor.LastAgentUpTime = v2c.upTime;
    result.replied = true;
    CounterSample sample;
    sample.time = sensor.CurTime;
    sample.divisor = local ? kLocalDivisor : kAgentDivisor;
    sample.down = v2c.down;
    sample.up = v2c.up;
    sample.width = v2c.highCapacity ? CounterWidth::Bits64 : CounterWidth::Bits32;
    sample.agentUpTime = v2c.upTime;
    sample.engineBoots = v2c.engineBoots;
    sample.binding = sensor.CounterBinding;
    const SeriesStep step =
        sensor.GraphSeries.step(sample, counterSpeeds(sensor), rateRule(sensor));
    result.downRate = step.downRate();
    result.upRate = step.upRate();
    result.downText = rateLabel("DL: ", result.downRate);
    result.upText = rateLabel("UL: ", result.upRate);
    result.sample = sample;
    sensor.PrevTime = sensor.CurTime;
}

} // namespace SensorPoll
