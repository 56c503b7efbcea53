#include "backupfile/CMyMap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> keysOf(const CMyMap& map)
{
    std::vector<std::string> keys;
    map.getKeys(keys);
    return keys;
}

CMyMap* filled(CMyMap& map, const std::vector<std::string>& keys)
{
    for (const auto& key : keys)
        EXPECT_TRUE(map.insert(key, "v" + key));
    return &map;
}

}  // namespace

TEST(MyMap, EnumeratesPreOrderGreaterSideFirst)
{
    CMyMap map;
    filled(map, {"M", "T", "D", "B", "E", "W", "P"});
    EXPECT_EQ(keysOf(map), (std::vector<std::string>{"M", "T", "W", "P", "D", "E", "B"}));
}

TEST(MyMap, SecondInsertReplacesValueKeepsPositionAndCounts)
{
    CMyMap map;
    map.insert("K", "first");
    map.insert("A", "a");
    map.insert("K", "second");
    EXPECT_EQ(map.getCounter(), 3u);
    EXPECT_EQ(keysOf(map), (std::vector<std::string>{"K", "A"}));
    std::string value;
    ASSERT_TRUE(map.getValue("K", value));
    EXPECT_EQ(value, "second");

    CMyMap single;
    single.insert("Global.Version", "1");
    single.insert("Global.Version", "2");
    EXPECT_EQ(single.getCounter(), 2u);
    EXPECT_EQ(keysOf(single).size(), 1u);
}

TEST(MyMap, KeysAreExactUnsignedByteStrings)
{
    CMyMap map;
    // A byte above 0x7F sorts after "z" when bytes compare unsigned: greater side of "m".
    filled(map, {"m", "a", "\xE9"});
    EXPECT_EQ(keysOf(map), (std::vector<std::string>{"m", "\xE9", "a"}));

    CMyMap names;
    filled(names, {"UserManagerConfig.DataLength", "UserManagerConfig.Data", "Global.Version"});
    EXPECT_TRUE(names.contains("UserManagerConfig.Data"));
    EXPECT_TRUE(names.contains("UserManagerConfig.DataLength"));
    EXPECT_FALSE(names.contains("UserManagerConfig.Dat"));
    EXPECT_FALSE(names.contains("global.version"));
    EXPECT_EQ(keysOf(names),
              (std::vector<std::string>{"UserManagerConfig.DataLength", "UserManagerConfig.Data", "Global.Version"}));
}

TEST(MyMap, OverlongKeyIsRefusedAndNotCounted)
{
    CMyMap map;
    const std::string longest(254, 'k');
    const std::string tooLong(255, 'k');
    EXPECT_TRUE(map.insert(longest, "ok"));
    EXPECT_FALSE(map.insert(tooLong, "no"));
    EXPECT_TRUE(map.contains(longest));
    EXPECT_FALSE(map.contains(tooLong));
    EXPECT_EQ(map.getCounter(), 1u);
    EXPECT_EQ(keysOf(map).size(), 1u);
}

TEST(MyMap, MissingKeyAndEmptyStore)
{
    CMyMap map;
    std::vector<std::string> keys{"already", "there"};
    EXPECT_EQ(map.getKeys(keys), 2u);
    EXPECT_EQ(map.getCounter(), 0u);

    map.insert("a", "1");
    std::string value = "untouched";
    EXPECT_FALSE(map.getValue("b", value));
    EXPECT_EQ(value, "untouched");
    EXPECT_EQ(map.getKeys(keys), 3u);
}
