#include "storage/line_search.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <emmintrin.h>
#define TAGCFG_X86 1
#endif

namespace tagcfg {

namespace {

#if defined(TAGCFG_X86)
// Compiled for SSE2 whatever the build targets; called only where the processor has it.
__attribute__((target("sse2"))) const char *sse2_search(const char *at, const char *end) {
    const __m128i line_feeds = _mm_set1_epi8('\n');
    for (; end - at >= 16; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
        if (const int found = _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, line_feeds)))
            return at + __builtin_ctz(static_cast<unsigned>(found));
    }
    return find_line_feed_plain(at, end);
}
#endif

}  // namespace

const char *find_line_feed_plain(const char *at, const char *end) {
    return static_cast<const char *>(std::memchr(at, '\n', static_cast<size_t>(end - at)));
}

#if defined(TAGCFG_X86)
const LineSearch find_line_feed_sse2 = sse2_search;
#else
const LineSearch find_line_feed_sse2 = nullptr;
#endif

LineSearch choose_line_search(bool has_sse2) {
#if defined(TAGCFG_X86)
    return has_sse2 ? sse2_search : find_line_feed_plain;
#else
    (void)has_sse2;
    return find_line_feed_plain;
#endif
}

bool processor_has_sse2() {
#if defined(TAGCFG_X86)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (edx & bit_SSE2) != 0;
#else
    return false;
#endif
}

#if !defined(__SSE2__)
const LineSearch line_search = choose_line_search(processor_has_sse2());
#endif

}  // namespace tagcfg
