// The host program: does with a project's configuration set what the SCADA host does through the
// library, one command per run, so that sets can be inspected, checked and edited from scripts.
#include <algorithm>
#include <cstring>
#include <iostream>
#include <iterator>
#include <new>
#include <string>

#include "command.h"

namespace tagcfg::cli {
namespace {

// One row per command; a new command needs only its row and its run function.
const Command kCommands[] = {
    {"show", "DIR BASE", "list the servers and channels of the set", 2, 2, 0, run_show},
    {"check", "DIR BASE",
     "read every file of the set, give the reason for each rejected one and say what load and save do with odd "
     "names",
     2, 2, 0, run_check},
    {"set-host", "DIR BASE SERVER HOST", "set the computer a server runs on (\"\" for this one)", 4, 4, kWriteAll,
     run_set_host},
    {"add-channel", "DIR BASE SERVER CHANNEL-ID ITEM-ID", "bind a numbered channel to an item", 5, 5, kWriteAll,
     run_add_channel},
    {"remove-channel", "DIR BASE SERVER CHANNEL-ID [NAME]",
     "remove a channel (CHANNEL-ID -1 and NAME for a channel known by name)", 4, 5, kWriteAll, run_remove_channel},
    {"find", "DIR BASE ITEM-ID", "print the number of a channel bound to the item (exit 1: none)", 3, 3, 0, run_find},
    {"gc", "DIR BASE KEEP-FILE", "remove every channel not listed as \"SERVER CHANNEL-ID [NAME]\" in KEEP-FILE", 3, 3,
     kWriteAll, run_gc},
    {"save", "DIR BASE", "load and save the set (--write-all rewrites every file)", 2, 2, kWriteAll, run_save},
    {"export", "DIR BASE [FILE]", "write every binding of the set as CSV to FILE or to standard output", 2, 3, 0,
     run_export},
    {"import", "DIR BASE FILE",
     "bind, change and remove channels as the rows of a CSV file say, all or nothing (--replace: each server in "
     "the file keeps exactly its rows; --dry-run: print the changes, save nothing)",
     3, 3, kReplace | kDryRun, run_import},
    {"list-servers", "[COMPUTER]",
     "list the OPC servers registered on this computer or on COMPUTER as PROGID<TAB>CLSID<TAB>DESCRIPTION, from "
     "the registry or, where that cannot be reached, the OPC server browser (exit 1: none; --browser: the browser "
     "alone)",
     0, 1, kBrowser, run_list_servers},
    {"browse", "SERVER",
     "print the address space of a server (a ProgID or a braced CLSID) as an indented tree of names (--ids: the "
     "item ID of every leaf; --depth: levels opened below the root, 64 at most)",
     1, 1, kHost | kIds | kDepth, run_browse},
    {"verify", "DIR BASE [SERVER-NUMBER]",
     "check that every channel's item ID and access path are known to its server, as the server answers or, where "
     "it cannot, as browsing finds them (--browse: browsing alone; --types: each item's data type and rights; "
     "--read: each item's value read once; exit 1: some are missing, refused or bad)",
     2, 3, kBrowse | kTypes | kRead, run_verify},
    {"read", "SERVER ITEM-ID...",
     "read items once from the device and print ITEM-ID<TAB>VALUE<TAB>QUALITY<TAB>TIME (exit 1: an item is "
     "missing or of bad quality)",
     2, static_cast<size_t>(-1), kHost | kPath, run_read},
    {"channel", "DIR BASE SERVER CHANNEL-ID NAME",
     "bind a channel in the channel setup dialog, print its item ID and save (Windows)", 5, 5, kWriteAll, run_channel},
    {"items", "DIR BASE SERVER", "pick items in the item selection dialog and print one per line (Windows)", 3, 3, 0,
     run_items},
    {"servers", "DIR BASE", "edit the servers in the server list dialog, print the chosen number and save (Windows)", 2,
     2, kWriteAll, run_servers},
};

// Every option: its bit, its name, and the field of Args it fills. A flag sets its bool; an option
// with a value (shown as `value` in the usage text) takes the next argument as text or number.
const struct {
    Option bit;
    const char *name;
    bool Args::*flag;
    const char *value;
    std::string Args::*text;
    std::optional<int> Args::*number;
} kOptions[] = {
    {kHost, "--host", nullptr, "COMPUTER", &Args::host, nullptr},
    {kDepth, "--depth", nullptr, "N", nullptr, &Args::depth},
    {kPath, "--path", nullptr, "ACCESS-PATH", &Args::path, nullptr},
    {kWriteAll, "--write-all", &Args::write_all, nullptr, nullptr, nullptr},
    {kReplace, "--replace", &Args::replace, nullptr, nullptr, nullptr},
    {kDryRun, "--dry-run", &Args::dry_run, nullptr, nullptr, nullptr},
    {kIds, "--ids", &Args::ids, nullptr, nullptr, nullptr},
    {kBrowser, "--browser", &Args::browser, nullptr, nullptr, nullptr},
    {kBrowse, "--browse", &Args::browse, nullptr, nullptr, nullptr},
    {kTypes, "--types", &Args::types, nullptr, nullptr, nullptr},
    {kRead, "--read", &Args::read, nullptr, nullptr, nullptr},
};

void print_synopsis(std::ostream &out, const Command &command) {
    out << "  tagcfg " << command.name << ' ' << command.operands;
    for (const auto &option : kOptions) {
        if (!(command.options & option.bit)) continue;
        out << " [" << option.name;
        if (option.value) out << ' ' << option.value;
        out << ']';
    }
    out << '\n';
}

void print_help(std::ostream &out, const Command &command) {
    print_synopsis(out, command);
    out << "      " << command.summary << '\n';
}

void print_usage(std::ostream &out) {
    out << "Usage:\n";
    for (const Command &command : kCommands) print_help(out, command);
    out << "  tagcfg help, tagcfg --help, tagcfg COMMAND --help\n"
        << "Editing commands save only the servers they changed unless --write-all is given.\n"
        << "Exit status: 0 done, 1 refused, failed or missing (see the message), 2 wrong command line,\n"
        << "3 a computer or a server cannot be reached.\n";
}

const Command *find_command(const char *name) {
    for (const Command &command : kCommands)
        if (std::strcmp(command.name, name) == 0) return &command;
    return nullptr;
}

Args parse_args(const Command &command, int argc, char **argv) {
    Args args;
    for (int i = 2; i < argc; ++i) {
        if (std::strncmp(argv[i], "--", 2) != 0) {
            args.positional.emplace_back(argv[i]);
            continue;
        }
        const auto option = std::find_if(std::begin(kOptions), std::end(kOptions), [&](const auto &o) {
            return (command.options & o.bit) && std::strcmp(argv[i], o.name) == 0;
        });
        if (option == std::end(kOptions)) throw UsageError(std::string("unknown option ") + argv[i]);
        if (option->flag) {
            args.*option->flag = true;
            continue;
        }
        if (++i == argc) throw UsageError(std::string(option->name) + " needs a value");
        if (option->text) args.*option->text = argv[i];
        else args.*option->number = parse_number(argv[i], option->value);
    }
    if (args.positional.size() < command.min_args) throw UsageError("too few arguments");
    if (args.positional.size() > command.max_args) throw UsageError("too many arguments");
    return args;
}

bool asks_for_help(int argc, char **argv) {
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0) return true;
    return false;
}

int run(int argc, char **argv) {
    if (argc < 2) {
        print_usage(std::cerr);
        return kUsageError;
    }
    if (std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) {
        print_usage(std::cout);
        return kSuccess;
    }
    const Command *command = find_command(argv[1]);
    if (!command) {
        std::cerr << "tagcfg: unknown command " << argv[1] << "\n";
        print_usage(std::cerr);
        return kUsageError;
    }
    if (asks_for_help(argc, argv)) {
        print_help(std::cout, *command);
        return kSuccess;
    }
    try {
        return command->run(parse_args(*command, argc, argv));
    } catch (const UsageError &error) {
        std::cerr << "tagcfg " << command->name << ": " << error.what() << "\nUsage:\n";
        print_synopsis(std::cerr, *command);
        return kUsageError;
    } catch (const Refusal &refusal) {
        std::cerr << "tagcfg " << command->name << ": " << refusal.what() << '\n';
        return kFailure;
    } catch (const std::bad_alloc &) {
        std::cerr << "tagcfg " << command->name << ": out of memory\n";
        return kFailure;
    }
}

}  // namespace
}  // namespace tagcfg::cli

int main(int argc, char **argv) {
    try {
        return tagcfg::cli::run(argc, argv);
    } catch (const std::bad_alloc &) {  // before a command was found
        std::cerr << "tagcfg: out of memory\n";
        return tagcfg::cli::kFailure;
    }
}
