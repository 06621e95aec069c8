// The device dialog's parts for SNMPv2c agents: the version choice, the
// interface list read with GetBulk (names and aliases, current rates), the
// detected speed above 4 Gbit/s and the default gateway.

#include "HostConfigFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <set>
#include <thread>

namespace {

const std::string kDescr = "1.3.6.1.2.1.2.2.1.2";
const std::string kName = "1.3.6.1.2.1.31.1.1.1.1";
const std::string kAlias = "1.3.6.1.2.1.31.1.1.1.18";
const std::string kHcIn = "1.3.6.1.2.1.31.1.1.1.6";
const std::string kHcOut = "1.3.6.1.2.1.31.1.1.1.10";

using Rows = std::vector<std::pair<std::string, std::string>>;

// The scripted agent, answering SNMPv2c gets (an OID not listed is an
// exception) and GetBulk walks of the columns it has.
class V2cScriptedNetwork : public ScriptedDeviceNetwork
{
public:
    std::map<std::string, std::string> v2cValues;
    std::map<std::string, Rows> columns;
    std::optional<std::string> gateway;

    bool readValuesV2c(const std::vector<std::string>& oids, const std::string& community,
                       const std::string& agent,
                       std::vector<std::optional<std::string>>& values) override
    {
        for (const std::string& oid : oids)
            log.push_back("v2c get " + oid);
        values.assign(oids.size(), std::nullopt);
        if (!answering || agent != host || community != this->community)
            return false;
        for (std::size_t i = 0; i < oids.size(); ++i) {
            if (const auto it = v2cValues.find(oids[i]); it != v2cValues.end())
                values[i] = it->second;
            for (const auto& [column, rows] : columns) {
                for (const auto& [oid, value] : rows) {
                    if (oid == oids[i])
                        values[i] = value;
                }
            }
        }
        return true;
    }
    // Columns whose values the agent sends as octet strings, however they read.
    std::set<std::string> textColumns;
    // How walks of a column end; Complete when not listed.
    std::map<std::string, SnmpWalkEnd> ends;

    SnmpWalkEnd walkColumn(const std::string& column, const std::string& community,
                           const std::string& agent, WalkedValues values, Rows& rows) override
    {
        log.push_back("bulk " + column);
        rows.clear();
        if (!answering || agent != host || community != this->community)
            return SnmpWalkEnd::NoAnswer;
        if (const auto it = columns.find(column);
            it != columns.end() && (values == WalkedValues::Any || !textColumns.count(column)))
            rows = it->second;
        const auto end = ends.find(column);
        return end == ends.end() ? SnmpWalkEnd::Complete : end->second;
    }
    std::optional<std::string> defaultGateway() override { return gateway; }

    void counters(uint64_t eth0, uint64_t others)
    {
        columns[kHcIn] = {{kHcIn + ".1", std::to_string(others)},
                          {kHcIn + ".3", std::to_string(eth0)},
                          {kHcIn + ".7", std::to_string(others)}};
        columns[kHcOut] = {{kHcOut + ".1", "0"}, {kHcOut + ".3", "0"}, {kHcOut + ".7", "0"}};
    }
};

class HostConfigV2cTest : public HostConfigFixture<V2cScriptedNetwork>
{
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        net = std::make_shared<V2cScriptedNetwork>();
        net->v2cValues = {{"1.3.6.1.2.1.1.5.0", "gateway"},
                          {"1.3.6.1.2.1.1.1.0", "A fast router"},
                          {"1.3.6.1.2.1.2.1.0", "3"}};
        net->columns[kDescr] = {
            {kDescr + ".1", "lo"}, {kDescr + ".3", "eth0"}, {kDescr + ".7", "wlan0"}};
        net->columns[kName] = {{kName + ".1", "lo"}, {kName + ".3", "wan"}};
        net->columns[kAlias] = {{kAlias + ".3", "Internet uplink"}};
        net->counters(1000, 500);
        owner = std::make_unique<FakeHostConfigOwner>(net);
    }
    int count(const std::string& prefix)
    {
        int n = 0;
        for (const std::string& entry : net->log)
            n += entry.rfind(prefix, 0) == 0;
        return n;
    }
};

TEST_F(HostConfigV2cTest, v2cListsInterfacesWithNameAndAliasThroughGetBulk)
{
    open();
    EXPECT_EQ(get<QComboBox>("SnmpVersionCB")->currentText(), "v1");
    chooseVersion(1);
    connectTo();
    EXPECT_EQ(m_messages->last(), "Device Name: gateway\n\rInterfaces found: 3\n\r"
                                  "IP Address / DNS Name: 10.0.0.1\n\rDescription: A fast router");
    EXPECT_EQ(interfaceList().mid(0, 3),
              QStringList({"Interface 1 is lo", "Interface 3 is eth0 - wan \"Internet uplink\"",
                           "Interface 7 is wlan0"}));
    // Nothing went out as SNMPv1.
    EXPECT_EQ(count("get "), 0);
    EXPECT_EQ(count("next "), 0);
    EXPECT_EQ(count("bulk " + kDescr), 1);
    EXPECT_EQ(get<QLineEdit>("HostNameEdit")->text(), "gateway");
}

TEST_F(HostConfigV2cTest, detectedSpeedUsesIfHighSpeedWhenIfSpeedIsSaturated)
{
    struct Case
    {
        const char* ifSpeed;     // nullptr: the agent has none
        const char* ifHighSpeed; // nullptr: the agent has none
        const char* caption;
    };
    const Case cases[] = {
        {"4294967295", "10000", "Use detected speed [10000000 kbps]"},
        {"4294967295", "100000", "Use detected speed [100000000 kbps]"},
        {"4294967295", nullptr, "Use detected speed [4294967 kbps]"},
        {"1000000000", "1000", "Use detected speed [1000000 kbps]"},
        {nullptr, "1000", "Use detected speed [0 kbps]"},
    };
    open();
    chooseVersion(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        net->v2cValues.erase("1.3.6.1.2.1.2.2.1.5.3");
        net->v2cValues.erase("1.3.6.1.2.1.31.1.1.1.15.3");
        if (c.ifSpeed)
            net->v2cValues["1.3.6.1.2.1.2.2.1.5.3"] = c.ifSpeed;
        if (c.ifHighSpeed)
            net->v2cValues["1.3.6.1.2.1.31.1.1.1.15.3"] = c.ifHighSpeed;
        connectTo();
        auto* combo = get<QComboBox>("OIDCombo");
        combo->setCurrentIndex(1);
        emit combo->activated(1);
        EXPECT_EQ(get<QRadioButton>("DefaultSpeedRB")->text(), c.caption);
    }
}

TEST_F(HostConfigV2cTest, theVersionIsStoredAndShownAgain)
{
    open();
    chooseVersion(1);
    connectTo();
    get<QPushButton>("OKBT")->click();
    ASSERT_EQ(owner->list.size(), 1u);
    EXPECT_EQ(owner->list[0].SnmpVersion, TSnmpVersion::V2c);
    EXPECT_EQ(owner->list[0].Sensor, "1");
    EXPECT_EQ(owner->list[0].SensorName, "lo"); // read as SNMPv2c too
    form.reset();

    // Editing it shows v2c; editing a version 1 entry shows v1.
    for (const int version : {1, 0}) {
        owner->list[0].SnmpVersion = static_cast<TSnmpVersion>(version);
        owner->mode = 2;
        owner->row = 1;
        open();
        EXPECT_EQ(get<QComboBox>("SnmpVersionCB")->currentIndex(), version);
        form->CancelBTClick();
        form.reset();
    }
}

TEST_F(HostConfigV2cTest, findRouterFillsTheAddressWithTheDefaultGateway)
{
    open();
    net->gateway = "192.168.7.1";
    get<QPushButton>("FindRouterBT")->click();
    EXPECT_EQ(get<QLineEdit>("HostAddressEdit")->text(), "192.168.7.1");
    EXPECT_TRUE(m_messages->messages.empty());

    net->gateway.reset();
    get<QLineEdit>("HostAddressEdit")->setText(QStringLiteral("10.9.9.9"));
    get<QPushButton>("FindRouterBT")->click();
    EXPECT_EQ(get<QLineEdit>("HostAddressEdit")->text(), "10.9.9.9");
    ASSERT_EQ(m_messages->messages.size(), 1u);
    EXPECT_EQ(m_messages->messages[0].kind, DialogMessages::Kind::Error);
}

// Two readings of the counters a moment apart: the busy interface stands out.
TEST_F(HostConfigV2cTest, theBusyInterfaceStandsOutWhileTheDialogIsOpen)
{
    open();
    chooseVersion(1);
    connectTo();
    ASSERT_TRUE(waitFor([this] { return count("bulk " + kHcIn) >= 1; }));
    EXPECT_TRUE(interfaceList().filter("kb/s").isEmpty()); // one reading is no rate yet

    net->counters(1000 + 50000000, 500);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    form->sampleRates();
    const QStringList items = interfaceList();
    ASSERT_EQ(items.size(), 3);
    EXPECT_TRUE(items[0].startsWith("Interface 1 is lo  [0.0 kb/s]")) << items[0].toStdString();
    EXPECT_TRUE(items[1].startsWith("Interface 3 is eth0 - wan \"Internet uplink\"  ["));
    EXPECT_FALSE(items[1].contains("[0.0 kb/s]"));
    auto* combo = get<QComboBox>("OIDCombo");
    EXPECT_TRUE(combo->itemData(1, Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(combo->itemData(0, Qt::FontRole).isValid());
    EXPECT_EQ(form->GetOIDNum(), "1"); // the rates leave the selection and its number alone

    // Back to version 1: no more counter walks.
    const int walks = count("bulk " + kHcIn);
    auto* version = get<QComboBox>("SnmpVersionCB");
    version->setCurrentIndex(0);
    emit version->activated(0);
    form->sampleRates();
    EXPECT_EQ(count("bulk " + kHcIn), walks);
}

// Counters the agent sends as octet strings ("12345") are no counters: no
// interface gets a rate from them.
TEST_F(HostConfigV2cTest, countersSentAsTextGiveNoRate)
{
    net->textColumns = {kHcIn, kHcOut};
    open();
    chooseVersion(1);
    connectTo();
    ASSERT_TRUE(waitFor([this] { return count("bulk " + kHcIn) >= 1; }));
    net->counters(1000 + 50000000, 500);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    form->sampleRates();
    EXPECT_TRUE(interfaceList().filter("kb/s").isEmpty())
        << interfaceList().join('|').toStdString();
}

// A list cut short is shown with why, and how many of it are shown.
TEST_F(HostConfigV2cTest, aListCutShortSaysWhy)
{
    const struct
    {
        SnmpWalkEnd end;
        const char* message;
    } cases[] = {
        {SnmpWalkEnd::Complete, ""},
        {SnmpWalkEnd::NoAnswer,
         "The agent stopped answering before its list of interfaces ended: showing the first 3 "
         "interfaces."},
        {SnmpWalkEnd::OutOfOrder,
         "The agent's list of interfaces ended at a reply out of order: showing the first 3 "
         "interfaces."},
        {SnmpWalkEnd::RowLimit,
         "The agent lists more interfaces than this list holds: showing the first 3 interfaces."},
        {SnmpWalkEnd::ByteLimit,
         "The agent lists more interfaces than this list holds: showing the first 3 interfaces."},
        {SnmpWalkEnd::TimeLimit,
         "The agent took too long to list its interfaces: showing the first 3 interfaces."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        net->ends[kDescr] = c.end;
        open();
        chooseVersion(1);
        get<QLineEdit>("HostAddressEdit")->setText(QStringLiteral("10.0.0.1"));
        get<QPushButton>("RefreshBT")->click();
        EXPECT_EQ(interfaceList().size(), 3);
        if (*c.message) {
            ASSERT_EQ(m_messages->messages.size(), 1u);
            EXPECT_EQ(m_messages->messages[0].kind, DialogMessages::Kind::Information);
            EXPECT_EQ(m_messages->last(), c.message);
        } else {
            EXPECT_TRUE(m_messages->messages.empty()) << m_messages->last();
        }
        m_messages->messages.clear();
        form.reset();
    }
    EXPECT_EQ(DeviceInterfaces::shortListText(SnmpWalkEnd::OutOfOrder, 1),
              "The agent's list of interfaces ended at a reply out of order: showing the first "
              "interface.");
    EXPECT_EQ(DeviceInterfaces::shortListText(SnmpWalkEnd::Cancelled, 3), "");
}

} // namespace
