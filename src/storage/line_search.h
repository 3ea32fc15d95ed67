// Finding line ends, which a load does for every line of every file. Lines are short, and a call
// to memchr for each costs more than its search: with SSE2, 16 bytes at a time are compared. The
// 64-bit builds always have SSE2 and search inline; the 32-bit DLL runs on processors that may
// lack it (old industrial PCs), so it asks the processor once and takes the search it can run.
#pragma once

#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace tagcfg {

// Where the next LF in [at, end) stands, or null.
using LineSearch = const char *(*)(const char *at, const char *end);

const char *find_line_feed_plain(const char *at, const char *end);
// The SSE2 search; null where the build is not for an x86 processor.
extern const LineSearch find_line_feed_sse2;

// The search for a processor with or without SSE2, and whether this one has it (CPUID).
LineSearch choose_line_search(bool has_sse2);
bool processor_has_sse2();

#if defined(__i386__) || defined(__x86_64__)
// Compiled for SSE2 whatever the build targets; the 32-bit DLL takes it only where the processor
// has SSE2.
__attribute__((target("sse2"))) inline const char *find_line_feed_16(const char *at, const char *end) {
    const __m128i line_feeds = _mm_set1_epi8('\n');
    for (; end - at >= 16; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
        if (const int found = _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, line_feeds)))
            return at + __builtin_ctz(static_cast<unsigned>(found));
    }
    return static_cast<const char *>(std::memchr(at, '\n', static_cast<size_t>(end - at)));
}
#endif

#if defined(__SSE2__)
inline const char *find_line_feed(const char *at, const char *end) { return find_line_feed_16(at, end); }
#else
// Chosen once, when the library is loaded.
extern const LineSearch line_search;
inline const char *find_line_feed(const char *at, const char *end) { return line_search(at, end); }
#endif

}  // namespace tagcfg
