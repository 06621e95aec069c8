// The device dialog against net-snmp's agent with SNMPv3 users of the test's
// own configuration, through the network thread the program uses: what Start
// Connection lists must be what snmpwalk -v3 sees as the same user, and a
// wrong password must be named as such, with nothing listed.
#include "HostConfigFixture.h"

#include "ChildProcess.h"
#include "OffThreadDeviceNetwork.h"
#include "PeerRequirement.h"
#include "SnmpDeviceNetwork.h"
#include "SnmpdPeer.h"

namespace {

const char* const kAgent = "127.0.0.211";

// "Interface <index> is <ifDescr>" for every row snmpwalk -v3 shows as sha256User.
QStringList walkedInterfaces()
{
    int status = -1;
    const std::string out =
        runCommand({"snmpwalk", "-v3", "-l", "authPriv", "-u", "sha256User", "-a", "SHA-256", "-A",
                    "sha256AuthPass", "-x", "AES", "-X", "sha256PrivPass", "-On", "-Oq", kAgent,
                    "1.3.6.1.2.1.2.2.1.2"},
                   &status);
    EXPECT_EQ(status, 0) << out;
    return interfaceEntries(out);
}

class DialogsV3PeersTest : public HostConfigFixture<OffThreadDeviceNetwork>
{
protected:
    static void SetUpTestSuite()
    {
        s_agent = std::make_unique<SnmpdPeer>(kAgent);
        s_agent->setV3Users(
            {"createUser sha256User SHA-256 \"sha256AuthPass\" AES \"sha256PrivPass\""},
            {"rouser sha256User priv"});
        s_started = s_agent->start();
    }
    static void TearDownTestSuite() { s_agent.reset(); }

    void SetUp() override
    {
        DialogTest::SetUp();
        REQUIRE_PEER(s_started, s_agent->error());
        net = std::make_shared<OffThreadDeviceNetwork>(std::make_shared<SnmpDeviceNetwork>());
        owner = std::make_unique<FakeHostConfigOwner>(net);
    }

    // Opens the add dialog, chooses v3 and connects as sha256User with the
    // authentication password given.
    void connectAs(const char* authPassword)
    {
        open();
        chooseVersion(2);
        get<QLineEdit>("V3UserNameEdit")->setText("sha256User");
        get<QLineEdit>("V3AuthPasswordEdit")->setText(authPassword);
        get<QLineEdit>("V3PrivPasswordEdit")->setText("sha256PrivPass");
        connectTo(kAgent);
    }

    static std::unique_ptr<SnmpdPeer> s_agent;
    static bool s_started;
};
std::unique_ptr<SnmpdPeer> DialogsV3PeersTest::s_agent;
bool DialogsV3PeersTest::s_started = false;

TEST_F(DialogsV3PeersTest, startConnectionWithSha256AndAesListsWhatSnmpwalkSees)
{
    connectAs("sha256AuthPass");
    ASSERT_EQ(m_messages->messages.size(), 1u) << m_messages->last();
    EXPECT_EQ(m_messages->messages[0].kind, DialogMessages::Kind::Information);
    EXPECT_EQ(m_messages->last().rfind(std::string("Device Name: ") + SnmpdPeer::sysName(), 0), 0u)
        << m_messages->last();

    // Each entry is snmpwalk's row, followed by the name and alias where
    // the agent has other ones.
    const QStringList expected = walkedInterfaces();
    const QStringList listed = interfaceList();
    ASSERT_FALSE(expected.isEmpty());
    ASSERT_EQ(listed.size(), expected.size()) << listed.join('|').toStdString();
    for (int i = 0; i < listed.size(); ++i)
        EXPECT_TRUE(listed[i] == expected[i] || listed[i].startsWith(expected[i] + " "))
            << listed[i].toStdString() << " / " << expected[i].toStdString();
    EXPECT_EQ(get<QLineEdit>("HostNameEdit")->text(), SnmpdPeer::sysName());

    // OK keeps the user with the entry.
    get<QPushButton>("OKBT")->click();
    ASSERT_EQ(owner->list.size(), 1u);
    EXPECT_EQ(owner->list[0].SnmpVersion, TSnmpVersion::V3);
    EXPECT_EQ(owner->list[0].V3.UserName, "sha256User");
    EXPECT_EQ(owner->list[0].V3.Auth, AuthProtocol::SHA256);
    EXPECT_EQ(owner->list[0].V3.Priv, PrivProtocol::AES128);
    EXPECT_FALSE(owner->list[0].SensorName.empty());
}

TEST_F(DialogsV3PeersTest, aWrongPasswordIsNamedAndNothingIsListed)
{
    connectAs("notThePassword");
    EXPECT_EQ(m_messages->texts(),
              std::vector<std::string>{"Authentication failed: wrong password or authentication "
                                       "protocol for user \"sha256User\"\n\r"
                                       "IP Address / DNS Name: " +
                                       std::string(kAgent)});
    EXPECT_TRUE(interfaceList().isEmpty());
    EXPECT_EQ(get<QLineEdit>("HostNameEdit")->text(), "");
}

} // namespace
