#include "RouteTable.h"
#include "GatewayPlatform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

const std::string Header = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\t"
                           "Window\tIRTT                                                       \n";

std::string route(const char* iface, const char* dest, const char* gw, const char* flags,
                  const char* metric, const char* mask)
{
    return std::string(iface) + "\t" + dest + "\t" + gw + "\t" + flags + "\t0\t0\t" + metric +
           "\t" + mask + "\t0\t0\t0                                                     \n";
}

TEST(RouteTable, FindsTheDefaultGatewayWithTheLowestMetric)
{
    const std::string lan = route("eth0", "0001A8C0", "00000000", "0001", "100", "00FFFFFF");
    struct Case
    {
        const char* what;
        std::string table;
        const char* address; // nullptr: none
        const char* iface;
    };
    const Case cases[] = {
        {"one default route",
         Header + route("eth0", "00000000", "0101A8C0", "0003", "100", "00000000") + lan,
         "192.168.1.1", "eth0"},
        {"lowest metric wins",
         Header + route("wlan0", "00000000", "FE00000A", "0003", "600", "00000000") +
             route("eth0", "00000000", "0100A8C0", "0003", "100", "00000000") + lan,
         "192.168.0.1", "eth0"},
        {"first among equals",
         Header + route("eth0", "00000000", "0100A8C0", "0003", "100", "00000000") +
             route("eth1", "00000000", "0200A8C0", "0003", "100", "00000000"),
         "192.168.0.1", "eth0"},
        {"lower-case hex", Header + route("eth0", "00000000", "fe01a8c0", "0003", "0", "00000000"),
         "192.168.1.254", "eth0"},
        {"no default route", Header + lan, nullptr, nullptr},
        {"default route through a device only",
         Header + route("ppp0", "00000000", "00000000", "0001", "0", "00000000"), nullptr, nullptr},
        {"default route that is down",
         Header + route("eth0", "00000000", "0101A8C0", "0002", "0", "00000000"), nullptr, nullptr},
        {"gateway flag missing",
         Header + route("eth0", "00000000", "0101A8C0", "0001", "0", "00000000"), nullptr, nullptr},
        {"a host route is no default",
         Header + route("eth0", "00000000", "0101A8C0", "0003", "0", "FFFFFFFF"), nullptr, nullptr},
        {"damaged lines are skipped",
         Header + route("eth0", "00000000", "0101A8C0X", "0003", "0", "00000000") +
             route("eth0", "00000000", "1", "0003", "-1", "00000000") + "eth0\t00000000\n" +
             route("eth1", "00000000", "0102A8C0", "0003", "5", "00000000"),
         "192.168.2.1", "eth1"},
        {"over-long hex", Header + route("eth0", "00000000", "10101A8C0", "0003", "0", "00000000"),
         nullptr, nullptr},
        {"empty", "", nullptr, nullptr},
        {"last line without a line feed",
         Header + route("eth0", "00000000", "0101A8C0", "0003", "0", "00000000").substr(0, 40),
         "192.168.1.1", "eth0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<DefaultGateway> gw = parseDefaultGateway(c.table);
        ASSERT_EQ(gw.has_value(), c.address != nullptr);
        if (gw) {
            EXPECT_EQ(gw->address, c.address);
            EXPECT_EQ(gw->interface, c.iface);
        }
    }
}

// The machine's own table gives what the kernel's routing tool says.
TEST(RouteTable, MachineGatewayIsWhatIpRouteShows)
{
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(
        popen("ip -4 route show default 2>/dev/null | sort -n -k 2 | head -n 1", "r"), pclose);
    ASSERT_TRUE(pipe);
    char line[512] = {};
    const bool hasDefault = std::fgets(line, sizeof line, pipe.get()) != nullptr;
    const std::optional<DefaultGateway> gw = findDefaultGateway();
    const std::string text(line);
    if (!hasDefault || text.find(" via ") == std::string::npos) {
        EXPECT_FALSE(gw.has_value()) << text;
        return;
    }
    ASSERT_TRUE(gw.has_value()) << text;
    EXPECT_NE(text.find(" via " + gw->address + " dev " + gw->interface), std::string::npos)
        << text;
}

} // namespace
