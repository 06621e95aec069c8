// Sensors that share one interface of an agent, in any mix of versions,
// directions and addresses: each sensor's usage total is the growth of its
// own counters while the program ran, and no sensor changes another's.

#include "MainFormFixture.h"
#include "core/ScriptedV2cAgent.h"

#include "SensorPollV2c.h"
#include "SnmpSensorStore.h"
#include "TUsageRecorder.h"
#include "UsageDatabase.h"
#include "UsageSensors.h"
#include "UsageWiring.h"

#include <QCoreApplication>

namespace {

constexpr int64_t kStart = 1767261600; // 2026-01-01 10:00 UTC
constexpr TSnmpVersion kV1 = TSnmpVersion::V1;
constexpr TSnmpVersion kV2c = TSnmpVersion::V2c;
constexpr TSnmpVersion kV3 = TSnmpVersion::V3;

struct SensorSetup
{
    const char* host;
    TSnmpVersion version;
    bool swapped;
};

class MainFormUsageSensors : public MainFormFixture
{
protected:
    std::shared_ptr<ScriptedV2cAgent> m_agent = std::make_shared<ScriptedV2cAgent>();
    int64_t m_now = kStart;

    std::unique_ptr<TMainForm> makeUsageForm()
    {
        TMainForm::Options options;
        options.network = m_agent;
        options.startTimers = false;
        options.keyring = std::make_shared<FileSecretStore>((m_root / "keyring").string());
        options.wallClock = [this] { return m_now; };
        return std::make_unique<TMainForm>(options);
    }

    void seed(const std::vector<SensorSetup>& setups)
    {
        TMonitorSettings s = typicalSettings();
        for (const SensorSetup& setup : setups) {
            TSensorRecord sensor = configuredSensor(setup.host);
            sensor.SnmpVersion = setup.version;
            sensor.SwapedInOut = setup.swapped;
            sensor.V3 = {"monitor", SecurityLevel::NoAuthNoPriv, AuthProtocol::None,
                         "",        PrivProtocol::None,          ""};
            // 10 Gbit/s: every step below is traffic the interface carries.
            sensor.DownSpeed = sensor.UpSpeed = 10'000'000;
            s.Sensors.push_back(sensor);
        }
        s.resizeSensors(static_cast<int32_t>(s.Sensors.size()));
        seedStore(s);
        SnmpSensorStore::save(s);
    }

    void pass(TMainForm& form)
    {
        m_now += 5;
        form.UpdateAllMonitors();
        form.networkJobs().settle();
        QCoreApplication::processEvents();
    }
};

TEST_F(MainFormUsageSensors, SensorsOnOneInterfaceEachCountTheirOwnCounters)
{
    struct Case
    {
        const char* what;
        std::vector<SensorSetup> sensors;
    };
    const Case cases[] = {
        {"v1 beside v2c", {{"127.0.0.1", kV1, false}, {"127.0.0.1", kV2c, false}}},
        {"v2c beside v3", {{"127.0.0.1", kV2c, false}, {"127.0.0.1", kV3, false}}},
        {"v1 beside v1 swapped", {{"127.0.0.1", kV1, false}, {"127.0.0.1", kV1, true}}},
        {"v1 beside v2c swapped", {{"127.0.0.1", kV1, false}, {"127.0.0.1", kV2c, true}}},
        {"v3 swapped beside v2c", {{"127.0.0.1", kV3, true}, {"127.0.0.1", kV2c, false}}},
        {"one interface under two addresses",
         {{"127.0.0.1", kV2c, false}, {"127.0.0.9", kV2c, false}}},
        {"two sensors alike share one total",
         {{"127.0.0.1", kV2c, false}, {"127.0.0.1", kV2c, false}}},
        {"all of them",
         {{"127.0.0.1", kV1, false},
          {"127.0.0.1", kV2c, true},
          {"127.0.0.1", kV3, false},
          {"127.0.0.9", kV1, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        seed(c.sensors);
        // Below 2^31: the scripted agent answers version 1 reads with the
        // unsigned text, which a version 1 sensor takes only up to there.
        const uint64_t in0 = 1'000'000'000;
        const uint64_t out0 = 2'000'000;
        m_agent->interfaces = {{1, {"eth0", in0, out0, true}}};
        auto form = makeUsageForm();
        for (int i = 0; i < 6; ++i) {
            pass(*form);
            m_agent->interfaces[1].in += 3'000'000 + uint64_t(i);
            m_agent->interfaces[1].out += 70'000 + uint64_t(i);
            m_agent->upTime += 500;
        }
        pass(*form);
        const uint64_t inGrowth = m_agent->interfaces[1].in - in0;
        const uint64_t outGrowth = m_agent->interfaces[1].out - out0;
        form->usage().flush();
        TUsageDatabase& db = *form->usage().recorder().database();
        for (std::size_t i = 0; i < c.sensors.size(); ++i) {
            SCOPED_TRACE(i);
            const TSensorRecord& sensor = form->settings().Sensors[i];
            const TOctets total = db.total(UsageSensors::sensorKey(sensor), 0, 99999999);
            EXPECT_EQ(total.down, c.sensors[i].swapped ? outGrowth : inGrowth);
            EXPECT_EQ(total.up, c.sensors[i].swapped ? inGrowth : outGrowth);
        }
        form.reset();
        std::filesystem::remove_all(m_root / "data");
        std::filesystem::create_directories(m_root / "data");
        m_agent->upTime += 100000;
    }
}

} // namespace
