// What every command of the host program shares: its arguments, its exit statuses and the
// table entry through which main() finds it.
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

namespace tagcfg::platform {
class FileSystem;
}

namespace tagcfg::cli {

// kUnreachable: a computer or a server could not be reached; it goes before kFailure.
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
    std::string depth;                    // "--depth N"; empty: the default
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

// A row of the command table; its texts are literals.
struct Command {
    const char *name;
    const char *operands;  // shown after the name in the usage text
    const char *summary;
    size_t min_args;
    size_t max_args;
    const char *options;  // the options it takes, blank-separated ("--write-all"), or ""
    int (*run)(const Args &args);
};

// A whole decimal integer (optional sign, no blanks, no trailing bytes, within int range), else
// UsageError naming what the text should have been.
int parse_number(const std::string &text, const char *what);

// What "check" prints about a set, to out: how many files the load takes, and whether every one
// reads cleanly without a channel twice.
struct CheckSummary {
    size_t files;
    bool clean;
};
CheckSummary report_check(const std::string &directory, const std::string &base_name, std::ostream &out);

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
