#include <gtest/gtest.h>

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
