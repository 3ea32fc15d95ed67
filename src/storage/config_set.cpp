#include "storage/config_set.h"

#include <algorithm>

#include "storage/server_file.h"

namespace tagcfg {

namespace {

constexpr size_t kLongestFileName = 259;  // names are formed in a buffer of 260 bytes

void store_location(Environment &env, const char *directory, const char *base_name) {
    if (directory) env.directory = directory;
    if (base_name) env.base_name = base_name;
}

// Whether every file name that the set may use fits the name buffer.
bool names_fit(const Environment &env) {
    return server_file_name(env.base_name, kHighestServerNumber).size() <= kLongestFileName;
}

std::string path_of(const Environment &env, int number) { return set_file_path(env.directory, env.base_name, number); }

bool unreadable(const Environment &env, const std::string &path) {
    return env.unreadable_paths.count(platform::path_key(path)) != 0;
}

// Writes one server's file. Over a file that failed to read at the last load, its bytes are first
// kept aside, and without that copy the file is not written over.
bool write_server(Environment &env, ServerConfig &config, int number) {
    const std::string path = path_of(env, number);
    const bool keep_aside = unreadable(env, path);
    if (keep_aside) {
        std::string bytes;
        if (!platform::read_file(path, bytes) || !platform::replace_file(kept_aside_name(path), bytes)) return false;
    }
    if (!write_server_file(config, path)) return false;
    // The file is this server's now; its old bytes are safe, and must not be replaced by these
    // at the next save.
    if (keep_aside) env.unreadable_paths.erase(platform::path_key(path));
    return true;
}

// Deletes the files of numbers without a server. False when a file that should go stays, for the
// listing or its deletion failed: its server would come back at the next load.
bool remove_stale_files(const Environment &env, const platform::FileSystem &files) {
    const SetListing listing = list_set(env.directory, env.base_name, files);
    if (listing.result != platform::Listing::listed) return listing.result == platform::Listing::nothing;
    bool ok = true;
    for (const auto &entry : listing.entries) {
        if (entry.is_directory()) continue;
        int number = number_of_entry(entry.name, env.base_name, false);
        if (number < 0 || server_at(&env, number)) continue;
        const std::string path = path_of(env, number);
        if (!unreadable(env, path) && !files.remove(path)) ok = false;
    }
    return ok;
}

}  // namespace

bool load_set(Environment &env, const char *directory, const char *base_name, const platform::FileSystem &files) {
    store_location(env, directory, base_name);
    env.servers.clear();
    env.unreadable_paths.clear();
    env.kept_slots = 0;
    if (!names_fit(env)) return false;

    const SetListing listing = list_set(env.directory, env.base_name, files);
    env.listing_failed = listing.result == platform::Listing::failed;
    bool ok = !env.listing_failed;
    read_set(listing, [&](SetFile &file) {
        const size_t slot = static_cast<size_t>(file.number);
        if (!file.read) {
            ok = false;
            env.unreadable_paths.insert(platform::path_key(file.path));
            env.kept_slots = std::max(env.kept_slots, slot + 1);
            return;
        }
        if (env.servers.size() < slot + 1) env.servers.resize(slot + 1);
        env.servers[slot] = std::move(file.config);
    });
    // A failed number's slot is there but empty, so a new server is not appended onto it.
    if (env.servers.size() < env.kept_slots) env.servers.resize(env.kept_slots);
    return ok;
}

bool save_set(Environment &env, const char *directory, const char *base_name, bool write_all,
              const platform::FileSystem &files) {
    store_location(env, directory, base_name);
    if (!names_fit(env)) return false;

    bool ok = true;
    for (int number = 0; number < static_cast<int>(env.servers.size()); ++number) {
        ServerConfig *config = server_at(&env, number);
        if (!config || (!write_all && !config->modified)) continue;
        // No load would take such a file back: its server would be lost all the same.
        if (number > kHighestServerNumber || !write_server(env, *config, number)) ok = false;
    }
    if (env.listing_failed) return ok;
    return remove_stale_files(env, files) && ok;
}

}  // namespace tagcfg
