#pragma once

#include "CounterSample.h"
#include "ITrafficLogIO.h"
#include "LogTextFormat.h"
#include "TMonitorSettings.h"

#include <chrono>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The traffic log: on every tick of the log timer each active sensor's
// counters are read again, turned into rates against the log's own previous
// readings, and written as one line to a file or as one syslog message.
namespace TrafficLog {

// LogType, by the names the program has always used.
constexpr TLogType ltOneFile = TLogType::OneFile;
constexpr TLogType ltFilePerSensor = TLogType::FilePerSensor;
constexpr TLogType ltSyslog = TLogType::Syslog;

// Syslog priority of a log message: facility news, severity info.
constexpr int kSyslogFacility = 7;
constexpr int kSyslogSeverity = 6;

// Period of the log timer in milliseconds: LogTime seconds or minutes. 0,
// meaning no ticks, for any other unit and for a period that is not positive
// or does not fit the timer.
uint32_t logPeriod(int32_t logTime, TLogSecMinType logSecMinType);

// The longest file name (one element of a path) file systems take.
constexpr std::size_t kMaxFileNameBytes = 255;

// A name with every path separator and control character replaced by "_",
// so that it stays one element of a path.
std::string fileNamePart(const std::string& name);

// The file of one sensor in `folder`: folder, separator, HostName, "@",
// HostIP, ".log". The separator is added even when the folder ends in one.
// The file's own name stays within kMaxFileNameBytes: HostName is cut first,
// so the address and ".log" are kept.
std::string perSensorFileName(const std::string& folder, const TSensorRecord& sensor);

// One log line with its line end: stamp;HostName;HostIP;rDown;rDown/1024;
// rUp;rUp/1024. Control characters in the texts become spaces.
std::string logLine(const std::string& stamp, const TSensorRecord& sensor, double rDown, double rUp,
                    const std::string& decimalPoint);

// The text of a syslog message: "HostName [SensorName@HostIP] <down kb/s>
// Up: <up kb/s>". Control characters in the texts become spaces.
std::string syslogText(const TSensorRecord& sensor, double rDown, double rUp,
                       const std::string& decimalPoint);

// One tick's readings of a sensor: a time reading in 1/divisor seconds and
// both counters of a version 1 sensor; the sample of an SNMPv2c or SNMPv3
// sensor.
struct TLogReadings
{
    int32_t time = 0;
    int32_t divisor = 1;
    int32_t down = 0;
    int32_t up = 0;
    bool v2c = false;
    CounterSample sample{};
};

// Reads the time source and both counters. Nothing when the agent did not
// answer a read (or answered a counter with nothing), or the sensor has no
// known time source: the sensor then sits this tick out. Raises
// TConvertError for a value that is not a signed 32-bit decimal.
// An SNMPv2c sensor is read as its poll reads it: uptime and both counters in
// one request, the 64-bit counters where the agent has them; an exception or
// a value that is not an unsigned number of the counter's width sits the
// tick out too.
std::optional<TLogReadings> readSensor(const TSensorRecord& sensor, ITrafficLogIO& io);

struct TLogRates
{
    double down = 0; // bytes per second
    double up = 0;
};

// Rates of a version 1 sensor since the log's previous readings. A direction
// without a previous reading (0) logs 0, and so does a tick without elapsed
// time or whose clock went back. Counter differences wrap modulo 2^32; a
// counter that went back, or jumped further than the interface could carry,
// logs 0. An SNMPv2c or SNMPv3 sensor steps its LogSeries instead (logTick).
TLogRates logRates(const TSensorRecord& sensor, const TLogReadings& readings);

// Makes this tick's readings the log's previous readings.
void keepReadings(TSensorRecord& sensor, const TLogReadings& readings);

// Appends the line of sensor `index` to a file: `path` is the file itself
// for mode ltOneFile and the folder of the per-sensor files for
// ltFilePerSensor. Raises TLogFileError when the file cannot be written.
void WriteOneLog(const TMonitorSettings& settings, ITrafficLogIO& io, const TLocaleFormats& formats,
                 const std::string& path, TLogType mode, int index, double rDown, double rUp);

// One tick of the log timer over all sensors, in order. An error (a value
// that is not a number, a file that cannot be written) ends the tick at that
// sensor and is raised to the caller; that sensor keeps its previous
// readings. The sensors are read one after another, and none after an error.
void logTick(TMonitorSettings& settings, ITrafficLogIO& io, const TLocaleFormats& formats);

// What one tick read of one sensor: its readings, nothing (the sensor sits
// the tick out), or the error its read raised.
struct TTickRead
{
    std::optional<TLogReadings> readings;
    std::exception_ptr error;
};
// Every active sensor's read, by sensor index (inactive ones read nothing),
// each sensor on a thread of its own, so that a silent agent's time-out
// holds up no other sensor's line. Reads are waited for until `deadline`: a
// read not in by then sits the tick out, as a read that got no answer does,
// and its thread ends with its own wait. `io` takes reads from several
// threads at once.
std::vector<TTickRead> readTogether(const TMonitorSettings& settings,
                                    const std::shared_ptr<ITrafficLogIO>& io,
                                    std::chrono::milliseconds deadline);
// How long a tick waits for its reads: half the log's period, so that the
// lines of the sensors that answer come at every tick.
std::chrono::milliseconds readDeadline(int32_t logTime, TLogSecMinType logSecMinType);
// A tick over reads made beforehand: lines, rates and baselines in sensor
// order exactly as logTick makes them, the first read error raised at its
// sensor.
void writeTick(TMonitorSettings& settings, ITrafficLogIO& io, const TLocaleFormats& formats,
               const std::vector<TTickRead>& reads);

// A tick run away from the window: on a copy of the model without its
// controls, with the error, if any, as text instead of raised. logDetached
// reads the sensors one after another; logTogether reads them together
// (readTogether) and writes their lines in the same order.
struct TDetachedTick
{
    TMonitorSettings settings;
    std::string report;
};
TMonitorSettings detachedCopy(const TMonitorSettings& settings);
TDetachedTick logDetached(TMonitorSettings copy, ITrafficLogIO& io, const TLocaleFormats& formats);
TDetachedTick logTogether(TMonitorSettings copy, const std::shared_ptr<ITrafficLogIO>& io,
                          const TLocaleFormats& formats);
// Takes the log's previous readings of a detached tick back into the model,
// for every sensor that still reads the same agent and counters.
void keepLogged(TMonitorSettings& settings, const TMonitorSettings& logged);

} // namespace TrafficLog
