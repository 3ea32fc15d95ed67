#include <charconv>
#include <string>

#include "command.h"

namespace tagcfg::cli {

int parse_number(const std::string &text, const char *what) {
    int value = 0;
    const char *end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
        throw UsageError(std::string(what) + " must be a whole number, not \"" + text + "\"");
    return value;
}

}  // namespace tagcfg::cli
