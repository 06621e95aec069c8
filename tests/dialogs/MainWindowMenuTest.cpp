// The menu and the dialogs hosted by the real main window: a device added
// through the dialogs against snmpd is polled on the window; the menu's items
// change the window; the first start opens the options once.
#include "DialogTestSupport.h"

#include "NetworkJobs.h"
#include "PeerRequirement.h"
#include "SnmpSensorNetwork.h"
#include "SnmpdPeer.h"
#include "TCoolTrayIcon.h"
#include "TMainMenu.h"
#include "TSensorControls.h"
#include "TVrTimer.h"
#include "frmHostConfig.h"
#include "frmMain.h"
#include "frmOptions.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

namespace {

const char* const kAgent = "127.0.0.63";

class MainWindowMenuTest : public DialogTest
{
protected:
    std::unique_ptr<TMainForm> createWindow()
    {
        TMainForm::Options options;
        options.network = std::make_shared<SnmpSensorNetwork>();
        options.startTimers = false;
        return std::make_unique<TMainForm>(options);
    }

    // A store that has seen a start before, with one active sensor.
    void storeOneSensor(const std::string& host = "127.0.0.1")
    {
        FakeMainWindowHost writer;
        writer.loadDefaults();
        TSensorRecord& s = writer.model.Sensors[0];
        s.Active = true;
        s.HostIP = host;
        s.Sensor = "1";
        s.SensorName = "lo";
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "TimesRun", int32_t(1), rdInteger);
        SaveSettings(writer.model, writer);
    }

    static QLabel* label(TMainForm& form, int sensor, bool up)
    {
        TSensorControls* c = form.sensorControls(sensor);
        return c ? (up ? c->UpLabel.data() : c->DownLabel.data()) : nullptr;
    }
};

TEST_F(MainWindowMenuTest, aDeviceAddedThroughTheDialogsIsPolledOnTheWindow)
{
    SnmpdPeer agent(kAgent);
    REQUIRE_PEER(agent.start(), agent.error());
    storeOneSensor();
    auto form = createWindow();
    TMainMenu* menu = form->mainMenu();

    whenModal<TOptionsForm>([&](TOptionsForm& options) {
        whenModal<THostConfigForm>(
            [&](THostConfigForm& d) {
                d.findChild<QLineEdit*>("HostAddressEdit")->setText(kAgent);
                d.findChild<QPushButton*>("CheckConnectionBT")->click();
                // An agent that did not answer in time (a loaded machine)
                // leaves no interface to choose, and OK would then wait in
                // its refusal's message box until the test's time-out.
                if (d.findChild<QComboBox*>("OIDCombo")->count() == 0) {
                    ADD_FAILURE() << "the agent listed no interfaces";
                    d.findChild<QPushButton*>("CancelBT")->click();
                    return;
                }
                d.findChild<QRadioButton*>("DefaultSpeedRB")->click();
                d.findChild<QPushButton*>("OKBT")->click();
            },
            [](THostConfigForm& d) { return d.activationDone(); });
        options.findChild<QPushButton*>("AddBT")->click();
        // The first sensor steps back: only the new one is shown.
        options.SensorList[0].Active = false;
        options.UpdateGrid();
        options.findChild<QPushButton*>("OKBT")->click();
    });
    menu->action("Options1")->trigger();

    TMonitorSettings& s = form->settings();
    ASSERT_EQ(s.NumberOfHosts, 2);
    EXPECT_EQ(s.Sensors[1].HostIP, kAgent);
    EXPECT_EQ(s.Sensors[1].HostName, SnmpdPeer::sysName());
    EXPECT_EQ(s.Sensors[1].DownOID, "1.3.6.1.2.1.2.2.1.10.1");
    EXPECT_TRUE(form->masterTimer()->enabled());
    EXPECT_EQ(form->sensorControls(0) ? form->sensorControls(0)->Scope.data() : nullptr, nullptr);
    ASSERT_NE(label(*form, 1, false), nullptr);

    // In the store too.
    TMonitorSettings stored;
    FakeMainWindowHost reader;
    LoadSettings(stored, reader);
    ASSERT_EQ(stored.NumberOfHosts, 2);
    EXPECT_EQ(stored.Sensors[1].HostIP, kAgent);
    EXPECT_EQ(stored.Sensors[1].SpeedType, stDetected);

    // Two polls: the second has a rate.
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    EXPECT_TRUE(label(*form, 1, false)->text().startsWith("DL: "))
        << label(*form, 1, false)->text().toStdString();
    EXPECT_TRUE(label(*form, 1, true)->text().startsWith("UL: "));
    EXPECT_NE(form->trayHint().find(std::string(SnmpdPeer::sysName()) + " -> DL: "),
              std::string::npos)
        << form->trayHint();
}

TEST_F(MainWindowMenuTest, theMonitorSwitchStopsThePollAndSaysSo)
{
    storeOneSensor();
    auto form = createWindow();
    QAction* item = form->mainMenu()->action("EnableDisableMonitor1");
    form->masterTimer()->setEnabled(true);
    item->trigger();
    EXPECT_EQ(item->text(), "Activate Monitor");
    EXPECT_FALSE(form->masterTimer()->enabled());
    EXPECT_EQ(label(*form, 0, true)->text(), "Monitor is deactivated");
    EXPECT_EQ(label(*form, 0, false)->text(), "");
    item->trigger();
    EXPECT_EQ(item->text(), "Deactivate Monitor");
    EXPECT_TRUE(form->masterTimer()->enabled());
    EXPECT_EQ(label(*form, 0, false)->text(), "Monitor is activated");
    EXPECT_EQ(label(*form, 0, true)->text(), "");
    form->masterTimer()->setEnabled(false);
}

TEST_F(MainWindowMenuTest, alwaysOnTopChangesTheWindowAndTheMark)
{
    storeOneSensor();
    auto form = createWindow();
    QAction* item = form->mainMenu()->action("AlwaysOnTop1");
    ASSERT_TRUE(form->settings().AlwaysOnTop);
    EXPECT_TRUE(item->isChecked());
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    item->trigger();
    EXPECT_FALSE(form->settings().AlwaysOnTop);
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    item->trigger();
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(item->isChecked());
}

TEST_F(MainWindowMenuTest, toTheTrayAndBack)
{
    storeOneSensor();
    auto form = createWindow();
    form->show();
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->trayIcon()->popupMenu(), form->mainMenu()->popupMenu());

    form->mainMenu()->action("Minimizetotray1")->trigger();
    EXPECT_TRUE(waitFor([&] { return !form->isVisible(); }));
    form->trayIcon()->handleActivation(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(waitFor([&] { return form->isVisible(); }));

    // The "X" button minimises with XAction 0.
    form->settings().XAction = TXAction::MinimizeToTray;
    form->shutdownButton()->click();
    EXPECT_TRUE(waitFor([&] { return !form->isVisible(); }));
    form->mainMenu()->action("BringToFront1")->trigger();
    EXPECT_TRUE(form->isVisible());
}

TEST_F(MainWindowMenuTest, rightClickAnywhereOpensTheMenu)
{
    storeOneSensor();
    auto form = createWindow();
    form->show();
    QLabel* title = form->sensorControls(0)->TitleLabel;
    ASSERT_NE(title, nullptr);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                            title->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(title, &event);
    EXPECT_TRUE(form->mainMenu()->popupMenu()->isVisible());
    form->mainMenu()->popupMenu()->hide();
}

TEST_F(MainWindowMenuTest, theFirstStartOpensTheOptionsAtTheFirstActivationOnly)
{
    auto form = createWindow(); // an empty store: a first start
    ASSERT_TRUE(form->settings().FirstRun);
    EXPECT_EQ(form->settings().Interval, 5);
    int opened = 0;
    whenModal<TOptionsForm>([&](TOptionsForm& options) {
        ++opened;
        // The reload brought the defaults into memory.
        EXPECT_EQ(form->settings().Interval, 5);
        options.findChild<QPushButton*>("CancelBT")->click();
    });
    form->show();
    QApplication::setActiveWindow(form.get());
    EXPECT_TRUE(waitFor([&] { return opened == 1; }));
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(form.get());
    QCoreApplication::processEvents();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
