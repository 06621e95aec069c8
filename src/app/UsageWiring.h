#pragma once

#include "RateUnit.h"
#include "SensorPoll.h"
#include "TMonitorSettings.h"
#include "UsageClock.h"
#include "UsageSettings.h"

#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QWidget;
class TUsageDatabase;
class TUsageRecorder;
class TUsageWindow;

// The main window's side of the usage history: the recorder fed from every
// applied poll, the usage settings kept beside the sensor model, the rate
// unit the labels, the tray hint and the scales are shown in, and the usage
// window opened from the menu.
class UsageWiring
{
public:
    using Tell = std::function<void(const QString& text)>;
    using Clock = std::function<int64_t()>;

    // Opens the history at `databasePath`; `tell` receives what the user
    // reads once (a history moved aside or not writable, the quota notices).
    // `now` is the wall clock in seconds, `steady` a clock nobody sets, in
    // seconds (the system's when both are empty; a wall clock given alone
    // is trusted as it is). The history books by TUsageClock over them.
    UsageWiring(const std::string& databasePath, Tell tell, Clock now = {}, Clock steady = {});
    ~UsageWiring();
    UsageWiring(const UsageWiring&) = delete;
    UsageWiring& operator=(const UsageWiring&) = delete;

    // The store, with the other settings: loaded after them (missing values
    // take their defaults and are written back), saved after them.
    void load(const TMonitorSettings& model);
    void save() const;

    // The settings; after a change, `sensorsChanged` hands them on.
    TUsageSettings& settings() { return m_settings; }
    const TUsageSettings& settings() const { return m_settings; }
    // The sensor list or the usage settings changed: one usage entry per
    // sensor again, and the recorder polls the active ones from now on.
    void sensorsChanged(const TMonitorSettings& model);

    // Sensor `index`'s applied poll: a good one (its sample read) adds its
    // octets, any other counts nothing. Of sensors alike in their key only
    // the first records.
    void polled(const TMonitorSettings& model, int index, const SensorPoll::TPollResult& result);
    // After each pass: the minute's write when due, then the quota notices.
    void afterPass();
    // Writes what is gathered (before the settings are saved at exit).
    void flush();

    TRateUnit unit() const { return m_settings.RateUnit; }

    // Opens (or raises) the usage window: not modal, it does not stop the
    // poll. A history that could not be opened is told instead.
    void showWindow(const TMonitorSettings& model, QWidget* parent);
    TUsageWindow* window() const;

    TUsageRecorder& recorder() { return *m_recorder; }

private:
    int64_t now();

    Tell m_tell;
    TUsageClock m_clock;
    std::unique_ptr<TUsageRecorder> m_recorder;
    // The history read beside another program that writes it, for the window.
    std::unique_ptr<TUsageDatabase> m_readOnly;
    TUsageSettings m_settings;
    QPointer<TUsageWindow> m_window;
};
