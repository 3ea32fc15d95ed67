#include "storage/config_set.h"

#include <algorithm>

#include "model/channel_table.h"
#include "platform/file_lock.h"
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

// The numbers of the servers a save writes, in order.
std::vector<int> servers_to_write(const Environment &env, bool write_all) {
    std::vector<int> numbers;
    for (int number = 0; number < static_cast<int>(env.servers.size()); ++number)
        if (const ServerConfig *config = server_at(&env, number); config && (write_all || config->modified))
            numbers.push_back(number);
    return numbers;
}

// The project's lock, taken before a save changes its first file: a save that changes nothing
// needs none, so a clean set in a folder that cannot be written still saves.
class SaveLock {
public:
    SaveLock(const Environment &env, const platform::FileSystem &files) : env_(env), files_(files) {}
    bool take() {
        return lock_.held() || lock_.acquire(project_lock_path(env_.directory, env_.base_name), files_.lock_wait_ms) ==
                                   platform::FileLock::Result::held;
    }

private:
    const Environment &env_;             // not owned: the environment being saved
    const platform::FileSystem &files_;  // not owned: the save's file system
    platform::FileLock lock_;
};

// Over a file that failed to read at the last load, its bytes are first kept aside; without that
// copy the file is not written over.
bool keep_aside(const Environment &env, const std::string &path) {
    if (!unreadable(env, path)) return true;
    std::string bytes;
    return platform::read_file(path, bytes) && platform::replace_file(kept_aside_name(path), bytes);
}

// The file is this server's now: its old bytes are safe, and are not to be kept aside again.
void written(Environment &env, ServerConfig &config, const std::string &path) {
    config.modified = false;
    env.unreadable_paths.erase(platform::path_key(path));
}

bool stage_server(const Environment &env, ServerConfig &config, const std::string &path,
                  const platform::FileSystem &files, platform::StagedFile &staged) {
    compact_texts(config);
    return keep_aside(env, path) && files.stage(path, format_server_config(config), staged);
}

// Deletes the files of numbers without a server. False when a file that should go stays, for the
// listing or its deletion failed: its server would come back at the next load.
bool remove_stale_files(const Environment &env, const platform::FileSystem &files, SaveLock &lock) {
    if (env.listing_failed) return true;
    const SetListing listing = list_set(env.directory, env.base_name, files);
    if (listing.result != platform::Listing::listed) return listing.result == platform::Listing::nothing;
    bool ok = true;
    for (const auto &entry : listing.entries) {
        if (entry.is_directory()) continue;
        int number = set_number_of(entry.name, env.base_name, false);
        if (number < 0 || server_at(&env, number)) continue;
        const std::string path = path_of(env, number);
        if (!unreadable(env, path) && !(lock.take() && files.remove(path))) ok = false;
    }
    return ok;
}

// A file a whole save replaces, with what it held before.
struct Replacement {
    int number = -1;
    platform::StagedFile staged;
    bool existed = false;
    std::string old_bytes;
};

// Gives a replaced file its old bytes back, or removes it when the save made it.
bool put_back(const Replacement &file, const platform::FileSystem &files) {
    if (!file.existed) return files.remove(file.staged.target);
    platform::StagedFile staged;
    if (!files.stage(file.staged.target, file.old_bytes, staged)) return false;
    if (files.commit(staged)) return true;
    platform::discard_staged(staged);
    return false;
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

    SaveLock lock(env, files);
    bool ok = true;
    for (int number : servers_to_write(env, write_all)) {
        // No load would take such a file back: its server would be lost all the same.
        if (number > kHighestServerNumber || !lock.take()) {
            ok = false;
            continue;
        }
        ServerConfig &config = *server_at(&env, number);
        const std::string path = path_of(env, number);
        platform::StagedFile staged;
        if (!stage_server(env, config, path, files, staged)) {
            ok = false;
        } else if (files.commit(staged)) {
            written(env, config, path);
        } else {
            platform::discard_staged(staged);
            ok = false;
        }
    }
    return remove_stale_files(env, files, lock) && ok;
}

bool save_set_whole(Environment &env, bool write_all, WholeSaveFailure &failure, const platform::FileSystem &files) {
    failure = WholeSaveFailure();
    if (!names_fit(env)) return false;
    SaveLock lock(env, files);
    std::vector<Replacement> replacements;
    auto give_up = [&](int number, size_t staged_from) {
        failure.server = number;
        for (size_t i = staged_from; i < replacements.size(); ++i) platform::discard_staged(replacements[i].staged);
        return false;
    };

    const std::vector<int> numbers = servers_to_write(env, write_all);
    if (!numbers.empty() && !lock.take()) return false;
    for (int number : numbers) {
        if (number > kHighestServerNumber) return give_up(number, 0);
        Replacement &file = replacements.emplace_back();
        file.number = number;
        if (!stage_server(env, *server_at(&env, number), path_of(env, number), files, file.staged)) {
            replacements.pop_back();
            return give_up(number, 0);
        }
        // The old bytes, to put back should a later replacement fail.
        file.existed = platform::file_kind(file.staged.target) != platform::FileKind::missing;
        if (file.existed && !platform::read_file(file.staged.target, file.old_bytes)) return give_up(number, 0);
    }

    for (size_t i = 0; i < replacements.size(); ++i) {
        if (files.commit(replacements[i].staged)) continue;
        failure.replacing = true;
        bool all_back = true;
        std::vector<int> back;
        for (size_t j = 0; j < i; ++j) {
            if (put_back(replacements[j], files)) {
                back.push_back(replacements[j].number);
            } else {
                all_back = false;
                failure.holding_new.push_back(replacements[j].number);
            }
        }
        if (!all_back) {
            failure.holding_old = back;
            for (size_t j = i; j < replacements.size(); ++j) failure.holding_old.push_back(replacements[j].number);
        }
        return give_up(replacements[i].number, i);
    }
    for (const Replacement &file : replacements) written(env, *server_at(&env, file.number), path_of(env, file.number));
    return remove_stale_files(env, files, lock);
}

}  // namespace tagcfg
