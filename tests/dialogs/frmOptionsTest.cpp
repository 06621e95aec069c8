#include "DialogTestSupport.h"
#include "widgets/ShownText.h"

#include "TColorBox.h"
#include "frmHostConfig.h"
#include "frmOptions.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>

namespace {

using Kind = DialogMessages::Kind;
using Answer = DialogMessages::Answer;

TSensorRecord sensor(const std::string& name, bool active, int64_t speed = 1024)
{
    TSensorRecord r;
    r.Active = active;
    r.HostName = name;
    r.HostIP = "10.0.0.1";
    r.Community = "vandor";
    r.Sensor = "2";
    r.SensorName = name + "-if";
    r.DownSpeed = speed;
    r.UpSpeed = speed / 2;
    r.SpeedType = TSpeedType::Bypass;
    r.GraphPixels = 2;
    r.DLColor = 0x00FF00;
    r.ULColor = 0x0000FF;
    r.LightColor = 0xFF0000;
    r.DarkColor = 0x800000;
    return r;
}

class OptionsTest : public DialogTest
{
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        host.loadDefaults();
        net = std::make_shared<ScriptedDeviceNetwork>();
    }
    void TearDown() override
    {
        form.reset();
        DialogTest::TearDown();
    }

    void setSensors(const std::vector<TSensorRecord>& sensors)
    {
        host.model.resizeSensors(int32_t(sensors.size()));
        for (std::size_t i = 0; i < sensors.size(); ++i)
            host.model.Sensors[i] = sensors[i];
    }

    TOptionsForm& open()
    {
        form = std::make_unique<TOptionsForm>(host, net);
        form->show();
        host.calls.clear();
        return *form;
    }

    template <typename T> T* get(const char* name) { return child<T>(form.get(), name); }
    QTableWidget* grid() { return get<QTableWidget>("InterfaceGrid"); }
    QString cell(int row, int column)
    {
        const QTableWidgetItem* item = grid()->item(row - 1, column);
        return item ? item->text() : QString();
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> result;
        for (const TSensorConfig& e : form->SensorList)
            result.push_back(e.HostName);
        return result;
    }

    FakeMainWindowHost host;
    std::shared_ptr<ScriptedDeviceNetwork> net;
    std::unique_ptr<TOptionsForm> form;
};

TEST_F(OptionsTest, pagesAndTexts)
{
    open();
    auto* pages = get<QTabWidget>("PageControl");
    ASSERT_EQ(pages->count(), 5);
    EXPECT_EQ(pages->tabText(0), "SNMP Sensors");
    EXPECT_EQ(pages->tabText(1), "Extra Sensors");
    EXPECT_EQ(pages->tabText(2), "Logging");
    EXPECT_EQ(pages->tabText(3), "User Interface");
    EXPECT_EQ(pages->tabText(4), "Usage");
    EXPECT_EQ(form->windowTitle(), "Travimetra Options");
    const QStringList headers = {"Device Name / Alias", "Address", "Interface", "Status"};
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(grid()->horizontalHeaderItem(c)->text(), headers[c]);
    // Every column in view, no horizontal scroll bar, the widths in the
    // design's proportions (145 : 90 : 170) and the status heading whole.
    QCoreApplication::processEvents();
    int total = 0;
    for (int c = 0; c < 4; ++c)
        total += grid()->columnWidth(c);
    EXPECT_LE(total, grid()->viewport()->width());
    EXPECT_GE(total, grid()->viewport()->width() - 2);
    EXPECT_FALSE(grid()->horizontalScrollBar()->isVisible());
    EXPECT_NEAR(grid()->columnWidth(0) * 170.0 / grid()->columnWidth(2), 145, 2);
    EXPECT_NEAR(grid()->columnWidth(1) * 170.0 / grid()->columnWidth(2), 90, 2);
    EXPECT_GE(grid()->columnWidth(3), grid()->horizontalHeader()->sectionSizeHint(3));
    EXPECT_EQ(get<QPushButton>("CancelBT")->toolTip(),
              "Cancel all the chenges you made. Nothing will be saved.");
    EXPECT_EQ(get<QPushButton>("DownBT")->toolTip(), "Move down the selectedsensor.");
    EXPECT_EQ(get<QRadioButton>("ManyFilesRB")->text(),
              "Store every sensor's data in a seperate file:");
    EXPECT_EQ(get<QSlider>("OpacityTrBar")->minimum(), 25);
    EXPECT_EQ(get<QSlider>("SizeTrBar")->maximum(), 500);
    EXPECT_EQ(get<QSlider>("LatencySecBar")->maximum(), 60);
    EXPECT_EQ(get<QComboBox>("XActionCB")->itemText(1), "terminate application");
    EXPECT_EQ(get<QComboBox>("SecMinCB")->itemText(0), "second(s)");
}

TEST_F(OptionsTest, loadingShowsTheSettings)
{
    TMonitorSettings& s = host.model;
    setSensors({sensor("Router", true), sensor("Modem", false)});
    s.LogType = TLogType::FilePerSensor;
    s.EnableLog = true;
    s.LatencySensor = false;
    s.LatencyHost = "ping.example";
    host.latency = 2500;
    s.LogFile = "/home/ann/.local/state/Travimetra/logs/with/a/long/path/below/it/Travimetra.log";
    s.LogFolder = "/var/log/travimetra/";
    s.LogTime = 12;
    s.LogSecMinType = TLogSecMinType::Minutes;
    s.SysLogServer = "loghost";
    s.XAction = TXAction::Terminate;
    s.ShowX = false;
    s.Interval = 9;
    s.ScaleSize = 150;
    s.ShowHints = false;
    s.DoPing = true;
    s.BackColor = 0x808080;
    host.alpha = 10; // below the slider's range
    open();

    EXPECT_TRUE(get<QRadioButton>("ManyFilesRB")->isChecked());
    EXPECT_TRUE(get<QLabel>("LogFolderLBL")->isEnabled());
    EXPECT_FALSE(get<QLabel>("LogFilenameLBL")->isEnabled());
    EXPECT_FALSE(get<QLineEdit>("SysLogEdit")->isEnabled());
    EXPECT_EQ(get<QSlider>("LatencySecBar")->value(), 2);
    EXPECT_EQ(get<QLabel>("LatencySecLBL")->text(), "2 sec");
    EXPECT_FALSE(get<QLineEdit>("LatencyHostEdit")->isEnabled());
    EXPECT_EQ(get<QLineEdit>("LatencyHostEdit")->text(), "ping.example");
    EXPECT_EQ(get<QLabel>("LogFilenameLBL")->text().toStdString(), ShortenPath(s.LogFile, 70));
    EXPECT_EQ(get<QLabel>("LogFolderLBL")->text(), "/var/log/travimetra/");
    EXPECT_EQ(get<QSlider>("LogTrBar")->value(), 12);
    EXPECT_EQ(get<QLabel>("LogTimeLBL")->text(), "12");
    EXPECT_EQ(get<QComboBox>("SecMinCB")->currentIndex(), 1);
    EXPECT_EQ(get<QLineEdit>("SysLogEdit")->text(), "loghost");
    EXPECT_EQ(get<QComboBox>("XActionCB")->currentIndex(), 1);
    EXPECT_FALSE(get<QComboBox>("XActionCB")->isEnabled());
    EXPECT_EQ(get<QLabel>("SecondsLBL")->text(), "Monitor activity every 9 seconds.");
    EXPECT_EQ(get<QLabel>("SizeLBL")->text(), "Window Size (150%)");
    EXPECT_EQ(form->SavedScaleSize, 150);
    EXPECT_EQ(form->SavedAlpha, 10);
    EXPECT_EQ(get<QLabel>("OpacityLBL")->text(), "Window Opacity is set to 25");
    EXPECT_EQ(host.alpha, 25);
    EXPECT_TRUE(get<QCheckBox>("PingChB")->isChecked());
    EXPECT_EQ(get<TColorBox>("BackColor")->selected(), 0x808080u);
    // Hints off: not even the full log path shows.
    EXPECT_EQ(get<QLabel>("LogFilenameLBL")->toolTip(), "");
    get<QCheckBox>("HintsChB")->click();
    EXPECT_EQ(ShownText::ofToolTip(get<QLabel>("LogFilenameLBL")->toolTip()).toStdString(),
              s.LogFile);
    EXPECT_EQ(get<QSlider>("SecondsTrBar")->toolTip(), "Set the interval between the SNMP polls.");

    ASSERT_EQ(grid()->rowCount(), 2);
    EXPECT_EQ(cell(1, 0), "Router");
    EXPECT_EQ(cell(1, 1), "10.0.0.1");
    EXPECT_EQ(cell(1, 2), "Router-if");
    EXPECT_EQ(cell(1, 3), "ON");
    EXPECT_EQ(cell(2, 3), "OFF");
    EXPECT_EQ(form->SensorList.size(), 2u);
    EXPECT_EQ(form->SensorList[1], TSensorConfig::fromRecord(s.Sensors[1]));
}

TEST_F(OptionsTest, reactionsWhileOpen)
{
    host.model.EnableLog = false;
    open();
    const char* logging[] = {"OneFileRB",    "ManyFilesRB",      "SyslogRB",       "LogFilenameLBL",
                             "LogFolderLBL", "SelectFilenameBT", "SelectFolderBT", "RefreshLogsLBL",
                             "LogTrBar",     "LogTimeLBL",       "SecMinCB",       "SysLogEdit"};
    for (const char* name : logging)
        EXPECT_FALSE(get<QWidget>(name)->isEnabled()) << name;
    get<QCheckBox>("LoggingChB")->click();
    get<QRadioButton>("SyslogRB")->click();
    EXPECT_TRUE(get<QLineEdit>("SysLogEdit")->isEnabled());
    EXPECT_FALSE(get<QPushButton>("SelectFilenameBT")->isEnabled());
    EXPECT_FALSE(get<QLabel>("LogFolderLBL")->isEnabled());
    get<QRadioButton>("OneFileRB")->click();
    EXPECT_TRUE(get<QPushButton>("SelectFilenameBT")->isEnabled());
    EXPECT_FALSE(get<QLineEdit>("SysLogEdit")->isEnabled());

    get<QCheckBox>("LatencyChB")->click();
    for (const char* name :
         {"LatencySecLBL", "PingLBL", "EveryLBL", "LatencyHostEdit", "LatencySecBar"})
        EXPECT_EQ(get<QWidget>(name)->isEnabled(), get<QCheckBox>("LatencyChB")->isChecked());

    get<QCheckBox>("ShowXChB")->setChecked(false);
    get<QCheckBox>("ShowXChB")->click();
    EXPECT_TRUE(get<QComboBox>("XActionCB")->isEnabled());
    EXPECT_TRUE(get<QLabel>("PressXLBL")->isEnabled());

    get<QSlider>("SecondsTrBar")->setValue(17);
    EXPECT_EQ(get<QLabel>("SecondsLBL")->text(), "Monitor activity every 17 seconds.");
    get<QSlider>("LatencySecBar")->setValue(45);
    EXPECT_EQ(get<QLabel>("LatencySecLBL")->text(), "45 sec");
    get<QSlider>("LogTrBar")->setValue(7);
    EXPECT_EQ(get<QLabel>("LogTimeLBL")->text(), "7");
    get<QSlider>("SizeTrBar")->setValue(200);
    EXPECT_EQ(get<QLabel>("SizeLBL")->text(), "Window Size (200%)");
    // The opacity is previewed at once; the size waits for OK.
    get<QSlider>("OpacityTrBar")->setValue(100);
    EXPECT_EQ(get<QLabel>("OpacityLBL")->text(), "Window Opacity is set to 100");
    EXPECT_EQ(host.calls, std::vector<std::string>({"alpha 100"}));
}

TEST_F(OptionsTest, moveUpAndDownKeepTheMovedEntrySelected)
{
    setSensors({sensor("A", true), sensor("B", true), sensor("C", true)});
    open();
    form->selectRow(1);
    get<QPushButton>("UpBT")->click();
    EXPECT_EQ(names(), std::vector<std::string>({"A", "B", "C"}));
    form->selectRow(3);
    get<QPushButton>("DownBT")->click();
    EXPECT_EQ(names(), std::vector<std::string>({"A", "B", "C"}));

    form->selectRow(3);
    get<QPushButton>("UpBT")->click();
    EXPECT_EQ(names(), std::vector<std::string>({"A", "C", "B"}));
    EXPECT_EQ(form->selectedRow(), 2);
    EXPECT_EQ(cell(2, 0), "C");
    get<QPushButton>("UpBT")->click();
    EXPECT_EQ(names(), std::vector<std::string>({"C", "A", "B"}));
    EXPECT_EQ(form->selectedRow(), 1);
    get<QPushButton>("DownBT")->click();
    get<QPushButton>("DownBT")->click();
    EXPECT_EQ(names(), std::vector<std::string>({"A", "B", "C"}));
    EXPECT_EQ(form->selectedRow(), 3);
    // Nothing of this reached the window.
    EXPECT_EQ(host.model.Sensors[0].HostName, "A");
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(OptionsTest, deleteRefusesTheLastSensorAndAsksBeforeRemoving)
{
    setSensors({sensor("A", true)});
    open();
    get<QPushButton>("DeleteBT")->click();
    ASSERT_EQ(m_messages->messages.size(), 1u);
    EXPECT_EQ(m_messages->messages[0].kind, Kind::Error);
    EXPECT_EQ(m_messages->last(), "You cannot delete this. You must have at least one Sensor!");
    EXPECT_EQ(form->SensorList.size(), 1u);

    form.reset();
    setSensors({sensor("A", true), sensor("B", true), sensor("C", true)});
    open();
    m_messages->messages.clear();
    form->selectRow(2);
    m_messages->answers = {Answer::No};
    get<QPushButton>("DeleteBT")->click();
    ASSERT_EQ(m_messages->messages.size(), 1u);
    EXPECT_EQ(m_messages->messages[0].kind, Kind::Confirmation);
    EXPECT_EQ(m_messages->last(), "Are you sure you want to delete this Sensor?");
    EXPECT_EQ(names(), std::vector<std::string>({"A", "B", "C"}));

    m_messages->answers = {Answer::Yes};
    get<QPushButton>("DeleteBT")->click();
    EXPECT_EQ(names(), std::vector<std::string>({"A", "C"}));
    EXPECT_EQ(grid()->rowCount(), 2);
    EXPECT_EQ(cell(2, 0), "C");
}

TEST_F(OptionsTest, deletingTheLastRowSelectsTheNewLastRow)
{
    setSensors({sensor("A", true), sensor("B", true), sensor("C", true), sensor("D", true)});
    open();
    m_messages->answers = {Answer::Yes, Answer::Yes};
    form->selectRow(4);
    get<QPushButton>("DeleteBT")->click();
    EXPECT_EQ(names(), std::vector<std::string>({"A", "B", "C"}));
    EXPECT_EQ(form->selectedRow(), 3);
    // A second Delete removes the row the user sees selected, not the first.
    get<QPushButton>("DeleteBT")->click();
    EXPECT_EQ(names(), std::vector<std::string>({"A", "B"}));
    EXPECT_EQ(form->selectedRow(), 2);
}

TEST_F(OptionsTest, pathLabelsLookDisabledWhenTheirChoiceOrLoggingIsOff)
{
    host.model.EnableLog = true;
    host.model.LogType = TLogType::OneFile;
    open();
    auto* file = get<QLabel>("LogFilenameLBL");
    auto* folder = get<QLabel>("LogFolderLBL");
    const QColor navy(0, 0, 0x80);
    // The colour a label is drawn in: its palette's, in its current state.
    const auto drawn = [](QLabel* label) {
        return label->palette().color(label->isEnabled() ? QPalette::Active : QPalette::Disabled,
                                      label->foregroundRole());
    };
    EXPECT_EQ(drawn(file), navy);
    EXPECT_NE(drawn(folder), navy);
    EXPECT_EQ(drawn(folder), QLabel().palette().color(QPalette::Disabled, QPalette::WindowText));
    get<QRadioButton>("ManyFilesRB")->click();
    EXPECT_NE(drawn(file), navy);
    EXPECT_EQ(drawn(folder), navy);
    get<QCheckBox>("LoggingChB")->click();
    ASSERT_FALSE(get<QCheckBox>("LoggingChB")->isChecked());
    EXPECT_NE(drawn(file), navy);
    EXPECT_NE(drawn(folder), navy);
}

TEST_F(OptionsTest, listPrimitivesCheckTheirIndexes)
{
    std::vector<TSensorConfig> list(2);
    list[0].HostName = "x";
    TOptionsForm::SwapSensorEntries(list, 0, 1);
    EXPECT_EQ(list[1].HostName, "x");
    EXPECT_THROW(TOptionsForm::SwapSensorEntries(list, 0, 2), std::out_of_range);
    TOptionsForm::DeleteSensorEntry(list, 0);
    EXPECT_EQ(list.size(), 1u);
    EXPECT_THROW(TOptionsForm::DeleteSensorEntry(list, 1), std::out_of_range);
    TOptionsForm::DeleteSensorEntry(list, 0);
    EXPECT_THROW(TOptionsForm::DeleteSensorEntry(list, 0), std::out_of_range);
}

TEST_F(OptionsTest, okWithoutAnActiveSensorRefusesAndChangesNothing)
{
    setSensors({sensor("A", false), sensor("B", false)});
    open();
    EXPECT_FALSE(form->CheckActive());
    get<QPushButton>("OKBT")->click();
    EXPECT_EQ(m_messages->last(), "You must have at least one active interface/sensor!");
    EXPECT_TRUE(host.calls.empty());
    EXPECT_TRUE(form->isVisible());
    get<QPushButton>("CancelBT")->click();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(OptionsTest, cancelRestoresSizeAndOpacityAndSavesNothing)
{
    host.model.ScaleSize = 120;
    host.alpha = 200;
    setSensors({sensor("A", true)});
    open();
    get<QSlider>("OpacityTrBar")->setValue(60);
    get<QSlider>("SizeTrBar")->setValue(300);
    get<QSlider>("SecondsTrBar")->setValue(20);
    host.model.ScaleSize = 999; // whatever happened meanwhile
    get<QPushButton>("CancelBT")->click();
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_EQ(host.alpha, 200);
    EXPECT_EQ(host.model.ScaleSize, 120);
    EXPECT_NE(host.model.Interval, 20);
    EXPECT_EQ(host.indexOf("saveSettings"), -1);

    // The close box discards the edits but keeps the previewed opacity.
    form.reset();
    open();
    get<QSlider>("OpacityTrBar")->setValue(60);
    form->close();
    EXPECT_EQ(host.alpha, 60);
    EXPECT_EQ(host.indexOf("saveSettings"), -1);
}

TEST_F(OptionsTest, okAppliesEverythingInOrderAndSaves)
{
    host.model.ScaleSize = 100;
    setSensors({sensor("A", true, 2048), sensor("B", true), sensor("C", false)});
    open();
    // Reorder and deactivate in the working list.
    form->SensorList[0].Active = false;
    form->SensorList[2].Active = true;
    form->UpdateGrid();
    get<QSlider>("SecondsTrBar")->setValue(7);
    get<QCheckBox>("LatencyChB")->setChecked(true);
    get<QLineEdit>("LatencyHostEdit")->setText("127.0.0.1");
    get<QSlider>("LatencySecBar")->setValue(4);
    get<QCheckBox>("LoggingChB")->setChecked(true);
    get<QRadioButton>("SyslogRB")->setChecked(true);
    get<QLineEdit>("SysLogEdit")->setText("loghost");
    get<QSlider>("LogTrBar")->setValue(3);
    get<QComboBox>("SecMinCB")->setCurrentIndex(1);
    get<QCheckBox>("ShowXChB")->setChecked(true);
    get<QComboBox>("XActionCB")->setCurrentIndex(1);
    get<QCheckBox>("AutoStartChB")->setChecked(false);
    get<QCheckBox>("StartMinimizedChB")->setChecked(true);
    get<QCheckBox>("PingChB")->setChecked(true);
    get<QCheckBox>("ShowExInfoChB")->setChecked(false);
    get<QCheckBox>("HintsChB")->setChecked(false);
    get<TColorBox>("BackColor")->setSelected(0x800080);
    get<QSlider>("SizeTrBar")->setValue(150);
    host.calls.clear();
    get<QPushButton>("OKBT")->click();

    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(host.calls,
              std::vector<std::string>({"timer off", "timer interval 7000", "DeleteControls",
                                        "latency interval 4000", "UpdateControls 011",
                                        "UpdateControlProperties", "UpdateControlProperties",
                                        "saveSettings", "timer on", "scale 150/100"}));
    const TMonitorSettings& s = host.model;
    EXPECT_EQ(s.Interval, 7);
    EXPECT_TRUE(s.LatencySensor);
    EXPECT_EQ(s.LatencyHost, "127.0.0.1");
    EXPECT_TRUE(s.EnableLog);
    EXPECT_EQ(s.LogType, TLogType::Syslog);
    EXPECT_EQ(s.SysLogServer, "loghost");
    EXPECT_EQ(s.LogTime, 3);
    EXPECT_EQ(s.LogSecMinType, TLogSecMinType::Minutes);
    EXPECT_TRUE(s.ShowX);
    EXPECT_EQ(s.XAction, TXAction::Terminate);
    EXPECT_FALSE(s.AutoStart);
    EXPECT_TRUE(s.StartMinimized);
    EXPECT_TRUE(s.DoPing);
    EXPECT_FALSE(s.ShowExtendedInfo);
    EXPECT_EQ(s.BackColor, 0x800080u);
    EXPECT_EQ(s.ScaleSize, 150);
    EXPECT_FALSE(s.ShowHints);
    EXPECT_EQ(s.TrayDownSpeed, 2048);
    EXPECT_EQ(s.TrayUpSpeed, 1024);
    ASSERT_EQ(s.NumberOfHosts, 3);
    EXPECT_FALSE(s.Sensors[0].Active);
    EXPECT_TRUE(s.Sensors[2].Active);
    EXPECT_EQ(s.Sensors[1].SensorName, "B-if");

    // The store got the new values, apart from the size and the hints,
    // which are saved with the next save.
    TMonitorSettings stored;
    FakeMainWindowHost window;
    LoadSettings(stored, window);
    EXPECT_EQ(stored.Interval, 7);
    EXPECT_EQ(stored.LogType, TLogType::Syslog);
    EXPECT_EQ(stored.NumberOfHosts, 3);
    EXPECT_EQ(stored.Sensors[2].HostName, "C");
    EXPECT_TRUE(stored.Sensors[2].Active);
    EXPECT_EQ(stored.ScaleSize, 100);
    EXPECT_TRUE(stored.ShowHints);
    EXPECT_EQ(window.latency, 4000);
}

TEST_F(OptionsTest, theLogFileGetsItsExtensionCaseSensitively)
{
    host.model.EnableLog = true;
    host.model.LogFile = "/tmp/old.log";
    open();
    std::vector<DialogChoosers::SaveFileRequest> requests;
    std::optional<QString> answer;
    DialogChoosers::setSaveFileFunction(
        [&](QWidget*, const DialogChoosers::SaveFileRequest& r) -> std::optional<QString> {
            requests.push_back(r);
            return answer;
        });
    const auto choose = [&](std::optional<QString> name) {
        answer = std::move(name);
        get<QPushButton>("SelectFilenameBT")->click();
        return form->WorkLogFile;
    };
    EXPECT_EQ(choose(std::nullopt), "/tmp/old.log");
    EXPECT_EQ(choose(QStringLiteral("/tmp/traffic")), "/tmp/traffic.log");
    EXPECT_EQ(choose(QStringLiteral("/tmp/traffic.LOG")), "/tmp/traffic.LOG.log");
    EXPECT_EQ(choose(QStringLiteral("/tmp/kept.log")), "/tmp/kept.log");
    EXPECT_EQ(get<QLabel>("LogFilenameLBL")->text(), "/tmp/kept.log");
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].startFile, "/tmp/old.log");
    EXPECT_EQ(requests[2].startFile, "/tmp/traffic.log");
    EXPECT_EQ(requests[0].title,
              "Select a filename for the log. Every sensor's data will be saved in this file.");
    EXPECT_TRUE(requests[0].filter.startsWith("Travimetra Log Files [*.log] (*.log)"));
    // Only OK takes it over.
    EXPECT_EQ(host.model.LogFile, "/tmp/old.log");
}

TEST_F(OptionsTest, theLogFolderCanBeChosen)
{
    host.model.EnableLog = true;
    host.model.LogType = TLogType::FilePerSensor;
    host.model.LogFolder = "/tmp/before/";
    setSensors({sensor("A", true)});
    open();
    QString started;
    DialogChoosers::setFolderFunction(
        [&](QWidget*, const QString&, const QString& start) -> std::optional<QString> {
            started = start;
            return QStringLiteral("/tmp/after");
        });
    get<QPushButton>("SelectFolderBT")->click();
    EXPECT_EQ(started, "/tmp/before/");
    EXPECT_EQ(form->WorkLogFolder, "/tmp/after/");
    EXPECT_EQ(get<QLabel>("LogFolderLBL")->text(), "/tmp/after/");
    get<QPushButton>("OKBT")->click();
    EXPECT_EQ(host.model.LogFolder, "/tmp/after/");
}

TEST_F(OptionsTest, addAndEditOpenTheDeviceDialogOnTheWorkingList)
{
    setSensors({sensor("A", true)});
    net->host = "10.0.0.1";
    net->addInterfaces({{"2", "eth1", "10000000"}});
    open();

    whenModal<THostConfigForm>(
        [&](THostConfigForm& d) {
            EXPECT_EQ(form->EditMode, 1);
            EXPECT_EQ(form->hostConfigForm(), &d);
            d.findChild<QLineEdit*>("HostAddressEdit")->setText("10.0.0.1");
            d.findChild<QPushButton*>("RefreshBT")->click();
            // The discovery proposes a name; the user's own goes in after it.
            d.findChild<QLineEdit*>("HostNameEdit")->setText("Added");
            d.findChild<QPushButton*>("OKBT")->click();
        },
        [](THostConfigForm& d) { return d.activationDone(); });
    get<QPushButton>("AddBT")->click();
    EXPECT_EQ(form->hostConfigForm(), nullptr);
    ASSERT_EQ(form->SensorList.size(), 2u);
    EXPECT_EQ(form->SensorList[1].HostName, "Added");
    EXPECT_EQ(form->SensorList[1].SensorName, "eth1");
    EXPECT_EQ(cell(2, 0), "Added");
    EXPECT_EQ(cell(2, 3), "ON");
    EXPECT_EQ(host.model.NumberOfHosts, 1); // not before OK

    // A double-click edits the row under it.
    form->selectRow(1);
    whenModal<THostConfigForm>(
        [&](THostConfigForm& d) {
            EXPECT_EQ(form->EditMode, 2);
            EXPECT_EQ(d.entryIndex(), 0);
            d.findChild<QLineEdit*>("HostNameEdit")->setText("Edited");
            d.findChild<QPushButton*>("OKBT")->click();
        },
        [](THostConfigForm& d) { return d.activationDone(); });
    emit grid()->cellDoubleClicked(0, 0);
    EXPECT_EQ(form->SensorList[0].HostName, "Edited");
    EXPECT_EQ(cell(1, 0), "Edited");

    get<QPushButton>("OKBT")->click();
    ASSERT_EQ(host.model.NumberOfHosts, 2);
    EXPECT_EQ(host.model.Sensors[1].HostName, "Added");
    EXPECT_EQ(host.model.Sensors[0].HostName, "Edited");
}

TEST_F(OptionsTest, editWithoutAnEntryOpensNothing)
{
    setSensors({});
    open();
    EXPECT_EQ(grid()->rowCount(), 1); // the grid keeps its empty row
    get<QPushButton>("EditBT")->click();
    EXPECT_EQ(form->hostConfigForm(), nullptr);
    EXPECT_TRUE(net->log.empty());
}

TEST_F(OptionsTest, okAfterAStoredScaleOfZeroScalesNothing)
{
    // Scaling from 0 % would divide by zero: the window is left as laid out
    // and the new size is kept for the next start.
    host.model.ScaleSize = 0;
    setSensors({sensor("A", true)});
    open();
    get<QSlider>("SizeTrBar")->setValue(150);
    host.calls.clear();
    get<QPushButton>("OKBT")->click();
    for (const std::string& call : host.calls)
        EXPECT_NE(call.rfind("scale ", 0), 0u) << call;
    EXPECT_EQ(host.model.ScaleSize, 150);
}

} // namespace

namespace {

TEST_F(OptionsTest, logPathsFromTheStoreShowAsPlainText)
{
    for (const QString& text : ShownText::hostileTexts()) {
        SCOPED_TRACE(text.toStdString());
        const std::string path = "/l/" + text.toStdString();
        host.model.LogFile = path + ".log";
        host.model.LogFolder = path + "/";
        host.model.ShowHints = true;
        open();
        for (const char* name : {"LogFilenameLBL", "LogFolderLBL"}) {
            const QLabel* label = get<QLabel>(name);
            const QString full = QString::fromStdString(
                std::string(name) == "LogFolderLBL" ? host.model.LogFolder : host.model.LogFile);
            EXPECT_EQ(ShownText::ofToolTip(label->toolTip()), full) << name;
            // The label may shorten the path, never render it.
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << name;
            EXPECT_EQ(ShownText::ofLabel(*label), label->text()) << name;
            EXPECT_TRUE(label->text().contains(QStringLiteral("<")) ||
                        !text.contains(QStringLiteral("<")))
                << name << ": " << label->text().toStdString();
        }
        form.reset();
    }
}

} // namespace
