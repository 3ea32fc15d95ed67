// Texts from files, servers and users shown on a terminal: a control byte written as it is could
// move the cursor or hide what stands before it, so it is shown as a C escape.
#pragma once

#include <string>
#include <string_view>

namespace tagcfg::cli {

// The text with each control byte as a C escape ("\r", "\x00"); every other byte as it is.
std::string shown(std::string_view text);

}  // namespace tagcfg::cli
