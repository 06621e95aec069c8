// The device dialog against net-snmp's agent with SNMPv3 users of the test's
// own configuration, through the network thread the program uses: what Start
// Connection lists must be what snmpwalk -v3 sees as the same user, and a
// wrong password must be named as such, with nothing listed.
#include "DialogTestSupport.h"
#include "FakeHostConfigOwner.h"

#include "ChildProcess.h"
#include "OffThreadDeviceNetwork.h"
#include "PeerRequirement.h"
#include "SnmpDeviceNetwork.h"
#include "SnmpdPeer.h"
#include "frmHostConfig.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <sstream>

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
    QStringList list;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t space = line.find(' ');
        if (space == std::string::npos)
            continue;
        const std::string oid = line.substr(0, space);
        std::string description = line.substr(space + 1);
        if (description.size() >= 2 && description.front() == '"' && description.back() == '"')
            description = description.substr(1, description.size() - 2);
        list << QString::fromStdString("Interface " + oid.substr(oid.rfind('.') + 1) + " is " +
                                       description);
    }
    return list;
}

class DialogsV3PeersTest : public DialogTest
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
        owner = std::make_unique<FakeHostConfigOwner>(
            std::make_shared<OffThreadDeviceNetwork>(std::make_shared<SnmpDeviceNetwork>()));
    }
    void TearDown() override
    {
        form.reset();
        DialogTest::TearDown();
    }

    // Opens the add dialog, chooses v3 and connects as sha256User with the
    // authentication password given.
    void connectAs(const char* authPassword)
    {
        form = std::make_unique<THostConfigForm>(*owner);
        form->show();
        ASSERT_TRUE(waitFor([this] { return form->activationDone(); }));
        auto* version = form->findChild<QComboBox*>("SnmpVersionCB");
        version->setCurrentIndex(2);
        emit version->activated(2);
        form->findChild<QLineEdit*>("HostAddressEdit")->setText(kAgent);
        form->findChild<QLineEdit*>("V3UserNameEdit")->setText("sha256User");
        form->findChild<QLineEdit*>("V3AuthPasswordEdit")->setText(authPassword);
        form->findChild<QLineEdit*>("V3PrivPasswordEdit")->setText("sha256PrivPass");
        form->findChild<QPushButton*>("CheckConnectionBT")->click();
    }
    QStringList interfaceList()
    {
        QStringList items;
        auto* combo = form->findChild<QComboBox*>("OIDCombo");
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items;
    }

    static std::unique_ptr<SnmpdPeer> s_agent;
    static bool s_started;
    std::unique_ptr<FakeHostConfigOwner> owner;
    std::unique_ptr<THostConfigForm> form;
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
    EXPECT_EQ(form->findChild<QLineEdit*>("HostNameEdit")->text(), SnmpdPeer::sysName());

    // OK keeps the user with the entry.
    form->findChild<QPushButton*>("OKBT")->click();
    ASSERT_EQ(owner->list.size(), 1u);
    EXPECT_EQ(owner->list[0].SnmpVersion, 3);
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
    EXPECT_EQ(form->findChild<QLineEdit*>("HostNameEdit")->text(), "");
}

} // namespace
