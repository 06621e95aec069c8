// The Debian package and the desktop files, checked with the tools that
// desktops and distributions use on them.
#include "ChildProcess.h"
#include "PeerRequirement.h"
#include "TempDirectory.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(Package, TheDebianPackageHoldsTheProgramAndItsDesktopIntegration)
{
    REQUIRE_PEER(!findExecutable("cpack").empty() && !findExecutable("dpkg-deb").empty() &&
                     !findExecutable("fakeroot").empty() &&
                     !findExecutable("dpkg-shlibdeps").empty(),
                 "cpack, dpkg-dev or fakeroot is not installed");
    TempDirectory out;
    int status = -1;
    const std::string log =
        runCommand({"cpack", "-G", "DEB", "--config", TRAVIMETRA_BINARY_DIR "/CPackConfig.cmake",
                    "-B", out.path()},
                   &status);
    ASSERT_EQ(status, 0) << log;
    const std::string deb = runCommand({"sh", "-c", "ls " + out.path() + "/travimetra_*.deb"});
    ASSERT_FALSE(deb.empty()) << log;
    const std::string file = deb.substr(0, deb.find('\n'));

    const std::string files = runCommand({"dpkg-deb", "-c", file});
    for (const char* path : {"./usr/bin/travimetra", "./usr/bin/travimetra-ping",
                             "./usr/share/applications/Travimetra.desktop",
                             "./usr/share/icons/hicolor/scalable/apps/travimetra.svg",
                             "./usr/share/icons/hicolor/16x16/apps/travimetra.png",
                             "./usr/share/icons/hicolor/256x256/apps/travimetra.png",
                             "./usr/share/metainfo/com.quorvane.Travimetra.metainfo.xml",
                             "./usr/share/man/man1/travimetra.1"})
        EXPECT_TRUE(contains(files, path)) << path << " missing from\n" << files;

    // The capability cannot travel in the archive: the package sets it.
    const std::string info = runCommand({"dpkg-deb", "-I", file});
    EXPECT_TRUE(contains(info, "postinst")) << info;
    EXPECT_TRUE(contains(info, "libcap2-bin")) << info;
    EXPECT_TRUE(contains(info, "libqt6widgets6")) << "shared library dependencies\n" << info;
    TempDirectory control;
    runCommand({"dpkg-deb", "-e", file, control.path()});
    const std::string postinst = control.read("postinst");
    EXPECT_TRUE(contains(postinst, "setcap cap_net_raw+ep")) << postinst;
    EXPECT_TRUE(contains(postinst, "/usr/bin/travimetra-ping")) << postinst;
}

TEST(Package, DesktopEntryMetainfoAndManualPageAreValid)
{
    REQUIRE_PEER(!findExecutable("desktop-file-validate").empty() &&
                     !findExecutable("appstreamcli").empty() && !findExecutable("man").empty(),
                 "desktop-file-utils, appstream or man is not installed");
    const std::string source = TRAVIMETRA_SOURCE_DIR "/packaging/";
    int status = -1;
    const std::string desktop =
        runCommand({"desktop-file-validate", source + "Travimetra.desktop"}, &status);
    EXPECT_EQ(status, 0) << desktop;
    EXPECT_TRUE(desktop.empty()) << desktop;

    const std::string metainfo =
        runCommand({"appstreamcli", "validate", "--no-net",
                    TRAVIMETRA_BINARY_DIR "/packaging/com.quorvane.Travimetra.metainfo.xml"},
                   &status);
    EXPECT_EQ(status, 0) << metainfo;

    // groff's own warnings go to standard error; collect them.
    const std::string page = TRAVIMETRA_BINARY_DIR "/packaging/travimetra.1";
    const std::string warnings = runCommand(
        {"sh", "-c", "MANWIDTH=80 man --warnings -l '" + page + "' 2>&1 >/dev/null"}, &status);
    EXPECT_TRUE(warnings.empty()) << warnings;
    const std::string text = runCommand({"sh", "-c", "MANWIDTH=200 man -l '" + page + "'"});
    for (const char* part :
         {"Quorvane/Travimetra.reg", "state/Travimetra/", "cap_net_raw", "ping_group_range"})
        EXPECT_TRUE(contains(text, part)) << part;
}

} // namespace
