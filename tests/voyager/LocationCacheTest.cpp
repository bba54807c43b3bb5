#include <gtest/gtest.h>

#include "voyager/LocationCache.h"

namespace linkmend {
namespace {

LocationEntry Loc(int id) {
    LocationEntry e;
    e.id = std::to_string(id);
    e.code = "C" + e.id;
    e.name = "Name " + e.id;
    return e;
}

TEST(LocationCache, HitRaisesCountAndFindsByIdOrCode) {
    LocationCache cache;
    cache.Add(Loc(7));
    const LocationEntry* e = cache.FindById("7");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->hits, 2);
    e = cache.FindByCode("C7");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->hits, 3);
    EXPECT_EQ(e->name, "Name 7");
    EXPECT_EQ(cache.FindById("8"), nullptr);
    EXPECT_EQ(cache.FindByCode("7"), nullptr);
}

TEST(LocationCache, TwentySixthLocationReplacesFirstEntryReadOnlyOnce) {
    LocationCache cache;
    for (int i = 1; i <= 25; ++i) ASSERT_TRUE(cache.Add(Loc(i)));
    cache.FindById("1");
    cache.FindById("2");
    // 3 is the first entry still at one read.
    ASSERT_TRUE(cache.Add(Loc(26)));
    ASSERT_EQ(cache.Entries().size(), 25u);
    EXPECT_EQ(cache.Entries()[2].id, "26");
    EXPECT_EQ(cache.Entries()[2].hits, 1);
    EXPECT_EQ(cache.FindById("3"), nullptr);
    EXPECT_NE(cache.FindById("1"), nullptr);
}

TEST(LocationCache, WhenAllReadTwiceFirstEntryAtTwoGoesThenAtThree) {
    LocationCache cache;
    for (int i = 1; i <= 25; ++i) cache.Add(Loc(i));
    for (int i = 1; i <= 25; ++i) cache.FindById(std::to_string(i));  // all at 2
    cache.FindById("1");                                              // 1 at 3
    ASSERT_TRUE(cache.Add(Loc(30)));
    EXPECT_EQ(cache.Entries()[1].id, "30");
    for (int i = 3; i <= 25; ++i) cache.FindById(std::to_string(i));  // all but 30 and 1 at 3
    cache.FindById("30");
    cache.FindById("30");  // 30 at 3 as well
    ASSERT_TRUE(cache.Add(Loc(31)));
    EXPECT_EQ(cache.Entries()[0].id, "31");
}

TEST(LocationCache, EntriesReadFourTimesAreNeverReplaced) {
    LocationCache cache;
    for (int i = 1; i <= 25; ++i) {
        cache.Add(Loc(i));
        for (int k = 0; k < 3; ++k) cache.FindById(std::to_string(i));
    }
    EXPECT_FALSE(cache.Add(Loc(99)));
    EXPECT_EQ(cache.FindById("99"), nullptr);
    for (const auto& e : cache.Entries()) EXPECT_NE(e.id, "99");
}

}  // namespace
}  // namespace linkmend
