#include <algorithm>
#include <climits>
#include <string>

#include "command.h"

namespace tagcfg::cli {

bool read_whole_number(const std::string &text, int64_t &value) {
    const size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() == start) return false;
    value = 0;
    for (size_t i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t{1} << 40);
    }
    if (start) value = -value;
    return true;
}

int parse_number(const std::string &text, const char *what) {
    int64_t value = 0;
    if (!read_whole_number(text, value) || value < INT_MIN || value > INT_MAX)
        throw UsageError(std::string(what) + " must be a whole number, not \"" + text + "\"");
    return static_cast<int>(value);
}

}  // namespace tagcfg::cli
