// An agent of the tests' own whose sysName, sysDescr and ifDescr carry line
// breaks, terminal escapes and markup, met over real UDP by the device
// dialog: the fields get the texts with their control characters as spaces,
// and the device information keeps every character for a plain-text box.
#include "DialogTestSupport.h"
#include "FakeHostConfigOwner.h"

#include "BerTag.h"
#include "PeerRequirement.h"
#include "ScriptedAgent.h"
#include "SnmpDeviceNetwork.h"
#include "TSNMPRec.h"
#include "frmHostConfig.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <map>

namespace {

const char* const kAgent = "127.0.0.67";

struct Texts
{
    std::string sysName;
    std::string sysDescr;
    std::string ifDescr;
};

// Answers each get or get-next like a one-interface device (index 3).
ScriptedAgent::Responder deviceWith(const Texts& texts)
{
    return [texts](const ScriptedAgent::Request& request) {
        TSNMPRec rec;
        if (!rec.Decode(request.bytes) || rec.VarBindCount() == 0)
            return std::vector<ScriptedAgent::Datagram>{};
        std::string oid = rec.VarBind(0).Oid;
        AgentReply::Binding binding{oid, BerTag::TimeTicks, AgentReply::unsigned32(1)};
        const std::map<std::string, std::pair<int, std::string>> values = {
            {"1.3.6.1.2.1.1.5.0", {BerTag::OctetString, texts.sysName}},
            {"1.3.6.1.2.1.1.1.0", {BerTag::OctetString, texts.sysDescr}},
            {"1.3.6.1.2.1.2.1.0", {BerTag::Integer, std::string(1, '\x01')}},
            {"1.3.6.1.2.1.2.1", {BerTag::Integer, std::string(1, '\x01')}},
            {"1.3.6.1.2.1.2.2.1.2.3", {BerTag::OctetString, texts.ifDescr}},
            {"1.3.6.1.2.1.2.2.1.5.3", {BerTag::Gauge32, AgentReply::unsigned32(100000000)}},
        };
        if (rec.PDUType == BerTag::GetNextRequest) {
            binding = {"1.3.6.1.2.1.2.2.1.1.3", BerTag::Integer, std::string(1, '\x03')};
        } else if (const auto it = values.find(oid); it != values.end()) {
            binding = {oid, it->second.first, it->second.second};
        }
        return std::vector<ScriptedAgent::Datagram>{{AgentReply::response(rec.ID, {binding})}};
    };
}

class HostileAgentDialog : public DialogTest
{
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        m_started = m_agent.start({});
        owner = std::make_unique<FakeHostConfigOwner>(std::make_shared<SnmpDeviceNetwork>());
    }
    void TearDown() override
    {
        form.reset();
        DialogTest::TearDown();
    }

    ScriptedAgent m_agent{kAgent};
    bool m_started = false;
    std::unique_ptr<FakeHostConfigOwner> owner;
    std::unique_ptr<THostConfigForm> form;
};

TEST_F(HostileAgentDialog, TextsArriveWithoutControlCharactersAndWithEveryOtherCharacter)
{
    REQUIRE_PEER(m_started, m_agent.error());
    struct Case
    {
        const char* name;
        Texts texts;
        QString hostName;
        QString item;
    };
    const std::string markup = "<a href=\"http://x.example/fw\">Click to update firmware</a><!--";
    const Case cases[] = {
        {"a forged log record",
         {"gw\n03/09/26 14:05:07;bank;10.0.0.9;1;0.0;1;0.0", "router\r\n", "eth0\n"},
         "gw 03/09/26 14:05:07;bank;10.0.0.9;1;0.0;1;0.0",
         "Interface 3 is eth0 "},
        {"terminal escapes and NUL",
         {std::string("a\x1b]0;owned\x07\0b", 13), "d", std::string("if\0x\x7f", 5)},
         "a ]0;owned  b",
         "Interface 3 is if x "},
        {"markup",
         {markup, markup, "<b>eth0</b>"},
         QString::fromStdString(markup),
         "Interface 3 is <b>eth0</b>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_agent.setResponder(deviceWith(c.texts));
        m_messages->messages.clear();
        form = std::make_unique<THostConfigForm>(*owner);
        form->show();
        ASSERT_TRUE(waitFor([this] { return form->activationDone(); }));
        form->findChild<QLineEdit*>("HostAddressEdit")->setText(kAgent);
        form->findChild<QPushButton*>("CheckConnectionBT")->click();
        EXPECT_EQ(form->findChild<QLineEdit*>("HostNameEdit")->text(), c.hostName);
        auto* combo = form->findChild<QComboBox*>("OIDCombo");
        ASSERT_EQ(combo->count(), 1);
        EXPECT_EQ(combo->itemText(0), c.item);
        // The information box gets the agent's texts whole (a plain-text box
        // shows them as they are).
        ASSERT_EQ(m_messages->messages.size(), 1u);
        const std::string info = m_messages->last();
        EXPECT_NE(info.find("Description: " + c.texts.sysDescr), std::string::npos) << info;
        form.reset();
    }
}

} // namespace
