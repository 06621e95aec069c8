#pragma once

#include "IDeviceNetwork.h"
#include "IMainWindowHost.h"
#include "IMonitorWindow.h"
#include "ISnmpReader.h"
#include "ITrafficLogIO.h"
#include "MonitorStore.h"
#include "SensorPoll.h"
#include "TMonitorSettings.h"

#include "TVrLevelBar.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPoint>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

class ISecretStore;
class MetricsEndpoint;
class NetworkJobs;
class SensorPasswordKeeper;
class UsageWiring;
class QLockFile;
class SensorPresenter;
class TCoolTrayIcon;
class TMainMenu;
class TVrTimer;
struct TSensorControls;

// The program's one long-lived window: a borderless strip that stays on top
// and carries one graph set per active sensor. It holds the sensor model and
// the global settings, runs the poll on its master timer and feeds the tray
// icon.
class TMainForm : public QWidget, public IMonitorWindow, public IMainWindowHost
{
    Q_OBJECT

public:
    struct Options
    {
        // Where the poll reads from (SnmpSensorNetwork in the program).
        std::shared_ptr<ISnmpReader> network;
        // False keeps every timer from ticking, so that a caller can drive
        // the poll passes itself.
        bool startTimers = true;
        // What the menu's device information and the dialogs talk to; the
        // real agents when empty.
        std::shared_ptr<IDeviceNetwork> deviceNetwork;
        // The external-address service; empty for the program's own choice.
        std::string externalAddressUrl;
        // Network threads at most: sensors of a pass beyond this many wait
        // for a free one, so silent agents that hold a thread each for their
        // time-out could keep answering ones waiting; as many as the window
        // shows sensors in practice. 1 reads the sensors one after the other.
        std::size_t networkThreads = 256;
        // The usage history's file; the user's usage.sqlite when empty.
        std::string usageDatabase;
        // The wall clock of the usage history in seconds; the system's when
        // empty.
        std::function<int64_t()> wallClock;
        // A clock nobody sets, in seconds, to see the wall clock jump; with
        // a wall clock given and this empty, the wall clock is trusted.
        std::function<int64_t()> steadyClock;
        // Where the passwords of SNMPv3 sensors are kept; the desktop keyring
        // when empty.
        std::shared_ptr<ISecretStore> keyring;
    };

    // Runs the start-up: single instance, settings load, start counter, graph
    // sets, timer period, opacity, always on top. A second instance shows
    // "Travimetra is already running !" and ends the process at once.
    explicit TMainForm(Options options, QWidget* parent = nullptr);
    // Saves the settings.
    ~TMainForm() override;

    // The model: global settings and the sensor list.
    TMonitorSettings& settings() override { return m_settings; }
    const TMonitorSettings& settings() const { return m_settings; }

    // The store.
    void loadSettings() override;
    void saveSettings() override;

    // Graph sets: create the missing controls of every active sensor, free
    // the labels before a rebuild, and lay everything out.
    void UpdateControls() override;
    void DeleteControls() override;
    void UpdateControlProperties() override;

    // The poll: a tick reads, on the network threads, every sensor that has
    // no reading out; readings come back to this thread and are applied in
    // sensor order, a silent agent holding up only its own sensor.
    void MasterTimerTimer();
    void UpdateAllMonitors();
    void UpdDeviceTimers(int index, const SensorPoll::TSensorReading& reading);
    // The tray hint: the reset text and the hint lines in sensor order.
    void showHintLines();
    // The network side; callers that drive the timers themselves settle it
    // to have every result applied.
    NetworkJobs& networkJobs() { return *m_jobs; }
    // Master timer period for an Interval in seconds.
    static std::uint32_t pollPeriod(std::int32_t intervalSeconds)
    {
        return SensorPoll::pollPeriod(intervalSeconds);
    }

    // The auxiliary sensors and the traffic log, one tick each, on the
    // network threads like the poll (a tick while the last one is out is
    // skipped): ping the latency host and show the round trip; log every
    // active sensor's rates; ask the external-address service.
    void LatencyTimerTimer();
    void LogTimerTimer();
    void ExteIPTimerTimer();
    QLabel* externalAddressLabel() const { return m_extIPAddLBL; }
    QLabel* externalAddressCaption() const { return m_label1; }

    // Tray and window behaviour.
    void UpdateTrayIcon(std::int32_t downRate, std::int32_t upRate);
    // Copies sensor 0's speeds for the tray icon's full scale.
    void copyTraySpeeds();
    void AlwaysOnTopCheck() override;
    void ShutdownBTClick();
    void TrayIconClick();
    bool startMinimized() const { return m_settings.StartMinimized; }
    const std::string& trayHint() const { return m_trayHint; }

    // Components.
    TVrTimer* masterTimer() const { return m_masterTimer.get(); }
    TVrTimer* logTimer() const { return m_logTimer.get(); }
    TVrTimer* latencyTimer() const { return m_latencyTimer.get(); }
    TVrTimer* exteIPTimer() const { return m_exteIPTimer.get(); }
    TCoolTrayIcon* trayIcon() const { return m_trayIcon.get(); }
    TSensorControls* sensorControls(int index) const;
    TVrLevelBar* latencyBar() const { return m_latencyBar; }
    QLabel* latencyLabel() const { return m_latencyLBL; }
    QPushButton* shutdownButton() const { return m_shutdownBT; }
    ISnmpReader& network() { return *m_network; }

    // IMonitorWindow
    int windowTop() const override;
    int windowLeft() const override;
    void setWindowTop(int top) override;
    void setWindowLeft(int left) override;
    int windowWidth() const override;
    int windowHeight() const override;
    int workAreaHeight() const override;
    int firstMonitorWidth() const override;
    int alphaBlendValue() const override { return m_alpha; }
    void setAlphaBlendValue(int alpha) override;
    int latencyInterval() const override;
    void setLatencyInterval(int milliseconds) override;

    // The usage history, its settings and its window.
    UsageWiring& usage() { return *m_usage; }
    TUsageSettings& usageSettings() override;
    TMetricsSettings* metricsSettings() override;
    void showUsageWindow() override;

    // The figures of the applied polls and the endpoint that serves them.
    MetricsEndpoint& metrics() { return *m_metrics; }

    // The popup menu with the window behaviour behind it.
    TMainMenu* mainMenu() const { return m_menu.get(); }

    // IMainWindowHost (the options dialog and the menu)
    bool masterTimerEnabled() const override;
    void setMasterTimerEnabled(bool enabled) override;
    void setMasterTimerInterval(std::uint32_t milliseconds) override;
    void scaleWindowBy(int m, int d) override;
    QWidget* hostWidget() override { return this; }
    void setRateLabels(const std::string& downText, const std::string& upText) override;
    void minimizeToTray() override;
    void restoreFromTray() override;
    void bringWindowToFront() override;
    void quitApplication() override;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void createComponents();
    void FormCreate();
    void FormDestroy();
    void countStart();
    MonitorStore::TParts storeParts();
    void tellOfSetAsideStore();
    void FormMouseDown(const QPoint& globalPosition);
    void dragTo(const QPoint& globalPosition);
    void attachShell(QWidget* control);
    // The rate texts and scales in the unit chosen now.
    SensorPresenter presenter() const;
    // The available height of the strip's screen in design pixels.
    int availableDesignHeight(int scale) const;
    void setTrayHint(const std::string& hint);
    void applyOpacity();
    // Moves the window wholly onto the nearest screen when it is not.
    void keepOnScreen();
    void setUpExternalAddressRow();
    void keepFirstWait();

    TMonitorSettings m_settings;
    std::shared_ptr<ISnmpReader> m_network;
    std::shared_ptr<ITrafficLogIO> m_logIO;
    std::unique_ptr<NetworkJobs> m_jobs;
    std::unique_ptr<UsageWiring> m_usage;
    std::unique_ptr<MetricsEndpoint> m_metrics;
    std::unique_ptr<SensorPasswordKeeper> m_passwords;
    unsigned m_layoutGeneration = 0; // a rebuild of the graph sets makes older passes stale
    std::string m_externalAddressUrl;
    std::unique_ptr<QLockFile> m_instanceLock;
    std::unique_ptr<TVrTimer> m_masterTimer;
    std::unique_ptr<TVrTimer> m_logTimer;
    std::unique_ptr<TVrTimer> m_latencyTimer;
    std::unique_ptr<TVrTimer> m_exteIPTimer;
    std::unique_ptr<TCoolTrayIcon> m_trayIcon;
    std::unique_ptr<TMainMenu> m_menu;
    QPointer<QPushButton> m_shutdownBT;
    QPointer<TVrLevelBar> m_latencyBar;
    QPointer<QLabel> m_latencyLBL;
    QPointer<QLabel> m_label1;
    QPointer<QLabel> m_extIPAddLBL;
    std::string m_trayHint;
    // Each polled sensor's latest tray hint line, by sensor index: a sensor
    // whose agent is slow keeps its last line until its reading is in.
    std::map<int, std::string> m_hintLines;
    // Since the window was loaded (only when its timers run): the first
    // pass comes kFirstWait after it, whatever the Interval.
    static constexpr std::uint32_t kFirstWait = 1000;
    QElapsedTimer m_loadedAt;
    unsigned m_passesStarted = 0;
    int m_alpha = 255;
    bool m_alphaBlend = false;
    int m_appliedScale = 100;
    // How far right of the window's left edge the first column starts.
    int m_firstColumnOffset = 0;
    bool m_dragging = false;
    bool m_laidOut = false;
    QPoint m_dragOffset;
};
