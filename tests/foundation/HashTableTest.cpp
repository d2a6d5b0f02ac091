#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "foundation/VekHashTable.h"
#include "foundation/VekLine.h"

namespace orvel {
namespace {

TEST(HashTable, KeysWithTheSameByteSumShareABucketAndAreBothFound) {
    EXPECT_EQ(TVekHashTable::hashOf("1-0"), TVekHashTable::hashOf("0-1"));
    EXPECT_EQ(TVekHashTable::hashOf(""), 0);
    EXPECT_EQ(TVekHashTable::hashOf("\xff\x01"), 0);  // bytes count unsigned
    TVekHashTable table;
    table.put("1-0", TVekHashEntry(TVectorInteger{1, 0}));
    table.put("0-1", TVekHashEntry(TVectorInteger{0, 1}));
    ASSERT_TRUE(table.containsKey("1-0"));
    ASSERT_TRUE(table.containsKey("0-1"));
    EXPECT_EQ(table.get("1-0")->getIntegerArray(), (TVectorInteger{1, 0}));
    EXPECT_EQ(table.get("0-1")->getIntegerArray(), (TVectorInteger{0, 1}));
    EXPECT_EQ(table.get("1-0")->getNext(), table.get("0-1"));
    EXPECT_FALSE(table.containsKey("1-1"));
    EXPECT_EQ(table.get("1-1"), nullptr);
}

TEST(HashTable, DuplicateKeysAreFoundAndRemovedFirstInFirst) {
    TVekHashTable table;
    table.put("7", TVekHashEntry(TVectorInteger{1}));
    table.put("7", TVekHashEntry(TIntegerMatrix{{2, 3}}));
    EXPECT_EQ(table.get("7")->getIntegerArray(), (TVectorInteger{1}));
    table.remove("7");
    ASSERT_TRUE(table.containsKey("7"));
    EXPECT_EQ(table.get("7")->getIntegerMatrix(), (TIntegerMatrix{{2, 3}}));
    table.remove("7");
    EXPECT_FALSE(table.containsKey("7"));
    table.remove("7");  // absent: nothing happens
}

TEST(HashTable, ObjectValuesAreSharedNotOwned) {
    TVekHashTable table;
    auto line = std::make_shared<TVekLine>(0, 0, 3, 4);
    table.put("side", TVekHashEntry(line));
    EXPECT_EQ(table.get("side")->getObject<TVekLine>()->length, 5);
    EXPECT_EQ(table.get("side")->getObject<std::string>(), nullptr);  // another kind of value
    table.clear();
    EXPECT_FALSE(table.containsKey("side"));
    EXPECT_EQ(line.use_count(), 1);  // still alive with the caller
    EXPECT_EQ(line->length, 5);

    std::weak_ptr<TVekLine> onlyInTable;
    {
        auto stored = std::make_shared<TVekLine>(0, 0, 1, 0);
        onlyInTable = stored;
        table.put("a", TVekHashEntry(std::move(stored)));
    }
    table.put("b", TVekHashEntry(TIntegerMatrix{{1}}));
    EXPECT_FALSE(onlyInTable.expired());
    table.clearAll(true);
    EXPECT_TRUE(onlyInTable.expired());
    EXPECT_FALSE(table.containsKey("a"));
    EXPECT_FALSE(table.containsKey("b"));
}

}  // namespace
}  // namespace orvel
