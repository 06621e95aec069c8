// An agent of the tests' own whose sysName, sysDescr and ifDescr carry line
// breaks, terminal escapes and markup, met over real UDP by the device
// dialog: the fields get the texts with their control characters as spaces,
// and the device information keeps every character for a plain-text box.
#include "DialogTestSupport.h"
#include "FakeHostConfigOwner.h"

#include "BerTag.h"
#include "OffThreadDeviceNetwork.h"
#include "PeerRequirement.h"
#include "ScriptedAgent.h"
#include "SnmpBulkPage.h"
#include "SnmpDeviceNetwork.h"
#include "TSNMPRec.h"
#include "frmHostConfig.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <chrono>
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

// ---- a large, slow or wrong interface table over SNMPv2c --------------------------

const std::string kDescrColumn = "1.3.6.1.2.1.2.2.1.2";

// An SNMPv2c device with `rows` interfaces whose ifDescr is `name(row)`,
// answering GetBulk `perPage` rows at a time after `delayMs`, and going back
// to row 1 at row `backAt` (0: never). Gets have no such instance.
ScriptedAgent::Responder bulkDevice(int rows, std::function<std::string(int)> name, int perPage,
                                    int delayMs, int backAt = 0)
{
    return [=](const ScriptedAgent::Request& request) {
        TSNMPRec rec;
        if (!rec.Decode(request.bytes) || rec.VarBindCount() == 0)
            return std::vector<ScriptedAgent::Datagram>{};
        std::vector<AgentReply::Binding> page;
        const std::string from = rec.VarBind(0).Oid;
        if (rec.PDUType != BerTag::GetBulkRequest) {
            for (std::size_t i = 0; i < rec.VarBindCount(); ++i)
                page.push_back({rec.VarBind(i).Oid, BerTag::NoSuchInstance, ""});
        } else if (from == kDescrColumn || from.rfind(kDescrColumn + ".", 0) == 0) {
            int row =
                from == kDescrColumn ? 1 : std::stoi(from.substr(kDescrColumn.size() + 1)) + 1;
            for (int n = 0; n < perPage && n < rec.MaxRepetitions(); ++n, ++row) {
                if (row > rows) {
                    page.push_back({"1.3.6.1.2.1.2.2.1.3.1", BerTag::Integer, "\x06"});
                    break;
                }
                const int shown = row == backAt ? 1 : row;
                page.push_back(
                    {kDescrColumn + "." + std::to_string(shown), BerTag::OctetString, name(shown)});
            }
        } else {
            page.push_back({from, BerTag::EndOfMibView, ""});
        }
        return std::vector<ScriptedAgent::Datagram>{
            {AgentReply::responseV2c(rec.ID, page), false, delayMs}};
    };
}

class SlowAgentDialog : public HostileAgentDialog
{
protected:
    void SetUp() override
    {
        HostileAgentDialog::SetUp();
        // As the program has it: reads on a network thread of their own.
        owner = std::make_unique<FakeHostConfigOwner>(
            std::make_shared<OffThreadDeviceNetwork>(std::make_shared<SnmpDeviceNetwork>()));
    }
    void openForV2c()
    {
        form = std::make_unique<THostConfigForm>(*owner);
        form->show();
        ASSERT_TRUE(waitFor([this] { return form->activationDone(); }));
        form->findChild<QLineEdit*>("HostAddressEdit")->setText(kAgent);
        form->findChild<QComboBox*>("SnmpVersionCB")->setCurrentIndex(1);
    }
};

// 100,000 interfaces, one a second: Cancel ends the walk and the dialog at
// once, without a message and without a change.
TEST_F(SlowAgentDialog, CancelEndsAWalkThatWouldTakeDays)
{
    REQUIRE_PEER(m_started, m_agent.error());
    m_agent.setResponder(bulkDevice(
        100000, [](int row) { return "if" + std::to_string(row); }, 1, 1000));
    openForV2c();
    using Clock = std::chrono::steady_clock;
    Clock::time_point pressed;
    QTimer::singleShot(2500, form.get(), [&] {
        pressed = Clock::now();
        EXPECT_TRUE(form->discoveryRunning());
        auto* cancel = form->findChild<QPushButton*>("CancelBT");
        EXPECT_TRUE(cancel->isEnabled());
        cancel->click();
    });
    form->findChild<QPushButton*>("RefreshBT")->click();
    ASSERT_TRUE(waitFor([this] { return !form->isVisible(); }));
    const auto took = Clock::now() - pressed;
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_FALSE(form->discoveryRunning());
    EXPECT_TRUE(m_messages->messages.empty()) << m_messages->last();
    EXPECT_EQ(owner->gridUpdates, 0);
    // A page in progress would take up to a second more; a busy machine
    // gets another second.
    EXPECT_LT(took, std::chrono::seconds(2));
}

// A list that ends early is shown with why and how much of it there is, and
// texts of 60,000 bytes are cut before they are shown.
TEST_F(SlowAgentDialog, AShortListSaysSoAndLongNamesAreCut)
{
    REQUIRE_PEER(m_started, m_agent.error());
    const struct
    {
        const char* what;
        ScriptedAgent::Responder agent;
        int items;
        std::string message;
        std::size_t nameLength;
    } cases[] = {
        {"a page out of order",
         bulkDevice(
             10, [](int row) { return "eth" + std::to_string(row); }, 3, 0, 5),
         4,
         "The agent's list of interfaces ended at a reply out of order: showing the first 4 "
         "interfaces.",
         4},
        {"names of 60,000 bytes",
         bulkDevice(
             3, [](int) { return std::string(60000, 'x'); }, 1, 0),
         3, "", kMaxAgentTextLength},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_agent.setResponder(c.agent);
        m_messages->messages.clear();
        openForV2c();
        form->findChild<QPushButton*>("RefreshBT")->click();
        auto* combo = form->findChild<QComboBox*>("OIDCombo");
        ASSERT_EQ(combo->count(), c.items);
        for (int i = 0; i < combo->count(); ++i) {
            const std::string item = combo->itemText(i).toStdString();
            const std::string prefix = "Interface " + std::to_string(i + 1) + " is ";
            ASSERT_EQ(item.rfind(prefix, 0), 0u) << item;
            EXPECT_EQ(item.size(), prefix.size() + c.nameLength) << item.substr(0, 60);
        }
        if (c.message.empty()) {
            EXPECT_TRUE(m_messages->messages.empty()) << m_messages->last();
        } else {
            ASSERT_FALSE(m_messages->messages.empty());
            EXPECT_EQ(m_messages->messages[0].kind, DialogMessages::Kind::Information);
            EXPECT_EQ(m_messages->messages[0].text, c.message);
        }
        form->reject();
        form.reset();
    }
}

} // namespace
