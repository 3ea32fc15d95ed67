// The edits a host scripts: each loads the set, changes it through the library's interface and
// saves it. A set that does not load completely is never saved, so a broken file is not
// overwritten or removed behind the user's back.
#include <iostream>
#include <string>

#include "command.h"
#include "project.h"
#include "tagcfg.h"

namespace tagcfg::cli {

namespace {

int save_or_fail(Project &project, const Args &args) { return project.save(args.write_all) ? kSuccess : kFailure; }

}  // namespace

int run_set_host(const Args &args) {
    const int server = parse_number(args.positional[2], "SERVER");
    Project project(args.positional[0], args.positional[1]);
    if (!project.load()) return kFailure;
    if (tagcfg_set_server_host(project.env(), server, args.positional[3].c_str()) != 0) {
        project.require_server(server);
        return kFailure;
    }
    return save_or_fail(project, args);
}

int run_add_channel(const Args &args) {
    const int server = parse_number(args.positional[2], "SERVER");
    const int channel_id = parse_number(args.positional[3], "CHANNEL-ID");
    if (channel_id < 0) throw UsageError("CHANNEL-ID must not be negative");
    if (args.positional[4].empty()) throw UsageError("ITEM-ID must not be empty");
    Project project(args.positional[0], args.positional[1]);
    if (!project.load()) return kFailure;
    if (!project.require_server(server)) return kFailure;
    tagcfg_add_channel(project.env(), server, channel_id, args.positional[4].c_str());
    return save_or_fail(project, args);
}

int run_remove_channel(const Args &args) {
    const int server = parse_number(args.positional[2], "SERVER");
    const int channel_id = parse_number(args.positional[3], "CHANNEL-ID");
    const char *name = args.positional.size() > 4 ? args.positional[4].c_str() : nullptr;
    if (channel_id < 0 && !name) throw UsageError("a channel without a number needs its NAME");
    Project project(args.positional[0], args.positional[1]);
    if (!project.load()) return kFailure;
    if (!project.require_server(server)) return kFailure;
    const int before = project.channel_count(server);
    tagcfg_remove_channel(project.env(), server, channel_id, name);
    if (project.channel_count(server) == before) {
        std::cerr << "tagcfg: server " << server << " has no such channel\n";
        return kFailure;
    }
    return save_or_fail(project, args);
}

int run_find(const Args &args) {
    Project project(args.positional[0], args.positional[1]);
    if (!project.load()) return kFailure;
    const int channel_id = tagcfg_find_channel(project.env(), args.positional[2].c_str());
    if (channel_id < 0) return kFailure;
    std::cout << channel_id << '\n';
    return kSuccess;
}

int run_save(const Args &args) {
    Project project(args.positional[0], args.positional[1]);
    if (!project.load()) return kFailure;
    return save_or_fail(project, args);
}

}  // namespace tagcfg::cli
