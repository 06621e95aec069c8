// A configuration folder that cannot be written: read-only (a read-only
// mount, which holds even for root) or impossible to create. The program
// shows the store's error through the application's error display and still
// monitors with what it could load.

#include "app/MainFormFixture.h"

#include "ApplicationReport.h"
#include "PeerRequirement.h"
#include "RegStoreFile.h"
#include "TVrTimer.h"

#include <fstream>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

namespace {

// Mounts made by this test stay in a mount namespace of this process only.
// It must be made before any thread exists, so it is made before main().
bool s_privateMounts = [] {
    if (unshare(CLONE_NEWNS) != 0)
        return false;
    return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}();

// Answers every read with the same number: rates 0, labels "DL: 0.0 kb/s".
class SteadyNetwork : public ISensorNetwork
{
public:
    bool readValue(const std::string&, const std::string&, const std::string&,
                   std::string& value) override
    {
        value = "100";
        ++reads;
        return true;
    }
    int pingRoundTrip(const std::string&) override { return 1; }
    uint32_t tickCount() override { return 0; }
    int reads = 0;
};

class StoreFolderFault : public MainFormFixture
{
protected:
    void SetUp() override
    {
        MainFormFixture::SetUp();
        m_previous = ApplicationReport::setReportFunction(
            [this](const QString& text) { m_reports.push_back(text.toStdString()); });
    }
    void TearDown() override
    {
        ApplicationReport::setReportFunction(m_previous);
        if (m_mounted)
            umount2(m_mounted->c_str(), MNT_DETACH);
        MainFormFixture::TearDown();
    }

    std::vector<std::string> m_reports;
    ApplicationReport::ReportFunction m_previous;
    std::optional<std::string> m_mounted;
    std::shared_ptr<SteadyNetwork> m_net = std::make_shared<SteadyNetwork>();
};

TEST_F(StoreFolderFault, ReadOnlyFolderReportsTheErrorAndTheWindowStillPolls)
{
    REQUIRE_PEER(s_privateMounts, "no mount namespace of our own (needs root)");
    const std::string config = (m_root / "readonly").string();
    std::filesystem::create_directories(config);
    ASSERT_EQ(mount("tmpfs", config.c_str(), "tmpfs", 0, "size=1m,mode=0700"), 0);
    m_mounted = config;
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor("127.0.0.95", "Router")};
    seedStore(s);
    const std::string before = [] {
        std::ifstream in(RegStoreFile::path());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    ASSERT_EQ(mount(nullptr, config.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);

    auto form = makeForm(m_net);
    // The start counter cannot be stored: that is reported, once.
    ASSERT_EQ(m_reports.size(), 1u);
    EXPECT_EQ(m_reports[0], "Read-only file system");
    // The settings were read all the same: the graph set is there and polls.
    TSensorControls* c = form->sensorControls(0);
    ASSERT_NE(c, nullptr);
    ASSERT_TRUE(c->DownLabel);
    EXPECT_EQ(form->masterTimer()->interval(), 5000u);
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    EXPECT_EQ(c->DownLabel->text().toStdString(), "DL: 0.0 kb/s");
    EXPECT_GT(m_net->reads, 0);

    // Closing cannot save either: reported, no crash, the store as it was.
    form.reset();
    ASSERT_EQ(m_reports.size(), 2u);
    EXPECT_EQ(m_reports[1], "Read-only file system");
    std::ifstream in(RegStoreFile::path());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), before);
    struct stat info
    {
    };
    ASSERT_EQ(stat(RegStoreFile::path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

TEST_F(StoreFolderFault, FolderThatCannotBeCreatedIsReportedNotACrash)
{
    // A file where the configuration folder should be.
    std::ofstream(m_root / "blocker") << "not a folder";
    setenv("XDG_CONFIG_HOME", (m_root / "blocker" / "config").c_str(), 1);

    auto form = makeForm(m_net);
    ASSERT_FALSE(m_reports.empty());
    EXPECT_EQ(m_reports[0], "Not a directory");
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    form.reset();
    EXPECT_EQ(m_reports.back(), "Not a directory");
    EXPECT_TRUE(std::filesystem::is_regular_file(m_root / "blocker"));
}

} // namespace
