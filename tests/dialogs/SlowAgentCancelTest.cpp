// A device that takes 4 s over each answer, met over real UDP by the device
// dialog's "Start Connection" and by the menu's device information: Cancel
// ends the wait within a second, no box follows, and the dialog closes.
#include "DialogTestSupport.h"
#include "FakeHostConfigOwner.h"

#include "BerTag.h"
#include "MibOids.h"
#include "OffThreadDeviceNetwork.h"
#include "PeerRequirement.h"
#include "ScriptedAgent.h"
#include "SnmpDeviceNetwork.h"
#include "TMainMenu.h"
#include "TSNMPRec.h"
#include "frmHostConfig.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>

#include <chrono>

namespace {

const char* const kAgent = "127.0.0.69";
constexpr int kAnswerDelayMs = 4000;

// Answers every get, of any version, with sysName "slow" after the delay.
ScriptedAgent::Responder slowDevice()
{
    return [](const ScriptedAgent::Request& request) {
        TSNMPRec rec;
        if (!rec.Decode(request.bytes) || rec.VarBindCount() == 0)
            return std::vector<ScriptedAgent::Datagram>{};
        const AgentReply::Binding binding{rec.VarBind(0).Oid, BerTag::OctetString, "slow"};
        const std::string reply = rec.Version == 0 ? AgentReply::response(rec.ID, {binding})
                                                   : AgentReply::responseV2c(rec.ID, {binding});
        return std::vector<ScriptedAgent::Datagram>{{reply, false, kAnswerDelayMs}};
    };
}

using Clock = std::chrono::steady_clock;

class SlowAgentCancel : public DialogTest
{
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        m_started = m_agent.start(slowDevice());
        // As the program has it: the dialog's reads on a network thread of
        // their own; the menu puts them there itself.
        network = std::make_shared<OffThreadDeviceNetwork>(agents);
    }

    ScriptedAgent m_agent{kAgent};
    bool m_started = false;
    std::shared_ptr<IDeviceNetwork> agents = std::make_shared<SnmpDeviceNetwork>();
    std::shared_ptr<IDeviceNetwork> network;
};

// One row per version the dialog reads with, and per way the user waits.
TEST_F(SlowAgentCancel, CancelEndsTheWaitForTheDeviceWithinASecond)
{
    REQUIRE_PEER(m_started, m_agent.error());
    const struct
    {
        const char* what;
        int versionItem; // in the dialog's version list
        bool fromMenu;
        TSnmpVersion sensorVersion;
    } cases[] = {
        {"Start Connection, SNMPv1", 0, false, TSnmpVersion::V1},
        {"Start Connection, SNMPv2c", 1, false, TSnmpVersion::V1},
        {"the menu's device information, SNMPv1", 0, true, TSnmpVersion::V1},
        {"the menu's device information, SNMPv2c", 0, true, TSnmpVersion::V2c},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_messages->messages.clear();
        Clock::time_point pressed;
        if (c.fromMenu) {
            FakeMainWindowHost host;
            host.loadDefaults();
            host.model.Sensors[0].HostIP = kAgent;
            host.model.Sensors[0].SnmpVersion = c.sensorVersion;
            TMainMenu menu(host, agents);
            bool boxShown = false;
            QTimer::singleShot(800, [&] {
                for (QWidget* widget : QApplication::topLevelWidgets()) {
                    auto* box = qobject_cast<QProgressDialog*>(widget);
                    if (box && box->objectName() == "WaitBox" && box->isVisible()) {
                        boxShown = true;
                        EXPECT_EQ(box->labelText(), "Please wait...");
                        pressed = Clock::now();
                        box->findChild<QPushButton*>()->click();
                    }
                }
            });
            const Clock::time_point started = Clock::now();
            menu.action("Showrouterinformation1")->trigger();
            EXPECT_TRUE(boxShown);
            // Without the Cancel the answer would take its 4 s.
            EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(kAnswerDelayMs - 1000));
        } else {
            FakeHostConfigOwner owner(network);
            THostConfigForm form(owner);
            form.show();
            ASSERT_TRUE(waitFor([&] { return form.activationDone(); }));
            form.findChild<QLineEdit*>("HostAddressEdit")->setText(kAgent);
            form.findChild<QComboBox*>("SnmpVersionCB")->setCurrentIndex(c.versionItem);
            QTimer::singleShot(600, &form, [&] {
                pressed = Clock::now();
                EXPECT_TRUE(form.discoveryRunning());
                form.findChild<QPushButton*>("CancelBT")->click();
            });
            form.findChild<QPushButton*>("CheckConnectionBT")->click();
            ASSERT_TRUE(waitFor([&] { return !form.isVisible(); }));
            EXPECT_EQ(form.result(), QDialog::Rejected);
            EXPECT_FALSE(form.discoveryRunning());
            EXPECT_EQ(owner.gridUpdates, 0);
        }
        // Within a second of Cancel; a busy machine gets another second.
        EXPECT_LT(Clock::now() - pressed, std::chrono::seconds(2));
        EXPECT_TRUE(m_messages->messages.empty()) << m_messages->last();
        // Let the cancelled read's late answer come and go before the next row.
        QEventLoop settle;
        QTimer::singleShot(kAnswerDelayMs, &settle, &QEventLoop::quit);
        settle.exec();
    }
}

// The same device, waited for: the box comes, with the device's name.
TEST_F(SlowAgentCancel, WithoutCancelTheAnswerIsShown)
{
    REQUIRE_PEER(m_started, m_agent.error());
    FakeMainWindowHost host;
    host.loadDefaults();
    host.model.Sensors[0].HostIP = kAgent;
    TMainMenu menu(host, agents);
    menu.action("Showrouterinformation1")->trigger();
    ASSERT_EQ(m_messages->messages.size(), 1u);
    EXPECT_EQ(m_messages->messages[0].kind, DialogMessages::Kind::Information);
    EXPECT_EQ(m_messages->last().rfind("Device Name: slow\n\r", 0), 0u) << m_messages->last();
}

} // namespace
