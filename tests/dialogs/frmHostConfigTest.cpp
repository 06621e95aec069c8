#include "HostConfigFixture.h"

#include "ConvertError.h"
#include "DialogSizing.h"
#include "TColorBox.h"
#include "frmHostConfig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

using Kind = DialogMessages::Kind;

class HostConfigTest : public HostConfigFixture<ScriptedDeviceNetwork>
{
protected:
    void SetUp() override { setUpSmallRouter(); }

    void type(const char* edit, const QString& text) { get<QLineEdit>(edit)->setText(text); }
    TSensorConfig storedEntry()
    {
        TSensorConfig e;
        e.Active = true;
        e.HostName = "Office";
        e.HostIP = "10.0.0.1";
        e.Community = "vandor";
        e.Sensor = "3";
        e.SensorName = "stored eth0";
        e.DownOID = "1.3.6.1.2.1.2.2.1.10.3";
        e.UpOID = "1.3.6.1.2.1.2.2.1.16.3";
        e.DownSpeed = 28;
        e.UpSpeed = 1024;
        e.SpeedType = TSpeedType::Bypass;
        e.SwapedInOut = true;
        e.ULColor = 0x0000FF;
        e.DLColor = 0x00FF00;
        e.LightColor = 0x123456;
        e.DarkColor = 0x808080;
        e.GraphPixels = 4;
        e.LighterLine = true;
        e.UseLightColorFor = true;
        e.TimerToUse = TTimerToUse::LocalTickCount;
        e.HalfHeight = true;
        return e;
    }
};

TEST(HostConfigText, interfaceIndexIsTheTextBetweenInterfaceAndTheFirstIs)
{
    EXPECT_EQ(THostConfigForm::oidNumOf("Interface 3 is eth0"), "3");
    EXPECT_EQ(THostConfigForm::oidNumOf("Interface 12 is a bridge is up"), "12");
    // A failed walk step and a stored description name no index.
    EXPECT_EQ(THostConfigForm::oidNumOf("Interface  is "), "");
    EXPECT_EQ(THostConfigForm::oidNumOf("eth0"), "");
    EXPECT_EQ(THostConfigForm::oidNumOf("this is it"), "");
    EXPECT_EQ(THostConfigForm::oidNumOf(""), "");
}

TEST(HostConfigText, detectedSpeedIsKilobitsOfTheUnsignedGauge)
{
    EXPECT_EQ(THostConfigForm::detectedKbps("100000000"), 100000);
    EXPECT_EQ(THostConfigForm::detectedKbps("999"), 0);
    EXPECT_EQ(THostConfigForm::detectedKbps("0"), 0);
    // 4294967295 and 3000000000 arrive as signed 32-bit texts.
    EXPECT_EQ(THostConfigForm::detectedKbps("-1"), 4294967);
    EXPECT_EQ(THostConfigForm::detectedKbps("-1294967296"), 3000000);
    try {
        THostConfigForm::detectedKbps("");
        ADD_FAILURE() << "no conversion error";
    } catch (const TConvertError& e) {
        EXPECT_STREQ(e.what(), "'' is not a valid integer value");
    }
    EXPECT_THROW(THostConfigForm::detectedKbps("fast"), TConvertError);
}

TEST_F(HostConfigTest, addModeStartsFromTheDefaultsWithoutContactingTheAgent)
{
    open();
    EXPECT_EQ(form->windowTitle(), "Travimetra - Add Device / Sensor");
    EXPECT_EQ(get<QLineEdit>("HostAddressEdit")->text(), "192.168.1.1");
    EXPECT_EQ(get<QLineEdit>("ReadCommunityEdit")->text(), "vandor");
    EXPECT_EQ(get<QLineEdit>("HostNameEdit")->text(), "");
    EXPECT_EQ(get<TColorBox>("ULColor")->selected(), 255u);
    EXPECT_EQ(get<TColorBox>("DLColor")->selected(), 65280u);
    EXPECT_EQ(get<TColorBox>("DarkColor")->selected(), 0x800000u);
    EXPECT_EQ(get<TColorBox>("LightColor")->selected(), 0xFF0000u);
    EXPECT_EQ(get<QComboBox>("PixelCB")->currentText(), "1 pixel");
    EXPECT_TRUE(get<QCheckBox>("ActiveChB")->isChecked());
    EXPECT_EQ(get<QCheckBox>("ActiveChB")->text(), "This Graph is Active");
    EXPECT_TRUE(get<QRadioButton>("LiveSpeedRB")->isChecked());
    EXPECT_FALSE(get<QComboBox>("DownSpeedCombo")->isEnabled());
    EXPECT_FALSE(get<QLabel>("UpSpeedLBL")->isEnabled());
    EXPECT_FALSE(get<QCheckBox>("LighterLineChB")->isEnabled());
    EXPECT_EQ(get<QComboBox>("DownSpeedCombo")->count(), 18);
    EXPECT_EQ(get<QComboBox>("UpSpeedCombo")->itemText(17), "65536 kbps");
    EXPECT_EQ(get<QCheckBox>("SwapValuesChB")->text(), "Swap Incomming && Outgoing Values");
    EXPECT_EQ(get<QComboBox>("OIDCombo")->toolTip(), "Select an interface to monitor.");
    EXPECT_TRUE(net->log.empty());
}

TEST_F(HostConfigTest, reactionsOfTheRadiosAndTheActiveBox)
{
    open();
    get<QRadioButton>("BypassSpeedRB")->click();
    for (const char* name :
         {"DownSpeedCombo", "UpSpeedCombo", "DownSpeedLBL", "UpSpeedLBL", "LighterLineChB"})
        EXPECT_TRUE(get<QWidget>(name)->isEnabled()) << name;
    get<QRadioButton>("DefaultSpeedRB")->click();
    EXPECT_FALSE(get<QComboBox>("UpSpeedCombo")->isEnabled());
    get<QCheckBox>("ActiveChB")->click();
    EXPECT_EQ(get<QCheckBox>("ActiveChB")->text(), "This Graph is Inactive");
    get<QCheckBox>("ActiveChB")->click();
    EXPECT_EQ(get<QCheckBox>("ActiveChB")->text(), "This Graph is Active");
}

TEST_F(HostConfigTest, startConnectionShowsTheDeviceAndListsItsInterfaces)
{
    open();
    owner->rows = 4;
    // While the walk runs, OK cannot end the dialog; Cancel can (it ends
    // the walk first).
    int checkedDuringWalk = 0;
    net->onRequest = [&](const std::string& request) {
        if (request.rfind("next ", 0) == 0) {
            EXPECT_FALSE(get<QPushButton>("OKBT")->isEnabled());
            EXPECT_TRUE(get<QPushButton>("CancelBT")->isEnabled());
            EXPECT_TRUE(form->discoveryRunning());
            ++checkedDuringWalk;
        }
    };
    connectTo();
    net->onRequest = nullptr;
    EXPECT_EQ(checkedDuringWalk, 3);

    ASSERT_EQ(m_messages->messages.size(), 1u);
    EXPECT_EQ(m_messages->messages[0].kind, Kind::Information);
    EXPECT_EQ(m_messages->last(), "Device Name: gateway\n\rInterfaces found: 3\n\r"
                                  "IP Address / DNS Name: 10.0.0.1\n\rDescription: A small router");
    EXPECT_EQ(interfaceList(),
              QStringList({"Interface 1 is lo", "Interface 3 is eth0", "Interface 7 is wlan0"}));
    EXPECT_EQ(get<QComboBox>("OIDCombo")->currentIndex(), 0);
    EXPECT_EQ(get<QLineEdit>("HostNameEdit")->text(), "gateway");
    EXPECT_EQ(get<QRadioButton>("DefaultSpeedRB")->text(), "Use detected speed [10000 kbps]");
    EXPECT_TRUE(get<QPushButton>("OKBT")->isEnabled());
    EXPECT_TRUE(get<QPushButton>("CancelBT")->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Choosing another interface reads its speed.
    auto* combo = get<QComboBox>("OIDCombo");
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    EXPECT_EQ(get<QRadioButton>("DefaultSpeedRB")->text(), "Use detected speed [100000 kbps]");
    EXPECT_EQ(form->GetOIDNum(), "3");
}

TEST_F(HostConfigTest, theDetectedSpeedCaptionIsAlwaysTheSelectedInterfaces)
{
    net->addInterfaces({{"1", "lo", "10000000"},
                        {"3", "eth0", "100000000"},
                        {"7", "wlan0", "54000000"},
                        {"9", "wlan1", "0"},
                        {"12", "veth1", "999"}});
    net->failing = {"1.3.6.1.2.1.2.2.1.5.7"}; // wlan0's speed cannot be read
    open();
    connectTo();
    m_messages->messages.clear();
    struct Case
    {
        const char* entry;
        const char* caption;
        const char* message; // reported besides, or empty
    };
    const Case cases[] = {
        {"Interface 3 is eth0", "Use detected speed [100000 kbps]", ""},
        {"Interface 9 is wlan1", "Use detected speed [0 kbps]", ""},
        {"Interface 3 is eth0", "Use detected speed [100000 kbps]", ""},
        {"Interface 12 is veth1", "Use detected speed [0 kbps]", ""},
        {"Interface 1 is lo", "Use detected speed [10000 kbps]", ""},
        {"Interface 7 is wlan0", "Use detected speed [0 kbps]", "'' is not a valid integer value"},
    };
    auto* combo = get<QComboBox>("OIDCombo");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        const int at = combo->findText(QString::fromLatin1(c.entry));
        ASSERT_GE(at, 0);
        combo->setCurrentIndex(at);
        emit combo->activated(at);
        EXPECT_EQ(get<QRadioButton>("DefaultSpeedRB")->text(), c.caption);
        EXPECT_EQ(m_messages->last(), c.message);
        m_messages->messages.clear();
    }

    // An entry whose index the walk could not read names no speed either.
    combo->addItem(QStringLiteral("Interface  is "));
    combo->setCurrentIndex(combo->count() - 1);
    get<QRadioButton>("DefaultSpeedRB")
        ->setText(QStringLiteral("Use detected speed [100000 kbps]"));
    emit combo->activated(combo->count() - 1);
    EXPECT_EQ(get<QRadioButton>("DefaultSpeedRB")->text(), "Use detected speed [0 kbps]");
}

TEST_F(HostConfigTest, silentAgentGivesTheNoReplyMessageAndNoWalk)
{
    open();
    net->answering = false;
    connectTo("10.0.0.9");
    ASSERT_EQ(m_messages->messages.size(), 1u);
    EXPECT_EQ(m_messages->messages[0].kind, Kind::Error);
    EXPECT_EQ(m_messages->last(),
              "The device with the IP Address \"10.0.0.9\" did not reply to the SNMP call. Check "
              "SNMP host, community or MIB OID!");
    EXPECT_TRUE(interfaceList().isEmpty());
    EXPECT_EQ(net->countOf("next 1.3.6.1.2.1.2.2.1"), 0);
}

TEST_F(HostConfigTest, aFailedWalkStepAddsAnEmptyEntryAndRetriesFromTheSameOid)
{
    open();
    type("HostAddressEdit", "10.0.0.1");
    net->failNextCalls = {2};
    get<QPushButton>("RefreshBT")->click();
    // Four steps for three rows: the second failed, the third retried it.
    EXPECT_EQ(interfaceList(),
              QStringList({"Interface 1 is lo", "Interface  is ", "Interface 3 is eth0"}));
    EXPECT_EQ(net->countOf("next 1.3.6.1.2.1.2.2.1.1.1"), 2);
}

TEST_F(HostConfigTest, theCountFallsBackAndAnUnreadableCountListsNothing)
{
    open();
    type("HostAddressEdit", "10.0.0.1");
    net->values["1.3.6.1.2.1.2.1"] = "2"; // an agent that answers the bare OID
    get<QPushButton>("RefreshBT")->click();
    EXPECT_EQ(interfaceList().size(), 2);
    EXPECT_EQ(net->countOf("get 1.3.6.1.2.1.2.1.0"), 0);

    net->values.erase("1.3.6.1.2.1.2.1");
    net->values.erase("1.3.6.1.2.1.2.1.0");
    net->log.clear();
    get<QPushButton>("RefreshBT")->click();
    EXPECT_TRUE(interfaceList().isEmpty());
    EXPECT_EQ(net->countOf("get 1.3.6.1.2.1.2.1.0"), 1);
    // No index: the speed is not asked for.
    for (const std::string& request : net->log)
        EXPECT_EQ(request.find("1.3.6.1.2.1.2.2.1.5."), std::string::npos) << request;
}

TEST_F(HostConfigTest, anAbsurdCountDoesNotRunAnEndlessWalk)
{
    open();
    type("HostAddressEdit", "10.0.0.1");
    net->values["1.3.6.1.2.1.2.1.0"] = "2147483647";
    get<QPushButton>("RefreshBT")->click();
    EXPECT_EQ(interfaceList().size(), THostConfigForm::kMaxInterfaces);
}

TEST_F(HostConfigTest, theDeviceNameFallsBackToTheBareOidThenToTheRowCount)
{
    open();
    type("HostAddressEdit", "10.0.0.1");
    owner->rows = 5;
    net->values["1.3.6.1.2.1.1.5.0"] = "";
    net->values["1.3.6.1.2.1.1.5"] = "bare-name";
    get<QPushButton>("RefreshBT")->click();
    EXPECT_EQ(get<QLineEdit>("HostNameEdit")->text(), "bare-name");

    net->values["1.3.6.1.2.1.1.5"] = "";
    get<QPushButton>("RefreshBT")->click();
    EXPECT_EQ(get<QLineEdit>("HostNameEdit")->text(), "Sensor #5");

    net->failing = {"1.3.6.1.2.1.1.5.0"};
    get<QPushButton>("RefreshBT")->click();
    EXPECT_EQ(get<QLineEdit>("HostNameEdit")->text(), "");
}

TEST_F(HostConfigTest, aSpeedThatIsNoNumberIsReportedAndTheButtonsComeBack)
{
    open();
    type("HostAddressEdit", "10.0.0.1");
    net->values["1.3.6.1.2.1.2.2.1.5.1"] = "fast";
    get<QPushButton>("RefreshBT")->click();
    EXPECT_EQ(m_messages->last(), "'fast' is not a valid integer value");
    EXPECT_EQ(interfaceList().size(), 3);
    EXPECT_TRUE(get<QPushButton>("OKBT")->isEnabled());
    EXPECT_TRUE(get<QPushButton>("CancelBT")->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(HostConfigTest, okRefusesABlankAddressOrCommunity)
{
    open();
    type("HostAddressEdit", "");
    get<QPushButton>("OKBT")->click();
    type("HostAddressEdit", "10.0.0.1");
    type("ReadCommunityEdit", "");
    get<QPushButton>("OKBT")->click();
    EXPECT_EQ(m_messages->texts(),
              std::vector<std::string>(
                  2, "You cannot add a device with blank Address or Read Community !"));
    EXPECT_TRUE(owner->list.empty());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(HostConfigTest, okRefusesADetectedSpeedOfZeroOrNoSpeedAtAll)
{
    open();
    connectTo();
    m_messages->messages.clear();
    net->values["1.3.6.1.2.1.2.2.1.5.1"] = "0";
    get<QRadioButton>("DefaultSpeedRB")->click();
    get<QPushButton>("OKBT")->click();
    EXPECT_EQ(m_messages->last(), "You cannot add a device with a default speed of 0 kbps !");
    EXPECT_TRUE(owner->list.empty());

    net->answering = false;
    get<QPushButton>("OKBT")->click();
    EXPECT_EQ(m_messages->last(), "'' is not a valid integer value");
    EXPECT_TRUE(owner->list.empty());
    EXPECT_EQ(owner->gridUpdates, 0);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(HostConfigTest, okAppendsTheEntryInEachSpeedMode)
{
    struct Case
    {
        const char* radio;
        int64_t down, up;
        int32_t type;
    };
    const Case cases[] = {{"LiveSpeedRB", 1, 1, 1},
                          {"DefaultSpeedRB", 100000, 100000, 2},
                          {"BypassSpeedRB", 2048, 512, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.radio);
        open();
        connectTo();
        auto* combo = get<QComboBox>("OIDCombo");
        combo->setCurrentIndex(1);
        emit combo->activated(1);
        get<QRadioButton>(c.radio)->click();
        get<QComboBox>("DownSpeedCombo")->setCurrentText("2048 kbps");
        get<QComboBox>("UpSpeedCombo")->setCurrentText("512 kbps");
        get<QComboBox>("PixelCB")->setCurrentIndex(2);
        get<QComboBox>("TimerChB")->setCurrentIndex(1);
        get<TColorBox>("LightColor")->setSelected(0x00FFFF);
        get<QCheckBox>("HalfSizeChB")->setChecked(true);
        get<QPushButton>("OKBT")->click();

        EXPECT_EQ(form->result(), QDialog::Accepted);
        ASSERT_FALSE(owner->list.empty());
        const TSensorConfig& e = owner->list.back();
        EXPECT_EQ(form->entryIndex(), int(owner->list.size()) - 1);
        EXPECT_EQ(e.HostName, "gateway");
        EXPECT_EQ(e.HostIP, "10.0.0.1");
        EXPECT_EQ(e.Community, "vandor");
        EXPECT_EQ(e.Sensor, "3");
        EXPECT_EQ(e.SensorName, "eth0");
        EXPECT_EQ(e.DownOID, "1.3.6.1.2.1.2.2.1.10.3");
        EXPECT_EQ(e.UpOID, "1.3.6.1.2.1.2.2.1.16.3");
        EXPECT_EQ(e.DownSpeed, c.down);
        EXPECT_EQ(e.UpSpeed, c.up);
        EXPECT_EQ(storedNumber(e.SpeedType), c.type);
        EXPECT_TRUE(e.Active);
        EXPECT_EQ(e.GraphPixels, 3);
        EXPECT_EQ(e.TimerToUse, TTimerToUse::LocalTickCount);
        EXPECT_EQ(e.LightColor, 0x00FFFFu);
        EXPECT_EQ(e.DLColor, 65280u);
        EXPECT_TRUE(e.HalfHeight);
        EXPECT_FALSE(e.SwapedInOut);
        m_messages->messages.clear();
    }
    EXPECT_EQ(owner->list.size(), 3u);
    EXPECT_EQ(owner->gridUpdates, 3);
}

TEST_F(HostConfigTest, swappedCountersAndANameFromThePosition)
{
    owner->list.resize(2);
    open();
    connectTo();
    type("HostNameEdit", "");
    get<QCheckBox>("SwapValuesChB")->setChecked(true);
    get<QCheckBox>("ActiveChB")->click();
    get<QPushButton>("OKBT")->click();
    ASSERT_EQ(owner->list.size(), 3u);
    const TSensorConfig& e = owner->list[2];
    EXPECT_EQ(e.HostName, "Sensor #3");
    EXPECT_FALSE(e.Active);
    EXPECT_TRUE(e.SwapedInOut);
    EXPECT_EQ(e.DownOID, "1.3.6.1.2.1.2.2.1.16.1");
    EXPECT_EQ(e.UpOID, "1.3.6.1.2.1.2.2.1.10.1");
}

TEST_F(HostConfigTest, editFillsTheControlsAndSelectsTheEntrysInterface)
{
    owner->list = {TSensorConfig(), storedEntry()};
    owner->mode = 2;
    owner->row = 2;
    open();
    EXPECT_EQ(form->entryIndex(), 1);
    EXPECT_EQ(form->windowTitle(), "Travimetra - Edit Device / Sensor");
    EXPECT_EQ(net->countOf("ping 10.0.0.1"), 1);
    EXPECT_EQ(get<QLineEdit>("HostNameEdit")->text(), "Office");
    EXPECT_TRUE(get<QCheckBox>("SwapValuesChB")->isChecked());
    EXPECT_TRUE(get<QCheckBox>("HalfSizeChB")->isChecked());
    EXPECT_TRUE(get<QCheckBox>("LighterLineChB")->isChecked());
    EXPECT_TRUE(get<QCheckBox>("UseLighterColorChB")->isChecked());
    EXPECT_EQ(get<QComboBox>("TimerChB")->currentText(), "Windows time");
    EXPECT_EQ(get<QComboBox>("PixelCB")->currentText(), "4 pixels");
    EXPECT_EQ(get<TColorBox>("LightColor")->selected(), 0x123456u);
    EXPECT_TRUE(get<QRadioButton>("BypassSpeedRB")->isChecked());
    EXPECT_TRUE(get<QComboBox>("DownSpeedCombo")->isEnabled());
    // Matched by containment: 28 kbit/s finds "128 kbps".
    EXPECT_EQ(get<QComboBox>("DownSpeedCombo")->currentText(), "128 kbps");
    EXPECT_EQ(get<QComboBox>("UpSpeedCombo")->currentText(), "1024 kbps");
    EXPECT_EQ(get<QComboBox>("OIDCombo")->currentText(), "Interface 3 is eth0");
    // The name typed by the user is not replaced by the agent's.
    EXPECT_EQ(get<QLineEdit>("HostNameEdit")->text(), "Office");

    get<QPushButton>("OKBT")->click();
    ASSERT_EQ(owner->list.size(), 2u);
    EXPECT_EQ(owner->list[1].SensorName, "eth0");
    EXPECT_EQ(owner->list[1].DownOID, "1.3.6.1.2.1.2.2.1.16.3");
    EXPECT_EQ(owner->list[1].DownSpeed, 128);
}

TEST_F(HostConfigTest, editAfterAFailedPingKeepsTheStoredInterface)
{
    owner->list = {storedEntry()};
    owner->list[0].SpeedType = TSpeedType::Detected;
    owner->list[0].DownSpeed = 5000;
    owner->mode = 2;
    owner->row = 1;
    net->pingResult = -1;
    open();
    EXPECT_EQ(interfaceList(), QStringList({"stored eth0"}));
    EXPECT_EQ(get<QComboBox>("OIDCombo")->currentIndex(), 0);
    EXPECT_EQ(get<QRadioButton>("DefaultSpeedRB")->text(), "Use detected speed [5000 kbps]");
    // Choosing the stored interface again keeps its stored speed.
    emit get<QComboBox>("OIDCombo")->activated(0);
    EXPECT_EQ(get<QRadioButton>("DefaultSpeedRB")->text(), "Use detected speed [5000 kbps]");
    EXPECT_EQ(net->countOf("next 1.3.6.1.2.1.2.2.1"), 0);
    EXPECT_EQ(form->windowTitle(), "Travimetra - Edit Device / Sensor");

    type("HostNameEdit", "Renamed");
    get<QRadioButton>("LiveSpeedRB")->click();
    get<QPushButton>("OKBT")->click();
    const TSensorConfig& e = owner->list[0];
    EXPECT_EQ(e.HostName, "Renamed");
    EXPECT_EQ(e.Sensor, "3");
    EXPECT_EQ(e.SensorName, "stored eth0");
    EXPECT_EQ(e.DownOID, "1.3.6.1.2.1.2.2.1.16.3");
    EXPECT_EQ(e.SpeedType, TSpeedType::Live);
}

// The agent answers ping but not SNMP: the walk finds nothing, and OK must
// not store an empty interface over the one the entry had.
TEST_F(HostConfigTest, editWhoseAgentIsSilentKeepsTheStoredInterface)
{
    owner->list = {storedEntry()};
    owner->mode = 2;
    owner->row = 1;
    net->answering = false;
    open();
    EXPECT_TRUE(interfaceList().isEmpty());
    get<QRadioButton>("BypassSpeedRB")->click();
    get<QPushButton>("OKBT")->click();
    ASSERT_EQ(owner->list.size(), 1u);
    const TSensorConfig& e = owner->list[0];
    EXPECT_EQ(e.Sensor, "3");
    EXPECT_EQ(e.SensorName, "stored eth0");
    EXPECT_EQ(e.DownOID, "1.3.6.1.2.1.2.2.1.16.3");
    EXPECT_EQ(owner->gridUpdates, 1);
}

TEST_F(HostConfigTest, addWithoutAnInterfaceIsRefused)
{
    open();
    type("HostAddressEdit", "10.0.0.1");
    get<QPushButton>("OKBT")->click();
    EXPECT_EQ(m_messages->last(),
              "Select an interface first: press Start Connection and pick one from the list.");
    EXPECT_TRUE(owner->list.empty());
    EXPECT_TRUE(form->isVisible());
    // With an interface picked, the same OK adds the entry.
    connectTo();
    get<QPushButton>("OKBT")->click();
    ASSERT_EQ(owner->list.size(), 1u);
    EXPECT_EQ(owner->list[0].Sensor, "1");
}

TEST_F(HostConfigTest, noReplyNamesTheAddressThatAnsweredInstead)
{
    open();
    net->answering = false;
    connectTo();
    const std::string plain = m_messages->last();
    EXPECT_EQ(plain.find("answered from"), std::string::npos);
    net->strayFrom = "10.0.0.9";
    connectTo();
    const std::string told = m_messages->last();
    EXPECT_EQ(told.rfind(plain, 0), 0u) << told;
    EXPECT_NE(told.find("The device answered from 10.0.0.9; poll that address instead."),
              std::string::npos)
        << told;
}

TEST_F(HostConfigTest, cancelLeavesTheListAlone)
{
    owner->list = {storedEntry()};
    open();
    connectTo();
    get<QPushButton>("CancelBT")->click();
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_EQ(owner->list.size(), 1u);
    EXPECT_EQ(owner->list[0], storedEntry());
    EXPECT_EQ(owner->gridUpdates, 0);
}

TEST_F(HostConfigTest, okCannotEndTheDialogWhileItPingsOrWalks)
{
    owner->list = {storedEntry()};
    owner->mode = 2;
    int attempts = 0;
    net->onRequest = [&](const std::string& request) {
        if (request.rfind("ping ", 0) == 0 || request.rfind("next ", 0) == 0) {
            get<QPushButton>("OKBT")->click();
            ++attempts;
        }
    };
    open();
    net->onRequest = nullptr;
    EXPECT_EQ(attempts, 4);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(owner->gridUpdates, 0);
    EXPECT_EQ(interfaceList().size(), 3);
    form->reject();
    EXPECT_FALSE(form->isVisible());
}

// Cancel, Escape and the close box end a running ping or walk: the read in
// progress is the last one, and the dialog closes as soon as it has unwound,
// changing nothing.
TEST_F(HostConfigTest, cancelEscapeAndTheCloseBoxEndTheDialogWhileItPingsOrWalks)
{
    const struct
    {
        const char* how;
        const char* during; // the request in progress
        std::function<void(THostConfigForm&)> end;
    } cases[] = {
        {"Cancel during the ping", "ping ",
         [](THostConfigForm& f) { child<QPushButton>(&f, "CancelBT")->click(); }},
        {"Cancel during the walk", "next ",
         [](THostConfigForm& f) { child<QPushButton>(&f, "CancelBT")->click(); }},
        {"Escape during the walk", "next ",
         [](THostConfigForm& f) {
             QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QApplication::sendEvent(&f, &escape);
         }},
        {"the close box during the walk", "next ", [](THostConfigForm& f) { f.close(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        owner->list = {storedEntry()};
        owner->mode = 2;
        net->log.clear();
        std::size_t requestsWhenEnded = 0;
        net->onRequest = [&](const std::string& request) {
            if (requestsWhenEnded == 0 && request.rfind(c.during, 0) == 0) {
                requestsWhenEnded = net->log.size();
                c.end(*form);
            }
        };
        form = std::make_unique<THostConfigForm>(*owner);
        form->show();
        ASSERT_TRUE(waitFor([this] { return !form->isVisible(); }));
        net->onRequest = nullptr;
        EXPECT_EQ(form->result(), QDialog::Rejected);
        EXPECT_GT(requestsWhenEnded, 0u);
        EXPECT_EQ(net->log.size(), requestsWhenEnded) << "no read after the one cancelled";
        EXPECT_EQ(owner->gridUpdates, 0);
        EXPECT_EQ(owner->list[0], storedEntry());
        EXPECT_TRUE(m_messages->messages.empty());
        form.reset();
    }
}

TEST(DialogSizing, aLayoutThatNeedsMoreThanTheDesignGetsItAndTheSizeIsFixed)
{
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    for (int i = 0; i < 24; ++i) {
        auto* combo = new QComboBox(&dialog);
        combo->addItem(QStringLiteral("128 kbps"));
        layout->addWidget(combo);
    }
    DialogSizing::fixSize(&dialog, QSize(300, 200));
    dialog.show();
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_GT(dialog.height(), 200);
    EXPECT_EQ(dialog.width(), std::max(300, dialog.minimumSizeHint().width()));
    expectNaturalHeights(&dialog);

    // Taller than the screen: the controls keep their height in a scrolling
    // area, and the dialog fits the screen.
    QDialog tall;
    auto* tallLayout = new QVBoxLayout(&tall);
    for (int i = 0; i < 60; ++i)
        tallLayout->addWidget(new QPushButton(QStringLiteral("Button %1").arg(i)));
    auto* last = new QPushButton(QStringLiteral("OK"));
    tallLayout->addWidget(last);
    DialogSizing::fixSize(&tall, QSize(300, 200));
    tall.show();
    const QRect screen = tall.screen()->availableGeometry();
    EXPECT_LE(tall.height(), screen.height());
    EXPECT_EQ(tall.minimumSize(), tall.maximumSize());
    auto* scroll = tall.findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    scroll->ensureWidgetVisible(last);
    QCoreApplication::processEvents();
    EXPECT_TRUE(last->isVisibleTo(&tall));
    EXPECT_GE(last->mapTo(&tall, QPoint(0, 0)).y(), 0);
    EXPECT_LE(last->mapTo(&tall, QPoint(0, last->height())).y(), tall.height());
    expectNaturalHeights(&tall);

    // Room to spare: the design size, fixed.
    QDialog roomy;
    new QVBoxLayout(&roomy);
    roomy.layout()->addWidget(new QPushButton(QStringLiteral("OK")));
    DialogSizing::fixSize(&roomy, QSize(504, 494));
    EXPECT_EQ(roomy.minimumSize(), QSize(504, 494));
    EXPECT_EQ(roomy.maximumSize(), QSize(504, 494));
}

TEST_F(HostConfigTest, theDialogHasAFixedSizeWithEveryControlAtItsNaturalHeight)
{
    open();
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_GE(form->width(), 504);
    EXPECT_GE(form->height(), 494);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    expectNaturalHeights(form.get());
}

TEST_F(HostConfigTest, hintsFollowTheProgramsSetting)
{
    owner->hints = false;
    open();
    EXPECT_EQ(get<QPushButton>("RefreshBT")->toolTip(), "");
    EXPECT_EQ(get<QLineEdit>("HostAddressEdit")->toolTip(), "");
}

} // namespace

namespace {

TEST_F(HostConfigTest, anAgentsControlCharactersBecomeSpacesInTheFields)
{
    struct Case
    {
        const char* name;
        std::string sysName;
        std::string ifDescr;
        QString hostName;
        QString item;
    };
    const Case cases[] = {
        {"a forged line", "gw\n03/09/26;bank;1.2.3.4", "eth0\r\nx", "gw 03/09/26;bank;1.2.3.4",
         "Interface 3 is eth0  x"},
        {"terminal escapes and NUL", std::string("a\x1b[2J\0b\x7f", 8), std::string("if\0\t", 4),
         "a [2J b ", "Interface 3 is if  "},
        {"markup stays as it is", "<a href=\"x\">Click</a><!--", "<b>eth0</b>",
         "<a href=\"x\">Click</a><!--", "Interface 3 is <b>eth0</b>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        net->values["1.3.6.1.2.1.1.5.0"] = c.sysName;
        net->values.erase("1.3.6.1.2.1.2.2.1.2.3");
        net->addInterfaces({{"3", c.ifDescr, "100000000"}});
        open();
        connectTo();
        EXPECT_EQ(get<QLineEdit>("HostNameEdit")->text(), c.hostName);
        ASSERT_FALSE(interfaceList().isEmpty());
        EXPECT_EQ(interfaceList().back(), c.item);
        form.reset();
        m_messages->messages.clear();
    }
}

} // namespace
