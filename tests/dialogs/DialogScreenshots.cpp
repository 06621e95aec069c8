// Writes pictures of the main window, its menu, the options dialog's four
// pages and the device dialog into a folder, for the documentation:
//   xvfb-run -a env QT_QPA_PLATFORM=xcb dialogs_screenshots docs/screenshots
#include "DialogTestSupport.h"
#include "FakeHostConfigOwner.h"

#include "ISensorNetwork.h"
#include "NetworkJobs.h"
#include "TMainMenu.h"
#include "frmHostConfig.h"
#include "frmMain.h"
#include "frmOptions.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

TSensorRecord sample(const char* name, const char* ip, const char* index, const char* ifName,
                     bool active)
{
    TSensorRecord r;
    r.Active = active;
    r.HostName = name;
    r.HostIP = ip;
    r.Community = "vandor";
    r.Sensor = index;
    r.SensorName = ifName;
    r.DownSpeed = 16384;
    r.UpSpeed = 1024;
    r.SpeedType = TSpeedType::Bypass;
    r.DLColor = 0x00FF00;
    r.ULColor = 0x0000FF;
    r.LightColor = 0xFF0000;
    r.DarkColor = 0x800000;
    r.GraphPixels = 1;
    return r;
}

// An agent whose traffic rises and falls, so the graphs have something to
// show: each uptime read advances its clock by 2.5 s, and each counter grows
// at the rate the waves give for that moment.
class DemoNetwork : public ISensorNetwork
{
public:
    bool readValue(const std::string& oid, const std::string&, const std::string&,
                   std::string& value) override
    {
        if (oid == "1.3.6.1.2.1.1.3.0") {
            m_ticks += 250;
            value = std::to_string(m_ticks);
            return true;
        }
        const double t = m_ticks / 100.0;
        const bool down = oid.find(".10.") != std::string::npos;
        const double phase = double(std::hash<std::string>()(oid) % 100);
        const double rate = (down ? 1.1e6 : 0.3e6) * (0.55 + 0.25 * std::sin(t / 300.0 + phase) +
                                                      0.15 * std::sin(t / 45.0 + 2 * phase));
        // The counter grew at that rate since this counter was last read.
        uint32_t& last = m_lastRead[oid];
        const double seconds = last ? (m_ticks - last) / 100.0 : 0;
        last = m_ticks;
        uint32_t& counter = m_counters[oid];
        counter += uint32_t(rate * seconds);
        value = std::to_string(int32_t(counter));
        return true;
    }
    int pingRoundTrip(const std::string&) override { return 12; }
    uint32_t tickCount() override { return m_ticks * 10; }

private:
    uint32_t m_ticks = 100000;
    std::map<std::string, uint32_t> m_counters;
    std::map<std::string, uint32_t> m_lastRead;
};

bool save(QWidget& widget, const QDir& folder, const char* name)
{
    QCoreApplication::processEvents();
    const QString file = folder.filePath(QString::fromLatin1(name));
    if (!widget.grab().save(file)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir home;
    setenv("XDG_CONFIG_HOME", qPrintable(home.filePath("config")), 1);
    setenv("XDG_STATE_HOME", qPrintable(home.filePath("state")), 1);
    setenv("XDG_DATA_HOME", qPrintable(home.filePath("data")), 1);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    folder.mkpath(QStringLiteral("."));
    DialogMessages::setFunction(
        [](DialogMessages::Kind, const QString&) { return DialogMessages::Answer::Ok; });

    auto net = std::make_shared<ScriptedDeviceNetwork>();
    net->host = "192.168.1.1";
    net->values["1.3.6.1.2.1.1.5.0"] = "home-gateway";
    net->addInterfaces({{"1", "lo", "10000000"},
                        {"2", "eth0", "100000000"},
                        {"3", "wlan0", "54000000"},
                        {"4", "ppp0", "16384000"}});

    FakeMainWindowHost host;
    host.loadDefaults();
    host.model.resizeSensors(3);
    host.model.Sensors[0] = sample("home-gateway", "192.168.1.1", "4", "ppp0", true);
    host.model.Sensors[1] = sample("home-gateway", "192.168.1.1", "3", "wlan0", true);
    host.model.Sensors[2] = sample("Office switch", "192.168.1.2", "2", "eth0", false);
    host.model.EnableLog = true;
    host.model.LogFile = "/home/ann/.local/state/Travimetra/Travimetra.log";
    host.model.LogFolder = "/home/ann/.local/state/Travimetra/";
    host.model.LatencySensor = true;
    host.model.LatencyHost = "gateway.example";
    // A provider's period from the 15th with 500 GB a month on the modem.
    host.usage.RateUnit = TRateUnit::MegabitsPerSecond;
    host.usage.Sensors.resize(3);
    host.usage.Sensors[0].PeriodStartDay = 15;
    host.usage.Sensors[0].QuotaGB = 500;

    bool ok = true;
    {
        // The main window reads the store that the sample settings go to.
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "TimesRun", int32_t(1), rdInteger);
        TMonitorSettings shown = host.model;
        shown.Sensors[1].HalfHeight = true;
        shown.Sensors[2].Active = true;
        shown.Sensors[2].DLColor = 0x00FFFF;
        shown.Sensors[2].ULColor = 0xFF00FF;
        shown.Sensors[2].LightColor = 0xC0C0C0;
        shown.Sensors[2].DarkColor = 0x808080;
        shown.ShowX = true;
        shown.LatencySensor = false;
        SaveSettings(shown, host);
        TMainForm::Options options;
        options.network = std::make_shared<DemoNetwork>();
        options.startTimers = false;
        TMainForm window(options);
        window.show();
        for (int i = 0; i < 240; ++i) {
            window.UpdateAllMonitors();
            window.networkJobs().settle();
        }
        ok = save(window, folder, "main-window.png") && ok;
        QMenu* menu = window.mainMenu()->popupMenu();
        menu->popup(window.mapToGlobal(QPoint(40, 40)));
        ok = save(*menu, folder, "main-menu.png") && ok;
        menu->hide();
        SaveSettings(host.model, host);
    }
    {
        TOptionsForm options(host, net);
        options.show();
        auto* pages = options.findChild<QTabWidget*>(QStringLiteral("PageControl"));
        const char* names[] = {"options-snmp-sensors.png", "options-extra-sensors.png",
                               "options-logging.png", "options-user-interface.png",
                               "options-usage.png"};
        for (int i = 0; i < 5; ++i) {
            pages->setCurrentIndex(i);
            ok = save(options, folder, names[i]) && ok;
        }
    }
    {
        FakeHostConfigOwner owner(net);
        owner.mode = 1;
        owner.rows = 4;
        THostConfigForm device(owner);
        device.show();
        waitFor([&] { return device.activationDone(); });
        device.findChild<QLineEdit*>(QStringLiteral("HostAddressEdit"))->setText("192.168.1.1");
        device.findChild<QPushButton*>(QStringLiteral("CheckConnectionBT"))->click();
        auto* combo = device.findChild<QComboBox*>(QStringLiteral("OIDCombo"));
        combo->setCurrentIndex(3);
        emit combo->activated(3);
        ok = save(device, folder, "device-add.png") && ok;
    }
    {
        FakeHostConfigOwner owner(net);
        owner.mode = 2;
        owner.row = 1;
        owner.list = {TSensorConfig::fromRecord(host.model.Sensors[0])};
        THostConfigForm device(owner);
        device.show();
        waitFor([&] { return device.activationDone(); });
        ok = save(device, folder, "device-edit.png") && ok;
    }
    return ok ? 0 : 1;
}
