// Writes pictures of the options dialog's four pages and of the device dialog
// into a folder, for the documentation:
//   xvfb-run -a env QT_QPA_PLATFORM=xcb dialogs_screenshots docs/screenshots
#include "DialogTestSupport.h"
#include "FakeHostConfigOwner.h"

#include "frmHostConfig.h"
#include "frmOptions.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

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
    r.SpeedType = 3;
    r.DLColor = 0x00FF00;
    r.ULColor = 0x0000FF;
    r.LightColor = 0xFF0000;
    r.DarkColor = 0x800000;
    r.GraphPixels = 1;
    return r;
}

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

    bool ok = true;
    {
        TOptionsForm options(host, net);
        options.show();
        auto* pages = options.findChild<QTabWidget*>(QStringLiteral("PageControl"));
        const char* names[] = {"options-snmp-sensors.png", "options-extra-sensors.png",
                               "options-logging.png", "options-user-interface.png"};
        for (int i = 0; i < 4; ++i) {
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
