#include "storage/config_set.h"

#include <algorithm>
#include <cctype>

#include "storage/server_file.h"

namespace tagcfg {

namespace {

constexpr size_t kLongestFileName = 259;  // names are formed in a buffer of 260 bytes

void store_location(Environment &env, const char *directory, const char *base_name) {
    if (directory) env.directory = directory;
    if (base_name) env.base_name = base_name;
}

std::string lowered(std::string text) {
    for (char &c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Whether every file name that the set may use fits the name buffer.
bool names_fit(const Environment &env) {
    return server_file_name(env.base_name, kHighestServerNumber).size() <= kLongestFileName;
}

std::string search_pattern(const Environment &env) {
    return join_path(env.directory, env.base_name + "_opc*.cnf");
}

std::string path_of(const Environment &env, int number) {
    return join_path(env.directory, server_file_name(env.base_name, number));
}

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
    std::vector<platform::DirectoryEntry> entries;
    const platform::Listing listing = files.list(search_pattern(env), entries);
    if (listing != platform::Listing::listed) return listing == platform::Listing::nothing;
    bool ok = true;
    for (const auto &entry : entries) {
        if (entry.is_directory) continue;
        int number = number_of_entry(entry.name, env.base_name, false);
        if (number < 0 || server_at(&env, number)) continue;
        const std::string path = path_of(env, number);
        if (!unreadable(env, path) && !files.remove(path)) ok = false;
    }
    return ok;
}

}  // namespace

std::string join_path(const std::string &directory, const std::string &name) {
    if (name.empty()) return directory;
    std::string path = directory;
    if (!path.empty() && path.back() != '/' && path.back() != '\\') path += platform::path_separator();
    return path + name;
}

std::string server_file_name(const std::string &base_name, int number) {
    return base_name + "_opc" + std::to_string(number) + ".cnf";
}

std::string kept_aside_name(const std::string &file_name) { return file_name + ".bad"; }

bool number_in_entry(const std::string &entry_name, const std::string &base_name, bool ignore_case, int32_t &number) {
    const std::string prefix = base_name + "_opc";
    const std::string name = ignore_case ? lowered(entry_name) : entry_name;
    if (name.compare(0, prefix.size(), ignore_case ? lowered(prefix) : prefix) != 0) return false;
    const char *p = name.c_str() + prefix.size();
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    // Read as a 32-bit unsigned number, as the home platform's scanner does; overflow saturates.
    uint64_t value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) value = std::min<uint64_t>(value * 10 + (*p - '0'), 0xFFFFFFFFu);
    number = static_cast<int32_t>(negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value));
    return true;
}

int number_of_entry(const std::string &entry_name, const std::string &base_name, bool ignore_case) {
    int32_t number = -1;
    if (!number_in_entry(entry_name, base_name, ignore_case, number)) return -1;
    return number >= 0 && number <= kHighestServerNumber ? number : -1;
}

bool load_set(Environment &env, const char *directory, const char *base_name, const platform::FileSystem &files) {
    store_location(env, directory, base_name);
    env.servers.clear();
    env.unreadable_paths.clear();
    env.kept_slots = 0;
    if (!names_fit(env)) return false;

    std::vector<platform::DirectoryEntry> entries;
    env.listing_failed = files.list(search_pattern(env), entries) == platform::Listing::failed;
    bool ok = !env.listing_failed;
    for (const auto &entry : entries) {
        if (entry.is_directory) continue;
        int number = number_of_entry(entry.name, env.base_name, true);
        if (number < 0 || server_at(&env, number)) continue;
        const std::string path = path_of(env, number);
        if (unreadable(env, path)) continue;
        RecordRef<ServerConfig> config(new ServerConfig);
        if (!read_server_file(*config, path)) {
            ok = false;
            env.unreadable_paths.insert(platform::path_key(path));
            env.kept_slots = std::max(env.kept_slots, static_cast<size_t>(number) + 1);
            continue;
        }
        if (env.servers.size() < static_cast<size_t>(number) + 1) env.servers.resize(static_cast<size_t>(number) + 1);
        env.servers[static_cast<size_t>(number)] = config;
    }
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
