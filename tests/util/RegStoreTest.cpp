#include "RegStore.h"

#include <gtest/gtest.h>

namespace {

const char* const kKey = "HKEY_CURRENT_USER\\Software\\Quorvane\\Travimetra";

std::string dataOf(const TRegStore& store, const char* key, const char* name)
{
    const TRegKey* k = store.findKey(key);
    if (!k)
        return "<no key>";
    const TRegValue* v = k->findValue(name);
    return v ? v->Data : "<no value>";
}

TEST(RegStoreParse, ReadsWhatPeopleAndOtherToolsWrite)
{
    const std::string text = "REGEDIT4\r\n"
                             "; edited by hand\r\n"
                             "\r\n"
                             "[HKEY_CURRENT_USER\\Software\\Quorvane\\Travimetra]\r\n"
                             "\"TimesRun\"=DWORD:0000000A\r\n"
                             "  \"LogFile\" = \"/tmp/a \\\"b\\\".log\"\r\n"
                             "\"Long\"=hex:01,02,\\\r\n"
                             "  03,04\r\n"
                             "\"Path\"=hex(2):24,48,00\r\n"
                             "\"Multi\"=hex(7):61,00,00\r\n"
                             "@=\"default\"\r\n"
                             "\r\n"
                             "[hkey_current_user\\software\\quorvane\\travimetra]\r\n"
                             "\"Second\"=dword:1\r\n";
    const TRegStore store = TRegStore::parse(text);
    ASSERT_EQ(store.keys().size(), 1u);
    const TRegKey& key = store.keys()[0];
    EXPECT_EQ(key.path(), kKey);
    EXPECT_EQ(key.findValue("timesrun")->Type, REG_DWORD);
    EXPECT_EQ(key.findValue("TimesRun")->Data, std::string("\x0A\0\0\0", 4));
    EXPECT_EQ(dataOf(store, kKey, "LogFile"), "/tmp/a \"b\".log");
    EXPECT_EQ(dataOf(store, kKey, "Long"), "\x01\x02\x03\x04");
    EXPECT_EQ(key.findValue("Path")->Type, REG_EXPAND_SZ);
    EXPECT_EQ(dataOf(store, kKey, "Path"), "$H");
    EXPECT_EQ(key.findValue("Multi")->Type, 7u);
    EXPECT_EQ(dataOf(store, kKey, "Multi"), std::string("a\0\0", 3));
    EXPECT_EQ(dataOf(store, kKey, ""), "default");
    EXPECT_EQ(dataOf(store, kKey, "Second"), std::string("\x01\0\0\0", 4));
}

TEST(RegStoreParse, SkipsWhatItCannotUnderstandAndKeepsTheRest)
{
    const std::string text = "\"Orphan\"=dword:00000001\n" // before any key
                             "[HKEY_CURRENT_USER\\A]\n"
                             "\"Good\"=dword:00000002\n"
                             "\"BadHex\"=hex:1g\n"
                             "\"TooLong\"=dword:123456789\n"
                             "\"Open=\"x\"\n"
                             "\"Trailing\"=\"x\" y\n"
                             "garbage line\n"
                             "[-HKEY_CURRENT_USER\\Removed]\n"
                             "\"Lost\"=dword:00000003\n"
                             "[HKEY_CURRENT_USER\\Broken\n"
                             "\"AlsoLost\"=dword:00000004\n"
                             "[HKEY_CURRENT_USER\\A]\n"
                             "\"Deleted\"=-\n"
                             "\"Last\"=\"ok\"";
    const TRegStore store = TRegStore::parse(text);
    ASSERT_EQ(store.keys().size(), 1u);
    const TRegKey& key = store.keys()[0];
    ASSERT_EQ(key.values().size(), 2u);
    EXPECT_EQ(key.values()[0].Name, "Good");
    EXPECT_EQ(key.values()[1].Name, "Last");
    EXPECT_EQ(key.values()[1].Data, "ok");
}

TEST(RegStoreSerialize, WritesBackExactlyWhatItRead)
{
    TRegStore store;
    TRegKey& key = store.createKey("HKEY_CURRENT_USER\\\\Software\\Quorvane\\");
    key.setValue("Text", REG_SZ, "tab\there, cr\r, lf\n");
    key.setValue("Plain", REG_SZ, "\"quoted\" \\ and ü");
    key.setValue("Empty", REG_SZ, "");
    key.setValue("Expand", REG_EXPAND_SZ, "x");
    key.setValue("Dword", REG_DWORD, std::string("\xFF\x00\x00\x80", 4));
    key.setValue("ShortDword", REG_DWORD, "\x01");
    key.setValue("Bin", REG_BINARY, "");
    key.setValue("", REG_SZ, "unnamed");
    key.setValue("Qword", 0xB, std::string(8, '\x11'));
    store.createKey("HKEY_CURRENT_USER\\Software\\Quorvane\\Travimetra\\0")
        .setValue("Active", REG_BINARY, "True");

    const std::string text = store.serialize();
    EXPECT_EQ(text.find("HKEY_CURRENT_USER\\\\"), std::string::npos);
    EXPECT_NE(text.find("\"Dword\"=dword:800000ff\n"), std::string::npos);
    EXPECT_NE(text.find("\"Empty\"=\"\"\n"), std::string::npos);
    EXPECT_NE(text.find("@=\"unnamed\"\n"), std::string::npos);

    const TRegStore again = TRegStore::parse(text);
    ASSERT_EQ(again.keys().size(), store.keys().size());
    for (std::size_t k = 0; k < store.keys().size(); ++k) {
        const auto& expected = store.keys()[k].values();
        const auto& actual = again.keys()[k].values();
        ASSERT_EQ(actual.size(), expected.size());
        for (std::size_t v = 0; v < expected.size(); ++v) {
            EXPECT_EQ(actual[v].Name, expected[v].Name);
            EXPECT_EQ(actual[v].Type, expected[v].Type) << expected[v].Name;
            EXPECT_EQ(actual[v].Data, expected[v].Data) << expected[v].Name;
        }
    }
    EXPECT_EQ(again.serialize(), text);
}

TEST(RegStorePaths, RefusesWhatALineCannotCarry)
{
    EXPECT_TRUE(TRegStore::isStorablePath("HKEY_CURRENT_USER\\Software\\x y"));
    EXPECT_FALSE(TRegStore::isStorablePath("HKEY_CURRENT_USER\\a\nb"));
    EXPECT_FALSE(TRegStore::isStorablePath("\\-HKEY_CURRENT_USER"));
    EXPECT_FALSE(TRegStore::isStorablePath("\\\\"));
    EXPECT_FALSE(TRegStore::isStorableName("a\rb"));
}

} // namespace

namespace {

template <std::size_t N> std::string bytes(const char (&literal)[N])
{
    return std::string(literal, N - 1);
}

TEST(RegStoreParse, TellsWhetherEveryLineWasUnderstood)
{
    const std::string header = "[A]";
    struct Case
    {
        const char* name;
        std::string text;
        bool complete;
        const char* good; // the data of "Good" afterwards
    };
    const Case cases[] = {
        {"signature, comments and blanks", "REGEDIT4\n; c\n\n" + header + "\n\"Good\"=\"1\"\n",
         true, "1"},
        {"comment after a header", "REGEDIT4\n" + header + " ; mine\n\"Good\"=\"2\"\n", true, "2"},
        {"bracket inside the header comment", header + "\t;[x] y]\n\"Good\"=\"3\"\n", true, "3"},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBFREGEDIT4\r\n" + header + "\r\n\"Good\"=\"4\"\r\n",
         true, "4"},
        {"UTF-16LE", bytes("\xFF\xFE[\0A\0]\0\n\0\"\0G\0o\0o\0d\0\"\0=\0\"\0\xE9\0\"\0"), true,
         "\xC3\xA9"},
        {"UTF-16BE, astral character",
         bytes("\xFE\xFF\0[\0A\0]\0\n\0\"\0G\0o\0o\0d\0\"\0=\0\"\xD8\x3D\xDE\x00\0\""), true,
         "\xF0\x9F\x98\x80"},
        {"signature not first", header + "\nREGEDIT4\n\"Good\"=\"5\"\n", false, "5"},
        {"text after a header", header + " x\n\"Good\"=\"6\"\n", false, "<no key>"},
        {"value before any header", "\"Good\"=\"7\"\n", false, "<no key>"},
        {"removal header", "[-" + header.substr(1) + "\n", false, "<no key>"},
        {"line of no kind", header + "\n\"Good\"=\"8\"\nrubbish\n", false, "8"},
        {"unknown data kind", header + "\n\"Good\"=\"9\"\n\"Bad\"=str:1\n", false, "9"},
        {"UTF-16 odd length", bytes("\xFF\xFE[\0A\0]\0\n\0\n"), false, "<no value>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool complete = !c.complete;
        const TRegStore store = TRegStore::parse(c.text, &complete);
        EXPECT_EQ(complete, c.complete);
        EXPECT_EQ(dataOf(store, "A", "Good"), c.good);
        // What is written back always reads back whole.
        bool again = false;
        TRegStore::parse(store.serialize(), &again);
        EXPECT_TRUE(again);
    }
}

} // namespace
