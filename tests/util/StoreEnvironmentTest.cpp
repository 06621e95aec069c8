// The store in odd surroundings: variables that do not hold absolute paths,
// things other than files in its place, sizes right at its limit, and values
// of the right type but the wrong size.
#include "util/StoreFixture.h"

#include "RegStoreFile.h"
#include "RegistryError.h"
#include "StorePlatform.h"
#include "srcGeneral.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string kKey = "Software\\Quorvane\\Travimetra";
const std::string kHead = "REGEDIT4\n\n[HKEY_CURRENT_USER\\" + kKey + "]\n";

class StoreEnvironment : public StoreFixture
{
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        const char* home = std::getenv("HOME");
        m_savedHome = home ? home : "";
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        m_savedCwd = cwd;
        std::filesystem::create_directories(m_root / "cwd");
        ASSERT_EQ(chdir((m_root / "cwd").c_str()), 0);
    }
    void TearDown() override
    {
        setenv("HOME", m_savedHome.c_str(), 1);
        EXPECT_EQ(chdir(m_savedCwd.c_str()), 0);
        StoreFixture::TearDown();
    }

    int32_t readInterval() const
    {
        return std::get<int32_t>(ReadRegValue(HKEY_CURRENT_USER, kKey, "Interval"));
    }

    std::string m_savedHome;
    std::string m_savedCwd;
};

std::string passwdHome()
{
    const passwd* entry = getpwuid(getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "";
}

// Relative values depend on the folder the program was started from, so
// they are passed over: never a store in whatever folder that happened to be.
TEST_F(StoreEnvironment, RelativeFoldersAreNotUsed)
{
    setenv("HOME", (m_root / "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(5), rdInteger);
    EXPECT_TRUE(std::filesystem::exists(m_root / "home/.config/Quorvane/Travimetra.reg"));
    EXPECT_TRUE(std::filesystem::is_empty(m_root / "cwd"));

    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "relative-home", 1);
    const std::string config = StorePlatform::configHomeFolder();
    EXPECT_EQ(config, passwdHome().empty() ? "" : passwdHome() + "/.config");
    EXPECT_EQ(StorePlatform::stateHomeFolder().rfind("relative-home", 0), std::string::npos);
}

TEST_F(StoreEnvironment, TrailingSeparatorsAreDropped)
{
    setenv("XDG_CONFIG_HOME", (m_root.string() + "/config///").c_str(), 1);
    EXPECT_EQ(RegStoreFile::path(), (m_root / "config/Quorvane/Travimetra.reg").string());
}

TEST_F(StoreEnvironment, MissingFoldersAreMadePrivate)
{
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(5), rdInteger);
    for (const auto& folder : {m_root / "config", m_root / "config/Quorvane"}) {
        struct stat info
        {
        };
        ASSERT_EQ(stat(folder.c_str(), &info), 0) << folder;
        EXPECT_EQ(info.st_mode & 0777, 0700u) << folder;
    }
}

// Entries of the store's folder of one kind (as the folder lists them,
// links not followed), whatever their names.
int entriesOfKind(const std::filesystem::path& folder, std::filesystem::file_type kind)
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        count += entry.symlink_status().type() == kind ? 1 : 0;
    return count;
}

// A FIFO or a device in the store's place is never read as an empty store
// that a write then puts in its place: whatever happens to the store, the
// thing the user put there is still in the folder. A link to a store is
// followed only from a folder nobody but its owner, this user or root, may
// write to: elsewhere another user could point it anywhere.
TEST_F(StoreEnvironment, NonFilesInTheStoresPlaceAreNeverReplaced)
{
    const std::filesystem::path folder = storeFile().parent_path();
    const std::filesystem::path elsewhere = m_root / "elsewhere.reg";
    std::ofstream(elsewhere) << kHead << "\"Interval\"=dword:00000007\n";
    const struct
    {
        const char* what;
        std::filesystem::file_type kind;
        const char* target = "/dev/null"; // of a link
        mode_t folderMode = 0700;
        uid_t folderOwner = 0;
        bool followed = false;
    } cases[] = {{"FIFO", std::filesystem::file_type::fifo},
                 {"link to a device", std::filesystem::file_type::symlink},
                 {"link, private folder", std::filesystem::file_type::symlink, elsewhere.c_str(),
                  0700, 0, true},
                 {"link, folder the group may write", std::filesystem::file_type::symlink,
                  elsewhere.c_str(), 0770},
                 {"link, folder all may write", std::filesystem::file_type::symlink,
                  elsewhere.c_str(), 01777},
                 {"link, another user's folder", std::filesystem::file_type::symlink,
                  elsewhere.c_str(), 0700, 65534}};
    for (const auto& c : cases) {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        if (c.kind == std::filesystem::file_type::fifo)
            ASSERT_EQ(mkfifo(storeFile().c_str(), 0600), 0);
        else
            std::filesystem::create_symlink(c.target, storeFile());
        ASSERT_EQ(chmod(folder.c_str(), c.folderMode), 0);
        ASSERT_EQ(chown(folder.c_str(), c.folderOwner, c.folderOwner), 0) << "tests run as root";
        if (c.followed) {
            EXPECT_EQ(readInterval(), 7) << c.what;
            continue;
        }
        EXPECT_THROW(readInterval(), TRegistryError) << c.what;
        try {
            WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(5), rdInteger);
        } catch (const TRegistryError&) {
            // Refusing the write is one sound answer; losing the entry is not.
        }
        EXPECT_EQ(entriesOfKind(folder, c.kind), 1) << c.what << " was replaced";
    }
    EXPECT_EQ(std::filesystem::file_size(elsewhere), kHead.size() + 26) << "never written through";
}

// A store exactly as large as allowed is read; one byte more is not read,
// and its bytes are kept.
TEST_F(StoreEnvironment, SizeLimitMetExactly)
{
    const std::string value = "\"Interval\"=dword:00000007\n";
    const std::size_t limit = RegStoreFile::kMaxFileSize;
    for (const std::size_t size : {limit, limit + 1}) {
        const std::string comment = ";" + std::string(size - kHead.size() - value.size() - 2, 'x');
        const std::string text = kHead + value + comment + "\n";
        writeStoreText(text);
        ASSERT_EQ(std::filesystem::file_size(storeFile()), size);
        if (size == limit) {
            EXPECT_EQ(readInterval(), 7);
            continue;
        }
        EXPECT_THROW(readInterval(), TRegistryError) << "one byte over the limit";
        try {
            WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(5), rdInteger);
        } catch (const TRegistryError&) {
        }
        int copies = 0;
        for (const auto& entry : std::filesystem::directory_iterator(storeFile().parent_path())) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream kept;
            kept << in.rdbuf();
            copies += kept.str() == text ? 1 : 0;
        }
        EXPECT_EQ(copies, 1) << "the oversized store must be kept byte for byte";
    }
}

// A number stored with more or fewer than its four bytes, or a byte written
// with more than two hex digits, is unreadable: never a value made of some
// of its bytes or cut to its low byte.
TEST_F(StoreEnvironment, ValuesOfTheWrongSizeAreUnreadable)
{
    const struct
    {
        const char* line;
        const char* name;
        bool readable;
        TRegVariant value;
    } cases[] = {
        {"\"Interval\"=hex(4):07,00,00,00", "Interval", true, int32_t(7)},
        {"\"Interval\"=hex(4):07,00,00,00,01", "Interval", false, {}},
        {"\"Interval\"=hex(4):07,00,00", "Interval", false, {}},
        {"\"Interval\"=hex(4):", "Interval", false, {}},
        {"\"Bytes\"=hex:41,0a", "Bytes", true, std::string("A\n")},
        {"\"Bytes\"=hex:41,10a", "Bytes", false, {}},
        {"\"Bytes\"=hex:141", "Bytes", false, {}},
    };
    for (const auto& c : cases) {
        writeStoreText(kHead + c.line + "\n");
        if (c.readable)
            EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, c.name), c.value) << c.line;
        else
            EXPECT_THROW(ReadRegValue(HKEY_CURRENT_USER, kKey, c.name), TRegistryError) << c.line;
    }
}

// Texts with control characters, DEL included, are written as bytes: the
// file stays plain lines of printable text.
TEST_F(StoreEnvironment, ControlCharactersNeverReachTheFileRaw)
{
    for (const std::string& text : {std::string("a\x7f"
                                                "b"),
                                    std::string("tab\there"), std::string("bell\x07")}) {
        WriteRegValue(HKEY_CURRENT_USER, kKey, "Text", text, rdString);
        EXPECT_EQ(std::get<std::string>(ReadRegValue(HKEY_CURRENT_USER, kKey, "Text")), text);
        for (const char c : storeText())
            EXPECT_TRUE(c == '\n' || (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f))
                << "raw byte " << int(c) << " in the file for " << text;
    }
}

} // namespace
