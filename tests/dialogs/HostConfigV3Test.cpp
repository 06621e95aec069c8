// The device dialog and the device information box for SNMPv3 agents: the
// user's fields, their checks, an entry's user through Add and Edit, the
// reads sent as that user, and the agent's refusals in words.

#include "HostConfigFixture.h"

#include "BerTag.h"
#include "TMainMenu.h"
#include "TSensorConfig.h"
#include "V3DeviceNetwork.h"
#include "frmHostConfig.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>

#include <mutex>

namespace {

const std::string kDescr = "1.3.6.1.2.1.2.2.1.2";
const std::string kSysName = "1.3.6.1.2.1.1.5.0";
const char* const kAgent = "10.0.0.1";

V3VarBind text(const std::string& oid, const std::string& value)
{
    V3VarBind b;
    b.Oid = oid;
    b.ValueType = BerTag::OctetString;
    b.Value = value;
    return b;
}

// A scripted SNMPv3 agent behind the network seam: answers gets from
// `values` (an OID not listed is noSuchObject) and walks from `columns`, or
// refuses everything with `refusal`. It keeps who asked and with which engine
// cache; calls may come from the network thread.
class V3ScriptedNetwork : public ScriptedDeviceNetwork
{
public:
    std::map<std::string, std::string> v3Values;
    std::map<std::string, std::vector<V3VarBind>> columns;
    SnmpV3Outcome refusal = SnmpV3Outcome::Ok;
    std::string refusalDetail;

    struct Call
    {
        std::string what;
        SnmpV3User user;
        std::string host;
        const GuardedEngineCache* engines;
    };
    std::vector<Call> calls()
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
            const char* kind = read == V3Read::Get ? "get" : read == V3Read::Walk ? "walk" : "next";
            m_calls.push_back(
                {std::string("v3 ") + kind + " " + oids.at(0), user, agent, engines.get()});
        }
        SnmpV3Result result;
        result.Outcome = agent == host ? refusal : SnmpV3Outcome::NoAnswer;
        result.Detail = refusalDetail;
        if (!result.ok())
            return result;
        if (read == V3Read::Walk) {
            if (const auto it = columns.find(oids[0]); it != columns.end())
                result.VarBinds = it->second;
            return result;
        }
        for (const std::string& oid : oids) {
            const auto it = v3Values.find(oid);
            V3VarBind b = text(oid, it == v3Values.end() ? "" : it->second);
            if (it == v3Values.end())
                b.ValueType = V3Tag::NoSuchObject;
            result.VarBinds.push_back(b);
        }
        return result;
    }

private:
    std::mutex m_mutex;
    std::vector<Call> m_calls;
};

SnmpV3User annUser()
{
    return SnmpV3User{"ann",       SecurityLevel::AuthPriv, AuthProtocol::SHA512,
                      "authPass1", PrivProtocol::DES,       "privPass1"};
}

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
        net->columns[kDescr] = {text(kDescr + ".1", "lo"), text(kDescr + ".2", "ge-0/0/1")};
        owner = std::make_unique<FakeHostConfigOwner>(net);
    }
    void typeUser(const SnmpV3User& user)
    {
        get<QLineEdit>("V3UserNameEdit")->setText(QString::fromStdString(user.UserName));
        auto choose = [this](const char* combo, int value) {
            auto* c = get<QComboBox>(combo);
            c->setCurrentIndex(c->findData(value));
        };
        choose("V3SecurityLevelCB", int(user.Level));
        choose("V3AuthProtocolCB", int(user.Auth));
        choose("V3PrivProtocolCB", int(user.Priv));
        get<QLineEdit>("V3AuthPasswordEdit")->setText(QString::fromStdString(user.AuthPassword));
        get<QLineEdit>("V3PrivPasswordEdit")->setText(QString::fromStdString(user.PrivPassword));
    }
};

TEST_F(HostConfigV3Test, v3ShowsTheUsersFieldsInsteadOfTheCommunityWithCurrentDefaults)
{
    open();
    auto* fields = get<QWidget>("SnmpV3Fields");
    EXPECT_EQ(get<QComboBox>("SnmpVersionCB")->count(), 3);
    EXPECT_FALSE(fields->isVisible());
    EXPECT_TRUE(get<QLineEdit>("ReadCommunityEdit")->isVisible());

    chooseVersion(2);
    EXPECT_EQ(get<QComboBox>("SnmpVersionCB")->currentText(), "v3");
    EXPECT_TRUE(fields->isVisible());
    EXPECT_FALSE(get<QLineEdit>("ReadCommunityEdit")->isVisible());
    EXPECT_EQ(get<QComboBox>("V3SecurityLevelCB")->currentText(), "authPriv");
    EXPECT_EQ(get<QComboBox>("V3AuthProtocolCB")->currentText(), "SHA-256");
    EXPECT_EQ(get<QComboBox>("V3PrivProtocolCB")->currentText(), "AES-128");
    EXPECT_EQ(get<QLineEdit>("V3AuthPasswordEdit")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(get<QLineEdit>("V3PrivPasswordEdit")->echoMode(), QLineEdit::Password);
    // The protocols only old devices need say so.
    EXPECT_GE(get<QComboBox>("V3AuthProtocolCB")->findText("MD5 (old devices only)"), 0);
    EXPECT_GE(get<QComboBox>("V3PrivProtocolCB")->findText("DES (old devices only)"), 0);

    chooseVersion(1);
    EXPECT_FALSE(fields->isVisible());
    EXPECT_TRUE(get<QLineEdit>("ReadCommunityEdit")->isVisible());
}

TEST_F(HostConfigV3Test, onlyTheFieldsTheLevelUsesAreEnabled)
{
    const struct
    {
        const char* level;
        bool authentication;
        bool privacy;
    } cases[] = {
        {"noAuthNoPriv", false, false},
        {"authNoPriv", true, false},
        {"authPriv", true, true},
    };
    open();
    chooseVersion(2);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        auto* level = get<QComboBox>("V3SecurityLevelCB");
        level->setCurrentIndex(level->findText(c.level));
        EXPECT_TRUE(get<QLineEdit>("V3UserNameEdit")->isEnabled());
        EXPECT_EQ(get<QComboBox>("V3AuthProtocolCB")->isEnabled(), c.authentication);
        EXPECT_EQ(get<QLineEdit>("V3AuthPasswordEdit")->isEnabled(), c.authentication);
        EXPECT_EQ(get<QComboBox>("V3PrivProtocolCB")->isEnabled(), c.privacy);
        EXPECT_EQ(get<QLineEdit>("V3PrivPasswordEdit")->isEnabled(), c.privacy);
    }
}

TEST_F(HostConfigV3Test, okAsksForWhatTheLevelNeedsAndNoCommunity)
{
    const struct
    {
        const char* name;
        SnmpV3User user;
        const char* address;
        std::string message; // empty: accepted
    } cases[] = {
        {"no user name",
         {"", SecurityLevel::NoAuthNoPriv, AuthProtocol::SHA256, "", PrivProtocol::AES128, ""},
         kAgent,
         "Enter the SNMPv3 user name."},
        {"authentication password of 7",
         {"ann", SecurityLevel::AuthNoPriv, AuthProtocol::SHA256, "1234567", PrivProtocol::AES128,
          ""},
         kAgent,
         "The authentication password must have at least 8 characters."},
        {"no privacy password",
         {"ann", SecurityLevel::AuthPriv, AuthProtocol::SHA256, "12345678", PrivProtocol::AES128,
          ""},
         kAgent,
         "The privacy password must have at least 8 characters."},
        {"no address",
         {"ann", SecurityLevel::NoAuthNoPriv, AuthProtocol::SHA256, "", PrivProtocol::AES128, ""},
         "",
         "You cannot add a device with a blank Address !"},
        {"no passwords for noAuthNoPriv",
         {"ann", SecurityLevel::NoAuthNoPriv, AuthProtocol::SHA256, "", PrivProtocol::AES128, ""},
         kAgent,
         ""},
        {"none for privacy at authNoPriv",
         {"ann", SecurityLevel::AuthNoPriv, AuthProtocol::SHA1, "12345678", PrivProtocol::AES128,
          ""},
         kAgent,
         ""},
        {"eight characters each", annUser(), kAgent, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        owner->list.clear();
        m_messages->messages.clear();
        open();
        chooseVersion(2);
        typeUser(annUser());
        connectTo(kAgent);
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
}

TEST_F(HostConfigV3Test, anEntrysUserGoesThroughAddAndEditAndTheWorkingList)
{
    open();
    chooseVersion(2);
    typeUser(annUser());
    connectTo(kAgent);
    auto* combo = get<QComboBox>("OIDCombo");
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    get<QPushButton>("OKBT")->click();
    ASSERT_EQ(owner->list.size(), 1u);
    TSensorConfig added = owner->list[0];
    EXPECT_EQ(added.SnmpVersion, 3);
    EXPECT_EQ(added.Sensor, "2");
    EXPECT_EQ(added.SensorName, "ge-0/0/1"); // read as the user too
    EXPECT_EQ(added.HostName, "core-switch");
    TSensorConfig expected = added;
    expected.V3 = annUser();
    EXPECT_EQ(added, expected);
    form.reset();

    // Edit shows the user again, passwords included, and OK keeps it.
    owner->mode = 2;
    owner->row = 1;
    open();
    EXPECT_EQ(get<QComboBox>("SnmpVersionCB")->currentText(), "v3");
    EXPECT_EQ(get<QLineEdit>("V3UserNameEdit")->text(), "ann");
    EXPECT_EQ(get<QComboBox>("V3AuthProtocolCB")->currentText(), "SHA-512");
    EXPECT_EQ(get<QComboBox>("V3PrivProtocolCB")->currentText(), "DES (old devices only)");
    EXPECT_EQ(get<QLineEdit>("V3AuthPasswordEdit")->text(), "authPass1");
    EXPECT_EQ(get<QLineEdit>("V3PrivPasswordEdit")->text(), "privPass1");
    EXPECT_EQ(interfaceList().size(), 2); // walked again as ann
    get<QPushButton>("OKBT")->click();
    EXPECT_EQ(owner->list[0], added);

    // The options dialog's working list carries the user to the record and back.
    TSensorRecord record;
    added.applyTo(record);
    EXPECT_EQ(record.V3.PrivPassword, "privPass1");
    EXPECT_EQ(TSensorConfig::fromRecord(record), added);
    TSensorConfig changed = added;
    changed.V3.AuthPassword = "otherPass1";
    EXPECT_NE(changed, added);
}

TEST_F(HostConfigV3Test, readsGoAsTheTypedUserWithOneEngineCacheForTheDialog)
{
    open();
    chooseVersion(2);
    typeUser(annUser());
    connectTo(kAgent);
    SnmpV3User bob = annUser();
    bob.UserName = "bob";
    typeUser(bob);
    get<QPushButton>("RefreshBT")->click();

    const auto calls = net->calls();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls.front().what, "v3 get " + kSysName);
    EXPECT_EQ(calls.front().user.UserName, "ann");
    EXPECT_EQ(calls.back().user.UserName, "bob");
    for (const auto& call : calls) {
        EXPECT_EQ(call.engines, calls.front().engines) << call.what;
        EXPECT_EQ(call.host, kAgent);
    }
    // Nothing went out with the community.
    EXPECT_EQ(net->countOf("get " + kSysName), 0);
    EXPECT_TRUE(std::none_of(net->log.begin(), net->log.end(),
                             [](const std::string& r) { return r.rfind("next ", 0) == 0; }));
}

TEST_F(HostConfigV3Test, anAgentsRefusalIsShownInWordsAndListsNothing)
{
    const struct
    {
        SnmpV3Outcome outcome;
        const char* detail;
        const char* message;
    } cases[] = {
        {SnmpV3Outcome::WrongDigests, "",
         "Authentication failed: wrong password or authentication protocol for user \"ann\""},
        {SnmpV3Outcome::UnknownUserName, "", "Unknown user: the agent has no SNMPv3 user \"ann\""},
        {SnmpV3Outcome::DecryptionErrors, "",
         "Decryption failed: wrong privacy password or privacy protocol for user \"ann\""},
        {SnmpV3Outcome::NoAnswer, "", "Host did not reply"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        m_messages->messages.clear();
        net->refusal = c.outcome;
        net->refusalDetail = c.detail;
        open();
        chooseVersion(2);
        typeUser(annUser());
        connectTo(kAgent);
        ASSERT_EQ(m_messages->messages.size(), 1u);
        EXPECT_EQ(m_messages->messages[0].kind, DialogMessages::Kind::Error);
        EXPECT_EQ(m_messages->last(),
                  std::string(c.message) + "\n\rIP Address / DNS Name: " + kAgent);
        EXPECT_TRUE(interfaceList().isEmpty());
        EXPECT_EQ(get<QLineEdit>("HostNameEdit")->text(), "");
        form.reset();
    }

    // A refusal after the agent first answered: Refresh says why the list is empty.
    net->refusal = SnmpV3Outcome::Ok;
    m_messages->messages.clear();
    open();
    chooseVersion(2);
    typeUser(annUser());
    connectTo(kAgent);
    ASSERT_EQ(interfaceList().size(), 2);
    net->refusal = SnmpV3Outcome::WrongDigests;
    m_messages->messages.clear();
    get<QPushButton>("RefreshBT")->click();
    EXPECT_TRUE(interfaceList().isEmpty());
    EXPECT_EQ(m_messages->texts(),
              std::vector<std::string>{"Authentication failed: wrong password or authentication "
                                       "protocol for user \"ann\""});
}

TEST_F(HostConfigV3Test, startConnectionChecksTheFieldsBeforeAnythingIsSent)
{
    open();
    chooseVersion(2);
    typeUser(annUser());
    get<QLineEdit>("V3PrivPasswordEdit")->setText("short");
    connectTo(kAgent);
    EXPECT_EQ(m_messages->texts(), std::vector<std::string>{"The privacy password must have at "
                                                            "least 8 characters."});
    EXPECT_TRUE(net->calls().empty());
}

// The dialog with the user's fields shown still gives every control its
// height and fits the screen; run again at 150 % and 200 % device scale.
TEST_F(HostConfigV3Test, theDialogWithTheUsersFieldsKeepsEveryControlWhole)
{
    open();
    const QSize before = form->size();
    chooseVersion(2);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_GE(form->width(), 504);
    EXPECT_LE(form->height(), form->screen()->availableGeometry().height());
    EXPECT_TRUE(get<QLineEdit>("V3PrivPasswordEdit")->isVisibleTo(form.get()));
    expectNaturalHeights(form.get());
    if (!form->findChild<QScrollArea*>("DialogScrollArea")) {
        EXPECT_GT(form->height(), before.height());
    }

    chooseVersion(0);
    QCoreApplication::processEvents();
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

V3VarBind binding(const std::string& oid, int type, const std::string& value, uint64_t number)
{
    V3VarBind b;
    b.Oid = oid;
    b.ValueType = type;
    b.Value = value;
    b.Number = number;
    return b;
}

TEST(V3DeviceNetwork, bindingsReadLikeTheV2cOnesAndTheEndOfTheViewIsNoNextObject)
{
    CannedV3 inner;
    inner.answer.Outcome = SnmpV3Outcome::Ok;
    V3DeviceNetwork network(inner, [] { return annUser(); });

    const struct
    {
        const char* name;
        V3VarBind bind;
        std::optional<std::string> value;
    } cases[] = {
        {"Counter32 at its top", binding("1.1", BerTag::Counter32, "-1", 4294967295u),
         "4294967295"},
        {"Gauge32", binding("1.1", BerTag::Gauge32, "-294967296", 4000000000u), "4000000000"},
        {"Counter64",
         binding("1.1", V3Tag::Counter64, "18446744073709551615", 18446744073709551615u),
         "18446744073709551615"},
        {"octet string", binding("1.1", BerTag::OctetString, "eth0", 0), "eth0"},
        {"noSuchInstance", binding("1.1", V3Tag::NoSuchInstance, "", 0), std::nullopt},
        {"endOfMibView", binding("1.1", V3Tag::EndOfMibView, "", 0), std::nullopt},
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
    inner.answer.VarBinds = {binding("1.1", BerTag::OctetString, "x", 0)};
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
    sensor.SnmpVersion = 3;
    sensor.V3 = annUser();
    menu.action("Showrouterinformation1")->trigger();
    EXPECT_EQ(m_messages->last(), "Device Name: core-switch\n\rInterfaces found: 2\n\r"
                                  "IP Address / DNS Name: 10.0.0.1\n\r"
                                  "Description: A managed switch");
    ASSERT_FALSE(net->calls().empty());
    EXPECT_EQ(net->calls().front().user.AuthPassword, "authPass1");
    EXPECT_TRUE(net->log.empty());

    // Refused: the reason, not the no-reply text.
    net->refusal = SnmpV3Outcome::WrongDigests;
    menu.action("Showrouterinformation1")->trigger();
    EXPECT_EQ(m_messages->last(), "Authentication failed: wrong password or authentication "
                                  "protocol for user \"ann\"\n\rIP Address / DNS Name: 10.0.0.1");

    // SNMPv2c through its own gets (this network has none: no reply).
    const std::size_t v3Calls = net->calls().size();
    sensor.SnmpVersion = 1;
    menu.action("Showrouterinformation1")->trigger();
    EXPECT_EQ(net->countOf("get " + kSysName), 0);
    EXPECT_EQ(net->calls().size(), v3Calls);
    EXPECT_TRUE(m_messages->last().find("did not reply to the SNMP call") != std::string::npos);

    // Version 1: the community's gets.
    sensor.SnmpVersion = 0;
    net->values[kSysName] = "v1-name";
    menu.action("Showrouterinformation1")->trigger();
    EXPECT_EQ(net->calls().size(), v3Calls);
    EXPECT_EQ(net->countOf("get " + kSysName), 1);
    EXPECT_TRUE(m_messages->last().rfind("Device Name: v1-name", 0) == 0) << m_messages->last();
}

} // namespace
