// "check": which files of a set a load takes, and why each rejected one is rejected. A load only
// says that something failed; this is where the user finds the file and the line.
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "command.h"
#include "model/counted_record.h"
#include "model/server_config.h"
#include "platform/files.h"
#include "storage/config_set.h"
#include "storage/server_file.h"

namespace tagcfg::cli {

int run_check(const Args &args) {
    const std::string &directory = args.positional[0];
    const std::string &base_name = args.positional[1];

    // As the load finds them: letter case ignored, and whatever way an entry spells its number,
    // the file read is the one of the canonical name. Ordered by number for the reader.
    std::map<int, std::string> first_entry_of;
    std::vector<platform::DirectoryEntry> entries;
    if (platform::list_matching(join_path(directory, base_name + "_opc*.cnf"), entries) == platform::Listing::listed) {
        for (const auto &entry : entries) {
            if (entry.is_directory) continue;
            int number = number_of_entry(entry.name, base_name, true);
            if (number >= 0) first_entry_of.emplace(number, entry.name);
        }
    }

    int rejected = 0;
    for (const auto &[number, entry_name] : first_entry_of) {
        const std::string file_name = server_file_name(base_name, number);
        const std::string path = join_path(directory, file_name);
        RecordRef<ServerConfig> config(new ServerConfig);
        ParseError error;
        if (read_server_file(*config, path, &error)) {
            const size_t channels = config->channels.size();
            std::cout << path << ": ok, " << channels << (channels == 1 ? " channel" : " channels");
        } else {
            ++rejected;
            std::cout << path << ':' << error.line << ": " << error.reason;
        }
        if (entry_name != file_name) std::cout << " (found as " << entry_name << ')';
        std::cout << '\n';
    }
    std::cout << first_entry_of.size() << " files, " << rejected << " rejected\n";
    return rejected == 0 ? kSuccess : kFailure;
}

}  // namespace tagcfg::cli
