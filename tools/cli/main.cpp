// The host program: does with a project's configuration set what the SCADA host does through the
// library, one command per run, so that sets can be inspected, checked and edited from scripts.
#include <cstring>
#include <iostream>
#include <new>
#include <sstream>
#include <string>

#include "command.h"

namespace tagcfg::cli {
namespace {

// One row per command; a new command needs only its row and its run function.
const Command kCommands[] = {
    {"show", "DIR BASE", "list the servers and channels of the set", 2, 2, "", run_show},
    {"check", "DIR BASE",
     "read every file of the set, give the reason for each rejected one and say what load and save do with odd "
     "names",
     2, 2, "", run_check},
    {"set-host", "DIR BASE SERVER HOST", "set the computer a server runs on (\"\" for this one)", 4, 4, "--write-all",
     run_set_host},
    {"add-channel", "DIR BASE SERVER CHANNEL-ID ITEM-ID", "bind a numbered channel to an item", 5, 5, "--write-all",
     run_add_channel},
    {"remove-channel", "DIR BASE SERVER CHANNEL-ID [NAME]",
     "remove a channel (CHANNEL-ID -1 and NAME for a channel known by name)", 4, 5, "--write-all", run_remove_channel},
    {"find", "DIR BASE ITEM-ID", "print the number of a channel bound to the item (exit 1: none)", 3, 3, "", run_find},
    {"gc", "DIR BASE KEEP-FILE", "remove every channel not listed as \"SERVER CHANNEL-ID [NAME]\" in KEEP-FILE", 3, 3,
     "--write-all", run_gc},
    {"save", "DIR BASE", "load and save the set (--write-all rewrites every file)", 2, 2, "--write-all", run_save},
    {"export", "DIR BASE [FILE]", "write every binding of the set as CSV to FILE or to standard output", 2, 3, "",
     run_export},
    {"import", "DIR BASE FILE",
     "bind, change and remove channels as the rows of a CSV file say, all or nothing (--replace: each server in "
     "the file keeps exactly its rows; --dry-run: print the changes, save nothing)",
     3, 3, "--replace --dry-run", run_import},
    {"list-servers", "[COMPUTER]",
     "list the OPC servers registered on this computer or on COMPUTER as PROGID<TAB>CLSID<TAB>DESCRIPTION, from "
     "the registry or, where that cannot be reached, the OPC server browser (exit 1: none; --browser: the browser "
     "alone)",
     0, 1, "--browser", run_list_servers},
    {"browse", "SERVER",
     "print the address space of a server (a ProgID or a braced CLSID) as an indented tree of names (--ids: the "
     "item ID of every leaf; --depth: levels opened below the root, 64 at most)",
     1, 1, "--host --ids --depth", run_browse},
    {"verify", "DIR BASE [SERVER-NUMBER]",
     "check that every channel's item ID and access path are known to its server, as the server answers or, where "
     "it cannot, as browsing finds them (--browse: browsing alone; --types: each item's data type and rights; "
     "--read: each item's value read once; exit 1: some are missing, refused or bad)",
     2, 3, "--browse --types --read", run_verify},
    {"read", "SERVER ITEM-ID...",
     "read items once from the device and print ITEM-ID<TAB>VALUE<TAB>QUALITY<TAB>TIME (exit 1: an item is "
     "missing or of bad quality)",
     2, static_cast<size_t>(-1), "--host --path", run_read},
    {"channel", "DIR BASE SERVER CHANNEL-ID NAME",
     "bind a channel in the channel setup dialog, print its item ID and save (Windows)", 5, 5, "--write-all",
     run_channel},
    {"items", "DIR BASE SERVER", "pick items in the item selection dialog and print one per line (Windows)", 3, 3, "",
     run_items},
    {"servers", "DIR BASE", "edit the servers in the server list dialog, print the chosen number and save (Windows)", 2,
     2, "--write-all", run_servers},
};

// Every option of any command, and the flag it sets.
const struct {
    const char *name;
    bool Args::*flag;
} kOptions[] = {
    {"--write-all", &Args::write_all}, {"--replace", &Args::replace},
    {"--dry-run", &Args::dry_run},     {"--ids", &Args::ids},
    {"--browser", &Args::browser},     {"--browse", &Args::browse},
    {"--types", &Args::types},         {"--read", &Args::read},
};

// Every option that takes the next argument as its value, and where the value goes.
const struct {
    const char *name;
    const char *value;  // shown in the usage text
    std::string Args::*text;
} kValueOptions[] = {
    {"--host", "COMPUTER", &Args::host}, {"--depth", "N", &Args::depth}, {"--path", "ACCESS-PATH", &Args::path}};

bool takes_option(const Command &command, const std::string &name) {
    std::istringstream options(command.options);
    for (std::string option; options >> option;)
        if (option == name) return true;
    return false;
}

void print_synopsis(std::ostream &out, const Command &command) {
    out << "  tagcfg " << command.name << ' ' << command.operands;
    for (const auto &option : kValueOptions)
        if (takes_option(command, option.name)) out << " [" << option.name << ' ' << option.value << ']';
    for (const auto &option : kOptions)
        if (takes_option(command, option.name)) out << " [" << option.name << ']';
    out << '\n';
}

void print_usage(std::ostream &out) {
    out << "Usage:\n";
    for (const Command &command : kCommands) {
        print_synopsis(out, command);
        out << "      " << command.summary << '\n';
    }
    out << "  tagcfg help\n"
        << "Editing commands save only the servers they changed unless --write-all is given.\n"
        << "Exit status: 0 done, 1 failed (see the message), 2 wrong command line, 3 a computer or a server\n"
        << "cannot be reached.\n";
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
        if (!takes_option(command, argv[i])) throw UsageError(std::string("unknown option ") + argv[i]);
        for (const auto &option : kOptions)
            if (std::strcmp(argv[i], option.name) == 0) args.*option.flag = true;
        for (const auto &option : kValueOptions) {
            if (std::strcmp(argv[i], option.name) != 0) continue;
            if (++i == argc) throw UsageError(std::string(option.name) + " needs a value");
            args.*option.text = argv[i];
        }
    }
    if (args.positional.size() < command.min_args) throw UsageError("too few arguments");
    if (args.positional.size() > command.max_args) throw UsageError("too many arguments");
    return args;
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
    try {
        return command->run(parse_args(*command, argc, argv));
    } catch (const UsageError &error) {
        std::cerr << "tagcfg " << command->name << ": " << error.what() << "\nUsage:\n";
        print_synopsis(std::cerr, *command);
        return kUsageError;
    } catch (const Refusal &refusal) {
        std::cerr << "tagcfg " << command->name << ": " << refusal.what() << '\n';
        return kFailure;
    }
}

}  // namespace
}  // namespace tagcfg::cli

int main(int argc, char **argv) {
    try {
        return tagcfg::cli::run(argc, argv);
    } catch (const std::bad_alloc &) {
        std::cerr << "tagcfg: out of memory\n";
        return tagcfg::cli::kFailure;
    }
}
