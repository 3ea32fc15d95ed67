// What every command of the host program shares: its arguments, its exit statuses and the
// table entry through which main() finds it.
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

namespace tagcfg {
struct Channel;
struct Environment;
}  // namespace tagcfg

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
};

// Thrown for a malformed command line; main() prints the command's synopsis and exits 2.
struct UsageError : std::runtime_error {
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

// What "check" prints about a set, to out; true when every file the load takes reads cleanly.
bool report_check(const std::string &directory, const std::string &base_name, std::ostream &out);

// A channel with neither a number nor a name is no binding: no lookup reaches it, no save writes it.
bool is_binding(const Channel &channel);

// Loads the set of DIR BASE (the first two operands) into env; a set that does not load cleanly
// is refused with the reasons "check" gives, since a command on part of a set would mislead.
bool load_cleanly(Environment &env, const Args &args, const char *command);

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
