// The text file of one configured server: a signature line, the server's fields, then one block
// per channel. Lines end in CR LF when written; LF alone, trailing blanks and comment lines are
// accepted when read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/server_config.h"

namespace tagcfg {

// Why a file was rejected: the line (counting from 1) and the rule it broke.
struct ParseError {
    size_t line = 0;
    std::string reason;
};

// Reads text into a configuration that was reset before, and indexes its channels. False, with
// the reason in `error` when one is given, at the first line the grammar does not accept; what
// was read before it stays, indexed.
bool parse_server_config(ServerConfig &config, const char *text, size_t length, ParseError *error = nullptr);

// The file's bytes for a configuration.
std::string format_server_config(const ServerConfig &config);

// Why a file cannot hold the text unchanged, or null when it can: a NUL, an LF, or white space at
// its end, which the reader drops.
const char *unstorable_reason(std::string_view text);

// The lines, counting from 1, of a file's block headers in file order: one for each channel that
// a successful parse of the text lists, the k-th header for the k-th channel.
std::vector<size_t> block_header_lines(const char *text, size_t length);

// Resets the configuration, then reads the file as parse_server_config does. A scratch
// string, when given, holds the file's bytes while they are read: one kept for every file of a
// load costs no fresh memory per file.
bool read_server_file(ServerConfig &config, const std::string &path, ParseError *error = nullptr,
                      std::string *scratch = nullptr);

// Writes the file in one step (never half-written); clears `modified` on success.
bool write_server_file(ServerConfig &config, const std::string &path);

// "%CHANID:" numbers: the C library's unsigned conversion with base 0, but always 32 bits wide
// whatever the host's long is: sign, "0x" or leading-zero octal, rest of the text ignored, no
// digits give 0, overflow gives 0xFFFFFFFF.
uint32_t parse_unsigned_base0(std::string_view text);

}  // namespace tagcfg
