#include "project.h"

#include <iostream>

#include "model/channel_table.h"
#include "storage/config_set.h"
#include "storage/server_file.h"
#include "text_escape.h"

namespace tagcfg::cli {

namespace {

std::string numbers_and_files(const Project &project, const std::vector<int> &servers) {
    std::string out;
    for (int number : servers) out += "\n  " + project.file_of(number) + " (server " + std::to_string(number) + ")";
    return out;
}

bool has_duplicates(const Environment &env) {
    for (const auto &slot : env.servers)
        if (slot && !duplicate_channels(*slot).empty()) return true;
    return false;
}

std::string folder_of(const std::string &directory) { return directory.empty() ? "." : directory; }

}  // namespace

Project::Project(const Args &args, const char *command)
    : command_(command), files_(args.files ? *args.files : real_files_) {
    env_.directory = args.positional[0];
    env_.base_name = args.positional[1];
}

bool Project::fail(const std::string &reason) const {
    std::cerr << "tagcfg " << command_ << ": " << reason << '\n';
    return false;
}

std::string why_no_folder(const std::string &directory) {
    // Anything else that is no folder fails the listing, which says so.
    switch (platform::file_kind(folder_of(directory))) {
    case platform::FileKind::missing: return shown(directory) + ": no such folder";
    case platform::FileKind::regular: return shown(directory) + ": not a folder";
    default: return "";
    }
}

std::string no_set_files(const std::string &directory, const std::string &base_name) {
    return "no " + shown(base_name) + "_opcN.cnf files in " + shown(folder_of(directory));
}

bool Project::load(Access access, Needs needs) {
    const std::string folder = folder_of(directory());
    if (const std::string why = why_no_folder(directory()); !why.empty()) return fail(why);
    if (access == Access::edit) {
        const std::string lock_path = project_lock_path(directory(), base_name());
        switch (lock_.acquire(lock_path, files_.lock_wait_ms)) {
        case platform::FileLock::Result::held: break;
        case platform::FileLock::Result::busy:
            return fail("the project " + shown(base_name()) + " in " + shown(folder) +
                        " is busy: another program is changing it; nothing changed");
        case platform::FileLock::Result::failed:
            return fail(shown(lock_path) + " cannot be made or locked; nothing changed");
        }
    }
    if (!load_set(env_, nullptr, nullptr, files_)) {
        std::cerr << "tagcfg " << command_ << ": the set does not load cleanly, so nothing is done:\n";
        report_check(directory(), base_name(), std::cerr);
        return false;
    }
    if (needs == Needs::anything) return true;
    if (env_.servers.empty()) return fail(no_set_files(directory(), base_name()));
    if (needs == Needs::files_without_duplicates && has_duplicates(env_)) {
        std::cerr << "tagcfg " << command_ << ": the set has channels twice in a file, so nothing is done:\n";
        report_check(directory(), base_name(), std::cerr);
        return false;
    }
    return true;
}

bool Project::save(bool write_all) {
    WholeSaveFailure failure;
    if (save_set_whole(env_, write_all, failure, files_)) return true;
    if (failure.server < 0)
        return fail("the files were written, but a file of a number without a server could not be deleted");
    const std::string file = file_of(failure.server);
    if (!failure.replacing) return fail(file + " could not be written; nothing changed");
    if (failure.holding_new.empty()) return fail(file + " could not be replaced; nothing changed");
    return fail(file + " could not be replaced, and the files replaced before it could not all be put back.\n" +
                "These hold the new content:" + numbers_and_files(*this, failure.holding_new) +
                "\nThese hold what they held before:" + numbers_and_files(*this, failure.holding_old));
}

ServerConfig &Project::server(int number) {
    if (ServerConfig *config = server_at(&env_, number)) return *config;
    throw Refusal("the set " + shown(base_name()) + " has no server " + std::to_string(number));
}

std::string Project::file_of(int number) const { return set_file_path(directory(), base_name(), number); }

void require_storable(const std::string &text, const char *what) {
    if (const char *reason = unstorable_reason(text))
        throw Refusal(std::string(what) + " \"" + shown(text) + "\" " + reason + "; nothing changed");
}

}  // namespace tagcfg::cli
