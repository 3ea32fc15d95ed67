// The load baselines' own work, the same natively and under Wine: a file's bytes cut into lines at
// each LF, as views into the bytes.
#pragma once

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace tagcfg::bench {

inline void split_lines(const std::string &bytes, std::vector<std::string_view> &lines) {
    lines.clear();
    for (const char *at = bytes.data(), *end = at + bytes.size(); at < end;) {
        const auto *lf = static_cast<const char *>(std::memchr(at, '\n', static_cast<size_t>(end - at)));
        const char *stop = lf ? lf : end;
        lines.emplace_back(at, static_cast<size_t>(stop - at));
        at = lf ? lf + 1 : end;
    }
}

}  // namespace tagcfg::bench
