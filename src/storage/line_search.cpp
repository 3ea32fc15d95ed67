#include "storage/line_search.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#define TAGCFG_X86 1
#endif

namespace tagcfg {

const char *find_line_feed_plain(const char *at, const char *end) {
    return static_cast<const char *>(std::memchr(at, '\n', static_cast<size_t>(end - at)));
}

#if defined(TAGCFG_X86)
const LineSearch find_line_feed_sse2 = find_line_feed_16;
#else
const LineSearch find_line_feed_sse2 = nullptr;
#endif

LineSearch choose_line_search(bool has_sse2) {
#if defined(TAGCFG_X86)
    return has_sse2 ? find_line_feed_16 : find_line_feed_plain;
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
