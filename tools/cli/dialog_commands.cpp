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

// The set as a host holds it: loaded and saved through the library, whose dialogs change it. A
// dialog may stay open for as long as its user likes, so no lock is held meanwhile; the library's
// save takes the project's lock while it writes.
class LibrarySet {
public:
    explicit LibrarySet(const Args &args) : args_(args), env_(tagcfg_init_environment()) {}
    ~LibrarySet() { tagcfg_free_environment(env_); }
    LibrarySet(const LibrarySet &) = delete;
    LibrarySet &operator=(const LibrarySet &) = delete;

    tagcfg_environment *env() const { return env_; }
    bool load(const char *command) {
        if (env_ && tagcfg_load(env_, directory(), base_name()) == 0) return true;
        std::cerr << "tagcfg " << command << ": the set does not load cleanly, so nothing is done;\n"
                  << "        run: tagcfg check \"" << directory() << "\" " << base_name() << "\n";
        return false;
    }
    // Refusal when the set has no server at that number.
    void require_server(int server) const {
        int type = 0, channels = 0;
        if (tagcfg_get_server_type(env_, server, &type, &channels) != 0)
            throw Refusal("the set has no server " + std::to_string(server));
    }
    bool save(const char *command) {
        if (tagcfg_save(env_, directory(), base_name(), 0, args_.write_all ? 1 : 0) == 0) return true;
        std::cerr << "tagcfg " << command << ": some files of the set could not be written\n";
        return false;
    }

private:
    const char *directory() const { return args_.positional[0].c_str(); }
    const char *base_name() const { return args_.positional[1].c_str(); }

    const Args &args_;
    tagcfg_environment *env_;  // owned: made by the constructor, freed by the destructor
};

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
    if (!name.empty()) require_storable(name, "NAME");
#ifdef _WIN32
    ComApartment com;  // declared first: left last
    if (!com.entered("channel")) return kFailure;
    LibrarySet project(args);
    if (!project.load("channel")) return kFailure;
    project.require_server(server);
    // The channel table keeps at most 1023 bytes of an item ID, so this buffer takes any of them.
    std::vector<char> buffer(1024);
    const int length = tagcfg_select_channel(project.env(), server, channel_id, name.c_str(), buffer.data(),
                                             static_cast<int>(buffer.size()), nullptr);
    if (length < 0) {
        std::cerr << "tagcfg channel: the dialog was cancelled or could not be opened; nothing saved\n";
        return kFailure;
    }
    std::cout << std::string(buffer.data(), static_cast<size_t>(length)) << '\n';
    return project.save("channel") ? kSuccess : kFailure;
#else
    (void)server;
    return needs_windows("channel");
#endif
}

int run_items(const Args &args) {
    const int server = parse_number(args.positional[2], "SERVER");
#ifdef _WIN32
    ComApartment com;
    if (!com.entered("items")) return kFailure;
    LibrarySet project(args);
    if (!project.load("items")) return kFailure;
    project.require_server(server);
    std::unique_ptr<tagcfg_itemlist, decltype(&tagcfg_itemlist_free)> list(
        tagcfg_select_items(project.env(), server, nullptr), tagcfg_itemlist_free);
    if (!list) {
        std::cerr << "tagcfg items: the dialog was cancelled or could not be opened\n";
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
    if (!com.entered("servers")) return kFailure;
    LibrarySet project(args);
    if (!project.load("servers")) return kFailure;
    // Nothing preselected. Every change the dialog made stands however it was left, so the set is
    // saved either way.
    const int server = tagcfg_select_server(project.env(), -1, nullptr);
    if (server < 0) std::cout << "none\n";
    else std::cout << server << '\n';
    return project.save("servers") ? kSuccess : kFailure;
#else
    (void)args;
    return needs_windows("servers");
#endif
}

}  // namespace tagcfg::cli
