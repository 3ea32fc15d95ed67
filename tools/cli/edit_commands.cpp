// The edits a host scripts: each loads the set, changes it as the library's interface would and
// saves it, under the project's lock. A set that does not load completely is never saved, so a
// broken file is not overwritten or removed behind the user's back.
#include <iostream>
#include <string>

#include "command.h"
#include "model/channel_table.h"
#include "project.h"

namespace tagcfg::cli {

int run_set_host(const Args &args) {
    const int server = parse_number(args.positional[2], "SERVER");
    require_storable(args.positional[3], "HOST");
    Project project(args, "set-host");
    if (!project.load(Project::Access::edit)) return kFailure;
    set_server_host(project.server(server), args.positional[3]);
    return project.save(args.write_all) ? kSuccess : kFailure;
}

int run_add_channel(const Args &args) {
    const int server = parse_number(args.positional[2], "SERVER");
    const int channel_id = parse_number(args.positional[3], "CHANNEL-ID");
    if (channel_id < 0) throw UsageError("CHANNEL-ID must not be negative");
    if (args.positional[4].empty()) throw UsageError("ITEM-ID must not be empty");
    require_storable(args.positional[4], "ITEM-ID");
    Project project(args, "add-channel");
    if (!project.load(Project::Access::edit)) return kFailure;
    ChannelValue value;
    value.channel_id = channel_id;
    value.item_id = args.positional[4];
    store_channel(project.server(server), value);
    return project.save(args.write_all) ? kSuccess : kFailure;
}

int run_remove_channel(const Args &args) {
    const int server = parse_number(args.positional[2], "SERVER");
    const int channel_id = parse_number(args.positional[3], "CHANNEL-ID");
    const bool named = args.positional.size() > 4;
    if (channel_id < 0 && !named) throw UsageError("a channel without a number needs its NAME");
    if (named) require_storable(args.positional[4], "NAME");
    Project project(args, "remove-channel");
    if (!project.load(Project::Access::edit)) return kFailure;
    ServerConfig &config = project.server(server);
    const size_t before = config.channel_count();
    erase_channel(config, channel_id, named ? args.positional[4].c_str() : nullptr);
    if (config.channel_count() == before) {
        std::cerr << "tagcfg remove-channel: server " << server << " has no such channel\n";
        return kFailure;
    }
    return project.save(args.write_all) ? kSuccess : kFailure;
}

int run_find(const Args &args) {
    require_storable(args.positional[2], "ITEM-ID");
    Project project(args, "find");
    if (!project.load(Project::Access::read)) return kFailure;
    const int32_t channel_id = find_channel(project.env(), args.positional[2]);
    if (channel_id < 0) return kFailure;
    std::cout << channel_id << '\n';
    return kSuccess;
}

int run_save(const Args &args) {
    Project project(args, "save");
    if (!project.load(Project::Access::edit)) return kFailure;
    return project.save(args.write_all) ? kSuccess : kFailure;
}

}  // namespace tagcfg::cli
