// Texts from files, servers and users printed on a terminal. A control byte written as it is could
// move the cursor or hide what stands before it; a name with a blank at one end or a double quote
// would read as another name.
#pragma once

#include <string>
#include <string_view>

namespace tagcfg::cli {

// The text with each control byte as a C escape ("\r", "\x00"); every other byte as it is. For
// messages, where the text stands between quotes of the message's own.
std::string shown(std::string_view text);

// The text as it is when it can be read back unchanged; otherwise (empty, a blank at either end, a
// control character or a double quote) in double quotes with C escapes: \\ \" \n \r \t, and \xNN
// for the other control bytes. Bytes of 0x80 and above are kept as they are.
std::string quote_if_needed(const std::string &text);

}  // namespace tagcfg::cli
