// The two line searches a load chooses between, run by the native suite and by the Windows suite
// (where the i686 DLL picks one at run time): both find the first LF wherever the 16-byte steps
// of the SSE2 one put it, and a processor without SSE2 gets the plain one.
#include <gtest/gtest.h>

#include <string>

#include "storage/line_search.h"

using namespace tagcfg;

TEST(LineSearch, BothFindTheFirstLineFeedAndTheProcessorChooses) {
    ASSERT_NE(find_line_feed_sse2, nullptr);  // every build is for an x86 processor
    EXPECT_EQ(choose_line_search(false), find_line_feed_plain);
    EXPECT_EQ(choose_line_search(true), find_line_feed_sse2);
    EXPECT_TRUE(processor_has_sse2());
#if !defined(__SSE2__)
    EXPECT_EQ(line_search, find_line_feed_sse2);  // the i686 build's choice on this processor
#endif
    for (size_t length = 0; length <= 40; ++length) {
        for (size_t at = 0; at <= length; ++at) {  // at == length: no LF at all
            std::string text(length, 'x');
            if (at < length) text[at] = '\n';
            if (at + 1 < length) text[length - 1] = '\n';  // a later one is not the first
            const char *expected = at < length ? text.data() + at : nullptr;
            for (LineSearch search : {find_line_feed_plain, find_line_feed_sse2})
                EXPECT_EQ(search(text.data(), text.data() + length), expected) << length << " " << at;
        }
    }
}
