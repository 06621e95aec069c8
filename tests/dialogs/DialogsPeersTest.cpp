// The dialogs against net-snmp's agent: what Start Connection lists must be
// what snmpwalk sees, and what OK stores must reach the model and the store.
#include "DialogTestSupport.h"

#include "ChildProcess.h"
#include "PeerRequirement.h"
#include "SnmpDeviceNetwork.h"
#include "SnmpdPeer.h"
#include "TMainMenu.h"
#include "frmHostConfig.h"
#include "frmOptions.h"
#include "srcRegOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

namespace {

using Kind = DialogMessages::Kind;

const char* const kAgent = "127.0.0.61";
const char* const kSilent = "127.0.0.62"; // nothing listens there

// The real agent and the real echo, unless the test makes the echo fail.
class AgentWithPing : public SnmpDeviceNetwork
{
public:
    int pingRoundTrip(const std::string& host) override
    {
        return echoFails ? -1 : SnmpDeviceNetwork::pingRoundTrip(host);
    }
    bool echoFails = false;
};

// "Interface <index> is <ifDescr>" for every row snmpwalk shows.
QStringList walkedInterfaces(const std::string& host)
{
    const std::string out = runCommand({"snmpwalk", "-v1", "-c", SnmpdPeer::community(), "-On",
                                        "-Oq", host, "1.3.6.1.2.1.2.2.1.2"});
    return interfaceEntries(out);
}

std::string ifSpeed(const std::string& host, const std::string& index)
{
    std::string out = runCommand({"snmpget", "-v1", "-c", SnmpdPeer::community(), "-Oqv", host,
                                  "1.3.6.1.2.1.2.2.1.5." + index});
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

class DialogsPeersTest : public DialogTest
{
protected:
    static void SetUpTestSuite()
    {
        s_agent = std::make_unique<SnmpdPeer>(kAgent);
        s_started = s_agent->start();
    }
    static void TearDownTestSuite() { s_agent.reset(); }

    void SetUp() override
    {
        DialogTest::SetUp();
        host.loadDefaults();
        net = std::make_shared<AgentWithPing>();
    }
    void TearDown() override
    {
        form.reset();
        DialogTest::TearDown();
    }

    TOptionsForm& openOptions()
    {
        form = std::make_unique<TOptionsForm>(host, net);
        form->show();
        return *form;
    }

    static QStringList listOf(THostConfigForm& d)
    {
        QStringList items;
        auto* combo = d.findChild<QComboBox*>("OIDCombo");
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items;
    }

    // Adds a device through the device dialog: connect, pick the interface
    // with that description, choose the speed mode, OK.
    void addDevice(const QString& description, const char* speedRadio)
    {
        whenModal<THostConfigForm>(
            [&](THostConfigForm& d) {
                d.findChild<QLineEdit*>("HostAddressEdit")->setText(kAgent);
                d.findChild<QPushButton*>("CheckConnectionBT")->click();
                auto* combo = d.findChild<QComboBox*>("OIDCombo");
                const int i = combo->findText(description, Qt::MatchEndsWith);
                EXPECT_GE(i, 0) << description.toStdString();
                combo->setCurrentIndex(std::max(i, 0));
                emit combo->activated(combo->currentIndex());
                d.findChild<QRadioButton*>(speedRadio)->click();
                d.findChild<QPushButton*>("OKBT")->click();
                // A refusal leaves the dialog open: give up on it.
                if (d.isVisible())
                    d.findChild<QPushButton*>("CancelBT")->click();
            },
            [](THostConfigForm& d) { return d.activationDone(); });
        form->findChild<QPushButton*>("AddBT")->click();
    }

    static std::unique_ptr<SnmpdPeer> s_agent;
    static bool s_started;
    FakeMainWindowHost host;
    std::shared_ptr<AgentWithPing> net;
    std::unique_ptr<TOptionsForm> form;
};

std::unique_ptr<SnmpdPeer> DialogsPeersTest::s_agent;
bool DialogsPeersTest::s_started = false;

TEST_F(DialogsPeersTest, startConnectionListsWhatSnmpwalkSees)
{
    REQUIRE_PEER(s_started, s_agent->error());
    const QStringList expected = walkedInterfaces(kAgent);
    ASSERT_FALSE(expected.isEmpty());
    openOptions();
    host.model.resizeSensors(1);
    whenModal<THostConfigForm>(
        [&](THostConfigForm& d) {
            d.findChild<QLineEdit*>("HostAddressEdit")->setText(kAgent);
            d.findChild<QPushButton*>("CheckConnectionBT")->click();
            EXPECT_EQ(listOf(d), expected);
            EXPECT_EQ(d.findChild<QLineEdit*>("HostNameEdit")->text(), SnmpdPeer::sysName());
            const std::string first = THostConfigForm::oidNumOf(expected[0].toStdString());
            EXPECT_EQ(d.findChild<QRadioButton*>("DefaultSpeedRB")->text().toStdString(),
                      "Use detected speed [" +
                          std::to_string(std::stoll(ifSpeed(kAgent, first)) / 1000) + " kbps]");
            d.findChild<QPushButton*>("CancelBT")->click();
        },
        [](THostConfigForm& d) { return d.activationDone(); });
    form->findChild<QPushButton*>("AddBT")->click();

    ASSERT_EQ(m_messages->messages.size(), 1u);
    EXPECT_EQ(m_messages->messages[0].kind, Kind::Information);
    const std::string info = m_messages->last();
    EXPECT_EQ(info.rfind(std::string("Device Name: ") + SnmpdPeer::sysName() + "\n\r", 0), 0u)
        << info;
    EXPECT_NE(info.find("\n\rInterfaces found: " + std::to_string(expected.size()) + "\n\r"),
              std::string::npos)
        << info;
    EXPECT_NE(info.find(std::string("\n\rIP Address / DNS Name: ") + kAgent + "\n\r"),
              std::string::npos);
    EXPECT_EQ(form->SensorList.size(), 1u); // cancelled: nothing added
}

TEST_F(DialogsPeersTest, addInEachSpeedModeAndConfirm)
{
    REQUIRE_PEER(s_started, s_agent->error());
    host.model.resizeSensors(0);
    openOptions();
    addDevice("is lo", "LiveSpeedRB");
    addDevice("is lo", "DefaultSpeedRB");
    addDevice("is lo", "BypassSpeedRB");
    ASSERT_EQ(form->SensorList.size(), 3u);
    const int64_t loKbps = std::stoll(ifSpeed(kAgent, "1")) / 1000;
    const int64_t expectedSpeeds[] = {1, loKbps, 128};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const TSensorConfig& e = form->SensorList[i];
        EXPECT_EQ(e.HostIP, kAgent);
        EXPECT_EQ(e.HostName, SnmpdPeer::sysName());
        EXPECT_EQ(e.Sensor, "1");
        EXPECT_EQ(e.SensorName, "lo");
        EXPECT_EQ(storedNumber(e.SpeedType), int32_t(i) + 1);
        EXPECT_EQ(e.DownSpeed, expectedSpeeds[i]);
        EXPECT_EQ(e.DownOID, "1.3.6.1.2.1.2.2.1.10.1");
        EXPECT_EQ(e.UpOID, "1.3.6.1.2.1.2.2.1.16.1");
    }
    EXPECT_EQ(form->findChild<QTableWidget*>("InterfaceGrid")->rowCount(), 3);

    form->findChild<QPushButton*>("OKBT")->click();
    ASSERT_EQ(host.model.NumberOfHosts, 3);
    EXPECT_EQ(host.model.Sensors[1].SensorName, "lo");
    EXPECT_EQ(host.model.Sensors[1].DownSpeed, loKbps);

    TMonitorSettings stored;
    FakeMainWindowHost window;
    LoadSettings(stored, window);
    ASSERT_EQ(stored.NumberOfHosts, 3);
    EXPECT_EQ(stored.Sensors[1].HostIP, kAgent);
    EXPECT_EQ(stored.Sensors[1].Sensor, "1");
    EXPECT_EQ(stored.Sensors[1].SpeedType, TSpeedType::Detected);
    EXPECT_EQ(stored.Sensors[1].DownSpeed, loKbps);
    EXPECT_EQ(stored.Sensors[2].SpeedType, TSpeedType::Bypass);
    // A live sensor starts its maximum afresh at every run.
    EXPECT_EQ(stored.Sensors[0].DownSpeed, 1);
}

TEST_F(DialogsPeersTest, anInterfaceWithoutSpeedCannotUseTheDetectedSpeed)
{
    REQUIRE_PEER(s_started, s_agent->error());
    const QStringList interfaces = walkedInterfaces(kAgent);
    QString zeroSpeed;
    for (const QString& entry : interfaces) {
        if (ifSpeed(kAgent, THostConfigForm::oidNumOf(entry.toStdString())) == "0")
            zeroSpeed = entry.mid(entry.indexOf(" is "));
    }
    if (zeroSpeed.isEmpty())
        GTEST_SKIP() << "the agent reports a speed for every interface";
    host.model.resizeSensors(1);
    openOptions();
    addDevice(zeroSpeed, "DefaultSpeedRB");
    EXPECT_EQ(m_messages->last(), "You cannot add a device with a default speed of 0 kbps !");
    EXPECT_EQ(form->SensorList.size(), 1u);
}

TEST_F(DialogsPeersTest, editWalksAgainAndSelectsTheStoredInterface)
{
    REQUIRE_PEER(s_started, s_agent->error());
    const QStringList interfaces = walkedInterfaces(kAgent);
    ASSERT_GE(interfaces.size(), 2);
    const std::string last = THostConfigForm::oidNumOf(interfaces.back().toStdString());
    TSensorRecord& s = host.model.Sensors[0];
    s.HostIP = kAgent;
    s.Community = SnmpdPeer::community();
    s.Sensor = last;
    s.SensorName = "old name";
    s.Active = true;
    s.SpeedType = TSpeedType::Bypass;
    s.DownSpeed = s.UpSpeed = 512;
    openOptions();
    form->selectRow(1);
    whenModal<THostConfigForm>(
        [&](THostConfigForm& d) {
            EXPECT_EQ(listOf(d), interfaces);
            EXPECT_EQ(d.findChild<QComboBox*>("OIDCombo")->currentText(), interfaces.back());
            EXPECT_EQ(d.windowTitle(), "Travimetra - Edit Device / Sensor");
            d.findChild<QPushButton*>("OKBT")->click();
        },
        [](THostConfigForm& d) { return d.activationDone(); });
    form->findChild<QPushButton*>("EditBT")->click();
    const std::string description =
        interfaces.back().mid(interfaces.back().indexOf(" is ") + 4).toStdString();
    EXPECT_EQ(form->SensorList[0].SensorName, description);
    EXPECT_EQ(form->SensorList[0].Sensor, last);
    EXPECT_EQ(form->SensorList[0].DownSpeed, 512);
}

TEST_F(DialogsPeersTest, editOfAnUnreachableDeviceKeepsItsInterface)
{
    REQUIRE_PEER(s_started, s_agent->error());
    net->echoFails = true;
    TSensorRecord& s = host.model.Sensors[0];
    s.HostIP = kAgent;
    s.Community = SnmpdPeer::community();
    s.Sensor = "1";
    s.SensorName = "lo";
    s.Active = true;
    s.SpeedType = TSpeedType::Live;
    openOptions();
    form->selectRow(1);
    whenModal<THostConfigForm>(
        [&](THostConfigForm& d) {
            EXPECT_EQ(listOf(d), QStringList({"lo"}));
            d.findChild<QCheckBox*>("SwapValuesChB")->setChecked(true);
            d.findChild<QPushButton*>("OKBT")->click();
        },
        [](THostConfigForm& d) { return d.activationDone(); });
    form->findChild<QPushButton*>("EditBT")->click();
    EXPECT_EQ(form->SensorList[0].Sensor, "1");
    EXPECT_EQ(form->SensorList[0].SensorName, "lo");
    EXPECT_EQ(form->SensorList[0].DownOID, "1.3.6.1.2.1.2.2.1.16.1");
}

TEST_F(DialogsPeersTest, aSilentAddressGetsTheNoReplyMessage)
{
    REQUIRE_PEER(s_started, s_agent->error());
    host.model.Sensors[0].HostIP = kSilent;
    host.model.Sensors[0].Community = SnmpdPeer::community();
    TMainMenu menu(host, net);
    menu.Showrouterinformation1Click();
    ASSERT_EQ(m_messages->messages.size(), 1u);
    EXPECT_EQ(m_messages->messages[0].kind, Kind::Error);
    EXPECT_EQ(m_messages->last(), std::string("The device with the IP Address \"") + kSilent +
                                      "\" did not reply to the SNMP call. Check SNMP host, "
                                      "community or MIB OID!");

    host.model.Sensors[0].HostIP = kAgent;
    menu.Showrouterinformation1Click();
    EXPECT_EQ(m_messages->messages.back().kind, Kind::Information);
}

} // namespace
