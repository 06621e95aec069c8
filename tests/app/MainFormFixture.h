#pragma once

#include "core/FakeMonitorWindow.h"

#include "FileSecretStore.h"
#include "NetworkJobs.h"
#include "TSensorControls.h"
#include "frmMain.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

// The one application object of a test process, on the offscreen platform.
inline QApplication& testApplication()
{
    static int argc = 1;
    static char name[] = "travimetra-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        auto* created = new QApplication(argc, argv);
        QApplication::setApplicationName("Travimetra");
        return created;
    }();
    return *app;
}

// A sensor as a user would have configured it, full height, detected speed.
inline TSensorRecord configuredSensor(const std::string& host, const std::string& name = "Router")
{
    TSensorRecord s;
    s.Active = true;
    s.HostName = name;
    s.HostIP = host;
    s.Community = "vandor";
    s.Sensor = "1";
    s.SensorName = "eth0";
    s.DownSpeed = 1024;
    s.UpSpeed = 1024;
    s.SpeedType = stDetected;
    s.DLColor = 0x00FF00;
    s.ULColor = 0x0000FF;
    s.LightColor = 0xFF0000;
    s.DarkColor = 0x800000;
    s.GraphPixels = 1;
    return s;
}

// Every test gets its own home, configuration, runtime and state folders, so
// no real user's store, lock or autostart entry is touched.
class MainFormFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/travimetra-app-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        for (const char* sub : {"home", "config", "runtime", "state", "data"})
            std::filesystem::create_directories(m_root / sub);
        std::filesystem::permissions(m_root / "runtime", std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace);
        setenv("HOME", (m_root / "home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_root / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (m_root / "runtime").c_str(), 1);
        setenv("XDG_STATE_HOME", (m_root / "state").c_str(), 1);
        setenv("XDG_DATA_HOME", (m_root / "data").c_str(), 1);
        testApplication();
    }

    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

    // Writes a complete store as a previous run would have left it: the
    // settings given, started `timesRun` times before.
    void seedStore(TMonitorSettings settings, int timesRun = 3, int alpha = 255)
    {
        FakeMonitorWindow window;
        window.m_alpha = alpha;
        window.m_latency = 1000;
        settings.resizeSensors(static_cast<int32_t>(settings.Sensors.size()));
        SaveSettings(settings, window);
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "TimesRun", timesRun, rdInteger);
    }

    // Settings of a typical store; AutoStart off so no test writes an
    // autostart entry unless it means to.
    static TMonitorSettings typicalSettings()
    {
        TMonitorSettings s;
        s.ScaleSize = 100;
        s.AlwaysOnTop = true;
        s.ShowExtendedInfo = true;
        s.Interval = 5;
        s.ShowX = true;
        s.LogType = TLogType::OneFile;
        s.LogTime = 30;
        s.SysLogServer = "localhost";
        s.LatencyHost = "127.0.0.1";
        return s;
    }

    std::unique_ptr<TMainForm> makeForm(std::shared_ptr<ISnmpReader> network,
                                        bool startTimers = false)
    {
        TMainForm::Options options;
        options.network = std::move(network);
        options.startTimers = startTimers;
        // Never the keyring of whoever runs the tests.
        options.keyring = std::make_shared<FileSecretStore>((m_root / "keyring").string());
        return std::make_unique<TMainForm>(options);
    }

    std::filesystem::path m_root;
};
