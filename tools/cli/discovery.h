// Whether a set's bindings still name items their servers have: the check behind "verify",
// which benchmarks run too, and what the discovery commands share.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

namespace tagcfg {
struct Environment;
class ServerConfig;
class HeadlessBrowse;
}  // namespace tagcfg

namespace tagcfg::cli {

// How verify checks.
struct VerifyOptions {
    int only = -1;        // the one server to check, or every server when negative
    bool browse = false;  // walk the address space, as the channel setup dialog does, without asking
    bool types = false;   // print each found item's data type and access rights
    bool read = false;    // read each found item once and print its value, quality and time
};

// What a verify found.
struct VerifyTotals {
    size_t servers = 0;      // servers asked
    size_t unreachable = 0;  // of them, not connected, not browsable, or lost on the way
    size_t walked = 0;       // of them, checked by walking their address space
    size_t channels = 0;     // bindings checked
    size_t missing = 0;      // of them, not in their server's address space
    size_t refused = 0;      // of them, refused by the server for another reason
    size_t bad = 0;          // of them, with --read: not read, or of bad quality
};

// Checks every binding of one server or of every server of the set, printing a line per item
// that is missing or refused (or, with types or read, per item), and per server that cannot be
// reached. Each server is asked with ValidateItems through a private group; one that gives no
// group, or every server with browse, has its address space walked instead.
VerifyTotals verify_bindings(Environment &env, const VerifyOptions &options, std::ostream &out);

// "this computer", or the computer's name.
std::string computer_text(const std::string &host);

// Names the server of a command line in the configuration: a braced CLSID, else a ProgID, on
// the host ("" for this computer).
void name_server(ServerConfig &config, const std::string &server, const std::string &host);

// The line that says a server cannot be created, after the prefix.
void report_not_created(const ServerConfig &config, const std::string &prefix, std::ostream &out);

// Says why a server cannot be browsed, after the prefix; true when it can.
bool report_opened(const HeadlessBrowse &browse, const ServerConfig &config, const std::string &prefix,
                   std::ostream &out);

}  // namespace tagcfg::cli
