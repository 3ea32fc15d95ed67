// Texts from servers and files printed so that what is printed tells the text apart: a name with a
// blank at one end, a control character or a double quote would read as another name or break
// the line it stands on.
#pragma once

#include <string>

namespace tagcfg::cli {

// The text as it is when it can be read back unchanged; otherwise (empty, a blank at either end, a
// control character or a double quote) in double quotes with C escapes: \\ \" \n \r \t, and \xNN
// for the other control bytes. Bytes of 0x80 and above are kept as they are.
std::string quote_if_needed(const std::string &text);

}  // namespace tagcfg::cli
