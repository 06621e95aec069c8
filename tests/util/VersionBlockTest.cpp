#include "util/VersionRecordBuilder.h"

#include "VersionBlock.h"

#include <gtest/gtest.h>

namespace {

const unsigned char* bytes(const std::string& s)
{
    return reinterpret_cast<const unsigned char*>(s.data());
}

TEST(VersionRecord, ParsesAWellFormedRecord)
{
    const std::string record = buildVersionRecord(
        {{"FileVersion", "2.5.1"}, {"ProductName", "Travimetra"}}, 0x0407, 0x04B0);
    TVersionBlock block;
    EXPECT_EQ(parseVersionRecord(bytes(record), record.size(), block), record.size());
    EXPECT_EQ(block.translationKey(), "040704B0");
    std::string value;
    EXPECT_TRUE(block.query("\\StringFileInfo\\040704b0\\productname", value));
    EXPECT_EQ(value, "Travimetra");
    EXPECT_FALSE(block.query("\\StringFileInfo\\040904E4\\ProductName", value));
    EXPECT_FALSE(block.query("\\StringFileInfo\\040704B0\\Comments", value));
    EXPECT_FALSE(block.query("\\VarFileInfo\\Translation", value));
}

TEST(VersionRecord, RefusesEveryDamagedRecord)
{
    const std::string good = buildVersionRecord({{"FileVersion", "1.0.0"}});
    TVersionBlock block;
    // Cut anywhere: never complete.
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_EQ(parseVersionRecord(bytes(good), size, block), 0u) << "cut at " << size;
    // Any single flipped byte breaks the magic, a limit or the checksum.
    for (std::size_t i = 0; i < good.size(); ++i) {
        std::string bad = good;
        bad[i] = char(bad[i] ^ 0x01);
        EXPECT_EQ(parseVersionRecord(bytes(bad), bad.size(), block), 0u) << "flip at " << i;
    }
    // Consistent checksums: content at each limit is read, one past it or
    // broken is not. `strings` entries of `each` value bytes, the last of `last`.
    const auto record = [](std::size_t strings, std::size_t each, std::size_t last) {
        std::vector<std::pair<std::string, std::string>> entries(strings,
                                                                 {"N", std::string(each, 'v')});
        entries.back().second.resize(last);
        return buildVersionRecord(entries);
    };
    const struct
    {
        std::string record;
        bool read;
    } contents[] = {
        {buildVersionRecord({{"File Version", "1"}}), false},            // blank in a name
        {buildVersionRecord({{"", "1"}}), false},                        // empty name
        {buildVersionRecord({{"Name", std::string("a\0b", 3)}}), false}, // zero in a value
        {buildVersionRecord({{"Name\x7f", "1"}}), false},                // DEL in a name
        {buildVersionRecord({{"!~", "1"}}), true},                       // the outermost name bytes
        {buildVersionRecord({{std::string(64, 'n'), "1"}}), true},
        {buildVersionRecord({{std::string(65, 'n'), "1"}}), false},
        {record(1, 1024, 1024), true},
        {buildVersionRecord({{"Name", std::string(1025, 'v')}}), false},
        {record(16, 1024, 944), true}, // a table of 16384 bytes
        {record(16, 1024, 945), false},
        {record(64, 1, 1), true},
        {record(65, 1, 1), false},
    };
    for (const auto& c : contents)
        EXPECT_EQ(parseVersionRecord(bytes(c.record), c.record.size(), block),
                  c.read ? c.record.size() : 0u)
            << c.record.size();
    // A count that leaves table bytes over: patch the count and re-checksum.
    std::string spare = buildVersionRecord({{"A", "1"}, {"B", "2"}});
    spare[14] = 1;
    uint32_t hash = 2166136261u;
    for (std::size_t i = 8; i + 4 < spare.size(); ++i) {
        hash ^= static_cast<unsigned char>(spare[i]);
        hash *= 16777619u;
    }
    for (int i = 0; i < 4; ++i)
        spare[spare.size() - 4 + std::size_t(i)] = char((hash >> (8 * i)) & 0xFF);
    EXPECT_EQ(parseVersionRecord(bytes(spare), spare.size(), block), 0u);
}

TEST(VersionRecord, FoundBehindFalseStarts)
{
    const std::string good = buildVersionRecord({{"FileVersion", "3.1"}});
    std::string broken = good;
    broken[broken.size() - 1] ^= 0x55;
    const std::string data = "junk\x89TVM" + broken + "more" + good + "tail";
    TVersionBlock block;
    ASSERT_TRUE(findVersionBlock(bytes(data), data.size(), block));
    ASSERT_EQ(block.Strings.size(), 1u);
    EXPECT_EQ(block.Strings[0].second, "3.1");
    EXPECT_FALSE(findVersionBlock(bytes(broken), broken.size(), block));
}

} // namespace
