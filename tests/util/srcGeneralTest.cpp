#include "util/StoreFixture.h"

#include "ControlCharacters.h"
#include "RegSession.h"
#include "RegStoreFile.h"
#include "srcGeneral.h"

#include <sys/stat.h>

namespace {

const std::string kKey = "Software\\Quorvane\\Travimetra";

// ---- ShortenPath ----

// Beyond the maximum, a path keeps its start and its whole last element with
// "..." between them, and never half a UTF-8 character ("ä" is two bytes).
TEST(ShortenPath, KeepsTheStartAndTheWholeLastElement)
{
    const std::string deep = "/" + std::string(79, 'd') + "/" + std::string(19, 'f'); // 100 bytes
    const std::string log = "/home/ann/" + std::string(60, 'x') + "/Travimetra.log";  // 85 bytes
    const std::string wide = "/ab\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4" + std::string(20, 'c') + "/f";
    const struct
    {
        std::string path;
        int max;
        std::string shortened;
    } cases[] = {
        {deep, 70, deep.substr(0, 47) + ".../" + std::string(19, 'f')},
        {log, 85, log},
        {log, 84, log.substr(0, 66) + ".../Travimetra.log"},
        {std::string(100, 'a'), 70, std::string(67, 'a') + "..."},
        {"/var/log/" + std::string(80, 'n'), 70, ".../" + std::string(80, 'n')},
        {wide, 12, "/ab\xC3\xA4\xC3\xA4.../f"},
        {"/a/b", -1, ".../b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShortenPath(c.path, c.max), c.shortened) << c.path << " to " << c.max;
}

// Texts become lines and names only without control characters (DEL is one,
// a byte above it is not), and are cut only between UTF-8 characters.
TEST(ControlCharacters, ReplacedAndNeverCutInsideACharacter)
{
    EXPECT_EQ(ControlCharacters::replaced(std::string("a\x1f \x7f~\x80\t", 7), '?'), "a? ?~\x80?");
    const struct
    {
        const char* text;
        std::size_t max;
        const char* kept;
    } cuts[] = {
        {"a\xC3\xA9", 3, "a\xC3\xA9"}, {"a\xC3\xA9", 2, "a"},
        {"\xE2\x82\xAC", 2, ""},       {"\xF0\x9F\x98\x80x", 4, "\xF0\x9F\x98\x80"},
        {"\xF0\x9F\x98\x80x", 3, ""},  {"abc", 0, ""},
    };
    for (const auto& c : cuts)
        EXPECT_EQ(ControlCharacters::cutUtf8(c.text, c.max), c.kept) << c.text << " to " << c.max;
}

// ---- ReadRegValue / WriteRegValue ----

using RegValues = StoreFixture;

TEST_F(RegValues, MissingValueKeyOrFileRaisesTheReadError)
{
    try {
        ReadRegValue(HKEY_CURRENT_USER, kKey, "TimesRun");
        FAIL() << "a missing store must raise";
    } catch (const TRegistryError& error) {
        EXPECT_STREQ(error.what(), "No such file or directory");
    }
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(5), rdInteger);
    try {
        ReadRegValue(HKEY_CURRENT_USER, kKey, "TimesRun");
        FAIL() << "a missing value must raise";
    } catch (const TRegistryError& error) {
        EXPECT_EQ(error.code(), 1012);
        EXPECT_STREQ(error.what(), "The configuration registry key could not be read.");
    }
    EXPECT_THROW(ReadRegValue(HKEY_CURRENT_USER, kKey + "\\0", "Active"), TRegistryError);
}

TEST_F(RegValues, BooleanAsBinaryStoresTheFourBytesOfTrue)
{
    WriteRegValue(HKEY_CURRENT_USER, kKey, "AlwaysOnTop", true, rdBinary);
    WriteRegValue(HKEY_CURRENT_USER, kKey, "DoPing", false, rdBinary);
    EXPECT_NE(storeText().find("\"AlwaysOnTop\"=hex:54,72,75,65\n"), std::string::npos);
    EXPECT_EQ(std::get<std::string>(ReadRegValue(HKEY_CURRENT_USER, kKey, "AlwaysOnTop")), "True");
    EXPECT_EQ(std::get<std::string>(ReadRegValue(HKEY_CURRENT_USER, kKey, "DoPing")), "False");
}

TEST_F(RegValues, EveryKindComesBackAsWritten)
{
    const std::string awkward = "say \"hi\" C:\\dir\n\r;[x]=\x01";
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Text", awkward, rdString);
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Plain", std::string("a \"b\" \\c"), rdString);
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Expand", std::string("$HOME/x"), rdExpandString);
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Number", int32_t(-2), rdInteger);
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Decimal", std::string("1234"), rdInteger);
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Bytes", std::string("\x00\xFF", 2), rdBinary);
    WriteRegValue(HKEY_CURRENT_USER, kKey, "NumberAsText", int32_t(42), rdString);

    auto read = [](const char* name) { return ReadRegValue(HKEY_CURRENT_USER, kKey, name); };
    EXPECT_EQ(std::get<std::string>(read("Text")), awkward);
    EXPECT_EQ(std::get<std::string>(read("Plain")), "a \"b\" \\c");
    EXPECT_EQ(std::get<std::string>(read("Expand")), "$HOME/x");
    EXPECT_EQ(std::get<int32_t>(read("Number")), -2);
    EXPECT_EQ(std::get<int32_t>(read("Decimal")), 1234);
    EXPECT_EQ(std::get<std::string>(read("Bytes")), std::string("\x00\xFF", 2));
    EXPECT_EQ(std::get<std::string>(read("NumberAsText")), "42");

    const std::string text = storeText();
    EXPECT_NE(text.find("\"Plain\"=\"a \\\"b\\\" \\\\c\"\n"), std::string::npos);
    EXPECT_NE(text.find("\"Expand\"=hex(2):24,48,4f,4d,45,2f,78,00\n"), std::string::npos);
    EXPECT_NE(text.find("\"Number\"=dword:fffffffe\n"), std::string::npos);
    EXPECT_EQ(text.rfind("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quorvane\\Travimetra]\n", 0),
              0u);
}

TEST_F(RegValues, KindZeroKeepsTheStoredKindAndFailsWithoutOne)
{
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(5), rdInteger);
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", std::string("7"), rdUnknown);
    EXPECT_EQ(std::get<int32_t>(ReadRegValue(HKEY_CURRENT_USER, kKey, "Interval")), 7);

    try {
        WriteRegValue(HKEY_CURRENT_USER, kKey + "\\9", "Fresh", int32_t(1), rdUnknown);
        FAIL() << "kind 0 without a stored value must raise";
    } catch (const TRegistryError& error) {
        EXPECT_EQ(error.code(), 1013);
        EXPECT_STREQ(error.what(), "The configuration registry key could not be written.");
    }
    // The key was opened (created) before the kind was found wanting.
    EXPECT_NE(storeText().find("[HKEY_CURRENT_USER\\Software\\Quorvane\\Travimetra\\9]"),
              std::string::npos);
    EXPECT_THROW(WriteRegValue(HKEY_CURRENT_USER, kKey, "Odd", int32_t(1), 7), TRegistryError);
    EXPECT_THROW(ReadRegValue(HKEY_CURRENT_USER, kKey, "Odd"), TRegistryError);
}

TEST_F(RegValues, NonNumericTextAsIntegerRaisesAndStoresNothing)
{
    try {
        WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", std::string("5s"), rdInteger);
        FAIL() << "a text that is no integer must raise";
    } catch (const TConvertError& error) {
        EXPECT_STREQ(error.what(), "'5s' is not a valid integer value");
    }
    EXPECT_FALSE(std::filesystem::exists(storeFile()));
}

TEST_F(RegValues, NamesAndKeysIgnoreCaseAndKeepTheirFirstSpelling)
{
    WriteRegValue(HKEY_CURRENT_USER, kKey, "LogFile", std::string("a"), rdString);
    WriteRegValue(HKEY_CURRENT_USER, "SOFTWARE\\quorvane\\TRAVIMETRA\\", "LOGFILE",
                  std::string("b"), rdString);
    EXPECT_EQ(std::get<std::string>(
                  ReadRegValue(HKEY_CURRENT_USER, "\\software\\Quorvane\\travimetra", "logfile")),
              "b");
    const std::string text = storeText();
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Quorvane\\Travimetra]\n\"LogFile\"=\"b\"\n"),
              std::string::npos);
    EXPECT_EQ(text.find("LOGFILE"), std::string::npos);
    EXPECT_EQ(text.find("SOFTWARE"), std::string::npos);
}

TEST_F(RegValues, StoreFileIsPrivateAndReplacedWhole)
{
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Community", std::string("secret"), rdString);
    struct stat info
    {
    };
    ASSERT_EQ(stat(storeFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    const ino_t before = info.st_ino;

    WriteRegValue(HKEY_CURRENT_USER, kKey, "HostIP", std::string("10.0.0.1"), rdString);
    ASSERT_EQ(stat(storeFile().c_str(), &info), 0);
    EXPECT_NE(info.st_ino, before) << "the file must be replaced, not rewritten in place";
    // Nothing but the store itself is left in its folder.
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(storeFile().parent_path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST_F(RegValues, DefaultsToTheConfigFolderInHome)
{
    unsetenv("XDG_CONFIG_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", (m_root / "home").c_str(), 1);
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(5), rdInteger);
    EXPECT_TRUE(std::filesystem::exists(m_root / "home/.config/Quorvane/Travimetra.reg"));
    setenv("HOME", savedHome.c_str(), 1);
}

TEST_F(RegValues, UnreadableStoreIsNeverOverwritten)
{
    // A folder where the file should be: it cannot be read or replaced.
    std::filesystem::create_directories(storeFile());
    EXPECT_THROW(ReadRegValue(HKEY_CURRENT_USER, kKey, "Interval"), TRegistryError);
    EXPECT_THROW(WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(5), rdInteger),
                 TRegistryError);
    std::filesystem::remove(storeFile());

    // A FIFO cannot stall the program.
    ASSERT_EQ(mkfifo(storeFile().c_str(), 0600), 0);
    EXPECT_THROW(ReadRegValue(HKEY_CURRENT_USER, kKey, "Interval"), TRegistryError);
    std::filesystem::remove(storeFile());

    // An oversized file is not read, but kept aside whole before a new one
    // takes its place.
    writeStoreText("REGEDIT4\n" + std::string(5 * 1024 * 1024, ';'));
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(5), rdInteger);
    const std::string aside = RegStoreFile::takeSetAside();
    ASSERT_NE(aside, "");
    EXPECT_EQ(std::filesystem::file_size(aside), 9u + 5 * 1024 * 1024);
    EXPECT_EQ(std::get<int32_t>(ReadRegValue(HKEY_CURRENT_USER, kKey, "Interval")), 5);
}

TEST_F(RegValues, WriteFailsWhenTheFolderCannotBeMade)
{
    std::ofstream(m_root / "config") << "a file, not a folder";
    try {
        WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(5), rdInteger);
        FAIL() << "an impossible folder must raise";
    } catch (const TRegistryError& error) {
        EXPECT_STREQ(error.what(), "Not a directory");
    }
}

TEST_F(RegValues, SessionWritesOnceAtCommit)
{
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(5), rdInteger);
    const std::string before = storeText();
    {
        TRegSession session;
        WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(9), rdInteger);
        WriteRegValue(HKEY_CURRENT_USER, kKey + "\\0", "Active", true, rdBinary);
        {
            TRegSession inner; // joins the outer one
            WriteRegValue(HKEY_CURRENT_USER, kKey, "ShowX", false, rdBinary);
            inner.commit();
        }
        EXPECT_EQ(std::get<int32_t>(ReadRegValue(HKEY_CURRENT_USER, kKey, "Interval")), 9);
        EXPECT_EQ(storeText(), before);
        session.commit();
        EXPECT_NE(storeText(), before);
    }
    EXPECT_EQ(std::get<std::string>(ReadRegValue(HKEY_CURRENT_USER, kKey, "ShowX")), "False");
    EXPECT_EQ(std::get<std::string>(ReadRegValue(HKEY_CURRENT_USER, kKey + "\\0", "Active")),
              "True");
}

TEST_F(RegValues, SessionLeftByAnErrorStillKeepsItsWrites)
{
    try {
        TRegSession session;
        WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(3), rdInteger);
        WriteRegValue(HKEY_CURRENT_USER, kKey, "Odd", int32_t(1), 9);
        session.commit();
    } catch (const TRegistryError& error) {
        EXPECT_EQ(error.code(), 1013);
    }
    EXPECT_EQ(std::get<int32_t>(ReadRegValue(HKEY_CURRENT_USER, kKey, "Interval")), 3);
}

TEST_F(RegValues, SessionOverAnUnreadableStoreRefusesWrites)
{
    std::filesystem::create_directories(storeFile());
    TRegSession session;
    EXPECT_THROW(ReadRegValue(HKEY_CURRENT_USER, kKey, "Interval"), TRegistryError);
    EXPECT_THROW(WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(5), rdInteger),
                 TRegistryError);
    EXPECT_NO_THROW(session.commit());
    EXPECT_TRUE(std::filesystem::is_directory(storeFile()));
}

// ---- Conversions used by the settings load ----

TEST(RegVariantConversion, AcceptsOnlyWhatStandsForTheTarget)
{
    int32_t number = 0;
    EXPECT_TRUE(regVariantToInt(std::string("-2147483648"), number));
    EXPECT_EQ(number, INT32_MIN);
    EXPECT_FALSE(regVariantToInt(std::string("2147483648"), number));
    EXPECT_FALSE(regVariantToInt(std::string("-2147483649"), number));
    EXPECT_TRUE(regVariantToInt(std::string("+2147483647"), number));
    EXPECT_EQ(number, INT32_MAX);
    EXPECT_FALSE(regVariantToInt(std::string(" 5"), number));
    EXPECT_FALSE(regVariantToInt(std::string(""), number));
    EXPECT_FALSE(regVariantToInt(std::string("-"), number));

    bool flag = false;
    EXPECT_TRUE(regVariantToBool(int32_t(1), flag));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(regVariantToBool(std::string("false"), flag));
    EXPECT_FALSE(flag);
    EXPECT_TRUE(regVariantToBool(int32_t(-7), flag));
    EXPECT_TRUE(flag);
    EXPECT_FALSE(regVariantToBool(std::string("Yes"), flag));
    EXPECT_FALSE(regVariantToBool(std::string("1"), flag));

    std::string text;
    EXPECT_TRUE(regVariantToText(int32_t(-12), text));
    EXPECT_EQ(text, "-12");
}

} // namespace
