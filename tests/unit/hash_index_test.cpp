#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "model/hash_index.h"

using namespace tagcfg;

TEST(TextHash, MatchesTheKnownValues) {
    EXPECT_EQ(text_hash("abc"), 139254u);
    EXPECT_EQ(text_hash("A"), 65u);
    EXPECT_EQ(text_hash("ABCDEFGHIJKLMNOP"), 2865878776u);
    EXPECT_EQ(text_hash("ABCDEFGHIJKLMNOPQ"), 3983527785u);
    EXPECT_EQ(text_hash("\xE9"), 4294967273u);
    EXPECT_EQ(text_hash(""), 0u);
}

TEST(TextHash, LongTextsSampleEveryStepFromTheEnd) {
    // 16 bytes: step 2, so bytes 15, 13, ..., 1 count and the even positions do not.
    std::string a(16, 'x'), b(16, 'x');
    b[0] = 'y';
    b[14] = 'z';
    EXPECT_EQ(text_hash(a), text_hash(b));
    b[15] = 'q';
    EXPECT_NE(text_hash(a), text_hash(b));
}

TEST(GrowthTable, RunsThroughThePrimesThenSetsTheLowBit) {
    const uint32_t expected[] = {31,   61,    127,   251,   509,    1021,   2039,  4093,
                                 8191, 16381, 32749, 65521, 131071, 262143, 524287};
    uint32_t count = kInitialBucketCount;
    for (uint32_t next : expected) {
        count = grown_bucket_count(2 * count);
        EXPECT_EQ(count, next);
    }
    EXPECT_EQ(grown_bucket_count(10), 13u);  // target 9: the first prime at least 9
}

class IdIndexTest : public ::testing::Test {
protected:
    Channel *channel(int32_t id) {
        channels.push_back(std::make_unique<Channel>());
        channels.back()->channel_id = id;
        return channels.back().get();
    }
    void insert(int32_t id) { index.insert(id, id, channel(id)); }

    std::vector<std::unique_ptr<Channel>> channels;
    IdIndex index;
};

TEST_F(IdIndexTest, GrowsAtSeventyFivePercent) {
    EXPECT_EQ(index.bucket_count(), 13u);
    EXPECT_EQ(index.growth_threshold(), 9u);
    for (int i = 0; i < 9; ++i) insert(i);
    EXPECT_EQ(index.bucket_count(), 13u);
    insert(9);  // the 10th entry
    EXPECT_EQ(index.bucket_count(), 31u);
    EXPECT_EQ(index.growth_threshold(), 23u);
    for (int i = 10; i < 23; ++i) insert(i);
    EXPECT_EQ(index.bucket_count(), 31u);
    insert(23);  // the 24th
    EXPECT_EQ(index.bucket_count(), 61u);
    EXPECT_EQ(index.entry_count(), 24u);
    for (int i = 0; i < 24; ++i) EXPECT_EQ(index.find(i)->channel_id, i);
}

TEST_F(IdIndexTest, NewestEqualKeyWinsUntilGrowthReversesTheChain) {
    // 0, 13 and 26 share bucket 0 of 13; 5 and 18 too (bucket 5).
    Channel *first = channel(5), *second = channel(5);
    index.insert(5, 5, first);
    index.insert(5, 5, second);
    EXPECT_EQ(index.find(5), second);
    for (int i = 100; i < 107; ++i) insert(i);
    EXPECT_EQ(index.find(5), second);
    insert(107);  // 10th entry: 13 -> 31 buckets; both move from one chain into one chain
    ASSERT_EQ(index.bucket_count(), 31u);
    EXPECT_EQ(index.find(5), first);
    EXPECT_EQ(index.chain(5).front(), first);
}

TEST_F(IdIndexTest, NegativeNumbersHashAsTheirBitPattern) {
    insert(-1);  // 4294967295 mod 13 = 9
    EXPECT_EQ(index.chain(4294967295u % 13).size(), 1u);
    EXPECT_NE(index.find(-1), nullptr);
}

TEST_F(IdIndexTest, RemoveTakesOnlyTheEntriesOfThatChannel) {
    Channel *a = channel(4), *b = channel(4);
    index.insert(4, 4, a);
    index.insert(4, 4, b);
    index.insert(17, 17, channel(17));  // same bucket, other key
    index.remove(4, b);
    EXPECT_EQ(index.find(4), a);
    EXPECT_EQ(index.entry_count(), 2u);
    index.clear();
    EXPECT_EQ(index.entry_count(), 0u);
    EXPECT_EQ(index.find(4), nullptr);
}

TEST_F(IdIndexTest, ClearingKeepsTheGrownSize) {
    for (int i = 0; i < 10; ++i) insert(i);
    index.clear();
    EXPECT_EQ(index.bucket_count(), 31u);
    EXPECT_EQ(index.growth_threshold(), 23u);
}

TEST(NameIndex, SharesABucketYetTellsLongNamesApart) {
    Channel a, b;
    a.channel_name = std::string(16, 'x');
    b.channel_name = a.channel_name;
    b.channel_name[0] = 'y';
    NameIndex index;
    index.insert(&a.channel_name, a.channel_name, &a);
    index.insert(&b.channel_name, b.channel_name, &b);
    EXPECT_EQ(index.find(a.channel_name), &a);
    EXPECT_EQ(index.find(b.channel_name), &b);
    EXPECT_EQ(index.find("zz"), nullptr);
}
