// The device dialog and the device information box for SNMPv3 agents: the
// user's fields, their checks, an entry's user through Add and Edit, the
// reads sent as that user, and the agent's refusals in words.

#include "HostConfigFixture.h"

#include "BerTag.h"
#include "TMainMenu.h"
#include "V3DeviceNetwork.h"

#include <QAction>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>

#include <mutex>
#include <thread>

namespace {

const std::string kDescr = "1.3.6.1.2.1.2.2.1.2";
const std::string kSysName = "1.3.6.1.2.1.1.5.0";
const char* const kAgent = "10.0.0.1";
const char* const kWrongDigests =
    "Authentication failed: wrong password or authentication protocol for user \"ann\"";

SnmpBinding binding(const std::string& oid, int type, const std::string& value, uint64_t number = 0)
{
    SnmpBinding b;
    b.Oid = oid;
    b.ValueType = type;
    b.Value = value;
    b.Number = number;
    return b;
}

// A scripted SNMPv3 agent behind the network seam: gets from `v3Values` (an
// OID not listed is noSuchObject), walks from `columns`, or `refusal` for
// everything. Notes who asked with which engines; calls may come from the
// network thread.
class V3ScriptedNetwork : public ScriptedDeviceNetwork
{
public:
    std::map<std::string, std::string> v3Values;
    std::map<std::string, std::vector<SnmpBinding>> columns;
    SnmpV3Outcome refusal = SnmpV3Outcome::Ok;
    std::vector<std::pair<SnmpV3User, const GuardedEngineCache*>> calls()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }

    SnmpV3Result readV3(V3Read read, const std::vector<std::string>& oids, const SnmpV3User& user,
                        const std::string& agent,
                        const std::shared_ptr<GuardedEngineCache>& engines) override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_calls.emplace_back(user, engines.get());
        }
        SnmpV3Result result;
        result.Outcome = agent == host ? refusal : SnmpV3Outcome::NoAnswer;
        if (result.ok() && (read == V3Read::Walk || read == V3Read::WalkCounters)) {
            for (const SnmpBinding& row : columns[oids.at(0)])
                if (read == V3Read::Walk || isCounterType(row.ValueType))
                    result.VarBinds.push_back(row);
        }
        for (std::size_t i = 0; result.ok() && read == V3Read::Get && i < oids.size(); ++i) {
            const auto it = v3Values.find(oids[i]);
            result.VarBinds.push_back(it == v3Values.end()
                                          ? binding(oids[i], BerTag::NoSuchObject, "")
                                          : binding(oids[i], BerTag::OctetString, it->second));
        }
        return result;
    }

private:
    std::mutex m_mutex;
    std::vector<std::pair<SnmpV3User, const GuardedEngineCache*>> m_calls;
};

SnmpV3User user(SecurityLevel level, const char* authPassword, const char* privPassword,
                const char* name = "ann")
{
    return SnmpV3User{name,        level, AuthProtocol::SHA512, authPassword, PrivProtocol::DES,
                      privPassword};
}
const SnmpV3User kAnn = user(SecurityLevel::AuthPriv, "authPass1", "privPass1");

class HostConfigV3Test : public HostConfigFixture<V3ScriptedNetwork>
{
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        net = std::make_shared<V3ScriptedNetwork>();
        net->v3Values = {{kSysName, "core-switch"},
                         {"1.3.6.1.2.1.1.1.0", "A managed switch"},
                         {"1.3.6.1.2.1.2.1.0", "2"},
                         {kDescr + ".2", "ge-0/0/1"}};
        net->columns[kDescr] = {binding(kDescr + ".1", BerTag::OctetString, "lo"),
                                binding(kDescr + ".2", BerTag::OctetString, "ge-0/0/1")};
        owner = std::make_unique<FakeHostConfigOwner>(net);
    }
    void typeUser(const SnmpV3User& u)
    {
        get<QLineEdit>("V3UserNameEdit")->setText(QString::fromStdString(u.UserName));
        for (const auto& [combo, value] : {std::pair("V3SecurityLevelCB", int(u.Level)),
                                           std::pair("V3AuthProtocolCB", int(u.Auth)),
                                           std::pair("V3PrivProtocolCB", int(u.Priv))})
            get<QComboBox>(combo)->setCurrentIndex(get<QComboBox>(combo)->findData(value));
        get<QLineEdit>("V3AuthPasswordEdit")->setText(QString::fromStdString(u.AuthPassword));
        get<QLineEdit>("V3PrivPasswordEdit")->setText(QString::fromStdString(u.PrivPassword));
    }
    // A new v3 device connected as u.
    void connectAs(const SnmpV3User& u)
    {
        open();
        chooseVersion(2);
        typeUser(u);
        connectTo(kAgent);
    }
    bool enabled(const char* name) { return get<QWidget>(name)->isEnabled(); }
};

TEST_F(HostConfigV3Test, theUsersFieldsReplaceTheCommunityAndFollowTheLevel)
{
    open();
    EXPECT_FALSE(get<QWidget>("SnmpV3Fields")->isVisible());
    chooseVersion(2);
    EXPECT_EQ(get<QComboBox>("SnmpVersionCB")->currentText(), "v3");
    EXPECT_TRUE(get<QWidget>("SnmpV3Fields")->isVisible());
    EXPECT_FALSE(get<QLineEdit>("ReadCommunityEdit")->isVisible());
    // A new user: authenticated and private with current protocols, masked passwords.
    EXPECT_EQ(get<QComboBox>("V3SecurityLevelCB")->currentText(), "authPriv");
    EXPECT_EQ(get<QComboBox>("V3AuthProtocolCB")->currentText(), "SHA-256");
    EXPECT_EQ(get<QComboBox>("V3PrivProtocolCB")->currentText(), "AES-128");
    for (const char* password : {"V3AuthPasswordEdit", "V3PrivPasswordEdit"})
        EXPECT_EQ(get<QLineEdit>(password)->echoMode(), QLineEdit::Password);
    EXPECT_GE(get<QComboBox>("V3AuthProtocolCB")->findText("MD5 (old devices only)"), 0);
    EXPECT_GE(get<QComboBox>("V3PrivProtocolCB")->findText("DES (old devices only)"), 0);

    const struct
    {
        const char* level;
        bool authentication;
        bool privacy;
    } levels[] = {
        {"noAuthNoPriv", false, false}, {"authNoPriv", true, false}, {"authPriv", true, true}};
    for (const auto& c : levels) {
        SCOPED_TRACE(c.level);
        auto* level = get<QComboBox>("V3SecurityLevelCB");
        level->setCurrentIndex(level->findText(c.level));
        EXPECT_TRUE(enabled("V3UserNameEdit"));
        EXPECT_EQ(enabled("V3AuthProtocolCB") && enabled("V3AuthPasswordEdit"), c.authentication);
        EXPECT_EQ(enabled("V3AuthProtocolCB") || enabled("V3AuthPasswordEdit"), c.authentication);
        EXPECT_EQ(enabled("V3PrivProtocolCB") && enabled("V3PrivPasswordEdit"), c.privacy);
        EXPECT_EQ(enabled("V3PrivProtocolCB") || enabled("V3PrivPasswordEdit"), c.privacy);
    }

    chooseVersion(1);
    EXPECT_FALSE(get<QWidget>("SnmpV3Fields")->isVisible());
    EXPECT_TRUE(get<QLineEdit>("ReadCommunityEdit")->isVisible());
}

TEST_F(HostConfigV3Test, okAsksForWhatTheLevelNeedsAndNoCommunity)
{
    using L = SecurityLevel;
    const struct
    {
        const char* name;
        SnmpV3User user;
        const char* address;
        std::string message; // empty: accepted
    } cases[] = {
        {"no user name", user(L::NoAuthNoPriv, "", "", ""), kAgent, "Enter the SNMPv3 user name."},
        {"authentication password of 7", user(L::AuthNoPriv, "1234567", ""), kAgent,
         "The authentication password must have at least 8 characters."},
        {"no privacy password", user(L::AuthPriv, "12345678", ""), kAgent,
         "The privacy password must have at least 8 characters."},
        {"no address", user(L::NoAuthNoPriv, "", ""), "",
         "You cannot add a device with a blank Address !"},
        {"no passwords at noAuthNoPriv", user(L::NoAuthNoPriv, "", ""), kAgent, ""},
        {"no privacy at authNoPriv", user(L::AuthNoPriv, "12345678", ""), kAgent, ""},
        {"eight characters each", user(L::AuthPriv, "12345678", "abcdefgh"), kAgent, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        owner->list.clear();
        connectAs(kAnn);
        ASSERT_EQ(interfaceList().size(), 2);
        get<QLineEdit>("ReadCommunityEdit")->clear();
        get<QLineEdit>("HostAddressEdit")->setText(QString::fromLatin1(c.address));
        typeUser(c.user);
        m_messages->messages.clear();
        get<QPushButton>("OKBT")->click();
        EXPECT_EQ(m_messages->last(), c.message);
        EXPECT_EQ(owner->list.size(), c.message.empty() ? 1u : 0u);
        form.reset();
    }

    // Start Connection checks the fields before anything is sent.
    m_messages->messages.clear();
    const std::size_t sent = net->calls().size();
    connectAs(user(SecurityLevel::AuthPriv, "authPass1", "short"));
    EXPECT_EQ(m_messages->texts(),
              std::vector<std::string>{"The privacy password must have at least 8 characters."});
    EXPECT_EQ(net->calls().size(), sent);
}

TEST_F(HostConfigV3Test, anEntrysUserGoesThroughAddAndEditAndTheWorkingList)
{
    // The detected speed and the current rates are read as the user too.
    net->v3Values["1.3.6.1.2.1.2.2.1.5.2"] = "4294967295";
    net->v3Values["1.3.6.1.2.1.31.1.1.1.15.2"] = "10000";
    const std::string hcIn = "1.3.6.1.2.1.31.1.1.1.6";
    net->columns[hcIn] = {binding(hcIn + ".2", BerTag::Counter64, "", 1000)};
    connectAs(kAnn);
    get<QComboBox>("OIDCombo")->setCurrentIndex(1);
    emit get<QComboBox>("OIDCombo")->activated(1);
    EXPECT_EQ(get<QRadioButton>("DefaultSpeedRB")->text(), "Use detected speed [10000000 kbps]");
    QCoreApplication::processEvents(); // the first reading of the counters
    net->columns[hcIn][0].Number = 1000 + 1000000;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    form->sampleRates();
    EXPECT_TRUE(interfaceList()[1].startsWith("Interface 2 is ge-0/0/1  ["))
        << interfaceList()[1].toStdString();
    get<QPushButton>("OKBT")->click();
    ASSERT_EQ(owner->list.size(), 1u);
    const TSensorConfig added = owner->list[0];
    EXPECT_EQ(added.SnmpVersion, TSnmpVersion::V3);
    EXPECT_EQ(added.Sensor, "2");
    EXPECT_EQ(added.SensorName, "ge-0/0/1"); // read as the user too
    EXPECT_EQ(added.HostName, "core-switch");
    TSensorConfig expected = added;
    expected.V3 = kAnn;
    EXPECT_EQ(added, expected);
    form.reset();

    // Edit shows the user again, passwords included, walks as that user and
    // OK keeps it; every read of a dialog shares one engine cache.
    owner->mode = 2;
    const std::size_t before = net->calls().size();
    open();
    EXPECT_EQ(get<QComboBox>("SnmpVersionCB")->currentText(), "v3");
    EXPECT_EQ(get<QLineEdit>("V3UserNameEdit")->text(), "ann");
    EXPECT_EQ(get<QComboBox>("V3AuthProtocolCB")->currentText(), "SHA-512");
    EXPECT_EQ(get<QComboBox>("V3PrivProtocolCB")->currentText(), "DES (old devices only)");
    EXPECT_EQ(get<QLineEdit>("V3AuthPasswordEdit")->text(), "authPass1");
    EXPECT_EQ(get<QLineEdit>("V3PrivPasswordEdit")->text(), "privPass1");
    EXPECT_EQ(interfaceList().size(), 2);
    get<QLineEdit>("V3UserNameEdit")->setText("bob");
    get<QPushButton>("RefreshBT")->click();
    const auto calls = net->calls();
    ASSERT_GT(calls.size(), before + 2);
    EXPECT_EQ(calls[before].first.PrivPassword, "privPass1");
    EXPECT_EQ(calls.back().first.UserName, "bob");
    for (std::size_t i = before; i < calls.size(); ++i)
        EXPECT_EQ(calls[i].second, calls[before].second);
    EXPECT_EQ(net->log, std::vector<std::string>{"ping 10.0.0.1"}); // no community read
    get<QLineEdit>("V3UserNameEdit")->setText("ann");
    get<QPushButton>("OKBT")->click();
    EXPECT_EQ(owner->list[0], added);

    // The options dialog's working list carries the user to the record and back.
    TSensorRecord record;
    added.applyTo(record);
    EXPECT_EQ(TSensorConfig::fromRecord(record), added);
    TSensorConfig changed = added;
    changed.V3.AuthPassword = "otherPass1";
    EXPECT_NE(changed, added);
}

TEST_F(HostConfigV3Test, anAgentsRefusalIsShownInWordsAndListsNothing)
{
    for (const auto& [outcome, message] :
         {std::pair(SnmpV3Outcome::WrongDigests, kWrongDigests),
          std::pair(SnmpV3Outcome::UnknownUserName,
                    "Unknown user: the agent has no SNMPv3 user \"ann\"")}) {
        SCOPED_TRACE(message);
        m_messages->messages.clear();
        net->refusal = outcome;
        connectAs(kAnn);
        ASSERT_EQ(m_messages->messages.size(), 1u);
        EXPECT_EQ(m_messages->messages[0].kind, DialogMessages::Kind::Error);
        EXPECT_EQ(m_messages->last(),
                  std::string(message) + "\n\rIP Address / DNS Name: " + kAgent);
        EXPECT_TRUE(interfaceList().isEmpty());
        EXPECT_EQ(get<QLineEdit>("HostNameEdit")->text(), "");
        form.reset();
    }

    // Refused after the agent first answered: Refresh says why the list is empty.
    net->refusal = SnmpV3Outcome::Ok;
    connectAs(kAnn);
    ASSERT_EQ(interfaceList().size(), 2);
    net->refusal = SnmpV3Outcome::WrongDigests;
    m_messages->messages.clear();
    get<QPushButton>("RefreshBT")->click();
    EXPECT_TRUE(interfaceList().isEmpty());
    EXPECT_EQ(m_messages->texts(), std::vector<std::string>{kWrongDigests});
}

// The dialog with the user's fields shown still gives every control its
// height and fits the screen; run again at 150 % and 200 % device scale.
TEST_F(HostConfigV3Test, theDialogWithTheUsersFieldsKeepsEveryControlWhole)
{
    open();
    const QSize before = form->size();
    chooseVersion(2);
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_GE(form->width(), 504);
    EXPECT_LE(form->height(), form->screen()->availableGeometry().height());
    EXPECT_TRUE(get<QLineEdit>("V3PrivPasswordEdit")->isVisibleTo(form.get()));
    expectNaturalHeights(form.get());
    if (!form->findChild<QScrollArea*>("DialogScrollArea")) {
        EXPECT_GT(form->height(), before.height());
    }

    chooseVersion(0);
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    expectNaturalHeights(form.get());
    EXPECT_EQ(form->size(), before);
}

// ---- the decorator ---------------------------------------------------------------------

// An inner network that answers every SNMPv3 read with the bindings given.
class CannedV3 : public ScriptedDeviceNetwork
{
public:
    SnmpV3Result answer;
    SnmpV3Result readV3(V3Read, const std::vector<std::string>&, const SnmpV3User&,
                        const std::string&, const std::shared_ptr<GuardedEngineCache>&) override
    {
        return answer;
    }
};

TEST(V3DeviceNetwork, bindingsReadLikeTheV2cOnesAndTheEndOfTheViewIsNoNextObject)
{
    CannedV3 inner;
    inner.answer.Outcome = SnmpV3Outcome::Ok;
    V3DeviceNetwork network(inner, [] { return kAnn; });

    const struct
    {
        const char* name;
        SnmpBinding bind;
        std::optional<std::string> value;
    } cases[] = {
        {"Counter32 at its top", binding("1.1", BerTag::Counter32, "-1", 4294967295u),
         "4294967295"},
        {"Gauge32", binding("1.1", BerTag::Gauge32, "-294967296", 4000000000u), "4000000000"},
        {"Counter64",
         binding("1.1", BerTag::Counter64, "18446744073709551615", 18446744073709551615u),
         "18446744073709551615"},
        {"octet string", binding("1.1", BerTag::OctetString, "eth0"), "eth0"},
        {"noSuchInstance", binding("1.1", BerTag::NoSuchInstance, ""), std::nullopt},
        {"endOfMibView", binding("1.1", BerTag::EndOfMibView, ""), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        inner.answer.VarBinds = {c.bind};
        std::vector<std::optional<std::string>> values;
        EXPECT_TRUE(network.readValuesV2c({"1.1"}, "", kAgent, values));
        ASSERT_EQ(values.size(), 1u);
        EXPECT_EQ(values[0], c.value);

        std::string oid = "1.0";
        std::string value;
        EXPECT_EQ(network.readNext(oid, "", kAgent, value), c.value.has_value());
        EXPECT_EQ(oid, c.value ? "1.1" : "1.0");
        EXPECT_EQ(value, c.value.value_or(""));
    }

    // A refusal is remembered for its host until a read of it succeeds.
    inner.answer = {};
    inner.answer.Outcome = SnmpV3Outcome::UnknownUserName;
    std::string value = "stale";
    EXPECT_FALSE(network.readValue("1.1", "", kAgent, value));
    EXPECT_EQ(value, "");
    EXPECT_EQ(network.lastFailure(kAgent), "Unknown user: the agent has no SNMPv3 user \"ann\"");
    EXPECT_EQ(network.lastFailure("10.0.0.2"), "");
    inner.answer.Outcome = SnmpV3Outcome::Ok;
    inner.answer.VarBinds = {binding("1.1", BerTag::OctetString, "x")};
    EXPECT_TRUE(network.readValue("1.1", "", kAgent, value));
    EXPECT_EQ(network.lastFailure(kAgent), "");
}

// ---- the device information box for the first sensor --------------------------------

TEST_F(HostConfigV3Test, deviceInformationAsksTheFirstSensorsAgentTheWayItIsPolled)
{
    FakeMainWindowHost host;
    host.loadDefaults();
    TSensorRecord& sensor = host.model.Sensors[0];
    sensor.HostIP = kAgent;
    sensor.Community = "vandor";
    TMainMenu menu(host, net);

    // SNMPv3 as the sensor's user.
    sensor.SnmpVersion = TSnmpVersion::V3;
    sensor.V3 = kAnn;
    menu.action("Showrouterinformation1")->trigger();
    EXPECT_EQ(m_messages->last(), "Device Name: core-switch\n\rInterfaces found: 2\n\r"
                                  "IP Address / DNS Name: 10.0.0.1\n\r"
                                  "Description: A managed switch");
    ASSERT_FALSE(net->calls().empty());
    EXPECT_EQ(net->calls().front().first.AuthPassword, "authPass1");
    EXPECT_TRUE(net->log.empty());

    // Refused: the reason, not the no-reply text.
    net->refusal = SnmpV3Outcome::WrongDigests;
    menu.action("Showrouterinformation1")->trigger();
    EXPECT_EQ(m_messages->last(),
              std::string(kWrongDigests) + "\n\rIP Address / DNS Name: 10.0.0.1");

    // SNMPv2c through its own gets (none here: no reply), version 1 the community's.
    const std::size_t v3Calls = net->calls().size();
    sensor.SnmpVersion = TSnmpVersion::V2c;
    menu.action("Showrouterinformation1")->trigger();
    EXPECT_NE(m_messages->last().find("did not reply to the SNMP call"), std::string::npos);
    EXPECT_EQ(net->countOf("get " + kSysName), 0);
    sensor.SnmpVersion = TSnmpVersion::V1;
    net->values[kSysName] = "v1-name";
    menu.action("Showrouterinformation1")->trigger();
    EXPECT_EQ(net->calls().size(), v3Calls);
    EXPECT_EQ(net->countOf("get " + kSysName), 1);
    EXPECT_TRUE(m_messages->last().rfind("Device Name: v1-name", 0) == 0) << m_messages->last();
}

} // namespace
