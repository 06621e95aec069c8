#pragma once

#include "ISnmpReader.h"
#include "MibOids.h"
#include "TMonitorSettings.h"
#include "TSensorRecord.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The arithmetic of one sensor's poll: counters and time readings in, rates,
// label texts and the live full scale out. Free of any display so that every
// rule can be checked without a window.
namespace SensorPoll {

inline constexpr const char* kUpTimeOid = Mib::kSysUpTime0;
// For agents that want sysUpTime bare.
inline constexpr const char* kUpTimeFallbackOid = Mib::kSysUpTime;
inline constexpr const char* kInOctetsPrefix = Mib::kIfInOctetsPrefix;
inline constexpr const char* kOutOctetsPrefix = Mib::kIfOutOctetsPrefix;

// The hint text every poll pass starts from: the product name, LF, CR.
extern const char* const kHintReset;

// Down and up counter OIDs from the interface index; SwapedInOut shows the
// interface's out-octets as download.
void buildCounterOids(TSensorRecord& sensor);

// A value of an SNMPv1 poll as the signed 32-bit reading its arithmetic
// takes: a counter's bits, an INTEGER, or a text that is a decimal number.
// Raises TConvertError (with the text the user is shown) for anything else.
int32_t v1Reading(const SnmpValue& value);

// The local tick count as the signed 32-bit reading the rate formula takes.
// Only differences between readings matter, so reading the counter modulo
// 2^32 as signed keeps the clock usable past 2^31 ms of uptime.
int32_t tickReading(uint32_t ticks);

// a - b in 32-bit two's complement: a counter that passed 2^32 and started
// again from 0 still gives its true increase.
int32_t wrappingDifference(int32_t a, int32_t b);

// The midpoint of two time readings; their sum wraps in 32 bits.
double midpointTime(int32_t first, int32_t second);

// Seconds between two time readings in units of 1/divisor s.
double elapsedSeconds(double curTime, double prevTime, int32_t divisor);

// Bytes per second from a 32-bit counter step over `elapsed` seconds
// (boundedStep); 0 when no time passed or the clock went back, and 0 when the
// counter went back (a reset or an agent restart: the reading becomes the new
// baseline) or jumped further than `bytesPerSecond` could carry.
double counterRate(int32_t count, int32_t previous, double elapsed, double bytesPerSecond);
// The step counterRate takes its rate of.
CounterStep counterStepOf(int32_t count, int32_t previous, double elapsed, double bytesPerSecond);

// What the sensor's interface carries at most, in bytes per second: the
// speeds the agent reported (stDetected); unknown (0) for speeds the user
// chose for the scale or a live maximum.
CounterSpeeds counterSpeeds(const TSensorRecord& sensor);
// The rule the sensor's graph, labels, tray and log turn counter steps into
// rates by.
RateRule rateRule(const TSensorRecord& sensor);

// Rounds to the nearest integer, halves to even, saturated to 32 bits.
int32_t roundRate(double rate);

// "<prefix><rate / 1024 with one decimal> kb/s", with the C library locale's
// decimal point.
std::string rateLabel(const char* prefix, double rate);

// Level 0 to 5 of one direction of the tray icon; speed in kbit/s. A speed of
// 0 gives level 0 for no traffic and level 5 for any.
int trayLevel(int32_t rate, int32_t speed);
// Image 0 to 35: download level by upload level.
int trayIconIndex(int32_t downRate, int32_t upRate, int32_t downSpeed, int32_t upSpeed);

// Position of the graph's base line in per cent of its height.
// The highest base-line offset a graph takes (an 8-bit percent).
constexpr int kMaxBaseOffset = 255;
int baseOffset(const TSensorRecord& sensor);

// One line of the tray hint; a failure's text follows in brackets.
std::string hintLine(const TSensorRecord& sensor, const std::string& downText,
                     const std::string& upText, const std::string& failure = {});

// What one poll of a sensor shows.
struct TPollResult
{
    bool pinged = true;   // false: the ping before the poll failed; nothing advances
    bool replied = false; // false: the error branch (no answer, a lost or a bad reading)
    double downRate = 0;  // bytes per second
    double upRate = 0;
    std::string downText;
    std::string upText;
    // Set when a live sensor's full scale grew to this many bytes per second.
    std::optional<int32_t> newMaximum;
    // The conversion error of a value that is not a number, for the user.
    std::string report;
    // Another address that answered in the agent's place.
    std::string otherSender;
    // What the sensor's title says about its interface (see InterfaceNote).
    std::string interfaceNote;
    // Why the agent gave no values, in words for the user (an SNMPv3 Report,
    // a password the secret store could not give); empty when nothing is
    // known or the poll went well.
    std::string failure;
    // The sensor follows its interface to a new number: the store must be
    // written.
    bool storeChanged = false;
    // The interface number the sensor had before it followed its interface
    // to a new one (storeChanged then); empty otherwise.
    std::string formerIndex;
    // The counters of a good poll, for every consumer that keeps a series of
    // its own (the usage history); empty for the error branch.
    std::optional<CounterSample> sample;
};

// Where and how one sensor is read: a copy of what its reads need, so that
// they can run away from the window that holds the sensor.
struct TSensorTarget
{
    int index = 0; // in the sensor array
    std::string host;
    std::string community;
    std::string downOid;
    std::string upOid;
    TTimerToUse timerToUse = TTimerToUse::AgentUpTime;
    bool pingFirst = false; // the global DoPing
    // SNMPv2c and SNMPv3 sensors only.
    TSnmpVersion version = TSnmpVersion::V1;
    SnmpV3User v3; // SNMPv3: who reads and how, passwords included
    int32_t ifIndex = 0;
    std::string sensorName;
    bool swapped = false;
    bool countersChosen = false; // the counters below were chosen for this interface
    bool highCapacity = false;
    int64_t lastUpTime = -1;
    bool nameCheckPending = false;
};
TSensorTarget targetOf(const TSensorRecord& sensor, bool pingFirst);

// What a pass reads: the active sensors among the first NumberOfHosts, in
// order, each pinged first when DoPing is set.
std::vector<TSensorTarget> passTargets(const TMonitorSettings& settings);

// What one SNMPv2c poll read: uptime and both counters from one request.
struct TV2cReading
{
    bool used = false;  // the sensor was read with SNMPv2c
    bool valid = false; // all three values came as unsigned numbers
    uint32_t upTime = 0;
    uint64_t down = 0;
    uint64_t up = 0;
    int64_t engineBoots = -1; // SNMPv3: the engine's boots the reply carried
    // The local tick count before and after the request (TimerToUse 1).
    uint32_t firstTick = 0;
    uint32_t secondTick = 0;
    // The counters were chosen anew (first poll, agent restart): the reading
    // is a new baseline.
    bool chosen = false;
    bool highCapacity = false;
    std::optional<int32_t> reboundIndex; // the interface's new number
    bool interfaceLost = false;          // no single interface has the name
};

// What the network said during one sensor's poll. A reading that is empty
// here got no answer at all.
struct TSensorReading
{
    int index = 0; // of the target read
    bool pingFailed = false;
    bool replied = false; // the reachability read
    // The values as they came (a text where the agent sent one: SNMPv1 reads
    // "12345" as a number); nothing when the read got no answer.
    SnmpValue reach;
    std::optional<SnmpValue> firstTime;
    std::optional<SnmpValue> down;
    std::optional<SnmpValue> up;
    std::optional<SnmpValue> secondTime;
    std::string otherSender;
    // Why the agent gave no values (see TReadReply::failure).
    std::string failure;
    TV2cReading v2c;
};

// The reads of one sensor's poll, in their order, one request each: the
// optional ping, reachability, time reading (with its fallback), download
// counter, upload counter, time reading. Touches no sensor, so it may run on
// any thread; a silent agent costs one time-out per unanswered read.
TSensorReading readSensor(const TSensorTarget& target, ISnmpReader& network);

// Turns one poll's readings into rates, label texts and, for a live sensor,
// the growing maximum, and moves the counters and time into the
// previous-values fields. A lost reading after the reachability read, or one
// that is not a number, takes the error branch and keeps the previous values,
// so the next good poll measures over the whole gap; a bad value is named in
// the result's report and never raised.
TPollResult applyReading(TSensorRecord& sensor, const TSensorReading& reading);

// What the user is told when another address answered in the agent's place.
std::string answeredFromText(const std::string& address);
// The sensor title's tool tip after a poll: that text while another address
// answers, else why the agent gave no values, else what happened to the
// interface; cleared once the agent answers itself, else left (nothing).
std::optional<std::string> titleToolTip(const TPollResult& result);

// The SNMPv1 part of applyReading: the reads and rules every sensor had
// before SNMPv2c, its rates by the sensor's rule (rateRule) as for every
// version; a poll without previous readings is the baseline.
void applyV1Reading(TSensorRecord& sensor, const TSensorReading& reading, TPollResult& result);

// The error branch of a poll: both traces just above the bottom.
void showError(TPollResult& result);

// Master timer period in milliseconds for an Interval in seconds.
uint32_t pollPeriod(int32_t intervalSeconds);

// readSensor then applyReading, without the ping.
TPollResult pollSensor(TSensorRecord& sensor, ISnmpReader& network);

} // namespace SensorPoll
