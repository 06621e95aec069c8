// Store files as people, other editors and accidents leave them. Whatever a
// file holds, the user's values either survive the load or the file itself
// survives, byte for byte, beside the new one.

#include "FakeMonitorWindow.h"
#include "util/StoreFixture.h"

#include "RegStoreFile.h"
#include "RegistryError.h"
#include "srcRegOptions.h"

#include <filesystem>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// A store with the user's own values, one line a string, joined by `eol`.
std::string userStore(const std::string& eol, const std::string& afterHeader = "",
                      const std::string& between = "")
{
    const std::vector<std::string> lines = {
        "REGEDIT4",
        "",
        "[HKEY_CURRENT_USER\\Software\\Quorvane\\Travimetra]" + afterHeader,
        between + "\"TimesRun\"=dword:00000003",
        "\"NumberOfHosts\"=dword:00000001",
        between + "\"Interval\"=dword:00000007",
        "",
        "[HKEY_CURRENT_USER\\Software\\Quorvane\\Travimetra\\0]" + afterHeader,
        "\"HostName\"=\"Attic r\xC3\xB6uter\"",
        between + "\"Community\"=\"s3cret\"",
    };
    std::string text;
    for (const std::string& line : lines)
        text += line + eol;
    return text;
}

std::string utf16(const std::string& ascii, bool bigEndian)
{
    // The test texts are ASCII but for "ö" (U+00F6), written as one unit.
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (std::size_t i = 0; i < ascii.size(); ++i) {
        unsigned unit = static_cast<unsigned char>(ascii[i]);
        if (unit == 0xC3 && i + 1 < ascii.size()) {
            unit = ((unit & 0x1F) << 6) | (static_cast<unsigned char>(ascii[++i]) & 0x3F);
        }
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

class HostileStoreFiles : public StoreFixture
{
protected:
    std::vector<fs::path> setAsideCopies() const
    {
        std::vector<fs::path> copies;
        for (const auto& entry : fs::directory_iterator(storeFile().parent_path())) {
            if (entry.path().filename().string().rfind("Travimetra.reg.unreadable-", 0) == 0)
                copies.push_back(entry.path());
        }
        std::sort(copies.begin(), copies.end());
        return copies;
    }

    static std::string fileText(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The settings a start makes of a store file holding `bytes`.
    TMonitorSettings loadFrom(const std::string& bytes)
    {
        writeStoreText(bytes);
        TMonitorSettings settings;
        FakeMonitorWindow window;
        LoadSettings(settings, window);
        return settings;
    }

    void TearDown() override
    {
        RegStoreFile::takeSetAside();
        StoreFixture::TearDown();
    }

    TMonitorSettings m_settings;
    FakeMonitorWindow m_window;
};

TEST_F(HostileStoreFiles, WhatEditorsWriteIsReadWhole)
{
    struct Case
    {
        const char* name;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"LF", userStore("\n")},
        {"CRLF", userStore("\r\n")},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF" + userStore("\r\n")},
        {"UTF-16 little endian", utf16(userStore("\r\n"), false)},
        {"UTF-16 big endian", utf16(userStore("\n"), true)},
        {"comment after each header", userStore("\n", "  ; my router")},
        {"comment lines and blank lines between values",
         userStore("\r\n", "", "; note\r\n\r\n   \r\n")},
        {"signature of the newer editor, UTF-16",
         utf16("Windows Registry Editor Version 5.00\r\n" + userStore("\r\n").substr(9), false)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TMonitorSettings settings = loadFrom(c.bytes);
        EXPECT_FALSE(settings.FirstRun);
        EXPECT_EQ(settings.Interval, 7);
        ASSERT_EQ(settings.Sensors.size(), 1u);
        EXPECT_EQ(settings.Sensors[0].HostName, "Attic r\xC3\xB6uter");
        EXPECT_EQ(settings.Sensors[0].Community, "s3cret");
        EXPECT_TRUE(setAsideCopies().empty());
        EXPECT_EQ(RegStoreFile::takeSetAside(), "");
        // Written back as plain UTF-8 with the user's values.
        EXPECT_NE(storeText().find("\"Community\"=\"s3cret\""), std::string::npos);
        fs::remove(storeFile());
    }
}

TEST_F(HostileStoreFiles, AFileNotReadWholeIsSetAsideBeforeDefaultsAreWritten)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        bool valuesSurvive; // what could be read is still used
    };
    const std::vector<Case> cases = {
        {"a line nobody understands", userStore("\n") + "Community=public\n", true},
        {"a header that never closes", userStore("\n") + "[HKEY_CURRENT_USER\\Broken\n", true},
        {"a value of no known kind", userStore("\n") + "\"Odd\"=float:1.5\n", true},
        {"UTF-16 cut in the middle of a unit", utf16(userStore("\n"), false) + "x", true},
        {"UTF-16 with a lone surrogate", utf16(userStore("\n"), false) + std::string("\x00\xD8", 2),
         true},
        {"larger than any store", userStore("\n") + std::string(5 * 1024 * 1024, ';'), false},
        {"binary junk",
         std::string("\x7F"
                     "ELF\x02\x01\x01\0\0\0",
                     10),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TMonitorSettings settings = loadFrom(c.bytes);

        const auto copies = setAsideCopies();
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_EQ(fileText(copies[0]), c.bytes) << "the copy is the file byte for byte";
        struct stat info
        {
        };
        ASSERT_EQ(stat(copies[0].c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0600u);
        EXPECT_EQ(RegStoreFile::takeSetAside(), copies[0].string());
        EXPECT_EQ(RegStoreFile::takeSetAside(), "") << "told once";

        // The new store is whole: a second load reads it without complaint.
        ASSERT_TRUE(fs::exists(storeFile()));
        TMonitorSettings again;
        FakeMonitorWindow window;
        LoadSettings(again, window);
        EXPECT_EQ(setAsideCopies().size(), 1u);
        if (c.valuesSurvive) {
            EXPECT_EQ(settings.Sensors.at(0).Community, "s3cret");
            EXPECT_EQ(again.Sensors.at(0).Community, "s3cret");
            EXPECT_EQ(again.Interval, 7);
        } else {
            EXPECT_TRUE(settings.FirstRun);
            EXPECT_EQ(again.Sensors.at(0).Community, "vandor");
        }
        for (const fs::path& copy : copies)
            fs::remove(copy);
        fs::remove(storeFile());
    }
}

TEST_F(HostileStoreFiles, AnEarlierCopyIsNeverOverwritten)
{
    const std::string first = userStore("\n") + "garbage one\n";
    const std::string second = userStore("\n") + "garbage two\n";
    writeStoreText(first);
    LoadSettings(m_settings, m_window);
    writeStoreText(second);
    TMonitorSettings settings;
    LoadSettings(settings, m_window); // within the same second as the first
    const auto copies = setAsideCopies();
    ASSERT_EQ(copies.size(), 2u);
    std::vector<std::string> texts = {fileText(copies[0]), fileText(copies[1])};
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{first, second}));
}

TEST_F(HostileStoreFiles, WhatIsNoFileIsNeitherMovedNorReplaced)
{
    // A folder or a FIFO in the store's place: the load fails, nothing moves.
    fs::create_directories(storeFile());
    EXPECT_THROW(LoadSettings(m_settings, m_window), TRegistryError);
    EXPECT_TRUE(fs::is_directory(storeFile()));
    EXPECT_TRUE(setAsideCopies().empty());
    fs::remove(storeFile());

    ASSERT_EQ(mkfifo(storeFile().c_str(), 0600), 0);
    EXPECT_THROW(LoadSettings(m_settings, m_window), TRegistryError);
    EXPECT_TRUE(fs::is_fifo(storeFile()));
    EXPECT_TRUE(setAsideCopies().empty());
}

// A link in the store's place is followed only from a folder nobody else
// may write to; elsewhere it is set aside like any file that cannot be read,
// and what it points to is neither read nor changed.
TEST_F(HostileStoreFiles, LinksAreFollowedOnlyWhereNobodyElseWrites)
{
    const struct
    {
        const char* what;
        mode_t folderMode;
        const char* hostName; // sensor 0's after the load
        bool setAside;
    } cases[] = {
        {"a folder of the user's own", 0700, "Attic r\xC3\xB6uter", false},
        {"a folder the group may write", 0770, "Sensor #1", true},
        {"a folder everyone may write", 01777, "Sensor #1", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(m_root / "config");
        fs::create_directories(storeFile().parent_path());
        const fs::path target = m_root / "elsewhere.reg";
        std::ofstream(target, std::ios::binary) << userStore("\n");
        fs::create_symlink(target, storeFile());
        ASSERT_EQ(::chmod(storeFile().parent_path().c_str(), c.folderMode), 0);

        TMonitorSettings settings;
        LoadSettings(settings, m_window);
        ASSERT_EQ(settings.Sensors.size(), 1u);
        EXPECT_EQ(settings.Sensors[0].HostName, c.hostName);
        EXPECT_EQ(setAsideCopies().size(), c.setAside ? 1u : 0u);
        if (c.setAside) {
            EXPECT_EQ(fileText(target), userStore("\n")) << "what the link points to is untouched";
        }
        ::chmod(storeFile().parent_path().c_str(), 0700);
    }
}

// Names from agents are bounded before they are stored: however long the
// names 256 sensors bring, the store that is written is one its reader takes
// back whole, with every sensor.
TEST_F(HostileStoreFiles, AgentSizedNamesKeepTheStoreReadable)
{
    // 65 KB of the bytes that grow most when written (escaped), then a
    // character of two bytes across the bound.
    const std::string agentName =
        std::string(kMaxStoredNameBytes - 1, '\\') + "\xC3\xB6" + std::string(65 * 1024, '"');
    const std::string kept = std::string(kMaxStoredNameBytes - 1, '\\');
    for (const int32_t count : {64, kMaxNumberOfHosts}) {
        SCOPED_TRACE(count);
        fs::remove_all(m_root / "config");
        TMonitorSettings settings;
        settings.resizeSensors(count);
        for (TSensorRecord& sensor : settings.Sensors) {
            sensor.HostName = agentName;
            sensor.SensorName = agentName;
        }
        SaveSettings(settings, m_window);
        EXPECT_LE(fs::file_size(storeFile()), RegStoreFile::kMaxFileSize);

        TMonitorSettings loaded;
        LoadSettings(loaded, m_window);
        EXPECT_EQ(loaded.NumberOfHosts, count);
        ASSERT_EQ(loaded.Sensors.size(), std::size_t(count));
        EXPECT_EQ(loaded.Sensors.back().HostName, kept);
        EXPECT_EQ(loaded.Sensors.back().SensorName, kept);
        EXPECT_TRUE(setAsideCopies().empty());
    }

    // A name at the bound is kept whole, in memory and in the store.
    TMonitorSettings settings;
    settings.resizeSensors(1);
    const std::string atTheBound = std::string(kMaxStoredNameBytes - 2, 'a') + "\xC3\xB6";
    settings.Sensors[0].HostName = atTheBound;
    SaveSettings(settings, m_window);
    TMonitorSettings loaded;
    LoadSettings(loaded, m_window);
    EXPECT_EQ(loaded.Sensors[0].HostName, atTheBound);
}

// What the user typed is not cut, but a store the reader would refuse is
// never written: the save says so and the file on disk stays as it was.
TEST_F(HostileStoreFiles, AStoreTooLargeToReadIsNotWritten)
{
    TMonitorSettings settings;
    settings.resizeSensors(2);
    SaveSettings(settings, m_window);
    const std::string before = storeText();

    settings.resizeSensors(64);
    for (TSensorRecord& sensor : settings.Sensors)
        sensor.Community = std::string(65 * 1024, 'c');
    try {
        SaveSettings(settings, m_window);
        FAIL() << "a store over the limit must not be saved silently";
    } catch (const TRegistryError& error) {
        const std::string text = error.what();
        EXPECT_EQ(text.rfind("The settings were not saved: they take ", 0), 0u) << text;
        EXPECT_NE(text.find(" bytes, more than the 4 MiB a settings file may hold."),
                  std::string::npos)
            << text;
    }
    EXPECT_EQ(storeText(), before);
    TMonitorSettings loaded;
    LoadSettings(loaded, m_window);
    EXPECT_EQ(loaded.NumberOfHosts, 2);
    EXPECT_TRUE(setAsideCopies().empty());
}

} // namespace
