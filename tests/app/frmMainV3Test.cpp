// The window with an SNMPv3 sensor: its passwords come from the keyring at
// the start and go back there (never into the settings file) at the end, its
// requests carry them, and a refusal's reason shows in the title's tool tip
// and the tray hint until the agent answers again.

#include "MainFormFixture.h"
#include "core/ScriptedV2cAgent.h"

#include "ApplicationReport.h"
#include "DialogMessages.h"
#include "FileSecretStore.h"
#include "SensorSecrets.h"
#include "SnmpSensorStore.h"
#include "TSensorControls.h"

#include <QLabel>

#include <fstream>
#include <sstream>

namespace {

const SnmpV3User kUser{"monitor", SecurityLevel::AuthPriv, AuthProtocol::SHA256,
                       "",        PrivProtocol::AES128,    ""};

// A desktop without any keyring.
class NoKeyring : public ISecretStore
{
public:
    SecretStatus store(const std::string&, const std::string&, std::string&) override
    {
        return SecretStatus::Unavailable;
    }
    SecretStatus read(const std::string&, std::string&, std::string&) override
    {
        return SecretStatus::Unavailable;
    }
    SecretStatus remove(const std::string&, std::string&) override
    {
        return SecretStatus::Unavailable;
    }
    std::string name() const override { return "desktop keyring"; }
};

class MainFormV3 : public MainFormFixture
{
protected:
    void seedV3Sensor()
    {
        TMonitorSettings s = typicalSettings();
        s.Sensors = {configuredSensor("127.0.0.1", "Router")}; // interface 1, "eth0"
        s.Sensors[0].SnmpVersion = TSnmpVersion::V3;
        s.Sensors[0].V3 = kUser;
        s.resizeSensors(1);
        seedStore(s);
        SnmpSensorStore::save(s);
        m_agent->interfaces = {{1, {"eth0", 1000, 1000}}};
    }
    FileSecretStore keyring() const { return FileSecretStore((m_root / "keyring").string()); }
    std::unique_ptr<TMainForm> makeFormWith(std::shared_ptr<ISecretStore> store)
    {
        TMainForm::Options options;
        options.network = m_agent;
        options.startTimers = false;
        options.keyring = std::move(store);
        return std::make_unique<TMainForm>(options);
    }
    void poll(TMainForm& form)
    {
        form.UpdateAllMonitors();
        form.networkJobs().settle();
    }
    std::string storeText() const
    {
        std::ifstream in(m_root / "config" / "Quorvane" / "Travimetra.reg");
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::shared_ptr<ScriptedV2cAgent> m_agent = std::make_shared<ScriptedV2cAgent>();
};

TEST_F(MainFormV3, PasswordsComeFromTheKeyringAndGoBackThere)
{
    seedV3Sensor();
    FileSecretStore store = keyring();
    std::string error;
    ASSERT_EQ(
        SensorSecrets(store).save("127.0.0.1", "monitor", {"authSecret1", "privSecret1"}, error),
        SecretStatus::Ok);
    auto form = makeForm(m_agent);
    poll(*form);
    const auto requests = m_agent->takeRequests();
    ASSERT_FALSE(requests.empty());
    for (const TReadRequest& request : requests) {
        EXPECT_EQ(request.version, 3);
        EXPECT_EQ(request.v3.UserName, "monitor");
        EXPECT_EQ(request.v3.AuthPassword, "authSecret1");
        EXPECT_EQ(request.v3.PrivPassword, "privSecret1");
    }

    form->settings().Sensors[0].V3.AuthPassword = "changedAuth2";
    form.reset(); // the end of the program saves
    SensorPasswords kept;
    ASSERT_EQ(SensorSecrets(store).load("127.0.0.1", "monitor", kept, error), SecretStatus::Ok);
    EXPECT_EQ(kept.Auth, "changedAuth2");
    EXPECT_EQ(kept.Priv, "privSecret1");
    const std::string settingsFile = storeText();
    EXPECT_NE(settingsFile.find("\"V3UserName\"=\"monitor\""), std::string::npos);
    for (const char* password : {"authSecret1", "changedAuth2", "privSecret1"})
        EXPECT_EQ(settingsFile.find(password), std::string::npos) << password;
}

TEST_F(MainFormV3, RefusalShowsItsReasonUntilTheAgentAnswers)
{
    seedV3Sensor();
    auto form = makeForm(m_agent);
    const std::string reason = "Unknown user: the agent has no SNMPv3 user \"monitor\"";
    m_agent->refusal = reason;
    poll(*form);
    TSensorControls* c = form->sensorControls(0);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->DownLabel->text(), "Error on DL sensor");
    EXPECT_EQ(c->TitleLabel->toolTip().toStdString(), reason);
    EXPECT_NE(form->trayHint().find(reason), std::string::npos) << form->trayHint();

    m_agent->refusal.clear();
    poll(*form);
    EXPECT_EQ(c->TitleLabel->toolTip().toStdString(), "");
    EXPECT_EQ(form->trayHint().find(reason), std::string::npos) << form->trayHint();
}

// Without any keyring the user is asked once, and a No leaves the sensor
// saying why its reads fail.
TEST_F(MainFormV3, NoKeyringIsToldOnceAndNamedAsTheReason)
{
    seedV3Sensor();
    int asked = 0;
    const auto previous =
        DialogMessages::setFunction([&asked](DialogMessages::Kind kind, const QString& text) {
            EXPECT_EQ(kind, DialogMessages::Kind::Confirmation);
            EXPECT_NE(text.indexOf("No desktop keyring"), -1);
            ++asked;
            return DialogMessages::Answer::No;
        });
    std::vector<std::string> reports;
    const auto previousReport = ApplicationReport::setReportFunction(
        [&reports](const QString& text) { reports.push_back(text.toStdString()); });
    auto form = makeFormWith(std::make_shared<NoKeyring>());
    m_agent->refusal = "SNMPv3 settings incomplete: no authentication password";
    poll(*form);
    TSensorControls* c = form->sensorControls(0);
    ASSERT_NE(c, nullptr);
    EXPECT_NE(c->TitleLabel->toolTip().indexOf("no desktop keyring is available"), -1)
        << c->TitleLabel->toolTip().toStdString();
    form->settings().Sensors[0].V3.AuthPassword = "typedLater1";
    form->saveSettings();
    form.reset();
    DialogMessages::setFunction(previous);
    ApplicationReport::setReportFunction(previousReport);
    EXPECT_EQ(asked, 1);
    ASSERT_FALSE(reports.empty());
    EXPECT_NE(reports[0].find("could not be kept"), std::string::npos) << reports[0];
}

} // namespace
