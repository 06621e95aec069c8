// The Debian package and the desktop files, checked with the tools that
// desktops and distributions use on them.
#include "ChildProcess.h"
#include "PeerRequirement.h"
#include "TempDirectory.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kAppId = "com.quorvane.Travimetra";

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The value of "Key=" in a desktop entry, or of <tag> in the metainfo.
std::string desktopValue(const std::string& entry, const std::string& key)
{
    for (const std::string& line : linesOf(entry))
        if (line.rfind(key + "=", 0) == 0)
            return line.substr(key.size() + 1);
    return {};
}

std::string xmlValue(const std::string& xml, const std::string& tag)
{
    const std::size_t open = xml.find(">", xml.find("<" + tag));
    const std::size_t close = xml.find("</" + tag + ">");
    if (open == std::string::npos || close == std::string::npos || close < open)
        return {};
    return xml.substr(open + 1, close - open - 1);
}

// One package for every test of the suite: cpack takes a while.
class Package : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_out = std::make_unique<TempDirectory>();
        if (findExecutable("cpack").empty() || findExecutable("dpkg-deb").empty() ||
            findExecutable("fakeroot").empty() || findExecutable("dpkg-shlibdeps").empty())
            return;
        int status = -1;
        s_log = runCommand({"cpack", "-G", "DEB", "--config",
                            TRAVIMETRA_BINARY_DIR "/CPackConfig.cmake", "-B", s_out->path()},
                           &status);
        const std::string deb =
            runCommand({"sh", "-c", "ls " + s_out->path() + "/travimetra_*.deb"});
        if (status == 0 && !deb.empty())
            s_deb = deb.substr(0, deb.find('\n'));
    }
    static void TearDownTestSuite() { s_out.reset(); }

    void SetUp() override
    {
        REQUIRE_PEER(!findExecutable("cpack").empty() && !findExecutable("dpkg-deb").empty() &&
                         !findExecutable("fakeroot").empty() &&
                         !findExecutable("dpkg-shlibdeps").empty(),
                     "cpack, dpkg-dev or fakeroot is not installed");
        ASSERT_FALSE(s_deb.empty()) << s_log;
    }

    static std::unique_ptr<TempDirectory> s_out;
    static std::string s_log;
    static std::string s_deb;
};

std::unique_ptr<TempDirectory> Package::s_out;
std::string Package::s_log;
std::string Package::s_deb;

TEST_F(Package, holdsTheProgramItsDesktopIntegrationAndDebiansDocuments)
{
    const std::string files = runCommand({"dpkg-deb", "-c", s_deb});
    for (const std::string& path : std::vector<std::string>{
             "./usr/bin/travimetra", "./usr/bin/travimetra-ping",
             "./usr/share/applications/" + kAppId + ".desktop",
             "./usr/share/icons/hicolor/scalable/apps/" + kAppId + ".svg",
             "./usr/share/icons/hicolor/16x16/apps/" + kAppId + ".png",
             "./usr/share/icons/hicolor/256x256/apps/" + kAppId + ".png",
             "./usr/share/metainfo/" + kAppId + ".metainfo.xml",
             "./usr/share/man/man1/travimetra.1.gz", "./usr/share/man/man1/travimetra-ping.1.gz",
             "./usr/share/doc/travimetra/copyright",
             "./usr/share/doc/travimetra/changelog.Debian.gz"})
        EXPECT_TRUE(contains(files, path + "\n")) << path << " missing from\n" << files;
    EXPECT_FALSE(contains(files, ".1\n")) << "an uncompressed manual page\n" << files;

    // The capability cannot travel in the archive: the package sets it.
    const std::string info = runCommand({"dpkg-deb", "-I", s_deb});
    EXPECT_TRUE(contains(info, "postinst")) << info;
    EXPECT_TRUE(contains(info, "libcap2-bin")) << info;
    EXPECT_TRUE(contains(info, "libqt6widgets6")) << "shared library dependencies\n" << info;
    TempDirectory control;
    runCommand({"dpkg-deb", "-e", s_deb, control.path()});
    const std::string postinst = control.read("postinst");
    EXPECT_TRUE(contains(postinst, "setcap cap_net_raw+ep")) << postinst;
    EXPECT_TRUE(contains(postinst, "/usr/bin/travimetra-ping")) << postinst;

    // The copyright file states the terms as the program's version record does.
    TempDirectory tree;
    runCommand({"dpkg-deb", "-x", s_deb, tree.path()});
    const std::string copyright = tree.read("usr/share/doc/travimetra/copyright");
    EXPECT_TRUE(contains(copyright, "Copyright: 2026 Quorvane")) << copyright;
    EXPECT_TRUE(contains(copyright, "All rights reserved")) << copyright;
    const std::string changelog =
        runCommand({"gzip", "-dc", tree.file("usr/share/doc/travimetra/changelog.Debian.gz")});
    const std::string version = runCommand({"dpkg-deb", "-f", s_deb, "Version"});
    EXPECT_EQ(changelog.rfind("travimetra (" + version.substr(0, version.find('\n')) + ")", 0), 0u)
        << "the changelog's last entry is not this version:\n"
        << changelog;
}

TEST_F(Package, lintianFindsNoErrorAndNoWarningAboutWhatDebianRequires)
{
    REQUIRE_PEER(!findExecutable("lintian").empty(), "lintian is not installed");
    int status = -1;
    const std::string report =
        runCommand({"lintian", "--tag-display-limit", "0", "--fail-on", "error", s_deb}, &status);
    EXPECT_EQ(status, 0) << "lintian failed or found an error:\n" << report;
    for (const std::string& line : linesOf(report)) {
        if (line.rfind("E: ", 0) == 0) {
            ADD_FAILURE() << line;
            continue;
        }
        if (line.rfind("W: ", 0) != 0)
            continue;
        for (const char* subject :
             {"copyright", "changelog", "strip", "manpage", "manual-page", "description"}) {
            EXPECT_FALSE(contains(line, subject)) << line;
        }
    }
}

TEST_F(Package, desktopEntryIconAndMetainfoShareOneId)
{
    TempDirectory tree;
    runCommand({"dpkg-deb", "-x", s_deb, tree.path()});
    const std::string entry = tree.read("usr/share/applications/" + kAppId + ".desktop");
    const std::string metainfo = tree.read("usr/share/metainfo/" + kAppId + ".metainfo.xml");
    ASSERT_FALSE(entry.empty());
    ASSERT_FALSE(metainfo.empty());
    EXPECT_EQ(xmlValue(metainfo, "id"), kAppId);
    EXPECT_EQ(xmlValue(metainfo, "launchable"), kAppId + ".desktop");
    EXPECT_EQ(desktopValue(entry, "Icon"), kAppId);
    EXPECT_EQ(desktopValue(entry, "Exec"), "travimetra");
    EXPECT_FALSE(
        tree.read("usr/share/icons/hicolor/48x48/apps/" + desktopValue(entry, "Icon") + ".png")
            .empty());
    // Placeholder addresses do not belong in what software centres show.
    EXPECT_FALSE(contains(metainfo, "example.")) << metainfo;
    EXPECT_FALSE(contains(metainfo, "<screenshot")) << metainfo;
}

TEST(PackageSources, desktopEntryMetainfoAndManualPagesAreValid)
{
    REQUIRE_PEER(!findExecutable("desktop-file-validate").empty() &&
                     !findExecutable("appstreamcli").empty() && !findExecutable("man").empty(),
                 "desktop-file-utils, appstream or man is not installed");
    int status = -1;
    const std::string desktop = runCommand(
        {"desktop-file-validate", TRAVIMETRA_SOURCE_DIR "/packaging/" + kAppId + ".desktop"},
        &status);
    EXPECT_EQ(status, 0) << desktop;
    EXPECT_TRUE(desktop.empty()) << desktop;

    const std::string metainfo =
        runCommand({"appstreamcli", "validate", "--pedantic", "--no-net",
                    TRAVIMETRA_BINARY_DIR "/packaging/" + kAppId + ".metainfo.xml"},
                   &status);
    EXPECT_EQ(status, 0) << metainfo;

    struct Page
    {
        const char* file;
        std::vector<const char*> mentions;
    };
    const Page pages[] = {
        {"travimetra.1",
         {"Quorvane/Travimetra.reg", "state/Travimetra/", "cap_net_raw", "ping_group_range"}},
        {"travimetra-ping.1", {"cap_net_raw", "timeout-ms", "reply", "EXIT STATUS"}},
    };
    for (const Page& p : pages) {
        SCOPED_TRACE(p.file);
        // groff's own warnings go to standard error; collect them.
        const std::string page = TRAVIMETRA_BINARY_DIR "/packaging/" + std::string(p.file);
        const std::string warnings = runCommand(
            {"sh", "-c", "MANWIDTH=80 man --warnings -l '" + page + "' 2>&1 >/dev/null"});
        EXPECT_TRUE(warnings.empty()) << warnings;
        const std::string text = runCommand({"sh", "-c", "MANWIDTH=200 man -l '" + page + "'"});
        for (const char* part : p.mentions)
            EXPECT_TRUE(contains(text, part)) << part;
    }
}

} // namespace
