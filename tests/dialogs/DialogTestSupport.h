#pragma once

#include "DialogChoosers.h"
#include "DialogMessages.h"
#include "IDeviceNetwork.h"
#include "IMainWindowHost.h"
#include "IMonitorWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

// ---- message boxes -------------------------------------------------------------------

// Stands in for the message boxes and the application's error report (kept
// as an Error): keeps what would have been shown and gives the answers a test
// lined up (No for a question when none is left).
class MessageRecorder
{
public:
    MessageRecorder();
    ~MessageRecorder();

    struct Message
    {
        DialogMessages::Kind kind;
        std::string text;
    };
    std::vector<Message> messages;
    std::deque<DialogMessages::Answer> answers;
    // Runs while a box is "open", e.g. to check what is disabled meanwhile.
    std::function<void(const Message&)> whileShown;

    std::vector<std::string> texts() const;
    std::string last() const { return messages.empty() ? std::string() : messages.back().text; }

private:
    DialogMessages::Function m_previous;
    std::function<void(const QString&)> m_previousReport;
};

// ---- the network seam -------------------------------------------------------------

// A scripted agent behind the device network seam. Every request is logged as
// "get <oid>", "next <oid>" or "ping <host>".
class ScriptedDeviceNetwork : public IDeviceNetwork
{
public:
    bool readValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value) override;
    bool readNext(std::string& oid, const std::string& community, const std::string& host,
                  std::string& value) override;
    int pingRoundTrip(const std::string& host) override;
    std::string answeredFrom(const std::string&) override { return strayFrom; }

    // Another address that answered in the agent's place, as the client
    // noted it; empty for none.
    std::string strayFrom;
    // Answers of gets; an OID not listed is answered with an empty value.
    std::map<std::string, std::string> values;
    // Get-next: OID -> (next OID, value); an OID not listed fails.
    std::map<std::string, std::pair<std::string, std::string>> nexts;
    // When false, nothing answers.
    bool answering = true;
    int pingResult = 1;
    // Only this host and community get answers.
    std::string host = "10.0.0.1";
    std::string community = "vandor";
    std::vector<std::string> log;
    // Gets of these OIDs fail (no answer).
    std::set<std::string> failing;
    // Get-next calls with these 1-based numbers fail.
    std::set<int> failNextCalls;
    // Called with each log entry as it is made.
    std::function<void(const std::string&)> onRequest;

    // An interface table of (index, description, ifSpeed) rows.
    void addInterfaces(const std::vector<std::tuple<std::string, std::string, std::string>>& rows);
    int countOf(const std::string& request) const;

private:
    int m_nextCalls = 0;
};

// ---- the main window ------------------------------------------------------------------

// Records every call the dialogs and the menu make on the main window, in
// order; the store calls go to the real store.
class FakeMainWindowHost : public IMainWindowHost, public IMonitorWindow
{
public:
    TMonitorSettings model;
    TUsageSettings usage;
    std::vector<std::string> calls;
    bool timerEnabled = true;
    uint32_t timerInterval = 1000;
    int alpha = 192;
    int latency = 1000;
    int top = 0;
    int left = 0;
    std::vector<std::pair<std::string, std::string>> rateLabels;

    // IOptionsHost
    TMonitorSettings& settings() override { return model; }
    TUsageSettings& usageSettings() override { return usage; }
    bool masterTimerEnabled() const override { return timerEnabled; }
    void setMasterTimerEnabled(bool enabled) override;
    void setMasterTimerInterval(uint32_t milliseconds) override;
    int latencyInterval() const override { return latency; }
    void setLatencyInterval(int milliseconds) override;
    void DeleteControls() override;
    void UpdateControls() override;
    void UpdateControlProperties() override;
    void saveSettings() override;
    int alphaBlendValue() const override { return alpha; }
    void setAlphaBlendValue(int value) override;
    void scaleWindowBy(int m, int d) override;
    QWidget* hostWidget() override { return nullptr; }

    // IMainWindowHost
    void setRateLabels(const std::string& downText, const std::string& upText) override;
    void AlwaysOnTopCheck() override;
    void minimizeToTray() override;
    void restoreFromTray() override;
    void bringWindowToFront() override;
    void quitApplication() override;
    void loadSettings() override;
    void showUsageWindow() override { calls.push_back("usage window"); }

    // IMonitorWindow (for the store)
    int windowTop() const override { return top; }
    int windowLeft() const override { return left; }
    void setWindowTop(int value) override { top = value; }
    void setWindowLeft(int value) override { left = value; }
    int windowWidth() const override { return 260; }
    int windowHeight() const override { return 170; }
    int workAreaHeight() const override { return 1050; }
    int firstMonitorWidth() const override { return 1920; }

    // A model as a first load leaves it (store defaults), with one sensor.
    void loadDefaults();
    int indexOf(const std::string& call) const;
};

// ---- fixtures and helpers --------------------------------------------------------------

// Every test gets its own HOME and XDG folders, recorded message boxes and
// choosers that nobody answers unless the test says so.
class DialogTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path m_root;
    std::unique_ptr<MessageRecorder> m_messages;
    DialogChoosers::SaveFileFunction m_previousSave;
    DialogChoosers::FolderFunction m_previousFolder;
    DialogChoosers::OpenUrlFunction m_previousUrl;
    std::vector<QUrl> m_openedUrls;
};

// Runs `driver` once the modal dialog of type T is open (and, for the device
// dialog, done with its activation). Fails the test if none opens in time.
template <typename T>
void whenModal(std::function<void(T&)> driver, std::function<bool(T&)> ready = {})
{
    auto* timer = new QTimer;
    auto* elapsed = new QElapsedTimer;
    elapsed->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, elapsed, driver, ready] {
        T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog && (!ready || ready(*dialog))) {
            timer->stop();
            timer->deleteLater();
            delete elapsed;
            driver(*dialog);
            return;
        }
        if (elapsed->elapsed() > 20000) {
            timer->stop();
            timer->deleteLater();
            delete elapsed;
            ADD_FAILURE() << "no modal dialog of the expected kind opened";
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
        }
    });
    timer->start();
}

// Waits, processing events, until `condition` holds or the time is up.
bool waitFor(const std::function<bool()>& condition, int milliseconds = 20000);

// "Interface <index> is <description>" for every row of `snmpwalk -On -Oq`
// output of ifDescr, as the device dialog lists them.
QStringList interfaceEntries(const std::string& walkOutput);

// Expects every control of a dialog to be at least as tall as it needs to be.
void expectNaturalHeights(QWidget* dialog);

template <typename T> T* child(QWidget* parent, const char* name)
{
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}
