// "gc": one clean-up cycle as the host runs it, with the channels still in use read from a file
// of lines "SERVER CHANNEL-ID [NAME]" (blank lines and lines starting with ";" or "#" ignored).
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "command.h"
#include "project.h"
#include "tagcfg.h"

namespace tagcfg::cli {

namespace {

struct KeptChannel {
    size_t line;
    int server;
    int channel_id;
    std::string name;  // empty: none
};

const char *const kBlanks = " \t\r\n\v\f";

std::string next_word(const std::string &line, size_t &position) {
    size_t start = line.find_first_not_of(kBlanks, position);
    if (start == std::string::npos) start = line.size();
    size_t end = line.find_first_of(kBlanks, start);
    if (end == std::string::npos) end = line.size();
    position = end;
    return line.substr(start, end - start);
}

// The whole list is read before the set is touched: a mistake in it must not cost channels.
bool read_keep_file(const std::string &path, std::vector<KeptChannel> &kept) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "tagcfg: " << path << " cannot be opened\n";
        return false;
    }
    std::string line;
    for (size_t number = 1; std::getline(in, line); ++number) {
        line.erase(line.find_last_not_of(kBlanks) + 1);
        size_t position = 0;
        const std::string server = next_word(line, position);
        if (server.empty() || server[0] == ';' || server[0] == '#') continue;
        const std::string channel_id = next_word(line, position);
        const size_t name_start = line.find_first_not_of(kBlanks, position);
        try {
            kept.push_back({number, parse_number(server, "SERVER"), parse_number(channel_id, "CHANNEL-ID"),
                            name_start == std::string::npos ? std::string() : line.substr(name_start)});
        } catch (const UsageError &error) {
            std::cerr << path << ':' << number << ": " << error.what() << '\n';
            throw UsageError("KEEP-FILE lines are \"SERVER CHANNEL-ID [NAME]\"");
        }
    }
    return true;
}

int total_channels(const Project &project) {
    int total = 0;
    for (int server = 0, slots = project.slot_count(); server < slots; ++server) total += project.channel_count(server);
    return total;
}

}  // namespace

int run_gc(const Args &args) {
    const std::string &keep_file = args.positional[2];
    std::vector<KeptChannel> kept;
    if (!read_keep_file(keep_file, kept)) return kFailure;

    Project project(args.positional[0], args.positional[1]);
    if (!project.load()) return kFailure;
    const int before = total_channels(project);
    tagcfg_start_gc(project.env());
    for (const KeptChannel &channel : kept) {
        const char *name = channel.name.empty() ? nullptr : channel.name.c_str();
        if (!tagcfg_mark_channel(project.env(), channel.server, channel.channel_id, name))
            std::cerr << keep_file << ':' << channel.line << ": server " << channel.server
                      << " has no such channel (ignored)\n";
    }
    tagcfg_finish_gc(project.env());
    std::cout << "removed " << before - total_channels(project) << " of " << before << " channels\n";
    return project.save(args.write_all) ? kSuccess : kFailure;
}

}  // namespace tagcfg::cli
