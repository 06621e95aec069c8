// The README's run and test commands, run with apt-get, sudo, the service
// tools, the build tools and the SNMP tools replaced by recorders: what they
// would install, that they say so before asking for root, and that they leave
// the machine's services alone.
#include "ChildProcess.h"
#include "TempDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char* const kRecorder = R"SH(#!/bin/sh
printf '%s %s\n' "$(basename "$0")" "$*" >>"$RECORD"
)SH";

const char* const kSudo = R"SH(#!/bin/sh
printf 'sudo %s\n' "$*" >>"$RECORD"
echo "<<sudo>>"
exec "$@"
)SH";

const char* const kId = R"SH(#!/bin/sh
case "$1" in
-u) echo "$FAKE_UID" ;;
-un) echo tester ;;
*) exit 1 ;;
esac
)SH";

// Installed are the packages named in $INSTALLED, one a line.
const char* const kDpkgQuery = R"SH(#!/bin/sh
for last; do :; done
if grep -qx "$last" "$INSTALLED"; then printf 'install ok installed'; else exit 1; fi
)SH";

// The agent answers once $AGENT_UP exists (made by the snmpd recorder).
const char* const kSnmpget = R"SH(#!/bin/sh
printf 'snmpget %s\n' "$*" >>"$RECORD"
[ -e "$AGENT_UP" ]
)SH";

const char* const kSnmpd = R"SH(#!/bin/sh
printf 'snmpd %s\n' "$*" >>"$RECORD"
while [ $# -gt 0 ]; do
    if [ "$1" = -c ]; then cp "$2" "$AGENT_CONF"; fi
    shift
done
touch "$AGENT_UP"
)SH";

// A UDP socket of the machine's own agent on $SS_HELD:161, when set.
const char* const kSs = R"SH(#!/bin/sh
printf 'ss %s\n' "$*" >>"$RECORD"
[ -n "$SS_HELD" ] || exit 0
case "$*" in
*"src $SS_HELD:161"* | *"sport = :161"*) echo "UNCONN 0 0 $SS_HELD:161 0.0.0.0:*" ;;
esac
)SH";

struct ScriptRun
{
    std::string output; // the script's standard output and error, in order
    std::vector<std::string> calls;
    std::string agentConf;
    int status = -1;

    std::vector<std::string> callsOf(const std::string& tool) const
    {
        std::vector<std::string> found;
        for (const std::string& call : calls)
            if (call.rfind(tool + " ", 0) == 0)
                found.push_back(call);
        return found;
    }
    // The packages of the one "apt-get install" call.
    std::set<std::string> installed() const
    {
        std::set<std::string> packages;
        for (const std::string& call : callsOf("apt-get")) {
            if (call.find(" install ") == std::string::npos)
                continue;
            std::istringstream words(call);
            std::string word;
            while (words >> word)
                if (word[0] != '-' && word != "apt-get" && word != "install")
                    packages.insert(word);
        }
        return packages;
    }
};

std::vector<std::string> packagesOf(const std::string& listFile)
{
    std::vector<std::string> packages;
    std::ifstream in(listFile);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
            continue;
        packages.push_back(line.substr(start, line.find_first_of(" \t", start) - start));
    }
    return packages;
}

class SetupScriptsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* source = std::getenv("TRAVIMETRA_SOURCE_DIR");
        ASSERT_NE(source, nullptr);
        m_source = source;
        ASSERT_FALSE(m_dir.path().empty());
        // A copy of the scripts, so that TOP and its build folders are ours.
        fs::create_directories(top() + "/scripts");
        for (const char* name : {"run.sh", "test.sh", "common.sh", "local-agent.sh",
                                 "packages-run.txt", "packages.txt"})
            fs::copy_file(m_source + "/scripts/" + name, top() + "/scripts/" + name);
        fs::create_directories(top() + "/build/src/app");
        fs::create_directories(top() + "/build-test");
        writeTool(top() + "/build/src/app/travimetra", kRecorder);

        fs::create_directories(shims());
        for (const char* recorder :
             {"apt-get", "service", "systemctl", "invoke-rc.d", "cmake", "ctest", "kill"})
            writeTool(shims() + "/" + recorder, kRecorder);
        writeTool(shims() + "/sudo", kSudo);
        writeTool(shims() + "/id", kId);
        writeTool(shims() + "/dpkg-query", kDpkgQuery);
        writeTool(shims() + "/snmpget", kSnmpget);
        writeTool(shims() + "/snmpd", kSnmpd);
        writeTool(shims() + "/ss", kSs);
        setInstalled({});
    }

    std::string top() const { return m_dir.file("top"); }
    std::string shims() const { return m_dir.file("shims"); }
    std::vector<std::string> runList() const
    {
        return packagesOf(m_source + "/scripts/packages-run.txt");
    }
    std::vector<std::string> testList() const
    {
        return packagesOf(m_source + "/scripts/packages.txt");
    }

    void setInstalled(const std::vector<std::string>& packages)
    {
        std::string lines;
        for (const std::string& p : packages)
            lines += p + "\n";
        m_dir.write("installed", lines);
    }

    void writeTool(const std::string& path, const char* text)
    {
        std::ofstream(path) << text;
        fs::permissions(path, fs::perms::owner_all);
    }

    ScriptRun run(const std::string& script, int uid, const std::string& ssHeld = "",
                  bool agentAnswers = false)
    {
        if (agentAnswers)
            m_dir.write("agent-up", "");
        const std::string command =
            "env -i PATH='" + shims() + ":/usr/bin:/bin' HOME='" + m_dir.path() + "' RECORD='" +
            m_dir.file("record") + "' FAKE_UID=" + std::to_string(uid) + " INSTALLED='" +
            m_dir.file("installed") + "' AGENT_UP='" + m_dir.file("agent-up") + "' AGENT_CONF='" +
            m_dir.file("agent.conf") + "' SS_HELD='" + ssHeld + "' bash '" + top() + "/scripts/" +
            script + "' >'" + m_dir.file("output") + "' 2>&1";
        ScriptRun result;
        runCommand({"sh", "-c", command}, &result.status);
        result.output = m_dir.read("output");
        std::istringstream record(m_dir.read("record"));
        for (std::string line; std::getline(record, line);)
            result.calls.push_back(line);
        result.agentConf = m_dir.read("agent.conf");
        return result;
    }

    static void expectNoServiceTouched(const ScriptRun& r)
    {
        for (const char* tool : {"service", "systemctl", "invoke-rc.d"})
            EXPECT_TRUE(r.callsOf(tool).empty()) << tool << " was called:\n" << r.output;
    }

    std::string m_source;
    TempDirectory m_dir;
};

TEST_F(SetupScriptsTest, runInstallsOnlyWhatBuildingAndRunningNeedAndSaysSoBeforeSudo)
{
    const ScriptRun r = run("run.sh", 1000);
    ASSERT_EQ(r.status, 0) << r.output;

    const std::set<std::string> installed = r.installed();
    for (const char* needed : {"build-essential", "cmake", "ninja-build", "qt6-base-dev",
                               "qt6-base-dev-tools", "snmpd", "snmp"})
        EXPECT_EQ(installed.count(needed), 1u) << needed << " not installed";
    for (const std::string& p : runList())
        EXPECT_EQ(installed.count(p), 1u) << p;
    const std::vector<std::string> runPackages = runList();
    for (const std::string& p : testList()) {
        if (std::find(runPackages.begin(), runPackages.end(), p) == runPackages.end()) {
            EXPECT_EQ(installed.count(p), 0u) << "test package " << p << " installed by run.sh";
        }
    }
    for (const char* server : {"nginx-light", "rsyslog", "clang", "libgtest-dev", "lintian"})
        EXPECT_EQ(installed.count(server), 0u) << server;

    // What, why and that sudo will ask, all before sudo is first called.
    const std::size_t firstSudo = r.output.find("<<sudo>>");
    ASSERT_NE(firstSudo, std::string::npos) << r.output;
    for (const char* said : {"qt6-base-dev", "snmpd", "Qt 6", "demo agent", "sudo may ask"}) {
        const std::size_t at = r.output.find(said);
        EXPECT_LT(at, firstSudo) << '"' << said << "\" not said before sudo:\n" << r.output;
    }
    for (const std::string& call : r.callsOf("apt-get"))
        EXPECT_NE(std::find(r.calls.begin(), r.calls.end(),
                            "sudo env DEBIAN_FRONTEND=noninteractive " + call),
                  r.calls.end())
            << call << " not run through sudo";

    expectNoServiceTouched(r);
    const std::vector<std::string> configure = r.callsOf("cmake");
    ASSERT_FALSE(configure.empty());
    EXPECT_NE(configure[0].find("-DTRAVIMETRA_TESTS=OFF"), std::string::npos) << configure[0];
    EXPECT_EQ(r.callsOf("travimetra").size(), 1u) << r.output;
    EXPECT_NE(r.agentConf.find("agentAddress udp:127.0.0.1:161\n"), std::string::npos)
        << r.agentConf;
}

TEST_F(SetupScriptsTest, runAsRootOrWithEverythingInPlaceAsksForNothing)
{
    {
        const ScriptRun asRoot = run("run.sh", 0);
        ASSERT_EQ(asRoot.status, 0) << asRoot.output;
        EXPECT_TRUE(asRoot.callsOf("sudo").empty()) << asRoot.output;
        EXPECT_EQ(asRoot.output.find("sudo may ask"), std::string::npos) << asRoot.output;
        EXPECT_FALSE(asRoot.installed().empty());
        expectNoServiceTouched(asRoot);
    }
    fs::remove(m_dir.file("record"));
    fs::remove(m_dir.file("agent-up"));
    setInstalled(runList());
    const ScriptRun ready = run("run.sh", 1000, "", true);
    ASSERT_EQ(ready.status, 0) << ready.output;
    EXPECT_TRUE(ready.callsOf("apt-get").empty()) << ready.output;
    EXPECT_TRUE(ready.callsOf("sudo").empty()) << ready.output;
    EXPECT_TRUE(ready.callsOf("snmpd").empty()) << "started a second agent";
    EXPECT_NE(ready.output.find("already answers on 127.0.0.1"), std::string::npos) << ready.output;
    EXPECT_EQ(ready.callsOf("travimetra").size(), 1u);
    expectNoServiceTouched(ready);
}

TEST_F(SetupScriptsTest, theDemoAgentMakesWayForTheMachinesOwnAgent)
{
    struct Case
    {
        const char* held;         // where the machine's agent holds UDP port 161
        const char* agentAddress; // where the demo agent goes; empty: none starts
    };
    const Case cases[] = {
        {"127.0.0.1", "127.0.0.2"},
        {"0.0.0.0", ""},
    };
    setInstalled(runList());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.held);
        fs::remove(m_dir.file("record"));
        fs::remove(m_dir.file("agent.conf"));
        fs::remove(m_dir.file("agent-up"));
        const ScriptRun r = run("run.sh", 1000, c.held);
        ASSERT_EQ(r.status, 0) << r.output;
        expectNoServiceTouched(r);
        EXPECT_EQ(r.callsOf("travimetra").size(), 1u) << "the program must start anyway";
        if (c.agentAddress[0] == '\0') {
            EXPECT_TRUE(r.callsOf("snmpd").empty()) << r.output;
            EXPECT_NE(r.output.find("not starting another one"), std::string::npos) << r.output;
        } else {
            EXPECT_NE(
                r.agentConf.find(std::string("agentAddress udp:") + c.agentAddress + ":161\n"),
                std::string::npos)
                << r.agentConf;
            EXPECT_NE(r.output.find(std::string("add the device ") + c.agentAddress),
                      std::string::npos)
                << r.output;
            // Nothing to install: the first sudo starts the agent, explained first.
            const std::size_t firstSudo = r.output.find("<<sudo>>");
            ASSERT_NE(firstSudo, std::string::npos) << r.output;
            EXPECT_LT(r.output.find("UDP port 161 needs root"), firstSudo) << r.output;
        }
    }
}

TEST_F(SetupScriptsTest, testInstallsBothListsAndStopsNoService)
{
    const ScriptRun r = run("test.sh", 1000);
    ASSERT_EQ(r.status, 0) << r.output;
    const std::set<std::string> installed = r.installed();
    for (const std::vector<std::string>& list : {runList(), testList()})
        for (const std::string& p : list)
            EXPECT_EQ(installed.count(p), 1u) << p;
    EXPECT_EQ(installed.count("lintian"), 1u);
    EXPECT_EQ(r.callsOf("apt-get").size(), 2u) << "one update, one install";
    expectNoServiceTouched(r);
    EXPECT_EQ(r.callsOf("ctest").size(), 1u) << r.output;
}

} // namespace
