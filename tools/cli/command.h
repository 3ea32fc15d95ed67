// What every command of the host program shares: its arguments, its exit statuses and the
// table entry through which main() finds it.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tagcfg::platform {
class FileSystem;
}

namespace tagcfg::cli {

// Every command's exit status: done; refused, failed or missing (the message says which); a wrong
// command line; a computer or a server that cannot be reached (which goes before kFailure).
enum ExitStatus { kSuccess = 0, kFailure = 1, kUsageError = 2, kUnreachable = 3 };

struct Args {
    std::vector<std::string> positional;  // after the command name
    bool write_all = false;               // "--write-all" was given
    bool replace = false;                 // "--replace"
    bool dry_run = false;                 // "--dry-run"
    bool ids = false;                     // "--ids"
    bool browser = false;                 // "--browser"
    bool browse = false;                  // "--browse"
    bool types = false;                   // "--types"
    bool read = false;                    // "--read"
    std::string host;                     // "--host COMPUTER"; empty: this computer
    std::optional<int> depth;             // "--depth N"
    std::string path;                     // "--path ACCESS-PATH"; empty: none
    // Not an option: tests that run commands in process hand them a file system that fails on
    // demand, or waits less for a busy project. Null: the real one.
    const platform::FileSystem *files = nullptr;
};

// Thrown for a malformed command line; main() prints the command's synopsis and exits 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Thrown for what the command refuses to do (a text a server file cannot hold, say); main()
// prints "tagcfg COMMAND: " and the reason, and exits 1. Nothing has changed.
struct Refusal : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The options a command takes, one bit each; main() knows each option's name and where it goes.
enum Option : unsigned {
    kWriteAll = 1u << 0,
    kReplace = 1u << 1,
    kDryRun = 1u << 2,
    kIds = 1u << 3,
    kBrowser = 1u << 4,
    kBrowse = 1u << 5,
    kTypes = 1u << 6,
    kRead = 1u << 7,
    kHost = 1u << 8,
    kDepth = 1u << 9,
    kPath = 1u << 10,
};

// A row of the command table; its texts are literals.
struct Command {
    const char *name;
    const char *operands;  // shown after the name in the usage text
    const char *summary;
    size_t min_args;
    size_t max_args;
    unsigned options;  // Option bits
    int (*run)(const Args &args);
};

// A whole decimal number as every command and CSV field writes one: an optional "-", digits, and
// nothing else. Beyond 40 bits it stays at 2^40 (or its negative), so range checks still refuse it.
bool read_whole_number(const std::string &text, int64_t &value);

// read_whole_number within int range, else UsageError naming what the text should have been.
int parse_number(const std::string &text, const char *what);

// What "check" prints about a set, to out: how many files the load takes, and whether every one
// reads cleanly without a channel twice.
struct CheckSummary {
    size_t files;
    bool clean;
};
CheckSummary report_check(const std::string &directory, const std::string &base_name, std::ostream &out);

// Why DIR can hold no set ("DIR: no such folder", "DIR: not a folder"), or empty when it can.
std::string why_no_folder(const std::string &directory);
// "no BASE_opcN.cnf files in DIR".
std::string no_set_files(const std::string &directory, const std::string &base_name);

int run_show(const Args &args);
int run_check(const Args &args);
int run_export(const Args &args);
int run_import(const Args &args);
int run_set_host(const Args &args);
int run_add_channel(const Args &args);
int run_remove_channel(const Args &args);
int run_find(const Args &args);
int run_gc(const Args &args);
int run_save(const Args &args);
int run_list_servers(const Args &args);
int run_browse(const Args &args);
int run_verify(const Args &args);
int run_read(const Args &args);
// Windows only: elsewhere they say so and fail.
int run_channel(const Args &args);
int run_items(const Args &args);
int run_servers(const Args &args);

}  // namespace tagcfg::cli
