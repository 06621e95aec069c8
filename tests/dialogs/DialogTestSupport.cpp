#include "DialogTestSupport.h"

#include "ApplicationReport.h"
#include "srcRegOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>
#include <sstream>

namespace {

// One QApplication for the whole test program.
class QtEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "dialogs_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

// ---- MessageRecorder -----------------------------------------------------------------

MessageRecorder::MessageRecorder()
{
    m_previous =
        DialogMessages::setFunction([this](DialogMessages::Kind kind, const QString& text) {
            messages.push_back({kind, text.toStdString()});
            if (whileShown)
                whileShown(messages.back());
            if (kind != DialogMessages::Kind::Confirmation)
                return DialogMessages::Answer::Ok;
            if (answers.empty())
                return DialogMessages::Answer::No;
            const DialogMessages::Answer answer = answers.front();
            answers.pop_front();
            return answer;
        });
    m_previousReport = ApplicationReport::setReportFunction([this](const QString& text) {
        messages.push_back({DialogMessages::Kind::Error, text.toStdString()});
    });
}

MessageRecorder::~MessageRecorder()
{
    ApplicationReport::setReportFunction(std::move(m_previousReport));
    DialogMessages::setFunction(std::move(m_previous));
}

std::vector<std::string> MessageRecorder::texts() const
{
    std::vector<std::string> result;
    for (const Message& m : messages)
        result.push_back(m.text);
    return result;
}

// ---- ScriptedDeviceNetwork -------------------------------------------------------------

bool ScriptedDeviceNetwork::readValue(const std::string& oid, const std::string& c,
                                      const std::string& h, std::string& value)
{
    log.push_back("get " + oid);
    if (onRequest)
        onRequest(log.back());
    value.clear();
    if (!answering || h != host || c != community || failing.count(oid))
        return false;
    const auto it = values.find(oid);
    if (it != values.end())
        value = it->second;
    return true;
}

bool ScriptedDeviceNetwork::readNext(std::string& oid, const std::string& c, const std::string& h,
                                     std::string& value)
{
    log.push_back("next " + oid);
    if (onRequest)
        onRequest(log.back());
    value.clear();
    ++m_nextCalls;
    if (!answering || h != host || c != community || failNextCalls.count(m_nextCalls))
        return false;
    const auto it = nexts.find(oid);
    if (it == nexts.end())
        return false;
    oid = it->second.first;
    value = it->second.second;
    return true;
}

int ScriptedDeviceNetwork::pingRoundTrip(const std::string& h)
{
    log.push_back("ping " + h);
    if (onRequest)
        onRequest(log.back());
    return pingResult;
}

void ScriptedDeviceNetwork::addInterfaces(
    const std::vector<std::tuple<std::string, std::string, std::string>>& rows)
{
    std::string previous = "1.3.6.1.2.1.2.2.1";
    for (const auto& [index, description, speed] : rows) {
        const std::string column1 = "1.3.6.1.2.1.2.2.1.1." + index;
        nexts[previous] = {column1, index};
        previous = column1;
        values["1.3.6.1.2.1.2.2.1.2." + index] = description;
        values["1.3.6.1.2.1.2.2.1.5." + index] = speed;
    }
    values["1.3.6.1.2.1.2.1.0"] = std::to_string(rows.size());
}

int ScriptedDeviceNetwork::countOf(const std::string& request) const
{
    int n = 0;
    for (const std::string& entry : log)
        n += entry == request ? 1 : 0;
    return n;
}

// ---- FakeMainWindowHost ------------------------------------------------------------------

void FakeMainWindowHost::setMasterTimerEnabled(bool enabled)
{
    timerEnabled = enabled;
    calls.push_back(enabled ? "timer on" : "timer off");
}

void FakeMainWindowHost::setMasterTimerInterval(uint32_t milliseconds)
{
    timerInterval = milliseconds;
    calls.push_back("timer interval " + std::to_string(milliseconds));
}

void FakeMainWindowHost::setLatencyInterval(int milliseconds)
{
    latency = milliseconds;
    calls.push_back("latency interval " + std::to_string(milliseconds));
}

void FakeMainWindowHost::DeleteControls()
{
    calls.push_back("DeleteControls");
}

void FakeMainWindowHost::UpdateControls()
{
    // What the rebuild sees: the sensors' Active flags at this moment.
    std::string active;
    for (const TSensorRecord& s : model.Sensors)
        active += s.Active ? '1' : '0';
    calls.push_back("UpdateControls " + active);
}

void FakeMainWindowHost::UpdateControlProperties()
{
    calls.push_back("UpdateControlProperties");
}

void FakeMainWindowHost::saveSettings()
{
    calls.push_back("saveSettings");
    SaveSettings(model, *this);
    UsageSettingsStore::save(usage);
}

void FakeMainWindowHost::setAlphaBlendValue(int value)
{
    alpha = value;
    calls.push_back("alpha " + std::to_string(value));
}

void FakeMainWindowHost::scaleWindowBy(int m, int d)
{
    calls.push_back("scale " + std::to_string(m) + "/" + std::to_string(d));
}

void FakeMainWindowHost::setRateLabels(const std::string& downText, const std::string& upText)
{
    rateLabels.emplace_back(downText, upText);
    calls.push_back("labels [" + downText + "] [" + upText + "]");
}

void FakeMainWindowHost::AlwaysOnTopCheck()
{
    calls.push_back(std::string("AlwaysOnTopCheck ") + (model.AlwaysOnTop ? "on" : "off"));
}

void FakeMainWindowHost::minimizeToTray()
{
    calls.push_back("minimizeToTray");
}

void FakeMainWindowHost::restoreFromTray()
{
    calls.push_back("restoreFromTray");
}

void FakeMainWindowHost::bringWindowToFront()
{
    calls.push_back("bringWindowToFront");
}

void FakeMainWindowHost::quitApplication()
{
    calls.push_back("quitApplication");
}

void FakeMainWindowHost::loadSettings()
{
    calls.push_back("loadSettings");
    LoadSettings(model, *this);
}

void FakeMainWindowHost::loadDefaults()
{
    // The first load only writes the defaults to the store; the second
    // brings them into memory.
    LoadSettings(model, *this);
    LoadSettings(model, *this);
    calls.clear();
}

int FakeMainWindowHost::indexOf(const std::string& call) const
{
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i] == call)
            return int(i);
    }
    return -1;
}

// ---- DialogTest -------------------------------------------------------------------------

void DialogTest::SetUp()
{
    char pattern[] = "/tmp/travimetra-dialogs-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_root = pattern;
    setenv("HOME", m_root.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (m_root / "config").c_str(), 1);
    setenv("XDG_STATE_HOME", (m_root / "state").c_str(), 1);
    // The main window's usage history.
    setenv("XDG_DATA_HOME", (m_root / "data").c_str(), 1);
    // The main window's single-instance lock lives here.
    std::filesystem::create_directories(m_root / "runtime");
    std::filesystem::permissions(m_root / "runtime", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    setenv("XDG_RUNTIME_DIR", (m_root / "runtime").c_str(), 1);
    m_messages = std::make_unique<MessageRecorder>();
    m_previousSave = DialogChoosers::setSaveFileFunction(
        [](QWidget*, const DialogChoosers::SaveFileRequest&) -> std::optional<QString> {
            ADD_FAILURE() << "unexpected save dialog";
            return std::nullopt;
        });
    m_previousFolder = DialogChoosers::setFolderFunction(
        [](QWidget*, const QString&, const QString&) -> std::optional<QString> {
            ADD_FAILURE() << "unexpected folder dialog";
            return std::nullopt;
        });
    // Never open anything for real: record.
    m_previousUrl = DialogChoosers::setOpenUrlFunction(
        [this](const QUrl& url) { m_openedUrls.push_back(url); });
}

void DialogTest::TearDown()
{
    DialogChoosers::setSaveFileFunction(std::move(m_previousSave));
    DialogChoosers::setFolderFunction(std::move(m_previousFolder));
    DialogChoosers::setOpenUrlFunction(std::move(m_previousUrl));
    m_messages.reset();
    // Whatever a failed test left open goes now.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QDialog*>(w) && w->isVisible())
            w->deleteLater();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
}

bool waitFor(const std::function<bool()>& condition, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Every control of a dialog at least as tall as it needs to be.
void expectNaturalHeights(QWidget* dialog)
{
    const auto controls = dialog->findChildren<QWidget*>();
    int checked = 0;
    for (QWidget* w : controls) {
        if (!w->isVisibleTo(dialog) ||
            !(qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w) ||
              qobject_cast<QPushButton*>(w) || qobject_cast<QCheckBox*>(w)))
            continue;
        ++checked;
        EXPECT_GE(w->height(), w->minimumSizeHint().height())
            << w->objectName().toStdString() << " squeezed";
    }
    EXPECT_GT(checked, 5);
}

QStringList interfaceEntries(const std::string& walkOutput)
{
    QStringList list;
    std::istringstream lines(walkOutput);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t space = line.find(' ');
        if (space == std::string::npos)
            continue;
        const std::string oid = line.substr(0, space);
        std::string description = line.substr(space + 1);
        if (description.size() >= 2 && description.front() == '"' && description.back() == '"')
            description = description.substr(1, description.size() - 2);
        const std::string index = oid.substr(oid.rfind('.') + 1);
        list << QString::fromStdString("Interface " + index + " is " + description);
    }
    return list;
}
