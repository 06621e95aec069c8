// Start-up in surroundings that go wrong: a runtime folder where no lock can
// be made, and a stored scale that would collapse the window.
#include "MainFormFixture.h"
#include "core/FakeSensorNetwork.h"

#include "MessageBoxes.h"
#include "TSensorControls.h"
#include "TVrTimer.h"

#include <QElapsedTimer>
#include <QLockFile>

#include <cstdio>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class MainFormStart : public MainFormFixture
{
protected:
    std::shared_ptr<FakeSensorNetwork> m_net = std::make_shared<FakeSensorNetwork>();

    // Turns `folder` read-only for this process alone, in a mount namespace
    // of its own; false where the system allows none.
    static bool makeReadOnly(const std::filesystem::path& folder)
    {
        return unshare(CLONE_NEWNS) == 0 &&
               mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
               mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) ==
                   0;
    }

    static bool readOnlyFoldersPossible(const std::filesystem::path& folder)
    {
        const pid_t child = fork();
        if (child == 0)
            _exit(makeReadOnly(folder) ? 0 : 1);
        int status = 0;
        return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
               WEXITSTATUS(status) == 0;
    }
};

// Without a lock the program cannot tell whether another instance runs, so
// it runs: the window is built and polls. Only a lock held by a live
// instance ends the start.
TEST_F(MainFormStart, RuntimeFolderWithoutALockStillBuildsTheWindow)
{
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor("127.0.0.1", "A")};
    seedStore(s);
    const std::filesystem::path runtime = m_root / "runtime";
    const struct
    {
        const char* what;
        bool readOnly;
    } cases[] = {{"missing", false}, {"read-only", true}};
    for (const auto& c : cases) {
        std::filesystem::remove_all(runtime);
        std::filesystem::create_directory(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace);
        if (c.readOnly && !readOnlyFoldersPossible(runtime)) {
            std::printf("no mount namespace here: the read-only case is not run\n");
            continue;
        }
        if (!c.readOnly)
            std::filesystem::remove_all(runtime);
        GTEST_FLAG_SET(death_test_style, "fast");
        EXPECT_EXIT(
            {
                MessageBoxes::setFunction([](MessageBoxes::Kind, const QString& text) {
                    std::fprintf(stderr, "box: %s\n", text.toUtf8().constData());
                });
                if (c.readOnly && !makeReadOnly(runtime))
                    _exit(9);
                auto form = makeForm(m_net);
                std::fprintf(stderr, "window %dx%d, %s\n", form->width(), form->height(),
                             form->sensorControls(0) && form->sensorControls(0)->Scope
                                 ? "graph built"
                                 : "no graph");
                std::fflush(stderr);
                _exit(3);
            },
            ::testing::ExitedWithCode(3), "window 260x170, graph built")
            << c.what;
    }
}

// A stored scale of 0 % or less means nothing: the window keeps its
// designed size rather than shrinking to nothing.
TEST_F(MainFormStart, ScaleOfZeroOrLessKeepsTheDesignedSize)
{
    for (const int scale : {0, -50, 100}) {
        TMonitorSettings s = typicalSettings();
        s.ScaleSize = scale;
        s.LatencySensor = true;
        s.Sensors = {configuredSensor("127.0.0.1", "A"), configuredSensor("127.0.0.2", "B")};
        seedStore(s);
        auto form = makeForm(m_net);
        EXPECT_EQ(form->size(), QSize(260, 380)) << scale;
        ASSERT_NE(form->sensorControls(1), nullptr);
        EXPECT_EQ(form->sensorControls(1)->Scope->geometry(), QRect(26, 186, 232, 133)) << scale;
        EXPECT_EQ(form->sensorControls(1)->TitleLabel->font().pixelSize(), 11) << scale;
    }
}

// The options dialog asks for a new scale as a fraction; one with nothing
// above or below the line changes nothing, and the next rebuild lays out
// as before.
TEST_F(MainFormStart, ScalingByNothingChangesNothing)
{
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor("127.0.0.1", "A")};
    seedStore(s);
    auto form = makeForm(m_net);
    const QSize designed = form->size();
    for (const auto& [m, d] : {std::pair{0, 100}, {-50, 100}, {150, 0}, {150, -100}}) {
        form->scaleWindowBy(m, d);
        EXPECT_EQ(form->size(), designed) << m << "/" << d;
    }
    form->DeleteControls();
    form->UpdateControls();
    form->UpdateControlProperties();
    EXPECT_EQ(form->size(), designed);
    EXPECT_EQ(form->sensorControls(0)->Scope->geometry(), QRect(26, 16, 232, 133));
}

} // namespace

namespace {

// The first graph point about a second after the window is loaded, whatever
// the Interval; then one pass per Interval. Generous bounds: a loaded
// machine may run a tick late, never a whole Interval early.
TEST_F(MainFormStart, TheFirstPassComesOneSecondAfterLoadingThenEveryInterval)
{
    TMonitorSettings s = typicalSettings();
    s.Interval = 5;
    s.Sensors = {configuredSensor("127.0.0.1", "A")};
    seedStore(s);
    const auto requests = [this] {
        std::lock_guard<std::mutex> lock(m_net->m_mutex);
        return m_net->m_requests.size();
    };
    QElapsedTimer since;
    since.start();
    auto form = makeForm(m_net, true);
    EXPECT_EQ(form->masterTimer()->interval(), 5000u);
    const auto waitForRequests = [&](std::size_t more, qint64 limit) {
        const std::size_t before = requests();
        while (requests() <= before + more - 1 && since.elapsed() < limit) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            form->networkJobs().settle();
        }
        return since.elapsed();
    };
    const qint64 first = waitForRequests(1, 4000);
    EXPECT_GE(first, 900);
    EXPECT_LT(first, 3000) << "the first pass waited for the Interval";
    // Nothing more until the next Interval.
    const std::size_t afterFirst = requests();
    while (since.elapsed() < first + 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(requests(), afterFirst);
    const qint64 second = waitForRequests(1, first + 9000);
    EXPECT_GE(second - first, 4500);
    EXPECT_LT(second - first, 8000);
}

} // namespace
