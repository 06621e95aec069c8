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
    // Consistent checksums but broken content.
    for (const std::string& bad : {
             buildVersionRecord({{"File Version", "1"}}),            // blank in a name
             buildVersionRecord({{"", "1"}}),                        // empty name
             buildVersionRecord({{"Name", std::string("a\0b", 3)}}), // zero in a value
             buildVersionRecord({{"Name", std::string(1025, 'v')}}), // value too long
         })
        EXPECT_EQ(parseVersionRecord(bytes(bad), bad.size(), block), 0u);
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
