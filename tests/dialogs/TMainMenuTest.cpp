#include "DialogTestSupport.h"

#include "TMainMenu.h"
#include "frmHostConfig.h"
#include "frmOptions.h"

#include <QAction>
#include <QDate>
#include <QMenu>
#include <QPushButton>
#include <clocale>

namespace {

using Kind = DialogMessages::Kind;

class MainMenuTest : public DialogTest
{
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        host.loadDefaults();
        net = std::make_shared<ScriptedDeviceNetwork>();
        net->host = "10.0.0.5";
        net->community = "secret";
        host.model.Sensors[0].HostIP = "10.0.0.5";
        host.model.Sensors[0].Community = "secret";
        menu = std::make_unique<TMainMenu>(host, net);
    }
    void TearDown() override
    {
        menu.reset();
        DialogTest::TearDown();
    }
    void trigger(const char* item) { menu->action(item)->trigger(); }

    FakeMainWindowHost host;
    std::shared_ptr<ScriptedDeviceNetwork> net;
    std::unique_ptr<TMainMenu> menu;
};

TEST_F(MainMenuTest, itemsInOrderWithCaptionsAndShortcuts)
{
    struct Item
    {
        const char* name;
        const char* caption;
        const char* shortcut;
    };
    const Item expected[] = {
        {"About1", "About...", "Ctrl+A"},
        {"VisitTravimetraonline1", "Visit Travimetra on-line...", ""},
        {"Sendemailtothedeveloper1", "Send e-mail to the developer...", ""},
        {"Donate1", "Donate...", ""},
        {"N1", "", ""},
        {"Options1", "Configuration / Options...", "Ctrl+O"},
        {"Showrouterinformation1", "Show first SNMP device information", "Ctrl+I"},
        {"Usage1", "Usage...", ""},
        {"EnableDisableMonitor1", "Deactivate Monitor", "Ctrl+S"},
        {"N2", "", ""},
        {"AlwaysOnTop1", "Always on top", ""},
        {"BringToFront1", "Bring To Front", ""},
        {"Minimizetotray1", "Minimize to tray", "Ctrl+M"},
        {"Exit1", "Exit", "Alt+F4"},
    };
    const QList<QAction*> actions = menu->popupMenu()->actions();
    ASSERT_EQ(actions.size(), int(std::size(expected)));
    for (int i = 0; i < actions.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(actions[i]->objectName(), expected[i].name);
        EXPECT_EQ(actions[i]->isSeparator(), expected[i].name[0] == 'N');
        EXPECT_EQ(actions[i]->text(), expected[i].caption);
        EXPECT_EQ(actions[i]->shortcut().toString(), expected[i].shortcut);
    }
    EXPECT_TRUE(menu->action("AlwaysOnTop1")->isChecked());
}

TEST_F(MainMenuTest, usageOpensTheUsageWindowAndNothingElse)
{
    const bool timerBefore = host.timerEnabled;
    trigger("Usage1");
    EXPECT_EQ(host.calls, std::vector<std::string>({"usage window"}));
    // Not modal: the poll goes on while it is open.
    EXPECT_EQ(host.timerEnabled, timerBefore);
}

TEST_F(MainMenuTest, activateAndDeactivateFollowTheTimer)
{
    trigger("EnableDisableMonitor1");
    EXPECT_EQ(menu->action("EnableDisableMonitor1")->text(), "Activate Monitor");
    EXPECT_FALSE(host.timerEnabled);
    trigger("EnableDisableMonitor1");
    EXPECT_EQ(menu->action("EnableDisableMonitor1")->text(), "Deactivate Monitor");
    EXPECT_TRUE(host.timerEnabled);
    EXPECT_EQ(host.calls,
              std::vector<std::string>({"timer off", "labels [] [Monitor is deactivated]",
                                        "timer on", "labels [Monitor is activated] []"}));
    // The caption asks the timer, not its own last state.
    host.timerEnabled = false;
    trigger("EnableDisableMonitor1");
    EXPECT_EQ(menu->action("EnableDisableMonitor1")->text(), "Deactivate Monitor");
}

TEST_F(MainMenuTest, alwaysOnTopFlipsTheSettingAndTheCheckMark)
{
    host.model.AlwaysOnTop = true;
    trigger("AlwaysOnTop1");
    EXPECT_FALSE(host.model.AlwaysOnTop);
    EXPECT_FALSE(menu->action("AlwaysOnTop1")->isChecked());
    trigger("AlwaysOnTop1");
    EXPECT_TRUE(host.model.AlwaysOnTop);
    EXPECT_TRUE(menu->action("AlwaysOnTop1")->isChecked());
    EXPECT_EQ(host.calls,
              std::vector<std::string>({"AlwaysOnTopCheck off", "AlwaysOnTopCheck on"}));
    // At start-up the mark follows the stored setting.
    host.model.AlwaysOnTop = false;
    menu->AlwaysOnTopCheck();
    EXPECT_FALSE(menu->action("AlwaysOnTop1")->isChecked());
}

TEST_F(MainMenuTest, deviceInformationOfTheFirstSensor)
{
    host.model.Sensors[0].Active = false; // asked whether active or not
    net->values["1.3.6.1.2.1.1.5.0"] = "";
    net->values["1.3.6.1.2.1.1.5"] = "bare-name";
    net->values["1.3.6.1.2.1.1.1"] = "bare description";
    trigger("Showrouterinformation1");
    ASSERT_EQ(m_messages->messages.size(), 1u);
    EXPECT_EQ(m_messages->messages[0].kind, Kind::Information);
    // No interface count: "Not Found".
    EXPECT_EQ(m_messages->last(),
              "Device Name: bare-name\n\rInterfaces found: Not Found\n\rIP Address / DNS Name: "
              "10.0.0.5\n\rDescription: bare description");
    // The bare ifNumber OID first, then the instance.
    EXPECT_LT(std::find(net->log.begin(), net->log.end(), "get 1.3.6.1.2.1.2.1") - net->log.begin(),
              std::find(net->log.begin(), net->log.end(), "get 1.3.6.1.2.1.2.1.0") -
                  net->log.begin());

    net->answering = false;
    trigger("Showrouterinformation1");
    EXPECT_EQ(m_messages->messages.back().kind, Kind::Error);
    EXPECT_EQ(m_messages->last(),
              "The device with the IP Address \"10.0.0.5\" did not reply to the SNMP call. Check "
              "SNMP host, community or MIB OID!");
}

TEST_F(MainMenuTest, deviceInformationWithoutSensorsDoesNothing)
{
    host.model.resizeSensors(0);
    trigger("Showrouterinformation1");
    EXPECT_TRUE(net->log.empty());
    EXPECT_TRUE(m_messages->messages.empty());
}

TEST_F(MainMenuTest, aboutNamesTheVersionAndTheYears)
{
    EXPECT_EQ(TMainMenu::aboutText("1.0.0.0", "2031"),
              "Travimetra   [ver. 1.0.0.0]\n\r\n\rTravimetra was developed by Ambrisk to easily "
              "monitor your network and various devices in it.\n\r\n\r(C) 2006-2031 Ambrisk - "
              "https://example.org/travimetra/ - travimetra@example.org");
    const std::string year = std::to_string(QDate::currentDate().year());
    EXPECT_EQ(TMainMenu::currentYear(), year);
    // The C locale's short date has a two-digit year; the About box still
    // names the whole year.
    const std::string saved = std::setlocale(LC_TIME, nullptr);
    std::setlocale(LC_TIME, "C");
    EXPECT_EQ(TMainMenu::currentYear(), year);
    std::setlocale(LC_TIME, saved.c_str());

    trigger("About1");
    ASSERT_EQ(m_messages->messages.size(), 1u);
    EXPECT_EQ(m_messages->messages[0].kind, Kind::Information);
    // The test program carries no version record.
    EXPECT_EQ(m_messages->last(), TMainMenu::aboutText("No such VersionInfo", year));
}

TEST_F(MainMenuTest, webItemsOpenTheirAddresses)
{
    trigger("VisitTravimetraonline1");
    trigger("Sendemailtothedeveloper1");
    trigger("Donate1");
    ASSERT_EQ(m_openedUrls.size(), 3u);
    EXPECT_EQ(m_openedUrls[0].toString(), "https://example.org/travimetra/");
    EXPECT_EQ(m_openedUrls[1].toString(), "mailto:travimetra@example.org?subject=Travimetra");
    EXPECT_EQ(m_openedUrls[2].toString(), "https://example.org/travimetra/donate");
}

TEST_F(MainMenuTest, windowItemsAndTheXButton)
{
    trigger("Minimizetotray1");
    trigger("BringToFront1");
    trigger("Exit1");
    menu->TrayIconClick();
    host.model.XAction = TXAction::MinimizeToTray;
    menu->ShutdownBTClick();
    host.model.XAction = TXAction::Terminate;
    menu->ShutdownBTClick();
    EXPECT_EQ(host.calls,
              std::vector<std::string>({"minimizeToTray", "bringWindowToFront", "quitApplication",
                                        "restoreFromTray", "minimizeToTray", "quitApplication"}));
}

TEST_F(MainMenuTest, optionsOpensOneDialogAtATime)
{
    int opened = 0;
    whenModal<TOptionsForm>([&](TOptionsForm& form) {
        ++opened;
        EXPECT_EQ(menu->optionsForm(), &form);
        // A second request while it is open does nothing.
        menu->Options1Click();
        EXPECT_EQ(QApplication::activeModalWidget(), &form);
        // Bring To Front with both dialogs open ends with the device dialog.
        whenModal<THostConfigForm>(
            [&](THostConfigForm& device) {
                menu->BringToFront1Click();
                device.findChild<QPushButton*>("CancelBT")->click();
            },
            [](THostConfigForm& d) { return d.activationDone(); });
        form.findChild<QPushButton*>("AddBT")->click();
        form.findChild<QPushButton*>("CancelBT")->click();
    });
    trigger("Options1");
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(menu->optionsForm(), nullptr);
    EXPECT_NE(host.indexOf("bringWindowToFront"), -1);
}

TEST_F(MainMenuTest, firstRunReloadsAndOpensTheOptionsOnTheFirstActivationOnly)
{
    host.model.FirstRun = true;
    int opened = 0;
    whenModal<TOptionsForm>([&](TOptionsForm& form) {
        ++opened;
        EXPECT_NE(host.indexOf("loadSettings"), -1);
        form.findChild<QPushButton*>("CancelBT")->click();
    });
    menu->FormActivate();
    EXPECT_EQ(opened, 1);
    // Closing the dialog activates the window again: no second dialog.
    host.model.FirstRun = true;
    menu->FormActivate();
    QCoreApplication::processEvents();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(host.indexOf("loadSettings"), 0);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "loadSettings"), 1);
}

TEST_F(MainMenuTest, noFirstRunNoDialog)
{
    host.model.FirstRun = false;
    menu->FormActivate();
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainMenuTest, theWindowGetsTheMenuAndItsShortcuts)
{
    QWidget window;
    menu->attachTo(&window);
    EXPECT_EQ(window.contextMenuPolicy(), Qt::CustomContextMenu);
    EXPECT_TRUE(window.actions().contains(menu->action("Options1")));
    window.show();
    emit window.customContextMenuRequested(QPoint(5, 5));
    EXPECT_TRUE(menu->popupMenu()->isVisible());
    menu->popupMenu()->hide();
}

} // namespace
