// "gc": one clean-up cycle as the host runs it, with the channels still in use read from a file
// of lines "SERVER CHANNEL-ID [NAME]" (blank lines and lines starting with ";" or "#" ignored).
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "command.h"
#include "input_file.h"
#include "model/channel_table.h"
#include "project.h"
#include "text_escape.h"

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
    std::string text;
    if (!read_input(path, "gc", text)) return false;
    std::istringstream in(text);
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
            std::cerr << shown(path) << ':' << number << ": " << error.what()
                      << " (lines are \"SERVER CHANNEL-ID [NAME]\")\ntagcfg gc: nothing changed\n";
            return false;
        }
    }
    return true;
}

size_t total_channels(const Environment &env) {
    size_t total = 0;
    for (const auto &slot : env.servers) total += slot ? slot->channel_count() : 0;
    return total;
}

}  // namespace

int run_gc(const Args &args) {
    const std::string &keep_file = args.positional[2];
    std::vector<KeptChannel> kept;
    if (!read_keep_file(keep_file, kept)) return kFailure;

    Project project(args, "gc");
    if (!project.load(Project::Access::edit)) return kFailure;
    Environment &env = project.env();
    const size_t before = total_channels(env);
    start_gc(env);
    for (const KeptChannel &channel : kept) {
        ServerConfig *config = server_at(&env, channel.server);
        const char *name = channel.name.empty() ? nullptr : channel.name.c_str();
        if (!config || !mark_channel(*config, channel.channel_id, name))
            std::cerr << shown(keep_file) << ':' << channel.line << ": server " << channel.server
                      << " has no such channel (ignored)\n";
    }
    finish_gc(env);
    if (!project.save(args.write_all)) return kFailure;
    std::cout << "removed " << before - total_channels(env) << " of " << before << " channels\n";
    return kSuccess;
}

}  // namespace tagcfg::cli
