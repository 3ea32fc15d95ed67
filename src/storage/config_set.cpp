#include "storage/config_set.h"

#include <algorithm>
#include <cctype>

#include "platform/files.h"
#include "storage/server_file.h"

namespace tagcfg {

namespace {

constexpr int kHighestNumber = 255;
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
bool names_fit(const Environment &env, int highest_number) {
    return server_file_name(env.base_name, highest_number).size() <= kLongestFileName;
}

std::string search_pattern(const Environment &env) {
    return join_path(env.directory, env.base_name + "_opc*.cnf");
}

std::string path_of(const Environment &env, int number) {
    return join_path(env.directory, server_file_name(env.base_name, number));
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

int number_of_entry(const std::string &entry_name, const std::string &base_name, bool ignore_case) {
    const std::string prefix = base_name + "_opc";
    const std::string name = ignore_case ? lowered(entry_name) : entry_name;
    if (name.compare(0, prefix.size(), ignore_case ? lowered(prefix) : prefix) != 0) return -1;
    const char *p = name.c_str() + prefix.size();
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    if (!std::isdigit(static_cast<unsigned char>(*p))) return -1;
    // Read as a 32-bit unsigned number, as the home platform's scanner does; overflow saturates.
    uint64_t value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) value = std::min<uint64_t>(value * 10 + (*p - '0'), 0xFFFFFFFFu);
    auto number = static_cast<int32_t>(negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value));
    return number >= 0 && number <= kHighestNumber ? number : -1;
}

bool load_set(Environment &env, const char *directory, const char *base_name) {
    store_location(env, directory, base_name);
    env.servers.clear();
    env.unreadable_numbers.clear();
    if (!names_fit(env, kHighestNumber)) return false;

    std::vector<platform::DirectoryEntry> entries;
    if (!platform::list_matching(search_pattern(env), entries)) return true;
    bool ok = true;
    for (const auto &entry : entries) {
        if (entry.is_directory) continue;
        int number = number_of_entry(entry.name, env.base_name, true);
        if (number < 0 || server_at(&env, number) || env.unreadable_numbers.count(number)) continue;
        RecordRef<ServerConfig> config(new ServerConfig);
        if (!read_server_file(*config, path_of(env, number))) {
            ok = false;
            env.unreadable_numbers.insert(number);
            continue;
        }
        if (env.servers.size() < static_cast<size_t>(number) + 1) env.servers.resize(static_cast<size_t>(number) + 1);
        env.servers[static_cast<size_t>(number)] = config;
    }
    return ok;
}

bool save_set(Environment &env, const char *directory, const char *base_name, bool write_all) {
    store_location(env, directory, base_name);
    const int slots = static_cast<int>(env.servers.size());
    if (!names_fit(env, std::max(kHighestNumber, slots - 1))) return false;

    bool ok = true;
    for (int number = 0; number < slots; ++number) {
        ServerConfig *config = server_at(&env, number);
        if (!config || (!write_all && !config->modified)) continue;
        if (!write_server_file(*config, path_of(env, number))) ok = false;
    }

    std::vector<platform::DirectoryEntry> entries;
    if (!platform::list_matching(search_pattern(env), entries)) return ok;
    for (const auto &entry : entries) {
        if (entry.is_directory) continue;
        int number = number_of_entry(entry.name, env.base_name, false);
        if (number < 0 || server_at(&env, number) || env.unreadable_numbers.count(number)) continue;
        platform::delete_file(path_of(env, number));
    }
    return ok;
}

}  // namespace tagcfg
