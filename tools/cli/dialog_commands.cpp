// The library's dialogs opened as the host opens them. They are Windows dialogs: elsewhere the
// commands exist only to say so.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "com_apartment.h"
#include "command.h"
#include "project.h"
#include "tagcfg.h"

namespace tagcfg::cli {

namespace {

#ifdef _WIN32

// An item ID of any length: a text that fills the buffer is asked for again with a larger one.
std::string item_at(tagcfg_itemlist *list, int index) {
    std::vector<char> buffer(1024);
    for (;;) {
        int length = tagcfg_itemlist_get_id(list, index, buffer.data(), static_cast<int>(buffer.size()));
        if (length < static_cast<int>(buffer.size()) - 1 || buffer.size() >= (1u << 24))
            return std::string(buffer.data(), static_cast<size_t>(length > 0 ? length : 0));
        buffer.resize(buffer.size() * 4);
    }
}

#else

int needs_windows(const char *command) {
    std::cerr << "tagcfg " << command << ": the dialogs need Windows (or Wine); this build has none\n";
    return kFailure;
}

#endif

}  // namespace

int run_channel(const Args &args) {
    const int server = parse_number(args.positional[2], "SERVER");
    const int channel_id = parse_number(args.positional[3], "CHANNEL-ID");
    const std::string &name = args.positional[4];
    if (channel_id < 0 && name.empty()) throw UsageError("a channel without a number needs its NAME");
#ifdef _WIN32
    ComApartment com;  // declared first: left last
    if (!com.entered()) return kFailure;
    Project project(args.positional[0], args.positional[1]);
    if (!project.load() || !project.require_server(server)) return kFailure;
    // The channel table keeps at most 1023 bytes of an item ID, so this buffer takes any of them.
    std::vector<char> buffer(1024);
    const int length = tagcfg_select_channel(project.env(), server, channel_id, name.c_str(), buffer.data(),
                                             static_cast<int>(buffer.size()), nullptr);
    if (length < 0) {
        std::cerr << "tagcfg: the dialog was cancelled or could not be opened; nothing saved\n";
        return kFailure;
    }
    std::cout << std::string(buffer.data(), static_cast<size_t>(length)) << '\n';
    return project.save(args.write_all) ? kSuccess : kFailure;
#else
    (void)server;
    return needs_windows("channel");
#endif
}

int run_items(const Args &args) {
    const int server = parse_number(args.positional[2], "SERVER");
#ifdef _WIN32
    ComApartment com;
    if (!com.entered()) return kFailure;
    Project project(args.positional[0], args.positional[1]);
    if (!project.load() || !project.require_server(server)) return kFailure;
    std::unique_ptr<tagcfg_itemlist, decltype(&tagcfg_itemlist_free)> list(
        tagcfg_select_items(project.env(), server, nullptr), tagcfg_itemlist_free);
    if (!list) {
        std::cerr << "tagcfg: the dialog was cancelled or could not be opened\n";
        return kFailure;
    }
    const int count = tagcfg_itemlist_size(list.get());
    for (int index = 0; index < count; ++index) std::cout << item_at(list.get(), index) << '\n';
    return kSuccess;
#else
    (void)server;
    return needs_windows("items");
#endif
}

int run_servers(const Args &args) {
#ifdef _WIN32
    ComApartment com;
    if (!com.entered()) return kFailure;
    Project project(args.positional[0], args.positional[1]);
    if (!project.load()) return kFailure;
    // Nothing preselected. Every change the dialog made stands however it was left, so the set is
    // saved either way.
    const int server = tagcfg_select_server(project.env(), -1, nullptr);
    if (server < 0) std::cout << "none\n";
    else std::cout << server << '\n';
    return project.save(args.write_all) ? kSuccess : kFailure;
#else
    (void)args;
    return needs_windows("servers");
#endif
}

}  // namespace tagcfg::cli
