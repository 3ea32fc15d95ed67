// What a command reads whole before it changes anything (import's CSV, gc's list of channels): a
// file, a pipe or standard input ("-"), read as a stream.
#pragma once

#include <string>

namespace tagcfg::cli {

// False after telling the user why: a folder, an input that cannot be read, or a NUL byte, which
// no text of a server file can hold; the input is not read beyond the line that holds it.
bool read_input(const std::string &path, const char *command, std::string &text);

}  // namespace tagcfg::cli
